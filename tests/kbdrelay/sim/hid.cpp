// Test-only hid.dll: answers for the simulated receiver's collections.
// A handle is matched to its collection by the name of the pipe it is
// open on; feature reports are appended to the file named by
// KBDSIM_FEATURE_LOG as "<name> <hex bytes>" lines.
#include <windows.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstdio>
#include <cwchar>

#include "tests/kbdrelay/sim/sim_devices.h"

namespace {

// The HID class interface GUID {4D1E55B2-F16F-11CF-88CB-001111000030}.
constexpr GUID kHidGuid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr DWORD kPreparsedMagic = 0x48494450;

struct Preparsed {
    DWORD magic;
    kbdsim::SimDevice device;
};

// The collection whose pipe the handle is open on.
bool deviceOf(HANDLE handle, kbdsim::SimDevice& found)
{
    union {
        FILE_NAME_INFO info;
        BYTE bytes[sizeof(FILE_NAME_INFO) + MAX_PATH * sizeof(WCHAR)];
    } name;
    if (!GetFileInformationByHandleEx(handle, FileNameInfo, &name, sizeof name))
        return false;
    char pipe[MAX_PATH];
    const int chars = static_cast<int>(name.info.FileNameLength / sizeof(WCHAR));
    const int length = WideCharToMultiByte(CP_ACP, 0, name.info.FileName, chars, pipe, sizeof pipe - 1,
                                           nullptr, nullptr);
    pipe[length > 0 ? length : 0] = '\0';
    const char* bare = pipe[0] == '\\' ? pipe + 1 : pipe;

    kbdsim::SimDevice devices[kbdsim::kMaxDevices];
    const int count = kbdsim::loadDevices(devices, kbdsim::kMaxDevices);
    for (int i = 0; i < count; ++i) {
        if (lstrcmpiA(devices[i].name, bare) == 0) {
            found = devices[i];
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" {

void NTAPI HidD_GetHidGuid(LPGUID guid)
{
    *guid = kHidGuid;
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* data)
{
    kbdsim::SimDevice device;
    if (!deviceOf(handle, device))
        return FALSE;
    auto* preparsed = static_cast<Preparsed*>(LocalAlloc(LPTR, sizeof(Preparsed)));
    if (preparsed == nullptr)
        return FALSE;
    preparsed->magic = kPreparsedMagic;
    preparsed->device = device;
    *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(preparsed);
    return TRUE;
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA data)
{
    auto* preparsed = reinterpret_cast<Preparsed*>(data);
    if (preparsed == nullptr || preparsed->magic != kPreparsedMagic)
        return FALSE;
    preparsed->magic = 0;
    LocalFree(preparsed);
    return TRUE;
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes)
{
    kbdsim::SimDevice device;
    if (!deviceOf(handle, device) || attributes->Size != sizeof(HIDD_ATTRIBUTES))
        return FALSE;
    attributes->VendorID = kbdsim::kVendorId;
    attributes->ProductID = kbdsim::kProductId;
    attributes->VersionNumber = kbdsim::kVersionNumber;
    return TRUE;
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps)
{
    auto* preparsed = reinterpret_cast<Preparsed*>(data);
    if (preparsed == nullptr || preparsed->magic != kPreparsedMagic)
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    ZeroMemory(caps, sizeof *caps);
    caps->UsagePage = preparsed->device.usagePage;
    caps->Usage = preparsed->device.usage;
    caps->InputReportByteLength = kbdsim::kInputReportLength;
    caps->FeatureReportByteLength = kbdsim::kFeatureReportLength;
    caps->NumberFeatureValueCaps = 1;
    return HIDP_STATUS_SUCCESS;
}

BOOLEAN NTAPI HidD_SetFeature(HANDLE handle, PVOID report, ULONG length)
{
    kbdsim::SimDevice device;
    if (!deviceOf(handle, device) || report == nullptr)
        return FALSE;
    char logPath[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("KBDSIM_FEATURE_LOG", logPath, sizeof logPath);
    if (n == 0 || n >= sizeof logPath)
        return TRUE;
    char line[kbdsim::kMaxName + 3 * 64 + 4];
    int used = std::snprintf(line, sizeof line, "%s", device.name);
    const auto* bytes = static_cast<const BYTE*>(report);
    for (ULONG i = 0; i < length && i < 64; ++i)
        used += std::snprintf(line + used, sizeof line - used, " %02X", bytes[i]);
    used += std::snprintf(line + used, sizeof line - used, "\r\n");
    HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line, static_cast<DWORD>(used), &written, nullptr);
    CloseHandle(log);
    return ok ? TRUE : FALSE;
}
}
