// keyhook.dll under Wine: keys pressed on the virtual display with xdotool
// (started from here; Wine runs Unix programs through CreateProcess) reach
// the hook, which posts 0x500 to a window this test owns.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "keyhook/hook_watchdog.h"
#include "keyhook/key_table.h"
#include "keyhook/keyhook.h"

namespace {

constexpr UINT kHotkey = 0x500;
constexpr WPARAM kMailCode = 0x6C;
constexpr WPARAM kFenceCode = 0x6D;  // XF86AudioMedia: the Media Select key
constexpr WPARAM kVolumeUpCode = 0x30;

struct Seen {
  HWND Window;
  UINT Msg;
  WPARAM W;
  LPARAM L;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK RecordProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kHotkey || msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) g_seen.push_back({wnd, msg, w, l});
  // What a lamp refresh would read when the lock post arrives.
  if (msg == KEYHOOK_WM_LOCKS) g_seen.push_back({wnd, msg, w, GetNUMLock()});
  return DefWindowProcA(wnd, msg, w, l);
}

HWND MakeWindow(bool visible) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KeyhookTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  HWND w = CreateWindowExA(0, "KeyhookTestWindow", "keyhook test", WS_OVERLAPPEDWINDOW, 10, 10, 300,
                           200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (visible && w) {
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    SetFocus(w);
  }
  return w;
}

// Starts xdotool; Wine gives no waitable handle for a Unix process, so the
// tests wait for the messages the keys cause instead.
bool Xdo(const std::string& args) {
  std::string cmd = "/usr/bin/xdotool " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

template <typename Pred>
bool PumpUntil(Pred pred, DWORD ms = 5000) {
  const DWORD end = GetTickCount() + ms;
  while (!pred()) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return false;
    Pump(50);
  }
  return true;
}

// The lock posts so far, as the lock state read when each arrived.
std::vector<int> LockPosts() {
  std::vector<int> bits;
  for (const Seen& s : g_seen)
    if (s.Msg == KEYHOOK_WM_LOCKS) bits.push_back(static_cast<int>(s.L));
  return bits;
}

int CountHotkeys(WPARAM code) {
  int n = 0;
  for (const Seen& s : g_seen) n += (s.Msg == kHotkey && s.W == code) ? 1 : 0;
  return n;
}

bool SawKeyDown(WPARAM vk) {
  for (const Seen& s : g_seen) {
    if ((s.Msg == WM_KEYDOWN || s.Msg == WM_SYSKEYDOWN) && s.W == vk) return true;
  }
  return false;
}

std::string Describe() {
  std::string out;
  char line[80];
  for (const Seen& s : g_seen) {
    snprintf(line, sizeof line, "  msg 0x%X w 0x%X l 0x%lX\n", s.Msg, static_cast<unsigned>(s.W),
             static_cast<unsigned long>(s.L));
    out += line;
  }
  return out.empty() ? "  (nothing)\n" : out;
}

class KeyhookTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Xdo("mousemove 500 400");
    Sleep(300);
  }

  void SetUp() override {
    g_seen.clear();
    window_ = MakeWindow(true);
    ASSERT_NE(window_, nullptr);
    Pump(200);
    ASSERT_TRUE(LoadHookProcedure(window_));
  }

  void TearDown() override {
    SetActingKeys(nullptr);
    UnLoadHookProcedure();
    DestroyWindow(window_);
    Pump(50);
  }

  // Presses the Media Select key and waits for its report: everything the
  // X server had before it has then reached the hook.
  bool Fence() {
    const int before = CountHotkeys(kFenceCode);
    if (!Xdo("key XF86AudioMedia")) return false;
    return PumpUntil([&] { return CountHotkeys(kFenceCode) > before; });
  }

  HWND window_ = nullptr;
};

