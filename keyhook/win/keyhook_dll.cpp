// keyhook.dll: a low-level keyboard hook on a thread of its own.
//
// A low-level hook is called on the thread that installed it, through that
// thread's message loop. Keydeck's GUI thread blocks at times (WinExec,
// message boxes, a 300 ms wait), and Windows silently drops a low-level hook
// that keeps the keyboard waiting past its timeout, so the hook lives on a
// thread here that does nothing but run the hook and post.
//
// The Windows 9x family has no low-level hooks. There the same thread
// installs the classic system-wide keyboard hook instead, whose procedure
// Windows calls in whichever process gets the key; everything that procedure
// needs is kept in a section that all processes loading this DLL share.
#define KEYHOOK_BUILDING_DLL
#include "keyhook/keyhook.h"

#include <atomic>

#include "keyhook/key_table.h"

namespace {

constexpr char kWatchClass[] = "KeyhookResumeWatch";
constexpr DWORD kStopWaitMs = 5000;

HINSTANCE g_module = nullptr;
std::atomic<HWND> g_target{nullptr};

// Owned by the caller's thread (Load/UnLoad are called from one thread).
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;

// Owned by the hook thread.
HHOOK g_hook = nullptr;
keyhook::ExtraKeyFilter g_filter;
keyhook::LockTracker g_locks;

// Written by the hook thread, read by GetNUMLock on any thread.
std::atomic<int> g_lockBits{0};
std::atomic<bool> g_hookRunning{false};

// Shared by every process that loads the DLL (the classic hook's procedure
// runs in them): initialized, so that it lands in the section, and constant-
// initialized, so that no process loading the DLL resets it.
#define KEYHOOK_SHARED __attribute__((section(".shared"), shared))
KEYHOOK_SHARED HWND g_sharedTarget = nullptr;
KEYHOOK_SHARED HHOOK g_sharedHook = nullptr;
KEYHOOK_SHARED LONG g_sharedBusy = 0;
KEYHOOK_SHARED LONG g_sharedLockBits = 0;
KEYHOOK_SHARED constinit keyhook::ExtraKeyFilter g_sharedFilter{};
KEYHOOK_SHARED constinit keyhook::LockTracker g_sharedLocks{};

bool g_classic = false;  // decided once per process; the same in every process

struct StartInfo {
  HANDLE Ready;
  BOOL Installed;
  int LockBits;  // the caller's view of the locks, the best start value there is
};

// Keydeck's lamps show the lock state only when told to: after a lock key
// changed it (GetNUMLock already answers with the new state), the hook asks
// for a refresh with the message a "/p" start posts.
void ReportLockChange(HWND target, int before, int after) {
  if (target && before != after) PostMessageA(target, KEYHOOK_WM_LOCKS, 0, 0);
}

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    keyhook::KeyEvent e;
    e.VirtualKey = k->vkCode;
    e.ScanCode = k->scanCode;
    e.Up = (k->flags & LLKHF_UP) != 0;
    e.Injected = (k->flags & LLKHF_INJECTED) != 0;
    e.TimeMs = k->time;
    const int locksBefore = g_locks.Bits();
    g_locks.OnKey(e);
    g_lockBits.store(g_locks.Bits());
    const keyhook::HookDecision d = g_filter.OnKey(e);
    HWND target = g_target.load();
    ReportLockChange(target, locksBefore, g_locks.Bits());
    bool delivered = false;
    if (!target) {
      // No window: a post to null would land in this thread's own queue.
    } else if (d.Post) {
      delivered = PostMessageA(target, KEYHOOK_WM_HOTKEY, d.WParam, d.LParam) != FALSE;
    } else if (d.Swallow) {
      delivered = IsWindow(target) != FALSE;
    }
    // A key is taken from the system only when Keydeck got it; with Keydeck
    // gone or its queue full the key keeps its ordinary meaning.
    if (d.Swallow && delivered) return 1;
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

// Serializes the classic hook's procedure across processes. Keys reach one
// thread at a time, but a focus change may hand the next key to another
// process before the previous one is done. InterlockedExchange is all that
// Windows 95 offers.
class SharedLock {
 public:
  SharedLock() {
    while (InterlockedExchange(&g_sharedBusy, 1) != 0) Sleep(0);
  }
  ~SharedLock() { InterlockedExchange(&g_sharedBusy, 0); }
};

LRESULT CALLBACK ClassicKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = g_sharedHook;
  if (code == HC_ACTION) {
    const keyhook::KeyEvent e = keyhook::ClassicHookEvent(
        static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), GetTickCount());
    keyhook::HookDecision d;
    int locksBefore, locksAfter;
    {
      SharedLock lock;
      locksBefore = g_sharedLocks.Bits();
      g_sharedLocks.OnKey(e);
      locksAfter = g_sharedLocks.Bits();
      InterlockedExchange(&g_sharedLockBits, locksAfter);
      d = g_sharedFilter.OnKey(e);
    }
    // Keydeck synthesizes keys with keybd_event and an extra-info value of 0,
    // which is what a real key has too: this hook has no way to tell them
    // apart, so they are reported like keys pressed.
    HWND target = g_sharedTarget;
    ReportLockChange(target, locksBefore, locksAfter);
    bool delivered = false;
    if (!target) {
      // No window: a post to null would land in this thread's own queue.
    } else if (d.Post) {
      delivered = PostMessageA(target, KEYHOOK_WM_HOTKEY, d.WParam, d.LParam) != FALSE;
    } else if (d.Swallow) {
      delivered = IsWindow(target) != FALSE;
    }
    if (d.Swallow && delivered) return 1;
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

// Installs a fresh hook before removing the old one, so no key falls between.
bool InstallHook() {
  if (g_classic) {
    HHOOK fresh = SetWindowsHookExA(WH_KEYBOARD, ClassicKeyboardProc, g_module, 0);
    if (!fresh) return false;
    HHOOK old = g_hook;
    {
      SharedLock lock;
      g_sharedFilter.Reset();
      g_sharedHook = fresh;
    }
    g_hook = fresh;
    if (old) UnhookWindowsHookEx(old);
    return true;
  }
  HHOOK fresh = SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, g_module, 0);
  if (!fresh) return false;
  HHOOK old = g_hook;
  g_hook = fresh;
  g_filter.Reset();
  if (old) UnhookWindowsHookEx(old);
  return true;
}

