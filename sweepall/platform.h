// The small interfaces through which the uninstaller touches the system.
// The decision logic sees only these; sweepall/win/ implements them with
// Win32 calls and the host tests with in-memory fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sweepall {

// Registry handles are opaque numbers. The predefined roots keep the values
// Windows gives them, so the Win32 layer can pass every handle straight on.
using RegKey = std::uintptr_t;
inline constexpr RegKey kNoRoot = 0;
inline constexpr RegKey kClassesRoot = 0x80000000u;
inline constexpr RegKey kCurrentUser = 0x80000001u;
inline constexpr RegKey kLocalMachine = 0x80000002u;
inline constexpr RegKey kUsers = 0x80000003u;

// Registry access masks.
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kWriteDac = 0x40000;
inline constexpr std::uint32_t kEnumerateAndDelete = 0x10008;  // subkeys + DELETE
inline constexpr std::uint32_t kQueryValue = 0x0001;

// System error codes the logic tells apart or reports.
inline constexpr long kOk = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidData = 13;
inline constexpr long kErrorDirNotEmpty = 145;
inline constexpr long kErrorFilenameTooLong = 206;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorNoSystemResources = 1450;
inline constexpr long kErrorBadKey = 1010;

class Registry {
 public:
  virtual ~Registry() = default;
  virtual long OpenKey(RegKey parent, const std::string& path,
                       std::uint32_t access, RegKey* key) = 0;
  virtual void CloseKey(RegKey key) = 0;
  // Name of the subkey at index; names longer than 512 characters fail.
  virtual long EnumSubkey(RegKey key, std::uint32_t index, std::string* name) = 0;
  // Plain deletion: the NT family refuses a key that still has subkeys,
  // the 9x family takes the subkeys with it.
  virtual long DeleteKey(RegKey parent, const std::string& path) = 0;
  // A string value, stored without its terminator; `expandable` stores it
  // as a string with environment references (REG_EXPAND_SZ).
  virtual long SetString(RegKey key, const std::string& name, const std::string& text,
                         bool expandable) = 0;
  // Reads a string value of at most `capacity` bytes; *expandable (when
  // given) tells a REG_EXPAND_SZ from a plain string.
  virtual long QueryString(RegKey key, const std::string& name, std::size_t capacity,
                           std::string* text, bool* expandable) = 0;
  // How many subkeys and values the key holds (its default value counts
  // when it is set).
  virtual long CountEntries(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) = 0;
  virtual long DeleteValue(RegKey key, const std::string& name) = 0;
  // Replaces the key's discretionary list with the two entries
  // INTERACTIVE read and Administrators full control. The key must have
  // been opened with kWriteDac.
  virtual long ResetSecurity(RegKey key) = 0;

  // Tree walks must never follow a registry link: a link inside a tree is
  // not its target's owner, and a link to an ancestor would never end.
  // Opens like OpenKey, but a link at the path's last step is opened as
  // the link itself (links on the way are followed as usual).
  virtual long OpenKeyNoFollow(RegKey parent, const std::string& path,
                               std::uint32_t access, RegKey* key) = 0;
  // True when a key opened by OpenKeyNoFollow (with kQueryValue) is a link.
  virtual bool IsLink(RegKey key) = 0;
  // Deletes the opened key itself, so a link goes as a link; the key must
  // have no subkeys and have been opened with DELETE access.
  virtual long DeleteOpenedKey(RegKey key) = 0;
};

enum class PathKind { kMissing, kFile, kDirectory };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // At most `limit` bytes of the file; false when it can't be opened or read.
  virtual bool ReadWhole(const std::string& path, std::size_t limit,
                         std::string* bytes) = 0;
  virtual PathKind Probe(const std::string& path) = 0;
  // True when any file matches the path (wildcards allowed).
  virtual bool AnyMatch(const std::string& pattern) = 0;
  virtual bool ClearAttributes(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Only an empty directory goes.
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
  // NT family: the file (or empty directory) is deleted at the next start
  // of Windows.
  virtual bool DeleteAtRestart(const std::string& path) = 0;
  // The 8.3 form of an existing path (what the 9x family's WININIT reads).
  virtual std::string ShortPath(const std::string& path) = 0;
  virtual bool WriteWhole(const std::string& path, const std::string& bytes) = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  // The platform version's top bit is clear on the NT family.
  virtual bool IsNtFamily() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::string CurrentDirectory() = 0;
};

