#include "kbdrelay/reader.h"

#include <cstring>

namespace kbdrelay {

std::uint32_t reportWord(const std::uint8_t* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
           std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
}

unsigned retryPauseMs(unsigned attempt)
{
    return attempt >= 5 ? kMaxRetryPauseMs : 1u << attempt;
}

namespace {

// Posts one word, again after a pause while the queue is full. False when
// the reader is stopped first.
bool postWord(ReportSink& sink, ReportPort& port, std::uint32_t wParam, std::uint32_t lParam)
{
    for (unsigned attempt = 0; !sink.post(wParam, lParam); ++attempt) {
        if (!port.pauseBeforeRetry(attempt))
            return false;
    }
    return true;
}

// The words of one report, as the application receives them.
bool postReport(ReportSink& sink, ReportPort& port, const std::uint8_t* report)
{
    const std::uint32_t low = reportWord(report);
    const std::uint32_t high = reportWord(report + 4);
    if (low == 0)
        return postWord(sink, port, 1, 0);
    return postWord(sink, port, 0, low) && (high == 0 || postWord(sink, port, 1, high));
}

}  // namespace

std::uint32_t runReader(const std::atomic<std::uint32_t>& stopFlag, ReportPort& port,
                        ReportSink& sink, ReportBuffers& buffers)
{
    std::memset(buffers.bytes, 0, sizeof buffers.bytes);
    if (stopFlag.load() != kRun)
        return 0;

    // Nothing to post before the first read has completed, nor for a read
    // that completed with an error.
    bool haveReport = false;
    int next = 0;  // the buffer the next read goes into
    for (;;) {
        if (!port.beginRead(buffers.bytes[next]))
            return 1;

        // The other buffer holds the report that completed during the
        // previous wait.
        std::uint8_t* report = buffers.bytes[next ^ 1];
        const bool delivered = !haveReport || postReport(sink, port, report);
        std::memset(report, 0, 8);
        if (!delivered || !port.waitForRead()) {
            port.cancelRead();
            return 0;
        }
        haveReport = port.readSucceeded();
        if (!haveReport) {
            std::memset(buffers.bytes[next], 0, 8);
            // A device that fails every read at once must not make this spin.
            if (!port.pauseBeforeRetry(0))
                return 0;
        }
        next ^= 1;
        if (stopFlag.load() != kRun)
            return 0;
    }
}

}  // namespace kbdrelay
