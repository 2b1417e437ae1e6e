// Reader threads over overlapped ReadFileEx, and window-message posting.
#pragma once

#include <windows.h>

#include "kbdrelay/reader_host.h"

namespace kbdrelay {

class WinReaderHost final : public ReaderHost {
public:
    Thread start(const ReaderLaunch& launch) override;
    void stop(const Thread* threads, std::size_t count) override;

    // Set while the library unloads: the unloading thread holds the loader
    // lock, so a reader can't finish its own exit and is ended once its
    // read is withdrawn. Read also by the window's thread, which may be
    // stopping readers when an unload on another thread begins.
    void setUnloading(bool unloading) { unloading_ = unloading; }

private:
    void finish(Thread thread, DWORD start);
    std::atomic<bool> unloading_{false};
};

class WinPoster final : public MessagePoster {
public:
    PostResult post(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                    std::uint32_t lParam) override;
};

}  // namespace kbdrelay
