// Test-only setupapi.dll: presents the simulated receiver's collections as
// the present HID device interfaces, with named pipes as device paths.
#include <windows.h>

// This file defines the functions that setupapi.h declares as imports.
#define _SETUPAPI_
#include <setupapi.h>

#include <cstddef>
#include <cstring>

#include "tests/kbdrelay/sim/sim_devices.h"

namespace {

struct InterfaceSet {
    DWORD magic;
    int count;
    kbdsim::SimDevice devices[kbdsim::kMaxDevices];
};

constexpr DWORD kSetMagic = 0x53494D44;

InterfaceSet* fromHandle(HDEVINFO handle)
{
    auto* set = static_cast<InterfaceSet*>(handle);
    return (set != nullptr && set != INVALID_HANDLE_VALUE && set->magic == kSetMagic) ? set : nullptr;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID*, PCSTR, HWND, DWORD flags)
{
    if ((flags & DIGCF_DEVICEINTERFACE) == 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return INVALID_HANDLE_VALUE;
    }
    auto* set = static_cast<InterfaceSet*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(InterfaceSet)));
    if (set == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    set->magic = kSetMagic;
    set->count = kbdsim::loadDevices(set->devices, kbdsim::kMaxDevices);
    return set;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA, const GUID* guid,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA data)
{
    InterfaceSet* set = fromHandle(handle);
    if (set == nullptr || data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (index >= DWORD(set->count)) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->InterfaceClassGuid = guid != nullptr ? *guid : GUID{};
    data->Flags = SPINT_ACTIVE;
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size,
                                             PDWORD required, PSP_DEVINFO_DATA)
{
    InterfaceSet* set = fromHandle(handle);
    if (set == nullptr || data == nullptr || data->Reserved >= ULONG_PTR(set->count)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char path[MAX_PATH];
    if (!kbdsim::devicePath(set->devices[data->Reserved], path, sizeof path)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const DWORD needed = DWORD(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + std::strlen(path) + 1);
    if (required != nullptr)
        *required = needed;
    if (detail == nullptr || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::strcpy(detail->DevicePath, path);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle)
{
    InterfaceSet* set = fromHandle(handle);
    if (set == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    set->magic = 0;
    HeapFree(GetProcessHeap(), 0, set);
    return TRUE;
}
}
