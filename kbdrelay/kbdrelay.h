// Exports of the keyboard driver library, as a Windows caller declares them.
// kbdrelay.dll: InitDriver, SetKbdFeatures, RemoveDevice.
// hidrelay.dll: InitDriver, SetKbdFeatures, GetRevision, GetHidStruct.
#pragma once

#include <windows.h>

#include "kbdrelay/hid_record.h"

using kbdrelay::HidDeviceRecord;

extern "C" {

// Report messages go to window under message; usagePage selects the
// collections that count as found (0x600 / 0x700). Always 1.
int WINAPI InitDriver(HWND window, UINT message, UINT usagePage);

// Sends exactly 5 bytes (byte 0 = report ID) as a feature report to every
// collection with that usage page and usage. Always 1.
int WINAPI SetKbdFeatures(UINT usagePage, UINT usage, const BYTE* report);

// kbdrelay.dll only: stops every reader. Always 1.
int WINAPI RemoveDevice(void);

// hidrelay.dll only: version number of the first matching collection, or 0.
WORD WINAPI GetRevision(UINT usagePage, UINT usage);

// hidrelay.dll only: the first matching record, or null; valid until the
// next device scan.
HidDeviceRecord* WINAPI GetHidStruct(UINT usagePage, UINT usage);
}
