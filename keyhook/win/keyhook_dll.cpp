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

#include "keyhook/hook_watchdog.h"
#include "keyhook/key_table.h"

namespace {

constexpr char kWatchClass[] = "KeyhookResumeWatch";
constexpr DWORD kStopWaitMs = 5000;
constexpr UINT_PTR kWatchdogTimer = 1;
// A lock key the hook could not look at, or whose press it missed: the
// hook thread takes the system's lock state once the key has reached it.
constexpr UINT kResyncLocksMessage = WM_APP + 1;
constexpr UINT_PTR kResyncTimer = 2;
constexpr UINT kResyncDelayMs = 300;
// The classic hook's lock across processes; a key whose procedure cannot
// have it in this time passes to the system unreported rather than stall
// the keyboard.
constexpr char kSharedLockName[] = "KeyhookSharedSectionLock";
constexpr DWORD kSharedLockWaitMs = 200;

HINSTANCE g_module = nullptr;
std::atomic<HWND> g_target{nullptr};

// Owned by the caller's thread (Load/UnLoad are called from one thread).
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;

// The hook of the current hook thread. A hook thread that outlived
// StopHookThread's wait still has a hook of its own: it removes only that
// one, and leaves this alone once a successor has set it.
std::atomic<HHOOK> g_hook{nullptr};
std::atomic<DWORD> g_hookThread{0};

// Owned by the hook thread.
keyhook::ExtraKeyFilter g_filter;
keyhook::LockTracker g_locks;
keyhook::HookWatchdog g_watchdog;
using LastInputFn = BOOL(WINAPI*)(PLASTINPUTINFO);
LastInputFn g_lastInput = nullptr;  // Windows 2000 and later

// Written by the hook thread, read by GetNUMLock on any thread.
std::atomic<int> g_lockBits{0};
std::atomic<bool> g_hookRunning{false};

// Shared by every process that loads the DLL (the classic hook's procedure
// runs in them): initialized, so that it lands in the section, and constant-
// initialized, so that no process loading the DLL resets it.
#define KEYHOOK_SHARED __attribute__((section(".shared"), shared))
KEYHOOK_SHARED HWND g_sharedTarget = nullptr;
KEYHOOK_SHARED HHOOK g_sharedHook = nullptr;
KEYHOOK_SHARED DWORD g_sharedHookThread = 0;
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
  // A hook of a thread that outlived its stop stays quiet: the current
  // thread's hook reports the key.
  if (code == HC_ACTION && g_hookThread.load() == GetCurrentThreadId()) {
    g_watchdog.HookCalled(GetTickCount());
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    keyhook::KeyEvent e;
    e.VirtualKey = k->vkCode;
    e.ScanCode = k->scanCode;
    e.Up = (k->flags & LLKHF_UP) != 0;
    e.Injected = (k->flags & LLKHF_INJECTED) != 0;
    e.TimeMs = k->time;
    const int locksBefore = g_locks.Bits();
    // Unsure after a lock key it half missed: the system's state, once the
    // key has reached it.
    if (!g_locks.OnKey(e)) PostThreadMessageA(GetCurrentThreadId(), kResyncLocksMessage, 0, 0);
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
  return CallNextHookEx(g_hook.load(), code, wParam, lParam);
}

// Serializes the classic hook's procedure across processes. Keys reach one
// thread at a time, but a focus change may hand the next key to another
// process before the previous one is done. A named mutex, so that a process
// that dies holding it does not stall every other: its abandoned mutex
// passes to the next waiter, and the state it guards is a few counters
// that any key leaves consistent again.
class SharedLock {
 public:
  SharedLock() {
    // One handle per process, opened on first use and kept: the procedure
    // runs in every process that gets a key.
    // Without a mutex (the name taken by another kind of object) keys are
    // still reported, unguarded, rather than all lost.
    static HANDLE mutex = CreateMutexA(nullptr, FALSE, kSharedLockName);
    if (!mutex) {
      usable_ = true;
      return;
    }
    const DWORD r = WaitForSingleObject(mutex, kSharedLockWaitMs);
    if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) held_ = mutex;
    usable_ = held_ != nullptr;
  }
  ~SharedLock() {
    if (held_) ReleaseMutex(held_);
  }
  SharedLock(const SharedLock&) = delete;
  SharedLock& operator=(const SharedLock&) = delete;
  // Whether the shared state may be touched.
  bool Held() const { return usable_; }

 private:
  HANDLE held_ = nullptr;
  bool usable_ = false;
};

