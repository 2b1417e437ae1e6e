// Recording fakes of the action engine's system interfaces. Every call
// that changes something outside the engine is appended to one shared log,
// so tests can check the order across services.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "keydeck/actions/action_engine.h"
#include "keydeck/actions/platform.h"

namespace kd::test {

using CallLog = std::vector<std::string>;

inline std::string Hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%X", static_cast<unsigned>(v));
  return b;
}

// Registry keys and values; names compare without case like the real one,
// and a leading backslash names the same key.
class FakeRegistry : public Registry {
 public:
  void AddKey(RegRoot root, std::string_view path) { keys_.insert(KeyName(root, path)); }
  void SetText(RegRoot root, std::string_view path, std::string_view name, std::string value) {
    AddKey(root, path);
    texts_[ValueName(root, path, name)] = std::move(value);
    expandable_.erase(ValueName(root, path, name));
  }
  // A REG_EXPAND_SZ value: ReadExpandedText expands it with `environment`.
  void SetExpandText(RegRoot root, std::string_view path, std::string_view name, std::string value) {
    SetText(root, path, name, std::move(value));
    expandable_.insert(ValueName(root, path, name));
  }
  void SetNumber(RegRoot root, std::string_view path, std::string_view name, uint32_t value) {
    AddKey(root, path);
    numbers_[ValueName(root, path, name)] = value;
  }
  void RemoveKey(RegRoot root, std::string_view path) { keys_.erase(KeyName(root, path)); }

  bool KeyOpens(RegRoot root, std::string_view path) override {
    return keys_.count(KeyName(root, path)) > 0;
  }
  std::optional<std::string> ReadText(RegRoot root, std::string_view path,
                                      std::string_view name) override {
    auto it = texts_.find(ValueName(root, path, name));
    if (it == texts_.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> ReadExpandedText(RegRoot root, std::string_view path,
                                              std::string_view name) override {
    std::optional<std::string> text = ReadText(root, path, name);
    if (!text || expandable_.count(ValueName(root, path, name)) == 0) return text;
    // As ExpandEnvironmentStrings: a variable it does not know stays.
    std::string out;
    std::size_t at = 0;
    for (;;) {
      const std::size_t open = text->find('%', at);
      const std::size_t close = open == std::string::npos ? open : text->find('%', open + 1);
      if (close == std::string::npos) return out + text->substr(at);
      const auto var = environment.find(Lower(text->substr(open + 1, close - open - 1)));
      out += text->substr(at, open - at);
      out += var == environment.end() ? text->substr(open, close - open + 1) : var->second;
      at = close + 1;
    }
  }
  std::optional<uint32_t> ReadNumber(RegRoot root, std::string_view path,
                                     std::string_view name) override {
    auto it = numbers_.find(ValueName(root, path, name));
    if (it == numbers_.end()) return std::nullopt;
    return it->second;
  }
  bool WriteText(RegRoot root, std::string_view path, std::string_view name,
                 const std::string& value) override {
    writes.push_back(KeyName(root, path) + "|" + Lower(name) + " = " + value);
    if (!KeyOpens(root, path) || readOnly) return false;
    texts_[ValueName(root, path, name)] = value;
    return true;
  }

  // Every write tried, as "root:path|name = value" (lower-case key path).
  std::vector<std::string> writes;
  bool readOnly = false;  // keys open but refuse writes
  // Environment variables by lower-case name, for REG_EXPAND_SZ values.
  std::map<std::string, std::string> environment = {{"programfiles", "C:\\Program Files"},
                                                    {"userprofile", "C:\\Documents and Settings\\kd"}};

 private:
  static std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
  }
  static std::string KeyName(RegRoot root, std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return std::to_string(static_cast<int>(root)) + ":" + Lower(path);
  }
  static std::string ValueName(RegRoot root, std::string_view path, std::string_view name) {
    return KeyName(root, path) + "|" + Lower(name);
  }
  std::set<std::string> keys_;
  std::map<std::string, std::string> texts_;
  std::map<std::string, uint32_t> numbers_;
  std::set<std::string> expandable_;
};

class FakeStarter : public ProgramStarter {
 public:
  explicit FakeStarter(CallLog& log) : log_(log) {}
  uint32_t WinExec(const std::string& commandLine, int show) override {
    log_.push_back("WinExec " + commandLine + " show " + std::to_string(show));
    if (onLaunch) onLaunch();
    return winExecResult;
  }
  uint32_t ShellExecuteOpen(const std::string& target) override {
    log_.push_back("ShellOpen " + target);
    if (onLaunch) onLaunch();
    return shellResult;
  }
  bool StartProcess(const std::string& program, const std::string& arguments) override {
    log_.push_back("Start " + program + " [" + arguments + "]");
    return true;
  }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  void OpenHelpContents(const std::string& helpFile) override {
    log_.push_back("Help " + helpFile);
  }