TEST_F(KeyhookTest, ExtraKeyIsPostedWithItsMakeCodeAndTakenFromTheSystem) {
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) > 0; })) << Describe();
  ASSERT_TRUE(Fence()) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 1) << "press only, no release report:\n" << Describe();
  for (const Seen& s : g_seen) {
    if (s.Msg == kHotkey) {
      EXPECT_EQ(s.Window, window_);
      EXPECT_EQ(s.L, 0) << "first press";
    }
  }
  EXPECT_FALSE(SawKeyDown(VK_LAUNCH_MAIL)) << "the focused window must not see the key:\n"
                                           << Describe();
}

TEST_F(KeyhookTest, OrdinaryTypingPassesThroughUnreported) {
  ASSERT_TRUE(Xdo("key a Return"));
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_RETURN); })) << Describe();
  EXPECT_TRUE(SawKeyDown('A')) << Describe();
  ASSERT_TRUE(Fence());
  for (const Seen& s : g_seen) {
    if (s.Msg == kHotkey) {
      EXPECT_EQ(s.W, kFenceCode) << Describe();
    }
  }
}

TEST_F(KeyhookTest, HeldVolumeKeyRepeatsWithNonZeroLParam) {
  // The X server's own auto-repeat: the key is held for 1.5 s.
  ASSERT_TRUE(Xdo("keydown XF86AudioRaiseVolume sleep 1.5 keyup XF86AudioRaiseVolume"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kVolumeUpCode) >= 3; })) << Describe();
  Pump(1500);
  ASSERT_TRUE(Xdo("key XF86AudioRaiseVolume"));
  std::vector<LPARAM> params;
  ASSERT_TRUE(PumpUntil([&] {
    params.clear();
    for (const Seen& s : g_seen) {
      if (s.Msg == kHotkey && s.W == kVolumeUpCode) params.push_back(s.L);
    }
    return params.size() >= 4 && params.back() == 0;
  })) << Describe();
  EXPECT_EQ(params.front(), 0) << Describe();
  for (size_t i = 1; i + 1 < params.size(); ++i) {
    EXPECT_EQ(params[i], static_cast<LPARAM>(i)) << "repeat " << i << "\n" << Describe();
  }
  EXPECT_EQ(params.back(), 0) << "a press after the release is a first press again";
}

TEST_F(KeyhookTest, ChannelKeyIsKnownByScanCodeAndReportsItsRelease) {
  // Wine gives the Hiragana key scan code 0x62, the second channel key's.
  ASSERT_TRUE(Xdo("key Hiragana"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(0xE2) > 0; })) << Describe();
  ASSERT_GE(g_seen.size(), 2u);
  EXPECT_EQ(CountHotkeys(0x62), 1) << Describe();
  EXPECT_EQ(CountHotkeys(0xE2), 1) << Describe();
}

TEST_F(KeyhookTest, InjectedKeysGoToTheSystemUnreported) {
  if (keyhook::UsesClassicHook(GetVersion())) {
    // The classic hook sees no injected flag, and Keydeck's keybd_event
    // calls leave no mark in the extra info to tell its keys by.
    GTEST_SKIP() << "synthesized keys cannot be told apart on the 9x family";
  }
  // What Keydeck's media taps look like: keybd_event of a media key.
  keybd_event(VK_LAUNCH_MAIL, 0, KEYEVENTF_EXTENDEDKEY, 0);
  keybd_event(VK_LAUNCH_MAIL, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_LAUNCH_MAIL); })) << Describe();
  ASSERT_TRUE(Fence());
  EXPECT_EQ(CountHotkeys(kMailCode), 0) << Describe();
}

