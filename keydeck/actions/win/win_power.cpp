#include "common/win/privilege.h"
#include "keydeck/actions/win/win_services.h"

namespace kd {

bool WinPowerControl::EnableShutdownPrivilege() {
  return common::EnableProcessPrivilege("SeShutdownPrivilege");
}

void WinPowerControl::SetSystemPowerState(bool suspend) {
  ::SetSystemPowerState(suspend ? TRUE : FALSE, FALSE);
}

bool WinPowerControl::ExitWindowsShutdown() { return ExitWindowsEx(EWX_SHUTDOWN, 0) != FALSE; }

uint32_t WinSystemInfo::PackedVersion() { return GetVersion(); }

uint16_t WinSystemInfo::Build9x() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return 0;
  return LOWORD(info.dwBuildNumber);
}

std::string WinSystemInfo::WindowsDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(buffer, length);
}

bool WinSystemInfo::IsLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != FALSE; }

uint16_t WinSystemInfo::UserDefaultLangId() { return GetUserDefaultLangID(); }

std::string WinSystemInfo::ProgramPath() {
  // Windows 9x and XP do not terminate a name cut at the buffer's end, so
  // a full buffer counts as failure.
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(buffer, length);
}

}  // namespace kd
