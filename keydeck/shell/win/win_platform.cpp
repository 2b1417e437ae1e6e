#include "keydeck/shell/win/win_platform.h"

#include <string>

#include "common/win/scoped.h"
#include "keydeck/shell/messages.h"

namespace kd {

long WinRegistryAccess::OpenKey(HKeyRoot root, const std::string& path, uint32_t access,
                                RegHandle* key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)),
                                    path.c_str(), 0, access, &opened);
  *key = status == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(opened) : 0;
  return status;
}

long WinRegistryAccess::CreateKey(HKeyRoot root, const std::string& path, uint32_t access,
                                  RegHandle* key) {
  HKEY created = nullptr;
  const LONG status = RegCreateKeyExA(reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)),
                                      path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                      nullptr, &created, nullptr);
  *key = status == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(created) : 0;
  return status;
}

long WinRegistryAccess::CloseKey(RegHandle key) { return RegCloseKey(reinterpret_cast<HKEY>(key)); }

long WinRegistryAccess::QueryValue(RegHandle key, const char* name, uint32_t* type, uint8_t* data,
                                   uint32_t* size) {
  DWORD t = REG_NONE;
  DWORD n = *size;
  const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name, nullptr, &t, data, &n);
  if (type) *type = t;
  *size = n;
  return status;
}

long WinRegistryAccess::SetValue(RegHandle key, const char* name, uint32_t type, const uint8_t* data,
                                 uint32_t size) {
  return RegSetValueExA(reinterpret_cast<HKEY>(key), name, 0, type, data, size);
}

WindowId WinWindowSystem::FindTopLevel(const std::string& className, const std::string& title) {
  return reinterpret_cast<WindowId>(FindWindowA(className.c_str(), title.c_str()));
}

bool WinWindowSystem::Post(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return PostMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

int WinMessageBoxes::Show(const std::string& text, const char* caption, uint32_t flags) {
  return MessageBoxA(owner_, text.c_str(), caption, flags);
}

WinInstanceLock::~WinInstanceLock() {
  if (mutex_) CloseHandle(mutex_);
}

bool WinInstanceLock::Claim() {
  if (mutex_) return true;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceObjectName);
  // Without the object (its name taken by another kind of object) only the
  // window test is left; the start goes on rather than never happen.
  if (!mutex) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  mutex_ = mutex;
  return true;
}

bool WinProcessRunner::RunAndWait(const std::string& program, const std::string& arguments) {
  // CreateProcess may write into the command line, so it gets a copy.
  std::string commandLine = "\"" + program + "\"" + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  common::ScopedHandle process(info.hProcess);
  common::ScopedHandle thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  return true;
}

int WinScreenMetrics::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int WinScreenMetrics::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

bool ResourceStringTable::Load(unsigned id, std::string* text) const {
  char buf[256];
  const int n = LoadStringA(module_ ? module_ : GetModuleHandleA(nullptr), id, buf, sizeof buf);
  if (n <= 0) return false;
  text->assign(buf, static_cast<size_t>(n));
  return true;
}

std::string WindowsDirectory() {
  char buf[MAX_PATH];
  const UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return {};
  return std::string(buf, n);
}

}  // namespace kd
