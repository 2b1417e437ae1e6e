// Started by the action tests: leaves "<own path>.ran" holding the command
// line it was given, so a test can see that (and how) it was started.
// With "/window CLASS" it then keeps a top-level window of that class open
// (the running program a function code must find) until it is closed.
#include <windows.h>

namespace {

bool WriteMarker() {
  char path[MAX_PATH + 8] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  lstrcatA(path, ".ran");
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  CloseHandle(file);
  return true;
}

LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

int KeepWindowOpen(const char* className) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  if (!RegisterClassA(&wc)) return 3;
  if (!CreateWindowExA(0, className, className, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                       nullptr, wc.hInstance, nullptr))
    return 4;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR args, int) {
  if (!WriteMarker()) return 1;
  const char kWindow[] = "/window ";
  if (CompareStringA(LOCALE_INVARIANT, 0, args, sizeof(kWindow) - 1, kWindow,
                     sizeof(kWindow) - 1) == CSTR_EQUAL)
    return KeepWindowOpen(args + sizeof(kWindow) - 1);
  return 0;
}
