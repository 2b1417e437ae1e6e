#include "kbdrelay/win/win_hid_bus.h"

#include <cstdlib>
#include <cstring>

#include "common/win/scoped.h"

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

namespace kbdrelay {

namespace {

// Flags for SetupDiGetClassDevsA: present devices, device interfaces.
constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

HANDLE openPath(const char* path, DWORD access, DWORD flags)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       flags, nullptr);
}

}  // namespace

bool WinHidBus::beginEnumeration()
{
    HidD_GetHidGuid(&hidGuid_);
    interfaces_ = SetupDiGetClassDevsA(&hidGuid_, nullptr, nullptr, kPresentInterfaces);
    return interfaces_ != INVALID_HANDLE_VALUE;
}

EnumStep WinHidBus::enumerate(std::uint32_t memberIndex, DevicePath& path)
{
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (!SetupDiEnumDeviceInterfaces(interfaces_, nullptr, &hidGuid_, memberIndex, &data))
        return GetLastError() == ERROR_NO_MORE_ITEMS ? EnumStep::NoMore : EnumStep::Failed;

    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailA(interfaces_, &data, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return EnumStep::Aborted;
    auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(std::calloc(1, size + 1));
    if (detail == nullptr)
        return EnumStep::Aborted;
    // cbSize is the fixed part of the structure, not the buffer size.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    EnumStep step = EnumStep::Aborted;
    if (SetupDiGetDeviceInterfaceDetailA(interfaces_, &data, detail, size, nullptr, nullptr)) {
        const std::size_t pathBytes = size - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
        path.assign(detail->DevicePath, strnlen(detail->DevicePath, pathBytes));
        step = EnumStep::Interface;
    }
    std::free(detail);
    return step;
}

void WinHidBus::endEnumeration()
{
    if (interfaces_ != INVALID_HANDLE_VALUE)
        SetupDiDestroyDeviceInfoList(interfaces_);
    interfaces_ = INVALID_HANDLE_VALUE;
}

bool WinHidBus::queryCollection(const char* path, CollectionInfo& info)
{
    common::ScopedHandle device(openPath(path, 0, 0));
    if (!device)
        return false;

    bool ok = false;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (HidD_GetPreparsedData(device.get(), &preparsed)) {
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        HIDP_CAPS caps{};
        if (HidD_GetAttributes(device.get(), &attributes) &&
            HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
            info.usagePage = caps.UsagePage;
            info.usage = caps.Usage;
            info.vendorId = attributes.VendorID;
            info.productId = attributes.ProductID;
            info.versionNumber = attributes.VersionNumber;
            info.featureButtonCaps = caps.NumberFeatureButtonCaps;
            info.featureValueCaps = caps.NumberFeatureValueCaps;
            info.inputReportLength = caps.InputReportByteLength;
            info.outputReportLength = caps.OutputReportByteLength;
            info.featureReportLength = caps.FeatureReportByteLength;
            ok = true;
        }
        HidD_FreePreparsedData(preparsed);
    }
    return ok;
}

DeviceHandle WinHidBus::openForReading(const char* path)
{
    return fromHandle(openPath(path, GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OVERLAPPED));
}

DeviceHandle WinHidBus::openForFeature(const char* path)
{
    return fromHandle(openPath(path, 0, FILE_ATTRIBUTE_NORMAL));
}

void WinHidBus::sendFeature(DeviceHandle handle, const std::uint8_t* report, std::size_t length)
{
    BYTE bytes[8] = {};
    if (length > sizeof bytes)
        return;
    std::memcpy(bytes, report, length);
    HidD_SetFeature(toHandle(handle), bytes, static_cast<ULONG>(length));
}

void WinHidBus::close(DeviceHandle handle)
{
    if (handle != 0)
        CloseHandle(toHandle(handle));
}

}  // namespace kbdrelay
