#include "kbdrelay/win/win_readers.h"

#include <cstdlib>
#include <new>
#include <type_traits>

#include "kbdrelay/device_set.h"
#include "kbdrelay/reader.h"
#include "kbdrelay/win/win_hid_bus.h"

namespace kbdrelay {

namespace {

// Together, the readers of one stop get this long to let go of their reads
// and end, however many they are: the thread that stops them is the
// application's GUI thread.
constexpr DWORD kStopBudgetMs = 250;
// A withdrawn read normally completes at once; this bounds a device that
// never completes it.
constexpr DWORD kCancelWaitMs = 100;
constexpr int kCancelWaits = 50;

// Where a reader thread is. Only a reader in its loop is ever ended by
// force: before and after the loop the thread may be inside the system's
// loader, whose lock must not die with it.
enum ReaderState : LONG { kStarting, kInLoop, kLeaving };

// Everything a reader touches lives here, on the heap, so that a read the
// system still owns never points into a thread's stack.
// Trivially destructible: it is released with free().
struct ReaderContext {
    const std::atomic<std::uint32_t>* stopFlag = nullptr;
    HANDLE device = nullptr;
    HWND target = nullptr;
    HANDLE thread = nullptr;
    HANDLE quiet = nullptr;  // set once the reader has no read outstanding
    ReportBuffers buffers{};
    OVERLAPPED overlapped{};
    bool readOutstanding = false;  // only the reader thread and its APCs touch it
    bool readFailed = false;       // the last read completed with an error
    volatile LONG state = kStarting;
};

static_assert(std::is_trivially_destructible_v<ReaderContext>);

VOID CALLBACK onReadComplete(DWORD error, DWORD, LPOVERLAPPED overlapped)
{
    // ReadFileEx leaves hEvent to the caller: it carries the context.
    auto* context = static_cast<ReaderContext*>(overlapped->hEvent);
    context->readFailed = error != ERROR_SUCCESS;
    context->readOutstanding = false;
}

VOID CALLBACK wakeReader(ULONG_PTR)
{
}

class OverlappedPort final : public ReportPort {
public:
    explicit OverlappedPort(ReaderContext& context) : context_(context) {}

    bool beginRead(std::uint8_t* buffer) override
    {
        ZeroMemory(&context_.overlapped, sizeof context_.overlapped);
        context_.overlapped.hEvent = &context_;
        if (!ReadFileEx(context_.device, buffer, kReportSize, &context_.overlapped,
                        onReadComplete))
            return false;
        context_.readOutstanding = true;
        context_.readFailed = false;
        return true;
    }

    bool readSucceeded() override { return !context_.readFailed; }

    bool pauseBeforeRetry(unsigned attempt) override
    {
        // Alertable: the stop's APC ends the pause, and a read completing
        // meanwhile runs its completion routine.
        if (context_.stopFlag->load() == kRun)
            SleepEx(retryPauseMs(attempt), TRUE);
        return context_.stopFlag->load() == kRun;
    }

    bool waitForRead() override
    {
        while (context_.readOutstanding) {
            if (context_.stopFlag->load() != kRun)
                return false;
            SleepEx(INFINITE, TRUE);
        }
        return true;
    }

    void cancelRead() override
    {
        CancelIo(context_.device);
        for (int i = 0; i < kCancelWaits && context_.readOutstanding; ++i)
            SleepEx(kCancelWaitMs, TRUE);
    }

private:
    ReaderContext& context_;
};

class HiddenWindowSink final : public ReportSink {
public:
    explicit HiddenWindowSink(HWND target) : target_(target) {}
    bool post(std::uint32_t wParam, std::uint32_t lParam) override
    {
        return PostMessageA(target_, kReaderMessage, wParam, static_cast<LPARAM>(lParam)) != FALSE;
    }

private:
    HWND target_;
};

DWORD WINAPI readerThread(void* parameter)
{
    auto* context = static_cast<ReaderContext*>(parameter);
    InterlockedExchange(&context->state, kInLoop);
    OverlappedPort port(*context);
    HiddenWindowSink sink(context->target);
    const DWORD exitCode = runReader(*context->stopFlag, port, sink, context->buffers);
    if (!context->readOutstanding)
        SetEvent(context->quiet);
    InterlockedExchange(&context->state, kLeaving);
    return exitCode;
}

bool ended(HANDLE thread, DWORD timeoutMs)
{
    return WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
}

// What is left of a stop's time, counted from start.
DWORD left(DWORD start)
{
    const DWORD spent = GetTickCount() - start;
    return spent < kStopBudgetMs ? kStopBudgetMs - spent : 0;
}

}  // namespace

ReaderHost::Thread WinReaderHost::start(const ReaderLaunch& launch)
{
    // Plain heap memory: the library does without the exception runtime.
    void* memory = std::calloc(1, sizeof(ReaderContext));
    if (memory == nullptr)
        return 0;
    auto* context = new (memory) ReaderContext;
    context->stopFlag = launch.stopFlag;
    context->device = toHandle(launch.readHandle);
    context->target = reinterpret_cast<HWND>(launch.postTarget);
    context->quiet = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (context->quiet != nullptr) {
        DWORD id = 0;
        context->thread = CreateThread(nullptr, 0, readerThread, context, 0, &id);
    }
    if (context->thread == nullptr) {
        if (context->quiet != nullptr)
            CloseHandle(context->quiet);
        std::free(context);
        return 0;
    }
    return reinterpret_cast<Thread>(context);
}

void WinReaderHost::stop(const Thread* threads, std::size_t count)
{
    // The stop flags are already set; the APCs end the readers' alertable
    // waits, all of them before any is waited for.
    for (std::size_t i = 0; i < count; ++i)
        QueueUserAPC(wakeReader, reinterpret_cast<ReaderContext*>(threads[i])->thread, 0);
    const DWORD start = GetTickCount();
    for (std::size_t i = 0; i < count; ++i)
        finish(threads[i], start);
}

void WinReaderHost::finish(Thread thread, DWORD start)
{
    auto* context = reinterpret_cast<ReaderContext*>(thread);
    bool gone = ended(context->thread, 0);
    if (!gone && !unloading_) {
        gone = ended(context->thread, left(start));
        // Not yet in its loop, or already out of it: the reader needs only
        // the loader, so it is waited for, unless an unload begins
        // meanwhile and holds the loader itself.
        while (!gone && context->state != kInLoop && !unloading_)
            gone = ended(context->thread, kStopBudgetMs);
    }
    if (!gone && unloading_ && context->state != kStarting) {
        // The loader lock that the unload holds keeps the reader from
        // ending: wait only until it has let go of its read.
        WaitForSingleObject(context->quiet, left(start));
    }
    if (!gone) {
        TerminateThread(context->thread, 0);
        gone = ended(context->thread, kStopBudgetMs);
    }
    const bool quiet =
        WaitForSingleObject(context->quiet, 0) == WAIT_OBJECT_0 || !context->readOutstanding;
    CloseHandle(context->thread);
    CloseHandle(context->quiet);
    // A read that was never withdrawn may still complete into the buffers:
    // then they are left to the process rather than freed under it.
    if (gone && quiet)
        std::free(context);
}

PostResult WinPoster::post(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                           std::uint32_t lParam)
{
    const HWND target = reinterpret_cast<HWND>(window);
    if (PostMessageA(target, message, wParam, static_cast<LPARAM>(lParam)))
        return PostResult::Posted;
    // Asked, not read from the error code, which the 9x family leaves unset.
    return IsWindow(target) ? PostResult::Refused : PostResult::NoWindow;
}

}  // namespace kbdrelay