  uint32_t winExecResult = 33;
  uint32_t shellResult = 42;
  std::set<std::string> files;
  std::function<void()> onLaunch;  // runs inside a launch (re-entry tests)

 private:
  CallLog& log_;
};

class FakeDesktop : public Desktop {
 public:
  explicit FakeDesktop(CallLog& log) : log_(log) {}
  bool ClassWindowExists(const std::string& className) override {
    return classes.count(className) > 0 || classWindows.count(className) > 0;
  }
  WindowRef FindClassWindow(const std::string& className) override {
    auto it = classWindows.find(className);
    return it == classWindows.end() ? 0 : it->second;
  }
  WindowRef DesktopWindow() override { return desktop; }
  WindowRef ForegroundWindow() override { return foreground; }
  void Post(WindowRef window, uint32_t message, uint32_t wParam, uint32_t lParam) override {
    log_.push_back("Post " + Hex(window) + " " + Hex(message) + " " + Hex(wParam) + " " +
                   Hex(lParam));
  }
  std::vector<TopWindow> TopLevelWindows() override { return windows; }
  bool IsMinimized(WindowRef window) override { return minimized.count(window) > 0; }
  void Show(WindowRef window, int showCommand) override {
    log_.push_back("Show " + Hex(window) + " " + std::to_string(showCommand));
  }
  void BringToForeground(WindowRef window) override {
    log_.push_back("Foreground " + Hex(window));
  }
  void Wait(unsigned milliseconds) override { log_.push_back("Wait " + std::to_string(milliseconds)); }

  std::set<std::string> classes;
  std::map<std::string, WindowRef> classWindows;  // found by FindClassWindow
  WindowRef desktop = 0x10;
  WindowRef foreground = 0;
  std::vector<TopWindow> windows;
  std::set<WindowRef> minimized;

 private:
  CallLog& log_;
};

class FakeKeys : public KeySynth {
 public:
  explicit FakeKeys(CallLog& log) : log_(log) {}
  void KeyDown(uint8_t vk) override { log_.push_back("Down " + Hex(vk)); }
  void KeyUp(uint8_t vk) override { log_.push_back("Up " + Hex(vk)); }

 private:
  CallLog& log_;
};

// A mixer with one level and one mute switch; absent = no device.
class FakeVolume : public VolumeControl {
 public:
  explicit FakeVolume(CallLog& log) : log_(log) {}
  uint32_t GetVolume() override { return present ? level : 0; }
  bool SetVolume(uint32_t value) override {
    log_.push_back("SetVolume " + Hex(value));
    if (!present) return false;
    level = value;
    return true;
  }
  int GetMute() override { return present ? mute : -2; }
  bool SetMute(int value) override {
    log_.push_back("SetMute " + std::to_string(value));
    if (!present) return false;
    mute = value;
    return true;
  }

  bool present = true;
  uint32_t level = 0x8000;
  int mute = 0;

