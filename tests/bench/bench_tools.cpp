// bench_tools.exe: the minimal programs and the probes that scripts/bench.sh
// holds Keydeck against. Each mode does one job the simplest way Win32 has.
//
//   bench_tools --clock                 print QueryPerformanceCounter in 100 ns
//                                       units (Wine's is the host's raw
//                                       monotonic clock: bench.sh checks that)
//   bench_tools --target LOG            a focused window "KdBenchTarget"; each
//                                       WM_VSCROLL and WM_KEYDOWN appends
//                                       "vscroll T" or "key VK T" (T as --clock)
//   bench_tools --hook pass             a low-level keyboard hook that passes
//                                       every key, until its window
//                                       "KdBenchHook" is closed
//   bench_tools --hook post VK          the same, but a press of VK posts
//                                       WM_VSCROLL SB_LINEUP to the foreground
//                                       window itself and is taken
//   bench_tools --hook relay VK         the same with the hook on a thread of its
//                                       own that posts the press to the main
//                                       thread's window, which posts WM_VSCROLL:
//                                       the one hop more that Keydeck's design has
//   bench_tools --start N EXE CLASS TITLE [SETTLE [ALSO]]
//                                       start EXE N times; each time print the
//                                       ms until a top-level window CLASS/TITLE
//                                       exists (and, given ALSO, a window of
//                                       class ALSO of the same process too),
//                                       the ms until it answers a sent message
//                                       (its thread is in its message loop), and
//                                       its private bytes SETTLE ms later (0);
//                                       ends it with WM_QUIT to that window
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT kWmVScroll = WM_VSCROLL;

LONGLONG Clock100ns() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  // Split so that the product cannot overflow.
  const LONGLONG f = frequency.QuadPart;
  return counter.QuadPart / f * 10000000LL + counter.QuadPart % f * 10000000LL / f;
}

FILE* g_log = nullptr;

LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_VSCROLL: {
      const LONGLONG t = Clock100ns();
      std::fprintf(g_log, "vscroll %lld\n", t);
      std::fflush(g_log);
      return 0;
    }
    case WM_KEYDOWN: {
      const LONGLONG t = Clock100ns();
      std::fprintf(g_log, "key %u %lld\n", static_cast<unsigned>(w), t);
      std::fflush(g_log);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(wnd, msg, w, l);
}

HWND MakeWindow(const char* cls, WNDPROC proc, DWORD style, int x, int y, int w, int h) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!RegisterClassA(&wc)) return nullptr;
  return CreateWindowExA(0, cls, cls, style, x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
}

int Loop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

int Target(const char* logPath) {
  g_log = std::fopen(logPath, "ab");
  if (!g_log) return 1;
  HWND w = MakeWindow("KdBenchTarget", TargetProc, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 400, 300);
  if (!w) return 1;
  SetForegroundWindow(w);
  SetFocus(w);
  const int rc = Loop();
  std::fclose(g_log);
  return rc;
}

DWORD g_postKey = 0;  // 0: pass every key
HWND g_relayTo = nullptr;  // set: the press goes there first
constexpr UINT kWmRelayedKey = WM_APP + 2;

LRESULT CALLBACK MinimalHook(int code, WPARAM w, LPARAM l) {
  if (code == HC_ACTION && g_postKey != 0) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(l);
    if (k->vkCode == g_postKey && !(k->flags & LLKHF_INJECTED)) {
      if (!(k->flags & LLKHF_UP)) {
        if (g_relayTo) {
          PostMessageA(g_relayTo, kWmRelayedKey, 0, 0);
        } else if (HWND fg = GetForegroundWindow()) {
          PostMessageA(fg, kWmVScroll, SB_LINEUP, 0);
        }
      }
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, w, l);
}

LRESULT CALLBACK HookWindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kWmRelayedKey) {
    if (HWND fg = GetForegroundWindow()) PostMessageA(fg, kWmVScroll, SB_LINEUP, 0);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(wnd, msg, w, l);
}

