// A keyhook.dll that keeps the contract and nothing more: LoadHookProcedure,
// UnLoadHookProcedure and GetNUMLock, as another build of the hook may
// offer them. keydeck.exe must start and run its rows with it. A low-level
// hook on a thread of its own posts 0x500 with the make code of each extra
// key pressed (0 first press, 1 auto-repeat); it announces no lock changes
// and takes no keys from the system. Low-level hooks run under Wine in
// every Windows version it emulates, the 9x family included, which is
// where this library is used.
#include <windows.h>

#include "keyhook/key_table.h"

namespace {

HINSTANCE g_module = nullptr;
HWND g_target = nullptr;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
HHOOK g_hook = nullptr;
bool g_down[256] = {};

LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
  const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && (k->flags & LLKHF_INJECTED) == 0) {
    const uint8_t make = keyhook::MakeCodeForVirtualKey(k->vkCode);
    const bool up = (k->flags & LLKHF_UP) != 0;
    if (make != 0 && !up && g_target) PostMessageA(g_target, 0x500, make, g_down[make] ? 1 : 0);
    if (make != 0) g_down[make] = !up;
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

DWORD WINAPI HookThread(LPVOID ready) {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  g_hook = SetWindowsHookExA(WH_KEYBOARD_LL, Proc, g_module, 0);
  SetEvent(static_cast<HANDLE>(ready));
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  if (g_hook) UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  return 0;
}

}  // namespace

extern "C" BOOL WINAPI LoadHookProcedure(HWND window) {
  g_target = window;
  if (g_thread) return TRUE;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_thread = CreateThread(nullptr, 0, HookThread, ready, 0, &g_threadId);
  if (g_thread) WaitForSingleObject(ready, 5000);
  CloseHandle(ready);
  return g_hook != nullptr;
}

extern "C" BOOL WINAPI UnLoadHookProcedure(void) {
  if (!g_thread) return FALSE;
  PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_thread, 5000);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_target = nullptr;
  return TRUE;
}

// The caller's view of the lock keys.
extern "C" int WINAPI GetNUMLock(void) {
  return keyhook::LockBits((GetKeyState(VK_SCROLL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                           (GetKeyState(VK_CAPITAL) & 1) != 0);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