LRESULT CALLBACK ClassicKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = g_sharedHook;
  if (code == HC_ACTION) {
    const keyhook::KeyEvent e = keyhook::ClassicHookEvent(
        static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), GetTickCount());
    keyhook::HookDecision d;
    int locksBefore = 0, locksAfter = 0;
    {
      SharedLock lock;
      // Without the lock the key goes on unreported; a lock key among such
      // keys leaves the followed state unsure.
      if (!lock.Held()) {
        if (keyhook::IsLockKeyPress(e)) PostThreadMessageA(g_sharedHookThread, kResyncLocksMessage, 0, 0);
        return CallNextHookEx(hook, code, wParam, lParam);
      }
      locksBefore = g_sharedLocks.Bits();
      if (!g_sharedLocks.OnKey(e)) PostThreadMessageA(g_sharedHookThread, kResyncLocksMessage, 0, 0);
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

// Installs a fresh hook before removing the old one, so no key falls
// between. `mine` is the calling hook thread's own hook. The held keys are
// forgotten unless the hook is only put back: a launch key held through a
// watchdog's reinstall must not fire again on its next auto-repeat (a key-up
// that the removed hook missed is covered by the filter's repeat gap).
bool InstallHook(HHOOK& mine, bool keepHeldKeys = false) {
  HHOOK fresh = g_classic
                    ? SetWindowsHookExA(WH_KEYBOARD, ClassicKeyboardProc, g_module, 0)
                    : SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, g_module, 0);
  if (!fresh) return false;
  if (g_classic) {
    SharedLock lock;
    if (!keepHeldKeys) g_sharedFilter.Reset();
    g_sharedHook = fresh;
  } else if (!keepHeldKeys) {
    g_filter.Reset();
  }
  g_hook.store(fresh);
  HHOOK old = mine;
  mine = fresh;
  if (old) UnhookWindowsHookEx(old);
  return true;
}

