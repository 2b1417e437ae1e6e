// The simulated receiver's collections, shared by the test hid.dll and
// setupapi.dll. Each collection is a named pipe "\\.\pipe\<name>"; the list
// comes from the environment variable KBDSIM_DEVICES, "name,page,usage;..."
// with page and usage in hex, so a test can change what a rescan finds.
#pragma once

#include <cstdint>

namespace kbdsim {

constexpr std::uint16_t kVendorId = 0x5A5A;
constexpr std::uint16_t kProductId = 0x0001;
constexpr std::uint16_t kVersionNumber = 0x0110;
constexpr std::uint16_t kInputReportLength = 9;
constexpr std::uint16_t kFeatureReportLength = 5;
constexpr int kMaxDevices = 16;
constexpr int kMaxName = 64;

// Used when KBDSIM_DEVICES is not set: the receiver's three collections.
constexpr char kDefaultDevices[] = "kbdsim-input,FF02,1;kbdsim-feature,FF01,1;kbdsim-consumer,C,1";

struct SimDevice {
    char name[kMaxName];
    std::uint16_t usagePage;
    std::uint16_t usage;
};

// Parses a device list; returns how many entries were filled.
int parseDevices(const char* text, SimDevice* out, int max);
// The list from the environment (or the default).
int loadDevices(SimDevice* out, int max);
// Writes "\\.\pipe\<name>" into path[size]; false when it does not fit.
bool devicePath(const SimDevice& device, char* path, int size);

}  // namespace kbdsim
