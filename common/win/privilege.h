// Enabling a privilege of the process token (shutdown, for standby and restart).
#pragma once

#include <windows.h>

#include "common/win/scoped.h"

namespace common {

inline bool EnableProcessPrivilege(const char* name) {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
    return false;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) return false;
  // AdjustTokenPrivileges succeeds even when the privilege was not granted;
  // only the last error tells (ERROR_NOT_ALL_ASSIGNED).
  SetLastError(ERROR_SUCCESS);
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  return GetLastError() == ERROR_SUCCESS;
}

}  // namespace common