DWORD WINAPI HookThread(LPVOID ready) {
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, MinimalHook, GetModuleHandleA(nullptr), 0);
  SetEvent(static_cast<HANDLE>(ready));
  if (!hook) return 1;
  Loop();
  UnhookWindowsHookEx(hook);
  return 0;
}

int Hook(DWORD postKey, bool relay) {
  g_postKey = postKey;
  HWND w = MakeWindow("KdBenchHook", HookWindowProc, WS_POPUP, 0, 0, 1, 1);
  if (!w) return 1;
  if (relay) {
    g_relayTo = w;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, HookThread, ready, 0, &id);
    if (!thread) return 1;
    WaitForSingleObject(ready, 10000);
    const int rc = Loop();
    PostThreadMessageA(id, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 5000);
    return rc;
  }
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, MinimalHook, GetModuleHandleA(nullptr), 0);
  if (!hook) return 1;
  const int rc = Loop();
  UnhookWindowsHookEx(hook);
  return rc;
}

// Whether the process has a top-level window of class `cls`.
bool HasWindowOf(DWORD process, const char* cls) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process) return true;
  }
  return false;
}

int Start(int count, const char* exe, const char* cls, const char* title, DWORD settleMs, const char* also) {
  std::string folder = exe;
  const size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? "." : folder.substr(0, slash);
  for (int i = 0; i < count; ++i) {
    if (FindWindowA(cls, title)) {
      std::printf("start: a window %s is already there\n", cls);
      return 1;
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = std::string("\"") + exe + "\"";
    const LONGLONG started = Clock100ns();
    if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
      std::printf("start: cannot start %s (%lu)\n", exe, GetLastError());
      return 1;
    }
    HWND w = nullptr;
    DWORD_PTR answer = 0;
    LONGLONG exists = 0;
    const DWORD limit = GetTickCount() + 20000;
    while (static_cast<LONG>(limit - GetTickCount()) > 0) {
      w = FindWindowA(cls, title);
      if (w && !exists && (!also || HasWindowOf(pi.dwProcessId, also))) exists = Clock100ns();
      // Only once both exist: the message loop may come before ALSO's window.
      if (w && exists && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &answer)) break;
      w = nullptr;
      Sleep(1);
    }
    const LONGLONG ready = Clock100ns();
    if (!w) {
      std::printf("start: no window %s within 20 s\n", cls);
      TerminateProcess(pi.hProcess, 1);
      return 1;
    }
    Sleep(settleMs);
    PROCESS_MEMORY_COUNTERS_EX mem = {};
    mem.cb = sizeof mem;
    GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem);
    std::printf("exists %.3f ms ready %.3f ms private %lu working %lu\n",
                static_cast<double>(exists - started) / 10000.0, static_cast<double>(ready - started) / 10000.0,
                static_cast<unsigned long>(mem.PrivateUsage), static_cast<unsigned long>(mem.WorkingSetSize));
    std::fflush(stdout);
    PostMessageA(w, WM_QUIT, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--clock") == 0) {
    std::printf("%lld\n", Clock100ns());
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "--target") == 0) return Target(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "--hook") == 0) {
    const bool relay = std::strcmp(argv[2], "relay") == 0;
    const bool post = relay || std::strcmp(argv[2], "post") == 0;
    return Hook(post && argc >= 4 ? std::strtoul(argv[3], nullptr, 0) : 0, relay);
  }
  if (argc >= 6 && std::strcmp(argv[1], "--start") == 0) {
    return Start(std::atoi(argv[2]), argv[3], argv[4], argv[5], argc >= 7 ? std::strtoul(argv[6], nullptr, 0) : 0,
                 argc >= 8 ? argv[7] : nullptr);
  }
  std::printf("usage: see the head of bench_tools.cpp\n");
  return 2;
}
