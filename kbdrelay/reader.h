// The reader loop: one outstanding read per collection, each report handed
// on one pass late as one or two 32-bit words.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kbdrelay {

constexpr std::size_t kReportSize = 32;

// Two report buffers used in turn: the next read always goes into the
// buffer that is not being looked at, so reports that the system has
// already queued complete into fresh memory instead of over the report
// that is about to be posted.
struct ReportBuffers {
    std::uint8_t bytes[2][kReportSize];
};

// One open collection as seen by its reader thread.
class ReportPort {
public:
    virtual ~ReportPort() = default;
    // Issues one read of kReportSize bytes into buffer; false when the
    // read can't be issued (device gone, report too long).
    virtual bool beginRead(std::uint8_t* buffer) = 0;
    // Sleeps until the outstanding read completes (true) or the reader is
    // woken to stop with the read still outstanding (false).
    virtual bool waitForRead() = 0;
    // Withdraws the outstanding read and returns once the system no longer
    // owns its buffer.
    virtual void cancelRead() = 0;
    // Whether the read that waitForRead saw complete brought a report; a
    // read that completed with an error did not.
    virtual bool readSucceeded() = 0;
    // A bounded sleep before the attempt-th retry (attempts count from 0)
    // that a stop cuts short; false when the reader is to stop.
    virtual bool pauseBeforeRetry(unsigned attempt) = 0;
};

// Where a reader posts its report words (the library's hidden window).
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // False when the message could not be queued (the receiving thread's
    // queue is full).
    virtual bool post(std::uint32_t wParam, std::uint32_t lParam) = 0;
};

constexpr std::uint32_t kRun = 0;
constexpr std::uint32_t kStop = 1;

// Longest pause between two attempts to post a report.
constexpr unsigned kMaxRetryPauseMs = 32;
// The pause before the attempt-th retry: 1, 2, 4, ... kMaxRetryPauseMs.
unsigned retryPauseMs(unsigned attempt);

// Runs until the stop flag is seen or a read can't be issued. A report
// whose post fails is kept and posted again (the next read stays
// outstanding meanwhile, so the device keeps queueing) until it is
// delivered or the reader is stopped; its second word is never given up
// once the first is posted. Returns the
// thread's exit code: 0 when stopped, 1 when a read could not be issued.
// On return no read is outstanding.
std::uint32_t runReader(const std::atomic<std::uint32_t>& stopFlag, ReportPort& port,
                        ReportSink& sink, ReportBuffers& buffers);

// Little-endian 32-bit word at bytes[0..3].
std::uint32_t reportWord(const std::uint8_t* bytes);

}  // namespace kbdrelay
