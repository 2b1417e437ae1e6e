// In-memory stand-ins for the uninstaller's system interfaces. They model
// the behaviour the logic depends on (case-insensitive names, NT refusing to
// delete a key with subkeys, only empty directories going, ...) and record
// what was asked of them.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sweepall/platform.h"
#include "sweepall/uninstall_dialog.h"

namespace sweepall::fakes {

std::string Lower(std::string s);

// A script's text: each line ended with CR LF as the editors write it.
std::string Script(const std::vector<std::string>& lines);

class FakeSystemInfo : public SystemInfo {
 public:
  bool nt = true;
  std::string windows = "C:\\WINDOWS";
  std::string system = "C:\\WINDOWS\\system32";
  std::string current = "C:\\setup";

  bool IsNtFamily() override { return nt; }
  std::string WindowsDirectory() override { return windows; }
  std::string SystemDirectory() override { return system; }
  std::string CurrentDirectory() override { return current; }
};

// Keys by full lower-case path ("hklm\software\x"); roots are "hkcr",
// "hkcu", "hklm", "hku".
class FakeRegistry : public Registry {
 public:
  explicit FakeRegistry(FakeSystemInfo& system) : system_(system) {}

  struct Key {
    std::string name;  // as created
    std::map<std::string, std::string> values;  // lower-case name -> text
    std::set<std::string> expandable;           // names stored as REG_EXPAND_SZ
    std::uint32_t denied = 0;                   // access bits refused
    int resets = 0;                             // ResetSecurity calls
    std::string link;                           // full path of a link's target
  };

  // Test set-up and inspection, by full path such as "HKLM\Software\x".
  void AddKey(const std::string& fullPath);
  void SetValue(const std::string& fullPath, const std::string& name, const std::string& text,
                bool expandable = false);
  bool IsExpandable(const std::string& fullPath, const std::string& name) const;
  bool HasKey(const std::string& fullPath) const;
  bool HasValue(const std::string& fullPath, const std::string& name) const;
  std::string Value(const std::string& fullPath, const std::string& name) const;
  Key* Find(const std::string& fullPath);
  // A registry link: opening fullPath (or a path through it) reaches target.
  void AddLink(const std::string& fullPath, const std::string& target);
  void Deny(const std::string& fullPath, std::uint32_t access) { Find(fullPath)->denied = access; }
  std::size_t open_handles() const { return handles_.size(); }

  std::vector<std::string> deleted;  // full paths in deletion order
  std::vector<std::string> deleteCalls;  // the path of each DeleteKey call
  std::vector<std::string> resets;   // full paths in reset order
  long failEnumWith = kOk;           // makes EnumSubkey fail
  bool subtreeGoesOn9x = true;       // false: refuse as Wine does
  std::size_t maxNameLength = 512;
  // A process can hold only so many open keys; a walk that never ends
  // runs into this limit instead of exhausting the stack.
  std::size_t maxOpenHandles = 1000;

  long OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
               RegKey* key) override;
  void CloseKey(RegKey key) override;
  long EnumSubkey(RegKey key, std::uint32_t index, std::string* name) override;
  long DeleteKey(RegKey parent, const std::string& path) override;
  long SetString(RegKey key, const std::string& name, const std::string& text,
                 bool expandable) override;
  long QueryString(RegKey key, const std::string& name, std::size_t capacity,
                   std::string* text, bool* expandable) override;
  long CountEntries(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long ResetSecurity(RegKey key) override;
  long OpenKeyNoFollow(RegKey parent, const std::string& path, std::uint32_t access,
                       RegKey* key) override;
  bool IsLink(RegKey key) override;
  long DeleteOpenedKey(RegKey key) override;

 private:
  bool PathOf(RegKey key, std::string* path) const;
  // As the real registry reads a path: doubled and trailing backslashes are
  // skipped, a leading one is refused (kErrorBadPathname); links are
  // followed, the last component's only when followLast is set.
  long Resolve(const std::string& base, const std::string& path, bool followLast,
               std::string* full) const;
  long Open(RegKey parent, const std::string& path, std::uint32_t access, bool followLast,
            RegKey* key);
  long DeleteResolved(const std::string& full);
  std::vector<std::string> ChildrenOf(const std::string& full) const;

  FakeSystemInfo& system_;
  std::map<std::string, Key> keys_;
  std::map<RegKey, std::pair<std::string, std::uint32_t>> handles_;
  RegKey nextHandle_ = 0x100;
  bool hasLinks_ = false;  // most registries have none: no hops to look for
};

class FakeFileSystem : public FileSystem {
 public:
  struct Entry {
    bool directory = false;
    bool readOnly = false;
    bool locked = false;  // in use: deletion fails
    std::string content;
  };
  void AddFile(const std::string& path, const std::string& content = "", bool readOnly = false);
  void AddDirectory(const std::string& path);
  void Lock(const std::string& path) { entries_[Lower(path)].locked = true; }
  void Unlock(const std::string& path) { entries_[Lower(path)].locked = false; }
  bool Exists(const std::string& path) const { return entries_.count(Lower(path)) > 0; }