TEST_F(KeyhookTest, KeysKeydeckDoesNotActOnReachTheFocusedWindowUnreported) {
  BYTE acting[256] = {};
  acting[kMailCode] = 1;
  acting[kFenceCode] = 1;
  EXPECT_TRUE(SetActingKeys(acting));
  ASSERT_TRUE(Xdo("key XF86AudioPlay XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_MEDIA_PLAY_PAUSE); })) << Describe();
  ASSERT_TRUE(Fence()) << Describe();
  EXPECT_EQ(CountHotkeys(0x22), 0) << "play/pause is not Keydeck's\n" << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 1) << Describe();
  EXPECT_FALSE(SawKeyDown(VK_LAUNCH_MAIL)) << "mail is still taken\n" << Describe();
}

TEST_F(KeyhookTest, AnnouncedOwnKeysAreNotReportedOnEitherFamily) {
  // What Keydeck's key synthesis does for a media tap (Player 7).
  AnnounceOwnKey(VK_LAUNCH_MAIL, FALSE);
  keybd_event(VK_LAUNCH_MAIL, 0, KEYEVENTF_EXTENDEDKEY, 0);
  AnnounceOwnKey(VK_LAUNCH_MAIL, TRUE);
  keybd_event(VK_LAUNCH_MAIL, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_LAUNCH_MAIL); })) << Describe();
  ASSERT_TRUE(Fence()) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 0) << Describe();
  // A real press right after is reported again.
  ASSERT_TRUE(Xdo("key XF86Mail"));
  EXPECT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) == 1; })) << Describe();
}

TEST_F(KeyhookTest, HookKeepsPostingWhileTheCallerThreadIsBlocked) {
  // Like Keydeck's form, the target window is hidden and the keyboard is
  // elsewhere (here the desktop's; with no foreground window at all Wine
  // delivers keys to no thread). The classic hook runs on the thread that
  // gets the key, which must not be this blocked one.
  ShowWindow(window_, SW_HIDE);
  SetForegroundWindow(GetDesktopWindow());
  Pump(200);
  ASSERT_EQ(GetForegroundWindow(), GetDesktopWindow());
  ASSERT_TRUE(Xdo("key XF86Mail"));
  // Keydeck's GUI thread blocks like this in WinExec or a message box. A
  // hook on this thread would time out and lose the key.
  Sleep(2500);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window_, kHotkey, kHotkey, PM_REMOVE))
      << "no 0x500 queued while this thread slept";
  EXPECT_EQ(msg.wParam, kMailCode);
}

TEST_F(KeyhookTest, UnloadStopsReportsAndGivesTheKeysBack) {
  ASSERT_TRUE(UnLoadHookProcedure());
  EXPECT_FALSE(UnLoadHookProcedure()) << "nothing left to remove";
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_LAUNCH_MAIL); })) << Describe();
  Pump(300);
  EXPECT_EQ(CountHotkeys(kMailCode), 0) << Describe();
  ASSERT_TRUE(LoadHookProcedure(window_)) << "can be installed again";
  ASSERT_TRUE(Fence()) << Describe();
}

TEST_F(KeyhookTest, LoadingAgainRedirectsThePosts) {
  HWND second = MakeWindow(false);
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(LoadHookProcedure(second));
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) > 0; })) << Describe();
  for (const Seen& s : g_seen) {
    if (s.Msg == kHotkey) {
      EXPECT_EQ(s.Window, second);
    }
  }
  DestroyWindow(second);
}

TEST_F(KeyhookTest, KeysKeepTheirMeaningWhenTheTargetWindowIsGone) {
  HWND gone = MakeWindow(false);
  ASSERT_TRUE(LoadHookProcedure(gone));
  DestroyWindow(gone);
  SetFocus(window_);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  EXPECT_TRUE(PumpUntil([] { return SawKeyDown(VK_LAUNCH_MAIL); })) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 0) << Describe();
}

TEST_F(KeyhookTest, NoWindowMeansNoPostsAndKeysKeepTheirMeaning) {
  ASSERT_TRUE(LoadHookProcedure(nullptr));
  SetFocus(window_);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  EXPECT_TRUE(PumpUntil([] { return SawKeyDown(VK_LAUNCH_MAIL); })) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 0) << Describe();
}

