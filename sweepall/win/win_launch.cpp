// Running from a temporary copy: the copy, its start, the wait for the
// original and the deletion of the copy at the next start of Windows.
#include "common/text.h"
#include "common/win/scoped.h"
#include "sweepall/win/win_platform.h"

namespace sweepall::win {

std::string Win32ProgramCopy::ProgramPath() {
  char buf[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : common::FromBuffer(buf, sizeof buf);
}

std::string Win32ProgramCopy::TempDirectory() {
  char buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(MAX_PATH, buf);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string folder = common::FromBuffer(buf, sizeof buf);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::uint32_t Win32ProgramCopy::ProcessId() { return GetCurrentProcessId(); }

bool Win32ProgramCopy::CopyToTemp(std::string* copyPath) {
  const std::string self = ProgramPath();
  const std::string folder = TempDirectory();
  if (self.empty() || folder.empty()) return false;
  // GetTempFileName reserves a unique name; the copy takes the same name
  // with .exe, which every Windows version starts.
  char reserved[MAX_PATH + 1] = {};
  if (GetTempFileNameA(folder.c_str(), "swp", 0, reserved) == 0) return false;
  std::string name = common::FromBuffer(reserved, sizeof reserved);
  DeleteFileA(name.c_str());
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  name.replace(dot, std::string::npos, ".exe");
  if (!CopyFileA(self.c_str(), name.c_str(), TRUE)) return false;
  *copyPath = name;
  return true;
}

bool Win32ProgramCopy::Start(const std::string& path, const std::string& commandLine,
                             const std::string& workingFolder) {
  std::string line = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Win32ProgramCopy::WaitForEnd(std::uint32_t processId, unsigned milliseconds) {
  common::ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process) return true;  // already gone
  return WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace sweepall::win
