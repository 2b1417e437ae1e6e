// What the driver library needs from the platform: the HID interfaces that
// are present, opening them, and sending feature reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kbdrelay/hid_record.h"

namespace kbdrelay {

// Capabilities and attributes of one HID top-level collection.
struct CollectionInfo {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
    std::uint16_t featureButtonCaps = 0;
    std::uint16_t featureValueCaps = 0;
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
};

// A device path as a scan keeps it: at most the record's field, and
// whether the whole path fitted there.
struct DevicePath {
    char text[kDevicePathSize] = {};
    bool fits = false;

    void assign(const char* path, std::size_t length)
    {
        fits = length < kDevicePathSize;
        const std::size_t kept = fits ? length : 0;
        std::memcpy(text, path, kept);
        text[kept] = '\0';
    }
};

enum class EnumStep {
    Interface,  // path holds the interface's device path
    Failed,     // this member could not be enumerated; later ones may
    NoMore,     // the set has no member at this index
    Aborted,    // the interface detail could not be read: give up the scan
};

class HidBus {
public:
    virtual ~HidBus() = default;

    // Opens the set of present HID device interfaces; false when it can't.
    virtual bool beginEnumeration() = 0;
    virtual EnumStep enumerate(std::uint32_t memberIndex, DevicePath& path) = 0;
    // Releases the interface set opened by beginEnumeration.
    virtual void endEnumeration() = 0;

    // Opens the path for querying only and reads the collection's
    // attributes and capabilities.
    virtual bool queryCollection(const char* path, CollectionInfo& info) = 0;

    // Both return 0 when the open fails.
    virtual DeviceHandle openForReading(const char* path) = 0;  // overlapped
    virtual DeviceHandle openForFeature(const char* path) = 0;
    virtual void sendFeature(DeviceHandle handle, const std::uint8_t* report,
                             std::size_t length) = 0;
    virtual void close(DeviceHandle handle) = 0;
};

}  // namespace kbdrelay
