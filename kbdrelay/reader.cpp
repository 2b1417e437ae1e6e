#include "kbdrelay/reader.h"

#include <cstring>

namespace kbdrelay {

std::uint32_t reportWord(const std::uint8_t* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
           std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
}

std::uint32_t runReader(const std::atomic<std::uint32_t>& stopFlag, ReportPort& port,
                        ReportSink& sink, ReportBuffers& buffers)
{
    std::memset(buffers.bytes, 0, sizeof buffers.bytes);
    if (stopFlag.load() != kRun)
        return 0;

    bool firstPass = true;
    int next = 0;  // the buffer the next read goes into
    for (;;) {
        if (!port.beginRead(buffers.bytes[next]))
            return 1;

        // The other buffer holds the report that completed during the
        // previous wait (or nothing, on the first pass).
        std::uint8_t* report = buffers.bytes[next ^ 1];
        const std::uint32_t low = reportWord(report);
        const std::uint32_t high = reportWord(report + 4);
        if (low != 0) {
            sink.post(0, low);
            if (high != 0)
                sink.post(1, high);
        } else if (!firstPass) {
            sink.post(1, 0);
        }
        std::memset(report, 0, 8);

        if (!port.waitForRead()) {
            port.cancelRead();
            return 0;
        }
        firstPass = false;
        next ^= 1;
        if (stopFlag.load() != kRun)
            return 0;
    }
}

}  // namespace kbdrelay
