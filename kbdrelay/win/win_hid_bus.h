// HidBus over SetupAPI, hid.dll and CreateFileA.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include "kbdrelay/hid_bus.h"

namespace kbdrelay {

class WinHidBus final : public HidBus {
public:
    bool beginEnumeration() override;
    EnumStep enumerate(std::uint32_t memberIndex, DevicePath& path) override;
    void endEnumeration() override;
    bool queryCollection(const char* path, CollectionInfo& info) override;
    DeviceHandle openForReading(const char* path) override;
    DeviceHandle openForFeature(const char* path) override;
    void sendFeature(DeviceHandle handle, const std::uint8_t* report,
                     std::size_t length) override;
    void close(DeviceHandle handle) override;

private:
    GUID hidGuid_{};
    HDEVINFO interfaces_ = INVALID_HANDLE_VALUE;
};

// The library keeps handles as 32-bit values; this build is 32-bit only.
static_assert(sizeof(HANDLE) == sizeof(DeviceHandle));

inline HANDLE toHandle(DeviceHandle handle)
{
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
}

inline DeviceHandle fromHandle(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return 0;
    return static_cast<DeviceHandle>(reinterpret_cast<UINT_PTR>(handle));
}

}  // namespace kbdrelay
