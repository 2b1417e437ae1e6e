// Reader threads over overlapped ReadFileEx, and window-message posting.
#pragma once

#include <windows.h>

#include "kbdrelay/reader_host.h"

namespace kbdrelay {

class WinReaderHost final : public ReaderHost {
public:
    Thread start(const ReaderLaunch& launch) override;
    void stop(const Thread* threads, std::size_t count) override;

    // Set while the library unloads: the loader lock is held, so a reader
    // can't finish its own exit and is ended once its read is withdrawn.
    void setUnloading(bool unloading) { unloading_ = unloading; }

private:
    void stopOne(Thread thread);
    bool unloading_ = false;
};

class WinPoster final : public MessagePoster {
public:
    PostResult post(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                    std::uint32_t lParam) override;
};

}  // namespace kbdrelay
