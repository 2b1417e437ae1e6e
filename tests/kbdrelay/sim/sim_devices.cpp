#include "tests/kbdrelay/sim/sim_devices.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kbdsim {

int parseDevices(const char* text, SimDevice* out, int max)
{
    int count = 0;
    while (*text != '\0' && count < max) {
        const char* end = std::strchr(text, ';');
        const std::size_t length = end != nullptr ? std::size_t(end - text) : std::strlen(text);
        char entry[kMaxName + 32];
        if (length < sizeof entry) {
            std::memcpy(entry, text, length);
            entry[length] = '\0';
            char* page = std::strchr(entry, ',');
            char* usage = page != nullptr ? std::strchr(page + 1, ',') : nullptr;
            if (usage != nullptr && page - entry < kMaxName && page != entry) {
                *page++ = '\0';
                *usage++ = '\0';
                SimDevice& device = out[count++];
                std::strcpy(device.name, entry);
                device.usagePage = static_cast<std::uint16_t>(std::strtoul(page, nullptr, 16));
                device.usage = static_cast<std::uint16_t>(std::strtoul(usage, nullptr, 16));
            }
        }
        if (end == nullptr)
            break;
        text = end + 1;
    }
    return count;
}

int loadDevices(SimDevice* out, int max)
{
    char text[1024];
    const DWORD length = GetEnvironmentVariableA("KBDSIM_DEVICES", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return parseDevices(kDefaultDevices, out, max);
    return parseDevices(text, out, max);
}

bool devicePath(const SimDevice& device, char* path, int size)
{
    const int n = std::snprintf(path, size, "\\\\.\\pipe\\%s", device.name);
    return n > 0 && n < size;
}

}  // namespace kbdsim