  std::vector<std::string> reads;  // paths asked for, in order
  std::vector<std::string> probes;
  std::vector<std::string> removedAtRestart;  // marked for the next start, in order
  bool canMarkForRestart = true;              // false: as for a user who may not
  std::map<std::string, std::string> written;  // WriteWhole, by path

  bool ReadWhole(const std::string& path, std::size_t limit, std::string* bytes) override;
  PathKind Probe(const std::string& path) override;
  bool AnyMatch(const std::string& pattern) override;
  bool ClearAttributes(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool DeleteAtRestart(const std::string& path) override {
    if (!canMarkForRestart) return false;
    removedAtRestart.push_back(path);
    return true;
  }
  std::string ShortPath(const std::string& path) override { return "SHORT:" + path; }
  bool WriteWhole(const std::string& path, const std::string& bytes) override {
    if (!canMarkForRestart) return false;
    written[path] = bytes;
    AddFile(path, bytes);
    return true;
  }

 private:
  std::map<std::string, Entry> entries_;
};

class FakePrograms : public Programs {
 public:
  unsigned startResult = 33;
  std::vector<std::string> started;
  std::vector<unsigned> pauses;
  std::vector<std::pair<std::string, std::string>> quitPosted;
  // Called at each start, and at each quit with whether the program's end
  // was waited for: tests let "running programs" end only when waited for.
  std::function<void(const std::string&)> onStart;
  std::function<void(const std::string&, const std::string&, bool)> onQuit;

  unsigned Start(const std::string& commandLine) override {
    started.push_back(commandLine);
    if (onStart) onStart(commandLine);
    return startResult;
  }
  void Pause(unsigned milliseconds) override { pauses.push_back(milliseconds); }
  std::vector<unsigned> quitWaits;
  bool PostQuitTo(const std::string& windowClass, const std::string& title,
                  unsigned waitMs) override {
    quitPosted.emplace_back(windowClass, title);
    quitWaits.push_back(waitMs);
    if (onQuit) onQuit(windowClass, title, waitMs > 0);
    return true;
  }
};

class FakeDeviceSetup : public DeviceSetup {
 public:
  struct Device {
    std::string ids;  // list of zero-terminated strings
    long readError = kOk;
  };
  std::vector<Device> present;
  std::set<std::string> infsWithClass;  // INF paths whose class can be read
  long openError = kOk;
  long updateError = kOk;
  long registerError = kOk;
  std::vector<std::string> calls;  // what was asked, in order
  int openSets = 0;                // present-device sets not yet closed
  int openLists = 0;               // root-device lists not yet ended

  long OpenPresentDevices() override;
  long ReadHardwareIds(std::uint32_t index, std::string* idList) override;
  void ClosePresentDevices() override;
  long BeginRootDevice(const std::string& infPath) override;
  long SetHardwareId(const std::string& hardwareId) override;
  long RegisterDevice() override;
  long RemoveDevice() override;
  void EndRootDevice() override;
  long UpdateDriver(const std::string& hardwareId, const std::string& infPath) override;

