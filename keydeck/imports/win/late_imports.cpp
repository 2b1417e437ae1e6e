// Keydeck's start is timed from the process start until its hook is in
// place. Loading the shell, the common dialogs and controls, COM and the
// multimedia library there costs about 40 ms under Wine, and none of them is
// needed before the hook: the tray icon, the mixer and the media panel come
// after it, the rest on a user's action. So keydeck.exe imports none of
// them; every function it calls from them is bound at its first call.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include "keydeck/imports/win/late_import.h"

namespace {
constexpr HRESULT kNotBound = __HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

KD_LATE_IMPORT("shell32.dll", ShellExecuteA, 24, 0)
KD_LATE_IMPORT("shell32.dll", Shell_NotifyIconA, 8, FALSE)
KD_LATE_IMPORT("comdlg32.dll", ChooseFontA, 4, FALSE)
KD_LATE_IMPORT("comdlg32.dll", GetOpenFileNameA, 4, FALSE)
KD_LATE_IMPORT("comctl32.dll", InitCommonControls, 0, 0)
KD_LATE_IMPORT("ole32.dll", CoInitializeEx, 8, kNotBound)
KD_LATE_IMPORT("ole32.dll", CoCreateInstance, 20, kNotBound)
KD_LATE_IMPORT("ole32.dll", CoUninitialize, 0, 0)
KD_LATE_IMPORT("winmm.dll", mciSendCommandA, 16, MCIERR_CANNOT_LOAD_DRIVER)
KD_LATE_IMPORT("winmm.dll", mciSendStringA, 16, MCIERR_CANNOT_LOAD_DRIVER)
KD_LATE_IMPORT("winmm.dll", mciGetErrorStringA, 12, FALSE)
KD_LATE_IMPORT("winmm.dll", mixerGetNumDevs, 0, 0u)
KD_LATE_IMPORT("winmm.dll", mixerGetDevCapsA, 12, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerOpen, 20, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerClose, 4, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerGetID, 12, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerGetLineInfoA, 12, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerGetLineControlsA, 12, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerGetControlDetailsA, 12, MMSYSERR_ERROR)
KD_LATE_IMPORT("winmm.dll", mixerSetControlDetails, 12, MMSYSERR_ERROR)