// Programs the script starts or closes.
class Programs {
 public:
  virtual ~Programs() = default;
  // Starts a command line shown normally; the result is the launcher's
  // code, where values of 32 and above mean started.
  virtual unsigned Start(const std::string& commandLine) = 0;
  virtual void Pause(unsigned milliseconds) = 0;
  // Posts WM_QUIT to the top-level window with that class and title, then
  // waits up to `waitMs` for the window's program to end. False only when
  // such a window was there and its program had not ended in that time.
  virtual bool PostQuitTo(const std::string& windowClass, const std::string& title,
                          unsigned waitMs) = 0;
};

// Device installation through the Setup API. Results are system error codes.
class DeviceSetup {
 public:
  virtual ~DeviceSetup() = default;
  // The set of present devices of all classes, walked by index.
  virtual long OpenPresentDevices() = 0;
  // Hardware IDs of the device at index as a list of strings;
  // kErrorNoMoreItems after the last device, kErrorInvalidData for a device
  // without the property.
  virtual long ReadHardwareIds(std::uint32_t index, std::string* idList) = 0;
  virtual void ClosePresentDevices() = 0;
  // The INF's class, a new device list of that class and a new device in it.
  virtual long BeginRootDevice(const std::string& infPath) = 0;
  virtual long SetHardwareId(const std::string& hardwareId) = 0;
  virtual long RegisterDevice() = 0;
  virtual long RemoveDevice() = 0;
  // Releases whatever BeginRootDevice made; safe after any failure.
  virtual void EndRootDevice() = 0;
  // Forced driver update of every device with the ID from the INF.
  virtual long UpdateDriver(const std::string& hardwareId,
                            const std::string& infPath) = 0;
};

class Power {
 public:
  virtual ~Power() = default;
  // True only when the process token now holds the shutdown privilege.
  virtual bool EnableShutdownPrivilege() = 0;
  virtual bool EndSession(unsigned flags) = 0;
};

// The log file "c:\sweepall.log".
class LogFile {
 public:
  virtual ~LogFile() = default;
  // Opens it for reading and writing, not shared, creating it if missing,
  // positioned at its start and emptied.
  virtual bool Open() = 0;
  virtual void Write(const std::string& bytes) = 0;
  virtual void Close() = 0;
};

// What the logic needs of the dialog window and its message boxes.
class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetGroupCaption(const std::string& text) = 0;
  virtual void AddStatusLine(const std::string& text) = 0;
  // Ticks "Remove Files", "Update Registry Key" and "Update Registry Value".
  virtual void TickTaskBoxes() = 0;
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
  virtual void BringToFront() = 0;
  virtual void Close(int result) = 0;
  // The platform's own question texts.
  virtual std::string UninstallQuestion() = 0;
  virtual std::string RestartQuestion() = 0;
};

// What running from a temporary copy needs: a program can't delete its own
// file, so the uninstaller of a program folder runs from a copy elsewhere.
class ProgramCopy {
 public:
  virtual ~ProgramCopy() = default;
  // Full path of this program's file.
  virtual std::string ProgramPath() = 0;
  // The temporary folder, without a trailing backslash.
  virtual std::string TempDirectory() = 0;
  virtual std::uint32_t ProcessId() = 0;
  // Copies this program's file to a new .exe name in the temporary
  // folder; false when no copy was made.
  virtual bool CopyToTemp(std::string* copyPath) = 0;
  // Starts the program file with a command line (its own quoted path
  // first) in the given working folder.
  virtual bool Start(const std::string& path, const std::string& commandLine,
                     const std::string& workingFolder) = 0;
  // True when the process has ended (or is gone) within the time.
  virtual bool WaitForEnd(std::uint32_t processId, unsigned milliseconds) = 0;
};

// Everything one dialog works with.
struct Platform {
  Registry& registry;
  FileSystem& files;
  SystemInfo& system;
  Programs& programs;
  DeviceSetup& devices;
  Power& power;
  LogFile& log;
  DialogView& view;
};

}  // namespace sweepall
