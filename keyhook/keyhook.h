// keyhook.dll: the keyboard hook that turns a multimedia keyboard's extra
// keys into posted 0x500 messages for Keydeck. Load-time linked; the three
// exports are undecorated stdcall names.
#pragma once

#include <windows.h>

#ifdef KEYHOOK_BUILDING_DLL
// The DLL's .def file names the exports (undecorated); dllexport here would
// add the decorated names as well.
#define KEYHOOK_API extern "C"
#else
#define KEYHOOK_API extern "C" __attribute__((dllimport))
#endif

// Message posted to the window given to LoadHookProcedure: wParam is the
// key's set-1 make code (bit 7 set for the release of a channel key), lParam
// 0 for a first press and non-zero for an auto-repeat.
#define KEYHOOK_WM_HOTKEY 0x500
// Posted to the same window after a lock key changed the lock state;
// wParam and lParam are 0, GetNUMLock gives the new state.
#define KEYHOOK_WM_LOCKS 0x501

// Starts watching the keyboard and posting to `window`. TRUE when the hook
// is installed. Calling it again only redirects the posts to the new window.
KEYHOOK_API BOOL WINAPI LoadHookProcedure(HWND window);

// Stops watching; TRUE when a hook was running. Safe to call when none runs.
KEYHOOK_API BOOL WINAPI UnLoadHookProcedure(void);

// Keyboard lock state: bit 0 Scroll Lock, bit 1 Num Lock, bit 2 Caps Lock.
KEYHOOK_API int WINAPI GetNUMLock(void);
