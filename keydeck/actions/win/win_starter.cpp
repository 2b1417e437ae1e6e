#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "common/win/scoped.h"
#include "keydeck/actions/win/win_services.h"

namespace kd {

uint32_t WinProgramStarter::WinExec(const std::string& commandLine, int show) {
  return ::WinExec(commandLine.c_str(), static_cast<UINT>(show));
}

uint32_t WinProgramStarter::ShellExecuteOpen(const std::string& target) {
  const HINSTANCE result =
      ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(result));
}

bool WinProgramStarter::StartProcess(const std::string& program, const std::string& arguments) {
  // CreateProcessA may write into the command line.
  std::vector<char> commandLine(arguments.begin(), arguments.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return false;
  common::ScopedHandle thread(process.hThread);
  common::ScopedHandle handle(process.hProcess);
  return true;
}

bool WinProgramStarter::FileExists(const std::string& path) {
  // A removable drive without a disc (the help file's fixed place is on
  // D:) would otherwise ask the user with a system box, on the GUI thread.
  const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  WIN32_FIND_DATAA found;
  common::ScopedFind find(FindFirstFileA(path.c_str(), &found));
  SetErrorMode(errorMode);
  return find.valid();
}

void WinProgramStarter::OpenHelpContents(const std::string& helpFile) {
  WinHelpA(owner_, helpFile.c_str(), HELP_CONTENTS, 0);
}

}  // namespace kd