// Windows may have dropped the hook while the machine slept; put it back.
LRESULT CALLBACK WatchProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_POWERBROADCAST &&
      (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)) {
    InstallHook();
    return TRUE;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

HWND CreateWatchWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WatchProc;
  wc.hInstance = g_module;
  wc.lpszClassName = kWatchClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  // Top-level (not message-only): only top-level windows hear power events.
  return CreateWindowExA(0, kWatchClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         g_module, nullptr);
}

DWORD WINAPI HookThread(LPVOID param) {
  auto* start = static_cast<StartInfo*>(param);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the queue for WM_QUIT
  HWND watch = CreateWatchWindow();
  if (g_classic) {
    SharedLock lock;
    g_sharedLocks.Seed(start->LockBits);
    InterlockedExchange(&g_sharedLockBits, g_sharedLocks.Bits());
  } else {
    g_locks.Seed(start->LockBits);
    g_lockBits.store(g_locks.Bits());
  }
  start->Installed = InstallHook() ? TRUE : FALSE;
  g_hookRunning.store(start->Installed != FALSE);
  const BOOL installed = start->Installed;
  SetEvent(start->Ready);  // `start` belongs to the caller from here on
  if (installed) {
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    g_hookRunning.store(false);
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    if (g_classic) g_sharedHook = nullptr;
  }
  if (watch) DestroyWindow(watch);
  // The thread holds its own reference to the DLL so that its code stays
  // mapped until it has returned, whoever frees the library.
  FreeLibraryAndExitThread(g_module, 0);
  return 0;
}

bool StopHookThread() {
  if (!g_thread) return false;
  PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_thread, kStopWaitMs);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_threadId = 0;
  return true;
}

// The lock state as this thread's input state has it; current only for a
// thread with keyboard focus.
int SystemLockBits() {
  return keyhook::LockBits((GetKeyState(VK_SCROLL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                           (GetKeyState(VK_CAPITAL) & 1) != 0);
}

HMODULE ReferenceOwnModule() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(g_module, path, sizeof path);
  if (n == 0 || n >= sizeof path) return nullptr;
  return LoadLibraryA(path);
}

}  // namespace

KEYHOOK_API BOOL WINAPI LoadHookProcedure(HWND window) {
  g_target.store(window);
  g_sharedTarget = window;
  if (g_thread) {
    // Still running? Then only the target changed.
    if (WaitForSingleObject(g_thread, 0) == WAIT_TIMEOUT) return TRUE;
    StopHookThread();
  }
  if (!ReferenceOwnModule()) return FALSE;
  StartInfo start{CreateEventA(nullptr, TRUE, FALSE, nullptr), FALSE, SystemLockBits()};
  if (!start.Ready) {
    FreeLibrary(g_module);
    return FALSE;
  }
  g_thread = CreateThread(nullptr, 0, HookThread, &start, 0, &g_threadId);
  if (!g_thread) {
    CloseHandle(start.Ready);
    FreeLibrary(g_module);
    return FALSE;
  }
  WaitForSingleObject(start.Ready, INFINITE);
  CloseHandle(start.Ready);
  if (!start.Installed) {
    WaitForSingleObject(g_thread, kStopWaitMs);
    CloseHandle(g_thread);
    g_thread = nullptr;
    g_threadId = 0;
    return FALSE;
  }
  return TRUE;
}

KEYHOOK_API BOOL WINAPI UnLoadHookProcedure(void) {
  const bool wasRunning = StopHookThread();
  g_target.store(nullptr);
  g_sharedTarget = nullptr;
  return wasRunning ? TRUE : FALSE;
}

KEYHOOK_API int WINAPI GetNUMLock(void) {
  if (!g_hookRunning.load()) return SystemLockBits();
  return g_classic ? static_cast<int>(InterlockedExchangeAdd(&g_sharedLockBits, 0))
                   : g_lockBits.load();
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    g_classic = keyhook::UsesClassicHook(GetVersion());
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
