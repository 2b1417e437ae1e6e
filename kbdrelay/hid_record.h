// The per-interface device record. Hidrelay's GetHidStruct hands out pointers
// to it, so its layout is fixed: packed, 288 bytes, the same on every build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kbdrelay {

// A Windows handle value as the 32-bit library stores it; 0 means "none".
using DeviceHandle = std::uint32_t;

constexpr std::size_t kDevicePathSize = 260;

#pragma pack(push, 1)
struct HidDeviceRecord {
    DeviceHandle handle;
    char devicePath[kDevicePathSize];
    std::uint32_t usagePage;
    std::uint32_t usage;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t versionNumber;
    std::uint16_t featureButtonCaps;
    std::uint16_t featureValueCaps;
    std::uint16_t inputReportLength;
    std::uint16_t outputReportLength;
    std::uint16_t featureReportLength;
};
#pragma pack(pop)

static_assert(sizeof(HidDeviceRecord) == 288);
static_assert(offsetof(HidDeviceRecord, handle) == 0);
static_assert(offsetof(HidDeviceRecord, devicePath) == 4);
static_assert(offsetof(HidDeviceRecord, usagePage) == 264);
static_assert(offsetof(HidDeviceRecord, usage) == 268);
static_assert(offsetof(HidDeviceRecord, vendorId) == 272);
static_assert(offsetof(HidDeviceRecord, productId) == 274);
static_assert(offsetof(HidDeviceRecord, versionNumber) == 276);
static_assert(offsetof(HidDeviceRecord, featureButtonCaps) == 278);
static_assert(offsetof(HidDeviceRecord, featureValueCaps) == 280);
static_assert(offsetof(HidDeviceRecord, inputReportLength) == 282);
static_assert(offsetof(HidDeviceRecord, outputReportLength) == 284);
static_assert(offsetof(HidDeviceRecord, featureReportLength) == 286);

}  // namespace kbdrelay
