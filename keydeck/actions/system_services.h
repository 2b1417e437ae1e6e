// Version classes, volume steps, power actions and the Control Panel
// start: the decisions of the system layer, over the interfaces of
// platform.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "keydeck/actions/platform.h"

namespace kd {

// The NT family has the top bit of GetVersion's packed result clear.
constexpr bool IsNtPlatform(uint32_t packedVersion) { return (packedVersion & 0x80000000u) == 0; }

enum VersionClassId {
  kUnknownWindows = 0,
  kWindows95 = 1,
  kWindows98 = 2,
  kWindows98SE = 3,
  kWindowsMe = 4,
  kWindowsNT4 = 5,
  kWindows2000 = 6,
  kWindowsXP = 7,
};

// "Unknown ?" for numbers outside 0..7.
const char* VersionClassName(int versionClass);

// Classification of the running Windows from the packed version.
// build9x (GetVersionEx's build on the 9x family, 0 when unknown) only
// separates 98 Second Edition (build 2222 and later) from 98.
class WindowsVersion {
 public:
  explicit WindowsVersion(uint32_t packedVersion, uint16_t build9x = 0);

  uint32_t Major() const { return major_; }
  uint32_t Minor() const { return minor_; }
  uint32_t Build() const { return build_; }
  int VersionClass() const { return class_; }
  int NtFlag() const { return nt_; }
  const std::string& Name() const { return name_; }
  uint32_t Packed() const { return packed_; }

 private:
  uint32_t major_, minor_, build_;
  int class_;
  int nt_;
  std::string name_;
  uint32_t packed_;
};

// Vista and later give the winmm mixer only the program's own audio
// session; there the master volume lives on the default render endpoint.
constexpr bool UsesEndpointVolume(uint32_t packedVersion) {
  return IsNtPlatform(packedVersion) && (packedVersion & 0xFF) >= 6;
}

constexpr uint32_t kVolumeStep = 0x600;
constexpr uint32_t kVolumeMax = 0xFFFF;

// One step down: 0 below a full step.
constexpr uint32_t VolumeStepDown(uint32_t level) {
  return level < kVolumeStep ? 0 : level - kVolumeStep;
}
// One step up, limited to full scale; nullopt for a level the mixer should
// never report (above full scale), which is then left alone.
constexpr std::optional<uint32_t> VolumeStepUp(uint32_t level) {
  if (level > kVolumeMax) return std::nullopt;
  return level + kVolumeStep > kVolumeMax ? kVolumeMax : level + kVolumeStep;
}

// The endpoint's scalar volume (0.0..1.0) on the mixer's scale, rounded;
// out-of-range scalars are clamped.
uint32_t ScalarToLevel(float scalar);
float LevelToScalar(uint32_t level);

// Volume keys: unmute first, then step. Return the level written, or
// nullopt when the level was left alone.
std::optional<uint32_t> VolumeDown(VolumeControl& volume);
std::optional<uint32_t> VolumeUp(VolumeControl& volume);
void ToggleMute(VolumeControl& volume);

// Power actions; on the NT family each first enables the shutdown
// privilege (a refusal is left for the system to report).
void Standby(PowerControl& power, bool ntPlatform);
void Hibernate(PowerControl& power, bool ntPlatform);
bool ShutDown(PowerControl& power, bool ntPlatform);

// The applet text fits a 264-character command buffer at most this long.
constexpr std::size_t kMaxAppletLength = 222;
// "rundll32.exe shell32.dll,Control_RunDLL" plus " applet" when given;
// nullopt for an applet too long for the command.
std::optional<std::string> ControlPanelCommand(const std::string& applet);
// Starts the applet (SW_SHOW); true when WinExec returns more than 31.
bool RunControlPanel(ProgramStarter& starter, const std::string& applet);

}  // namespace kd