TEST_F(KeyhookTest, LockBitsFollowCapsLockAndNumLock) {
  const int before = GetNUMLock();
  EXPECT_EQ(before & ~7, 0) << "only bits 0 to 2 are used, got " << before;
  ASSERT_TRUE(Xdo("key Caps_Lock"));
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_CAPITAL); })) << Describe();
  Pump(100);
  const int caps = GetNUMLock();
  EXPECT_EQ(caps ^ before, 4) << "before " << before << " after Caps Lock " << caps;
  ASSERT_TRUE(Xdo("key Num_Lock"));
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_NUMLOCK); })) << Describe();
  Pump(100);
  const int num = GetNUMLock();
  EXPECT_EQ(num ^ caps, 2) << "before " << caps << " after Num Lock " << num;
  // Each change was announced once, and the state was new when it arrived;
  // other keys announce nothing.
  ASSERT_TRUE(Xdo("key a"));
  ASSERT_TRUE(Fence());
  EXPECT_EQ(LockPosts(), (std::vector<int>{caps, num})) << Describe();
  // Leave the locks as found.
  Xdo("key Caps_Lock Num_Lock");
  PumpUntil([&] { return GetNUMLock() == before; }, 2000);
}

TEST_F(KeyhookTest, AHookThreadOutlivingItsStopLeavesTheSuccessorsHookInPlace) {
  // Hold the hook thread past UnLoadHookProcedure's wait, start a new hook,
  // then let the old thread run out.
  // The hook thread makes its window once the hook is in place.
  HWND watch = nullptr;
  PumpUntil([&] { return (watch = FindWindowA("KeyhookResumeWatch", nullptr)) != nullptr; }, 2000);
  ASSERT_NE(watch, nullptr) << "no hook thread window";
  HANDLE old = OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE,
                          GetWindowThreadProcessId(watch, nullptr));
  ASSERT_NE(old, nullptr) << "OpenThread: " << GetLastError();
  ASSERT_NE(SuspendThread(old), static_cast<DWORD>(-1));
  EXPECT_TRUE(UnLoadHookProcedure());
  EXPECT_EQ(WaitForSingleObject(old, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the old thread ended";
  ASSERT_TRUE(LoadHookProcedure(window_));
  ResumeThread(old);
  EXPECT_EQ(WaitForSingleObject(old, 5000), static_cast<DWORD>(WAIT_OBJECT_0)) << "old thread still runs";
  CloseHandle(old);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) > 0; }))
      << "the successor's hook is gone:\n" << Describe();
  ASSERT_TRUE(Fence()) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 1) << Describe();
}

// A low-level hook of this test, installed after keyhook's: it sees a key
// before keyhook's hook does, until keyhook's hook is installed afresh
// (the newest hook comes first) and takes the key before it gets here.
int g_testHookMail = 0;
LRESULT CALLBACK TestHookProc(int code, WPARAM w, LPARAM l) {
  const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(l);
  if (code == HC_ACTION && w == WM_KEYDOWN && k->vkCode == VK_LAUNCH_MAIL) ++g_testHookMail;
  return CallNextHookEx(nullptr, code, w, l);
}

TEST_F(KeyhookTest, InputTheHookDidNotSeeGetsTheHookInstalledAgain) {
  if (keyhook::UsesClassicHook(GetVersion())) {
    GTEST_SKIP() << "the classic hook is never removed by the system: no watchdog";
  }
  g_testHookMail = 0;
  HHOOK mine = SetWindowsHookExA(WH_KEYBOARD_LL, TestHookProc, GetModuleHandleA(nullptr), 0);
  ASSERT_NE(mine, nullptr);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) == 1; })) << Describe();
  EXPECT_EQ(g_testHookMail, 1) << "this test's hook should come first";
  // Wine never removes a low-level hook; input that the keyboard hook does
  // not see, with the cursor at rest, is what a removed hook looks like to
  // the watchdog: a click.
  Pump(1200);
  ASSERT_TRUE(Xdo("click 1"));
  Pump(3 * keyhook::HookWatchdog::kPeriodMs);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) == 2; })) << Describe();
  EXPECT_EQ(g_testHookMail, 1) << "keyhook's hook was not installed again";
  ASSERT_TRUE(Fence()) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 2) << "reported once each:\n" << Describe();
  UnhookWindowsHookEx(mine);
}

// The thread that runs keyhook's hook, known by its window.
HANDLE OpenHookThread() {
  HWND watch = nullptr;
  PumpUntil([&] { return (watch = FindWindowA("KeyhookResumeWatch", nullptr)) != nullptr; }, 2000);
  if (!watch) return nullptr;
  return OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, GetWindowThreadProcessId(watch, nullptr));
}