 private:
  bool registered_ = false;
  std::string pendingId_;
};

class FakePower : public Power {
 public:
  bool privilegeGranted = true;
  int privilegeRequests = 0;
  std::vector<unsigned> exits;
  bool EnableShutdownPrivilege() override {
    ++privilegeRequests;
    return privilegeGranted;
  }
  bool EndSession(unsigned flags) override {
    exits.push_back(flags);
    return true;
  }
};

// Models a file that is emptied when opened, as the log is.
class FakeLogFile : public LogFile {
 public:
  bool canOpen = true;
  bool isOpen = false;
  int opens = 0;
  std::string bytes;
  bool Open() override {
    if (!canOpen) return false;
    ++opens;
    isOpen = true;
    bytes.clear();
    return true;
  }
  void Write(const std::string& data) override {
    if (isOpen) bytes += data;
  }
  void Close() override { isOpen = false; }
  // The log split at CR LF, without the final empty piece.
  std::vector<std::string> Lines() const;
};

class FakeView : public DialogView {
 public:
  std::string caption;
  std::string groupCaption = "Uninstall List";
  std::vector<std::string> status;
  bool boxesTicked = false;
  std::deque<bool> answers;  // next AskYesNo results; empty means No
  std::vector<std::pair<std::string, std::string>> questions;  // text, caption
  std::vector<std::pair<std::string, std::string>> messages;   // text, title
  int broughtToFront = 0;
  bool closed = false;
  int closeResult = -1;

  void SetCaption(const std::string& text) override { caption = text; }
  void SetGroupCaption(const std::string& text) override { groupCaption = text; }
  void AddStatusLine(const std::string& text) override { status.push_back(text); }
  void TickTaskBoxes() override { boxesTicked = true; }
  bool AskYesNo(const std::string& text, const std::string& cap) override {
    questions.emplace_back(text, cap);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void ShowMessage(const std::string& text, const std::string& title) override {
    messages.emplace_back(text, title);
  }
  void BringToFront() override { ++broughtToFront; }
  void Close(int result) override {
    closed = true;
    closeResult = result;
  }
  std::string UninstallQuestion() override { return "Remove the program?"; }
  std::string RestartQuestion() override { return "Restart now?"; }
};

// The temporary-copy side: records copies, starts, waits and deletions.
class FakeProgramCopy : public ProgramCopy {
 public:
  std::string self = "C:\\Program Files\\Keydeck\\sweepall.exe";
  std::string temp = "C:\\WINDOWS\\TEMP";
  std::uint32_t pid = 77;
  bool canCopy = true;
  bool canStart = true;
  std::string copyName = "C:\\WINDOWS\\TEMP\\swp1.exe";
  FakeFileSystem* files = nullptr;  // where copies and written files appear
  struct Started {
    std::string path, commandLine, folder;
  };
  std::vector<Started> started;
  std::vector<std::pair<std::uint32_t, unsigned>> waits;

  std::string ProgramPath() override { return self; }
  std::string TempDirectory() override { return temp; }
  std::uint32_t ProcessId() override { return pid; }
  bool CopyToTemp(std::string* copyPath) override {
    if (!canCopy) return false;
    if (files) files->AddFile(copyName);
    *copyPath = copyName;
    return true;
  }
  bool Start(const std::string& path, const std::string& line, const std::string& folder) override {
    started.push_back({path, line, folder});
    return canStart;
  }
  bool WaitForEnd(std::uint32_t id, unsigned ms) override {
    waits.emplace_back(id, ms);
    return true;
  }
};

// One of everything, wired into a Platform.
struct FakeSystem {
  FakeSystemInfo system;
  FakeRegistry registry{system};
  FakeFileSystem files;
  FakePrograms programs;
  FakeDeviceSetup devices;
  FakePower power;
  FakeLogFile log;
  FakeView view;
  Platform platform{registry, files, system, programs, devices, power, log, view};
};

// The dialog over one of every fake.
struct DialogRig {
  static constexpr const char* kScriptPath = "C:\\setup\\un.ini";

  // Writes the script where the dialog is started from and starts it there.
  void Start(const std::vector<std::string>& script) {
    f.files.AddFile(kScriptPath, Script(script));
    dialog.Start(kScriptPath);
  }

  FakeSystem f;
  UninstallDialog dialog{f.platform};
};

}  // namespace sweepall::fakes
