// Win32 implementations of the action engine's system interfaces.
#pragma once

#include <windows.h>

#include "keydeck/actions/platform.h"

struct IAudioEndpointVolume;

namespace kd {

class WinRegistry final : public Registry {
 public:
  bool KeyOpens(RegRoot root, std::string_view path) override;
  std::optional<std::string> ReadText(RegRoot root, std::string_view path,
                                      std::string_view name) override;
  std::optional<std::string> ReadExpandedText(RegRoot root, std::string_view path,
                                              std::string_view name) override;
  std::optional<uint32_t> ReadNumber(RegRoot root, std::string_view path,
                                     std::string_view name) override;
  bool WriteText(RegRoot root, std::string_view path, std::string_view name,
                 const std::string& value) override;
};

class WinProgramStarter final : public ProgramStarter {
 public:
  uint32_t WinExec(const std::string& commandLine, int show) override;
  uint32_t ShellExecuteOpen(const std::string& target) override;
  bool StartProcess(const std::string& program, const std::string& arguments) override;
  bool FileExists(const std::string& path) override;
  void OpenHelpContents(const std::string& helpFile) override;
  // The window that owns the help viewer.
  void SetOwnerWindow(HWND window) { owner_ = window; }

 private:
  HWND owner_ = nullptr;
};

class WinDesktop final : public Desktop {
 public:
  bool ClassWindowExists(const std::string& className) override;
  WindowRef FindClassWindow(const std::string& className) override;
  WindowRef DesktopWindow() override;
  WindowRef ForegroundWindow() override;
  void Post(WindowRef window, uint32_t message, uint32_t wParam, uint32_t lParam) override;
  std::vector<TopWindow> TopLevelWindows() override;
  bool IsMinimized(WindowRef window) override;
  void Show(WindowRef window, int showCommand) override;
  void BringToForeground(WindowRef window) override;
  void Wait(unsigned milliseconds) override;
};

// MessageBoxA with MB_OK and no caption of its own (the system's default).
class WinAlertBox final : public AlertBox {
 public:
  void Show(const std::string& text) override;
};

// keybd_event with the scan code from MapVirtualKeyA and never the
// extended flag. Each key is announced to keyhook.dll first: its classic
// hook (9x family) cannot tell synthesized keys from pressed ones.
class WinKeySynth final : public KeySynth {
 public:
  void KeyDown(uint8_t virtualKey) override;
  void KeyUp(uint8_t virtualKey) override;
};

// The speakers of winmm mixer device 0. Each operation opens the mixer,
// finds the speakers' control, transfers one value and closes again.
class MixerVolume final : public VolumeControl {
 public:
  ~MixerVolume() override;
  // The long-lived open at start, whose control changes reach the window
  // as MM_MIXM_CONTROL_CHANGE.
  bool OpenMixer(HWND callbackWindow);
  void CloseMixer();
  bool IsOpen() const { return startupMixer_ != nullptr; }

  uint32_t GetVolume() override;
  bool SetVolume(uint32_t value) override;
  int GetMute() override;
  bool SetMute(int value) override;

 private:
  HMIXER startupMixer_ = nullptr;
};

// The default render endpoint's master volume and mute (Vista and later),
// on the mixer's 0..0xFFFF scale.
class EndpointVolume final : public VolumeControl {
 public:
  // Gives the volume interface (a reference the caller releases) for one
  // operation; the default activates the default render endpoint's.
  using Activate = HRESULT (*)(IAudioEndpointVolume** volume);
  explicit EndpointVolume(Activate activate = nullptr) : activate_(activate) {}

  uint32_t GetVolume() override;
  bool SetVolume(uint32_t value) override;
  int GetMute() override;
  bool SetMute(int value) override;

 private:
  Activate activate_;
};

class WinPowerControl final : public PowerControl {
 public:
  bool EnableShutdownPrivilege() override;
  void SetSystemPowerState(bool suspend) override;
  bool ExitWindowsShutdown() override;
};

class WinSystemInfo final : public SystemInfo {
 public:
  uint32_t PackedVersion() override;
  uint16_t Build9x() override;
  std::string WindowsDirectory() override;
  uint16_t UserDefaultLangId() override;
  std::string ProgramPath() override;
  bool IsLeadByte(uint8_t byte) override;
};

}  // namespace kd