TEST_F(KeyhookTest, LockKeyTheLowLevelHookMissedIsTakenFromTheSystemOnceItIsBack) {
  if (keyhook::UsesClassicHook(GetVersion())) {
    GTEST_SKIP() << "the classic hook's missed keys: the next test";
  }
  const int before = GetNUMLock();
  HANDLE hookThread = OpenHookThread();
  ASSERT_NE(hookThread, nullptr);
  // A stalled hook thread: Wine passes the key on without the hook after
  // its timeout, as Windows does before it drops such a hook.
  ASSERT_NE(SuspendThread(hookThread), static_cast<DWORD>(-1));
  ASSERT_TRUE(Xdo("key Caps_Lock"));
  Pump(3000);
  ResumeThread(hookThread);
  CloseHandle(hookThread);
  std::printf("after the stall: GetNUMLock %d, this thread's Caps Lock %d\n", GetNUMLock(),
              GetKeyState(VK_CAPITAL) & 1);
  // The watchdog puts the hook back within two periods and takes the
  // system's state; the change is announced.
  EXPECT_TRUE(PumpUntil([&] { return !LockPosts().empty(); }, 3 * keyhook::HookWatchdog::kPeriodMs))
      << Describe();
  EXPECT_EQ(GetNUMLock() ^ before, 4) << "before " << before << " now " << GetNUMLock();
  Xdo("key Caps_Lock");
  PumpUntil([&] { return GetNUMLock() == before; }, 2000);
  EXPECT_EQ(GetNUMLock(), before) << "followed again";
}

TEST_F(KeyhookTest, LockKeyTheClassicHookCouldNotLookAtIsTakenFromTheSystem) {
  if (!keyhook::UsesClassicHook(GetVersion())) {
    GTEST_SKIP() << "only the classic hook shares its lock across processes";
  }
  // As in Keydeck: the keys go to the desktop, the hook runs there.
  ShowWindow(window_, SW_HIDE);
  SetForegroundWindow(GetDesktopWindow());
  Pump(200);
  const int before = GetNUMLock();
  HANDLE held = CreateMutexA(nullptr, FALSE, "KeyhookSharedSectionLock");
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(WaitForSingleObject(held, 2000), static_cast<DWORD>(WAIT_OBJECT_0));
  ASSERT_TRUE(Xdo("key Caps_Lock"));
  Pump(1500);
  ReleaseMutex(held);
  CloseHandle(held);
  EXPECT_TRUE(PumpUntil([&] { return !LockPosts().empty(); })) << Describe();
  EXPECT_EQ(GetNUMLock() ^ before, 4) << "before " << before << " now " << GetNUMLock();
  Xdo("key Caps_Lock");
  PumpUntil([&] { return GetNUMLock() == before; }, 2000);
  EXPECT_EQ(GetNUMLock(), before) << "followed again";
}

