// Started by the action tests: leaves "<own path>.ran" holding the command
// line it was given, so a test can see that (and how) it was started.
// With "/window CLASS" it then keeps a hidden top-level window of that class
// open (the running program a function code must find, such as a media
// player) until it is closed; with "/keys CLASS" the window is shown and
// takes the keyboard focus. Either way each WM_COMMAND, WM_SYSCOMMAND,
// WM_APPCOMMAND and WM_KEYDOWN it gets is appended to "<own path>.log" as
// "message wParam lParam" in hex, and "destroyed" when the window goes.
#include <windows.h>

#include <cstdio>

namespace {

bool OwnPath(char (&path)[MAX_PATH + 8], const char* suffix) {
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  lstrcatA(path, suffix);
  return true;
}

bool WriteMarker() {
  char path[MAX_PATH + 8] = {};
  if (!OwnPath(path, ".ran")) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  CloseHandle(file);
  return true;
}

// One line per message, written at once: the test reads the log while
// this program runs.
void LogLine(const char* text) {
  char path[MAX_PATH + 8] = {};
  if (!OwnPath(path, ".log")) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, lstrlenA(text), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND || m == WM_SYSCOMMAND || m == WM_APPCOMMAND || m == WM_KEYDOWN) {
    char line[64];
    std::snprintf(line, sizeof line, "%X %X %lX", m, static_cast<unsigned>(wp),
                  static_cast<unsigned long>(lp));
    LogLine(line);
  }
  if (m == WM_DESTROY) {
    LogLine("destroyed");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

int KeepWindowOpen(const char* arg, bool focused) {
  // A class name with blanks ("Winamp v1.x") arrives quoted.
  char className[256] = {};
  lstrcpynA(className, arg[0] == '"' ? arg + 1 : arg, sizeof className);
  const int n = lstrlenA(className);
  if (n > 0 && className[n - 1] == '"') className[n - 1] = '\0';
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  if (!RegisterClassA(&wc)) return 3;
  HWND window = CreateWindowExA(0, className, className, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return 4;
  if (focused) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

bool StartsWith(const char* args, const char* prefix) {
  const int n = lstrlenA(prefix);
  if (lstrlenA(args) < n) return false;
  return CompareStringA(LOCALE_INVARIANT, 0, args, n, prefix, n) == CSTR_EQUAL;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR args, int) {
  if (!WriteMarker()) return 1;
  if (StartsWith(args, "/window ")) return KeepWindowOpen(args + 8, false);
  if (StartsWith(args, "/keys ")) return KeepWindowOpen(args + 6, true);
  return 0;
}
