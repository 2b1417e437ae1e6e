// The operating-system facilities the hotkey actions use, each behind a
// small interface: the Win32 side implements them in win/, host tests use
// recording fakes. Nothing here includes windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kd {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine };

// Registry access. Paths are relative to the root. Reads open keys for
// reading only: the machine keys are not writable for a standard user of
// the NT family. The one write (the audio-CD AutoPlay command) goes to a
// key that already exists.
class Registry {
 public:
  virtual ~Registry() = default;
  // Whether root\path exists and can be opened for reading.
  virtual bool KeyOpens(RegRoot root, std::string_view path) = 0;
  // A text value (an empty name is the key's default value); nullopt when
  // the key or the value is missing or the value is not text.
  virtual std::optional<std::string> ReadText(RegRoot root, std::string_view path,
                                              std::string_view name) = 0;
  // The same, with the environment variables of an expandable text
  // (REG_EXPAND_SZ) expanded as the system expands them; a plain text
  // comes back as stored.
  virtual std::optional<std::string> ReadExpandedText(RegRoot root, std::string_view path,
                                                      std::string_view name) = 0;
  // A number of at most four bytes; nullopt when missing.
  virtual std::optional<uint32_t> ReadNumber(RegRoot root, std::string_view path,
                                             std::string_view name) = 0;
  // Stores a text value (an empty name is the default value) in an existing
  // key; creates no key. False when the key is missing or refuses the write.
  virtual bool WriteText(RegRoot root, std::string_view path, std::string_view name,
                         const std::string& value) = 0;
};

// Starting programs and opening documents. Results are the raw system
// values so that the success rule lives in one place (launch_targets.h).
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  virtual uint32_t WinExec(const std::string& commandLine, int show) = 0;
  // ShellExecute with verb "open", no parameters, no folder, SW_SHOWNORMAL.
  virtual uint32_t ShellExecuteOpen(const std::string& target) = 0;
  // Creates the process without waiting for it; arguments is the whole
  // command line handed to it.
  virtual bool StartProcess(const std::string& program, const std::string& arguments) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual void OpenHelpContents(const std::string& helpFile) = 0;
};

using WindowRef = uintptr_t;  // an HWND's value; 0 = none

struct TopWindow {
  WindowRef Window = 0;
  std::string Title;
  std::string ClassName;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // A top-level window of this class exists (any title).
  virtual bool ClassWindowExists(const std::string& className) = 0;
  // The first top-level window of this class (any title); 0 when none.
  virtual WindowRef FindClassWindow(const std::string& className) = 0;
  virtual WindowRef DesktopWindow() = 0;
  virtual WindowRef ForegroundWindow() = 0;
  virtual void Post(WindowRef window, uint32_t message, uint32_t wParam, uint32_t lParam) = 0;
  // The top-level windows in z-order, titles and class names cut to 255.
  virtual std::vector<TopWindow> TopLevelWindows() = 0;
  virtual bool IsMinimized(WindowRef window) = 0;
  virtual void Show(WindowRef window, int showCommand) = 0;
  virtual void BringToForeground(WindowRef window) = 0;
  virtual void Wait(unsigned milliseconds) = 0;
};

// A message box with an OK button and the system's default caption; returns
// when it is closed.
class AlertBox {
 public:
  virtual ~AlertBox() = default;
  virtual void Show(const std::string& text) = 0;
};

// Synthesized key strokes, by virtual key.
class KeySynth {
 public:
  virtual ~KeySynth() = default;
  virtual void KeyDown(uint8_t virtualKey) = 0;
  virtual void KeyUp(uint8_t virtualKey) = 0;
};

// The speakers' master volume (0..0xFFFF) and mute switch.
class VolumeControl {
 public:
  virtual ~VolumeControl() = default;
  virtual uint32_t GetVolume() = 0;      // 0 when no mixer opens
  virtual bool SetVolume(uint32_t value) = 0;
  virtual int GetMute() = 0;             // 0 or 1; -2 when no mixer opens
  virtual bool SetMute(int value) = 0;
};

class PowerControl {
 public:
  virtual ~PowerControl() = default;
  virtual bool EnableShutdownPrivilege() = 0;
  // suspend true = standby, false = hibernate; the system's answer is not used.
  virtual void SetSystemPowerState(bool suspend) = 0;
  // Asks (does not force) the applications to close and shuts down.
  virtual bool ExitWindowsShutdown() = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual uint32_t PackedVersion() = 0;      // GetVersion()
  virtual uint16_t Build9x() = 0;            // build number on 9x, else 0
  virtual std::string WindowsDirectory() = 0;
  virtual uint16_t UserDefaultLangId() = 0;
  // Full path of the running program's executable file.
  virtual std::string ProgramPath() = 0;
  // Whether a byte starts a two-byte character in the system's ANSI code
  // page (Japanese, Chinese, Korean); never in a single-byte one.
  virtual bool IsLeadByte(uint8_t byte) = 0;
};

}  // namespace kd
