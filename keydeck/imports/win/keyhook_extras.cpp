// keyhook.dll's contract is LoadHookProcedure, UnLoadHookProcedure and
// GetNUMLock, and keydeck.exe imports only those at load: Windows refuses
// to start a program that imports a function its DLL lacks. Two more
// functions of our own keyhook.dll make it better (SetActingKeys lets the
// keys Keydeck does not act on keep their meaning, AnnounceOwnKey keeps
// Keydeck's own key taps from coming back as hotkeys on the 9x family);
// they are bound at their first call, and with a keyhook.dll that lacks
// them Keydeck does without.
#include <windows.h>

#include "keydeck/imports/win/late_import.h"
#include "keyhook/keyhook.h"

namespace {

// Every key of the table is then reported, as before the first call.
BOOL WINAPI WithoutActingKeys(const BYTE*) { return FALSE; }

// Nothing to tell: such a hook reports Keydeck's own taps like keys.
void WINAPI WithoutOwnKeyAnnouncement(UINT, BOOL) {}

}  // namespace

KD_OPTIONAL_IMPORT("keyhook.dll", SetActingKeys, 4, WithoutActingKeys)
KD_OPTIONAL_IMPORT("keyhook.dll", AnnounceOwnKey, 8, WithoutOwnKeyAnnouncement)