// The lock state as this thread's input state has it. Measured under
// Wine: on a thread that already has its message queue it follows the lock
// keys pressed anywhere, while a thread made later starts from nothing; so
// the hook thread reads it for itself.
int SystemLockBits() {
  return keyhook::LockBits((GetKeyState(VK_SCROLL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                           (GetKeyState(VK_CAPITAL) & 1) != 0);
}

// On the hook thread, when the hook cannot be sure of the lock state (it
// was put back, the machine slept, a lock key went by unseen): the
// system's state replaces the followed one, and the lamps hear of a change.
// False when the classic hook's lock could not be had: try again later.
bool ResyncLocks() {
  const int system = SystemLockBits();
  int before = 0, after = 0;
  if (g_classic) {
    SharedLock lock;
    if (!lock.Held()) return false;
    before = g_sharedLocks.Bits();
    g_sharedLocks.Resync(system);
    after = g_sharedLocks.Bits();
    InterlockedExchange(&g_sharedLockBits, after);
  } else {
    before = g_locks.Bits();
    g_locks.Resync(system);
    after = g_locks.Bits();
    g_lockBits.store(after);
  }
  ReportLockChange(g_target.load(), before, after);
  return true;
}

bool SampleInput(keyhook::InputSample& sample) {
  LASTINPUTINFO last = {};
  last.cbSize = sizeof last;
  if (!g_lastInput || !g_lastInput(&last)) return false;
  sample.NowMs = GetTickCount();
  sample.LastInputMs = last.dwTime;
  POINT cursor = {g_watchdog.CursorX(), g_watchdog.CursorY()};
  if (g_watchdog.NeedsCursor(last.dwTime) && !GetCursorPos(&cursor)) return false;
  sample.CursorX = cursor.x;
  sample.CursorY = cursor.y;
  return true;
}

// The low-level hook's watchdog: a slow timer on the hook thread (see
// hook_watchdog.h). The classic hook is never removed by the system.
void StartWatchdog(HWND watch) {
  keyhook::InputSample sample;
  if (g_classic || !watch || !SampleInput(sample)) return;
  g_watchdog.Installed(sample);
  SetTimer(watch, kWatchdogTimer, keyhook::HookWatchdog::kPeriodMs, nullptr);
}

void OnWatchdogTimer(HHOOK& mine) {
  keyhook::InputSample sample;
  if (!SampleInput(sample)) return;
  if (!g_watchdog.Tick(sample) || !InstallHook(mine, true)) return;
  g_watchdog.Installed(sample);
  // The keys the hook missed may have been lock keys.
  ResyncLocks();
}

// The hook thread's own hook, which the watch window keeps for it; null
// once the thread is no longer the current hook thread.
HHOOK* ThreadHook(HWND watch) {
  if (g_hookThread.load() != GetCurrentThreadId()) return nullptr;
  return reinterpret_cast<HHOOK*>(GetWindowLongPtrA(watch, GWLP_USERDATA));
}

// Windows may have dropped the hook while the machine slept; put it back.
LRESULT CALLBACK WatchProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_POWERBROADCAST &&
      (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)) {
    if (HHOOK* mine = ThreadHook(wnd)) {
      InstallHook(*mine);
      // Lock keys pressed on the way back (a log-on box) reached no hook.
      if (!ResyncLocks()) SetTimer(wnd, kResyncTimer, kResyncDelayMs, nullptr);
    }
    return TRUE;
  }
  if (msg == WM_TIMER && wParam == kWatchdogTimer) {
    if (HHOOK* mine = ThreadHook(wnd)) OnWatchdogTimer(*mine);
    return 0;
  }
  if (msg == WM_TIMER && wParam == kResyncTimer) {
    // Ticks on while the classic hook's lock is held elsewhere.
    if (!ThreadHook(wnd) || ResyncLocks()) KillTimer(wnd, kResyncTimer);
    return 0;
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
  g_hookThread.store(GetCurrentThreadId());
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make the queue for WM_QUIT
  if (g_classic) {
    SharedLock lock;
    g_sharedLocks.Seed(start->LockBits);
    InterlockedExchange(&g_sharedLockBits, g_sharedLocks.Bits());
  } else {
    g_locks.Seed(start->LockBits);
    g_lockBits.store(g_locks.Bits());
  }
  HHOOK mine = nullptr;
  start->Installed = InstallHook(mine) ? TRUE : FALSE;
  g_hookRunning.store(start->Installed != FALSE);
  const BOOL installed = start->Installed;
  SetEvent(start->Ready);  // `start` belongs to the caller from here on
  // The watch window only after the caller goes on: a thread's first window
  // costs tens of milliseconds under Wine, and the hook needs none.
  HWND watch = nullptr;
  if (installed) {
    watch = CreateWatchWindow();
    if (watch) SetWindowLongPtrA(watch, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&mine));
    StartWatchdog(watch);
    if (g_classic) InterlockedExchange(reinterpret_cast<LONG*>(&g_sharedHookThread), GetCurrentThreadId());
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      // A missed lock key: the resync waits until the key has reached the
      // system's state (after the hooks, which this one may still be in).
      if (msg.message == kResyncLocksMessage && msg.hwnd == nullptr) {
        if (watch) SetTimer(watch, kResyncTimer, kResyncDelayMs, nullptr);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // Late (this thread outlived StopHookThread's wait): a successor may
    // run by now, and its state is left alone.
    HHOOK expected = mine;
    if (g_hook.compare_exchange_strong(expected, nullptr)) {
      g_hookRunning.store(false);
      if (g_classic) InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&g_sharedHook),
                                                       nullptr, mine);
    }
    UnhookWindowsHookEx(mine);
  }
  DWORD self = GetCurrentThreadId();
  g_hookThread.compare_exchange_strong(self, 0);
  if (g_classic)
    InterlockedCompareExchange(reinterpret_cast<LONG*>(&g_sharedHookThread), 0, static_cast<LONG>(self));
  if (watch) {
    SetWindowLongPtrA(watch, GWLP_USERDATA, 0);
    DestroyWindow(watch);
  }
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

// The filter that decides: the classic hook's is shared by every process.
static keyhook::ExtraKeyFilter& ActiveFilter() { return g_classic ? g_sharedFilter : g_filter; }

KEYHOOK_API BOOL WINAPI SetActingKeys(const BYTE* acting) {
  // The set is read word by word as the hook runs; no lock needed.
  ActiveFilter().SetActingCodes(acting);
  return TRUE;
}

KEYHOOK_API void WINAPI AnnounceOwnKey(UINT virtualKey, BOOL up) {
  // The low-level hook tells Keydeck's keys by their injected flag.
  if (!g_classic) return;
  SharedLock lock;
  g_sharedFilter.ExpectOwnKey(static_cast<uint8_t>(virtualKey & 0xFF), up != FALSE, GetTickCount());
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    g_classic = keyhook::UsesClassicHook(GetVersion());
    g_lastInput = reinterpret_cast<LastInputFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetLastInputInfo")));
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
