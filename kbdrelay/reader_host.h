// Starting and stopping reader threads: the part of a reader's life that
// belongs to the platform.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kbdrelay/hid_record.h"

namespace kbdrelay {

// A window handle as the library passes it around; 0 means "none".
using WindowHandle = std::uintptr_t;

struct ReaderLaunch {
    const std::atomic<std::uint32_t>* stopFlag;  // the slot's flag; lives as long as the library
    DeviceHandle readHandle;                     // taken once by the reader
    WindowHandle postTarget;                     // receives message 0x501
};

class ReaderHost {
public:
    using Thread = std::uintptr_t;  // 0 = no thread

    virtual ~ReaderHost() = default;
    // Starts a thread that runs runReader for the slot; 0 when it can't.
    virtual Thread start(const ReaderLaunch& launch) = 0;
    // Called after the slots' stop flags were set: wakes every reader
    // first, then waits for them together, within one bounded time for
    // all, and releases the threads. On return none of them runs.
    virtual void stop(const Thread* threads, std::size_t count) = 0;
};

enum class PostResult {
    Posted,
    Refused,   // the receiving thread's queue is full: try again later
    NoWindow,  // the window no longer exists
};

// Posts a window message; the library never sends.
class MessagePoster {
public:
    virtual ~MessagePoster() = default;
    virtual PostResult post(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                            std::uint32_t lParam) = 0;
};

}  // namespace kbdrelay
