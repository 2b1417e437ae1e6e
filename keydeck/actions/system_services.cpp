#include "keydeck/actions/system_services.h"

namespace kd {

const char* VersionClassName(int versionClass) {
  static const char* const kNames[] = {"Unknown",    "Windows95",  "Windows98",
                                       "Windows98SE", "WindowsMe",  "WindowsNT4",
                                       "Windows2000", "WindowsXP"};
  if (versionClass < 0 || versionClass > 7) return "Unknown ?";
  return kNames[versionClass];
}

WindowsVersion::WindowsVersion(uint32_t packed, uint16_t build9x)
    : major_(packed & 0xFF), minor_((packed >> 8) & 0xFF), packed_(packed) {
  if (IsNtPlatform(packed)) {
    build_ = packed >> 16;
  } else if (major_ < 4) {
    build_ = (packed >> 16) & 0x7FFF;  // Win32s
  } else {
    build_ = 0;  // the 9x family keeps no build in the packed version
  }

  if (build_ == 0) {
    nt_ = 0;
    if (major_ == 4 && minor_ >= 90) {
      class_ = kWindowsMe;
    } else if (major_ == 4) {
      if (minor_ < 10)
        class_ = kWindows95;
      else
        class_ = build9x >= 2222 ? kWindows98SE : kWindows98;
    } else {
      class_ = kUnknownWindows;
    }
  } else {
    nt_ = 1;
    if (major_ == 4)
      class_ = kWindowsNT4;
    else if (major_ == 5 && minor_ == 0)
      class_ = kWindows2000;
    else if (major_ == 5 && minor_ == 1)
      class_ = kWindowsXP;
    else
      class_ = kUnknownWindows;
  }
  name_ = VersionClassName(class_);
}

uint32_t ScalarToLevel(float scalar) {
  if (!(scalar > 0.0f)) return 0;  // also NaN
  if (scalar >= 1.0f) return kVolumeMax;
  return static_cast<uint32_t>(scalar * static_cast<float>(kVolumeMax) + 0.5f);
}

float LevelToScalar(uint32_t level) {
  if (level >= kVolumeMax) return 1.0f;
  return static_cast<float>(level) / static_cast<float>(kVolumeMax);
}

std::optional<uint32_t> VolumeDown(VolumeControl& volume) {
  volume.SetMute(0);
  const uint32_t level = VolumeStepDown(volume.GetVolume());
  volume.SetVolume(level);
  return level;
}

std::optional<uint32_t> VolumeUp(VolumeControl& volume) {
  volume.SetMute(0);
  const std::optional<uint32_t> level = VolumeStepUp(volume.GetVolume());
  if (level) volume.SetVolume(*level);
  return level;
}

void ToggleMute(VolumeControl& volume) {
  const int state = volume.GetMute();
  if (state < 0) return;  // no mixer: nothing to write
  volume.SetMute(state ^ 1);
}

void Standby(PowerControl& power, bool ntPlatform) {
  if (ntPlatform) power.EnableShutdownPrivilege();
  power.SetSystemPowerState(true);
}

void Hibernate(PowerControl& power, bool ntPlatform) {
  if (ntPlatform) power.EnableShutdownPrivilege();
  power.SetSystemPowerState(false);
}

bool ShutDown(PowerControl& power, bool ntPlatform) {
  if (ntPlatform) power.EnableShutdownPrivilege();
  return power.ExitWindowsShutdown();
}

std::optional<std::string> ControlPanelCommand(const std::string& applet) {
  if (applet.size() > kMaxAppletLength) return std::nullopt;
  std::string command = "rundll32.exe shell32.dll,Control_RunDLL";
  if (!applet.empty()) command += " " + applet;
  return command;
}

bool RunControlPanel(ProgramStarter& starter, const std::string& applet) {
  const std::optional<std::string> command = ControlPanelCommand(applet);
  if (!command) return false;
  return starter.WinExec(*command, 5) > 31;
}

}  // namespace kd