 private:
  CallLog& log_;
};

class FakePower : public PowerControl {
 public:
  explicit FakePower(CallLog& log) : log_(log) {}
  bool EnableShutdownPrivilege() override {
    log_.push_back("Privilege");
    return privilegeResult;
  }
  void SetSystemPowerState(bool suspend) override {
    log_.push_back(suspend ? "PowerState suspend" : "PowerState hibernate");
  }
  bool ExitWindowsShutdown() override {
    log_.push_back("ExitWindows");
    return exitResult;
  }
  bool privilegeResult = true;
  bool exitResult = true;

 private:
  CallLog& log_;
};

class FakeSystem : public SystemInfo {
 public:
  uint32_t PackedVersion() override { return packed; }
  uint16_t Build9x() override { return build9x; }
  std::string WindowsDirectory() override { return windowsDir; }
  uint16_t UserDefaultLangId() override { return langId; }
  std::string ProgramPath() override { return programPath; }
  bool IsLeadByte(uint8_t byte) override { return leadBytes.count(byte) > 0; }

  uint32_t packed = 0x0A280105;  // Windows XP
  uint16_t build9x = 0;
  std::string windowsDir = "C:\\WINDOWS";
  uint16_t langId = 0x0409;
  std::string programPath = "C:\\Program Files\\Keydeck\\Keydeck.exe";
  std::set<uint8_t> leadBytes;  // none: a single-byte code page
};

class FakeMedia : public MediaTargets {
 public:
  explicit FakeMedia(CallLog& log) : log_(log) {}
  void MediaPlay(MediaState& s) override { Log("MediaPlay", s); }
  void MediaPause(MediaState& s) override { Log("MediaPause", s); }
  void MediaStop(MediaState& s) override { Log("MediaStop", s); }
  void CdAppCommand(MediaState& s, int command) override {
    Log("CdApp " + std::to_string(command), s);
  }
  void WinampCommand(MediaState& s, int command) override {
    Log("Winamp " + std::to_string(command), s);
  }
  void PlayDiscInMediaPlayer() override { log_.push_back("PlayDisc"); }
  void PanelPlay(MediaState& s) override { Log("PanelPlay", s); }
  void PanelPlayDrive(MediaState& s, char drive) override {
    Log(std::string("PanelPlayDrive ") + drive, s);
  }
  void PanelNext() override { log_.push_back("PanelNext"); }
  void PanelPrevious() override { log_.push_back("PanelPrev"); }
  void PanelEject() override { log_.push_back("PanelEject"); }

 private:
  // The Playing flag as the engine handed it over.
  void Log(const std::string& what, const MediaState& s) {
    log_.push_back(what + (s.Playing ? " playing" : " idle"));
  }
  CallLog& log_;
};

// The engine's services, recording into one log, and the engine built over
// them and the media targets a rig picks: the recording FakeMedia here, the
// real targets in media_control_test.cpp.
struct ServiceFakes {
  virtual ~ServiceFakes() = default;

  CallLog log;
  FakeRegistry reg;
  FakeStarter starter{log};
  FakeDesktop desktop{log};
  FakeKeys keys{log};
  FakeVolume volume{log};
  FakePower power{log};
  FakeSystem system;
  std::unique_ptr<ActionEngine> engine;

  // Built on demand, after the test has filled the registry and the system
  // facts the engine reads at construction; what building logged is dropped.
  ActionEngine& Build() {
    engine = std::make_unique<ActionEngine>(
        ActionServices{reg, starter, desktop, keys, volume, power, system, Targets()});
    log.clear();
    return *engine;
  }
  // Runs a code through a fresh row 0 and returns its result.
  bool Run(int32_t code, const std::string& linkTo = "", uint32_t param = 0) {
    if (!engine) Build();
    engine->SetEntry(0, ActionEntry{"Caption", linkTo, code, param});
    return engine->RunEntry(0);
  }
  // The log since the last take.
  CallLog Take() { return std::exchange(log, {}); }

 protected:
  virtual MediaTargets& Targets() = 0;
};

// Every fake, the media targets too.
struct EngineRig : ServiceFakes {
  FakeMedia media{log};

 protected:
  MediaTargets& Targets() override { return media; }
};

}  // namespace kd::test
