// Win32 implementations of the uninstaller's system interfaces.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>

#include "sweepall/platform.h"

namespace sweepall::win {

class Win32Registry : public Registry {
 public:
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
};

class Win32FileSystem : public FileSystem {
 public:
  bool ReadWhole(const std::string& path, std::size_t limit, std::string* bytes) override;
  PathKind Probe(const std::string& path) override;
  bool AnyMatch(const std::string& pattern) override;
  bool ClearAttributes(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool DeleteAtRestart(const std::string& path) override;
  std::string ShortPath(const std::string& path) override;
  bool WriteWhole(const std::string& path, const std::string& bytes) override;
};

class Win32SystemInfo : public SystemInfo {
 public:
  bool IsNtFamily() override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::string CurrentDirectory() override;
};

class Win32Programs : public Programs {
 public:
  unsigned Start(const std::string& commandLine) override;
  void Pause(unsigned milliseconds) override;
  bool PostQuitTo(const std::string& windowClass, const std::string& title,
                  unsigned waitMs) override;
};

class Win32DeviceSetup : public DeviceSetup {
 public:
  Win32DeviceSetup() = default;
  ~Win32DeviceSetup() override;
  Win32DeviceSetup(const Win32DeviceSetup&) = delete;
  Win32DeviceSetup& operator=(const Win32DeviceSetup&) = delete;

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
  HDEVINFO present_ = INVALID_HANDLE_VALUE;
  HDEVINFO rootList_ = INVALID_HANDLE_VALUE;
  // Valid only after SetupDiCreateDeviceInfoA succeeded: Wine's setupapi
  // crashes on a device record left over from a failed creation.
  bool haveDevice_ = false;
  SP_DEVINFO_DATA device_{};
};

class Win32Power : public Power {
 public:
  bool EnableShutdownPrivilege() override;
  bool EndSession(unsigned flags) override;
};

class Win32LogFile : public LogFile {
 public:
  explicit Win32LogFile(std::string path = "c:\\sweepall.log") : path_(std::move(path)) {}
  ~Win32LogFile() override { Close(); }
  Win32LogFile(const Win32LogFile&) = delete;
  Win32LogFile& operator=(const Win32LogFile&) = delete;

  bool Open() override;
  void Write(const std::string& bytes) override;
  void Close() override;

 private:
  std::string path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

class Win32ProgramCopy : public ProgramCopy {
 public:
  std::string ProgramPath() override;
  std::string TempDirectory() override;
  std::uint32_t ProcessId() override;
  bool CopyToTemp(std::string* copyPath) override;
  bool Start(const std::string& path, const std::string& commandLine,
             const std::string& workingFolder) override;
  bool WaitForEnd(std::uint32_t processId, unsigned milliseconds) override;
};

// Text of a string-table entry of shell32.dll; empty when it has none.
std::string ShellString(unsigned id);

// The restart question from its shell format: both inserts a single blank.
std::string FormatRestartQuestion(const std::string& format);

}  // namespace sweepall::win