TEST_F(KeyhookTest, ResumeTakesTheSystemsLockState) {
  // A lock key pressed while the machine slept (or on the log-on box) reaches
  // no hook; here the hook's followed state is made wrong by a stall.
  HANDLE hookThread = OpenHookThread();
  ASSERT_NE(hookThread, nullptr);
  const int before = GetNUMLock();
  HWND watch = FindWindowA("KeyhookResumeWatch", nullptr);
  if (keyhook::UsesClassicHook(GetVersion())) {
    // The hook must run elsewhere: on this thread it would get the lock
    // this thread holds.
    ShowWindow(window_, SW_HIDE);
    SetForegroundWindow(GetDesktopWindow());
    Pump(200);
    HANDLE held = CreateMutexA(nullptr, FALSE, "KeyhookSharedSectionLock");
    ASSERT_EQ(WaitForSingleObject(held, 2000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(Xdo("key Num_Lock"));
    Pump(1500);
    ReleaseMutex(held);
    CloseHandle(held);
  } else {
    ASSERT_NE(SuspendThread(hookThread), static_cast<DWORD>(-1));
    ASSERT_TRUE(Xdo("key Num_Lock"));
    Pump(3000);
    ResumeThread(hookThread);
  }
  CloseHandle(hookThread);
  PostMessageA(watch, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  EXPECT_TRUE(PumpUntil([&] { return (GetNUMLock() ^ before) == 2; }, 1500))
      << "before " << before << " now " << GetNUMLock();
  Xdo("key Num_Lock");
  PumpUntil([&] { return GetNUMLock() == before; }, 2000);
  EXPECT_EQ(GetNUMLock(), before) << "followed again";
}

// The classic hook's cross-process lock, by the name keyhook.dll gives it.
constexpr char kSharedLockName[] = "KeyhookSharedSectionLock";

DWORD WINAPI TakeLockAndDie(LPVOID) {
  HANDLE m = CreateMutexA(nullptr, TRUE, kSharedLockName);
  return m != nullptr ? 0 : 1;  // ends holding it: the mutex is abandoned
}

struct LockHolder {
  HANDLE Mutex, Taken, Release;
};

DWORD WINAPI HoldLock(LPVOID p) {
  auto* x = static_cast<LockHolder*>(p);
  WaitForSingleObject(x->Mutex, INFINITE);
  SetEvent(x->Taken);
  WaitForSingleObject(x->Release, INFINITE);
  ReleaseMutex(x->Mutex);
  return 0;
}

TEST_F(KeyhookTest, ClassicHookLockOfADeadHolderPassesOnAndALiveHolderStallsNothing) {
  if (!keyhook::UsesClassicHook(GetVersion())) {
    GTEST_SKIP() << "only the classic hook shares its state across processes";
  }
  // A holder that died with the lock, as a process ending inside the hook
  // procedure would: the next key takes the lock and is reported.
  HANDLE t = CreateThread(nullptr, 0, TakeLockAndDie, nullptr, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(t, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(t);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  ASSERT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) == 1; })) << Describe();

  // A holder that hangs: keys go on to the system, unreported, and are
  // reported again once it lets go.
  HANDLE held = CreateMutexA(nullptr, FALSE, kSharedLockName);
  ASSERT_NE(held, nullptr);
  HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  LockHolder holder{held, taken, release};
  HANDLE h = CreateThread(nullptr, 0, HoldLock, &holder, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(taken, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  ASSERT_TRUE(Xdo("key XF86Mail"));
  EXPECT_TRUE(PumpUntil([] { return SawKeyDown(VK_LAUNCH_MAIL); })) << Describe();
  EXPECT_EQ(CountHotkeys(kMailCode), 1) << Describe();
  SetEvent(release);
  WaitForSingleObject(h, 5000);
  CloseHandle(h);
  CloseHandle(taken);
  CloseHandle(release);
  CloseHandle(held);
  ASSERT_TRUE(Xdo("key XF86Mail"));
  EXPECT_TRUE(PumpUntil([] { return CountHotkeys(kMailCode) == 2; })) << Describe();
}

DWORD WINAPI ReadLocks(LPVOID out) {
  // A thread with a message queue but no keyboard focus, like Keydeck's
  // hidden control form: its own input state never sees the lock keys.
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  *static_cast<int*>(out) = GetNUMLock();
  return 0;
}

int LocksFromAnotherThread() {
  int bits = -1;
  HANDLE t = CreateThread(nullptr, 0, ReadLocks, &bits, 0, nullptr);
  WaitForSingleObject(t, 5000);
  CloseHandle(t);
  return bits;
}

TEST_F(KeyhookTest, LockBitsAreRightForAThreadWithoutFocus) {
  const int before = LocksFromAnotherThread();
  ASSERT_TRUE(Xdo("key Caps_Lock"));
  ASSERT_TRUE(PumpUntil([] { return SawKeyDown(VK_CAPITAL); })) << Describe();
  Pump(100);
  const int after = LocksFromAnotherThread();
  EXPECT_EQ(after ^ before, 4) << "before " << before << " after Caps Lock " << after;
  Xdo("key Caps_Lock");
  PumpUntil([&] { return LocksFromAnotherThread() == before; }, 2000);
}

}  // namespace
