// The real kbdrelay.dll and hidrelay.dll against the simulated receiver:
// enumeration, opens, overlapped reads, the relay through the hidden
// window, feature reports, device changes and unloading.
#include <windows.h>

#include <dbt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <set>
#include <thread>

#include "tests/kbdrelay/win/import_hook.h"
#include "tests/kbdrelay/win/sim_session.h"

namespace kbdsim_test {
namespace {

constexpr UINT kAppMessage = 0x464;
constexpr WPARAM kArrival = 0x8000;
constexpr WPARAM kRemoveComplete = 0x8004;

std::string featureLogPath()
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "kbdsim-features-" + std::to_string(GetCurrentProcessId()) + ".log";
}

kbdsim::Receiver* receiver = nullptr;

// Wine starts a thread of its own, for good, on a process's first device
// notification registration; start it here so that the tests count only
// the library's threads.
void startNotificationThread()
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HDEVNOTIFY notification = RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (notification != nullptr)
        UnregisterDeviceNotification(notification);
    DestroyWindow(window);
}

// A crash ends the run at once with its address, instead of waiting for
// a debugger that never comes.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* exception)
{
    std::printf("crash: exception 0x%08lX at %p\n", exception->ExceptionRecord->ExceptionCode,
                exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

class SimEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        SetUnhandledExceptionFilter(reportCrash);
        prepareSimulation(featureLogPath());
        startNotificationThread();
        receiver = new kbdsim::Receiver({kInput, kFeature, kConsumer});
        ASSERT_TRUE(receiver->ready()) << "pipes not created, error " << GetLastError();
    }
    void TearDown() override
    {
        delete receiver;
        receiver = nullptr;
        DeleteFileA(featureLogPath().c_str());
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new SimEnvironment);

int send(const char* name, const std::vector<std::uint8_t>& report)
{
    return receiver->send(name, report.data(), report.size());
}

std::string hex(UINT value)
{
    char text[16];
    wsprintfA(text, "0x%X", value);
    return text;
}

// Expects the messages of reports first..last of the numbered stream, in order.
void expectNumberedStream(const std::vector<Message>& seen, std::uint32_t first, std::uint32_t last)
{
    // Name the first report that went missing or out of order.
    std::uint32_t expected = first;
    for (std::size_t n = 0; n + 1 < seen.size() && expected <= last; n += 2, ++expected) {
        ASSERT_EQ(std::uint32_t(seen[n].lParam), (expected & 0xFFFFFF) << 8 | 4)
            << "message " << n << " is not report " << expected << " (of " << first << ".." << last
            << ", " << seen.size() << " messages)";
    }
    ASSERT_EQ(seen.size(), 2 * (last - first + 1)) << "messages received";
    for (std::uint32_t i = first; i <= last; ++i) {
        const Message& low = seen[2 * (i - first)];
        const Message& high = seen[2 * (i - first) + 1];
        ASSERT_EQ(low.message, kAppMessage) << "report " << i << " got " << hex(low.message);
        ASSERT_EQ(low.wParam, 0u) << "report " << i;
        ASSERT_EQ(std::uint32_t(low.lParam), (i & 0xFFFFFF) << 8 | 4) << "report " << i;
        ASSERT_EQ(high.wParam, 1u) << "report " << i;
        ASSERT_EQ(std::uint32_t(high.lParam), 0x80000000u | i) << "report " << i;
    }
}

class KbdrelaySim : public ::testing::Test {
protected:
    void SetUp() override
    {
        session_ = std::make_unique<Session>("kbdrelay.dll");
        ASSERT_TRUE(session_->loaded()) << "LoadLibrary failed: " << GetLastError();
        // Counted with the DLL and its imports loaded: Wine may start a
        // thread of its own on the first load.
        baselineThreads_ = threadsInProcess();
        ASSERT_NE(session_->initDriver, nullptr);
        ASSERT_EQ(session_->initDriver(session_->app(), kAppMessage, 0xFF02), 1);
        const std::vector<Message> first = session_->collect(1, 2000);
        ASSERT_EQ(first.size(), 1u);
        ASSERT_EQ(first[0].message, 0x600u) << "got " << hex(first[0].message);
        ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000)) << "reader never opened the input collection";
    }

    void TearDown() override
    {
        session_.reset();
        EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000)) << "input still open after unload";
    }

    std::unique_ptr<Session> session_;
    int baselineThreads_ = 0;
};

TEST_F(KbdrelaySim, ReaderRunsOnlyOnTheVendorInputCollection)
{
    EXPECT_EQ(receiver->clients(kFeature), 0);
    EXPECT_EQ(receiver->clients(kConsumer), 0);
    EXPECT_EQ(threadsInProcess(), baselineThreads_ + 1);
    HWND hidden = session_->hidden();
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(GetWindowThreadProcessId(hidden, nullptr), GetCurrentThreadId());
}

TEST_F(KbdrelaySim, ReportArrivesAtTheApplicationWindowAsItsWords)
{
    ASSERT_EQ(send(kInput, {0x04, 0x11, 0x00, 0x00, 0x05, 0x06, 0x07, 0x08, 0x00}), 1);
    ASSERT_EQ(send(kInput, {0x04, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}), 1);
    ASSERT_EQ(send(kInput, {0x00, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00}), 1);
    const std::vector<Message> seen = session_->collect(4, 3000);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, kAppMessage);
    EXPECT_EQ(seen[0].wParam, 0u);
    EXPECT_EQ(seen[0].lParam, 0x1104);
    EXPECT_EQ(seen[1].wParam, 1u);
    EXPECT_EQ(seen[1].lParam, 0x08070605);
    EXPECT_EQ(seen[2].wParam, 0u);
    EXPECT_EQ(seen[2].lParam, 0x0C04);
    EXPECT_EQ(seen[3].wParam, 1u);
    EXPECT_EQ(seen[3].lParam, 0);
    EXPECT_TRUE(session_->collect(1, 200).empty()) << "unexpected extra message";
}

TEST_F(KbdrelaySim, PacedStreamArrivesCompleteAndInOrder)
{
    constexpr std::uint32_t kCount = 2000;
    std::atomic<int> delivered{0};
    std::thread writer([&] {
        for (std::uint32_t i = 1; i <= kCount; ++i) {
            delivered += send(kInput, numberedReport(i));
            Sleep(2);
        }
    });
    const std::vector<Message> seen = session_->collect(2 * kCount, 60000);
    writer.join();
    EXPECT_EQ(delivered.load(), int(kCount));
    expectNumberedStream(seen, 1, kCount);
}

TEST_F(KbdrelaySim, BurstWrittenAtOnceArrivesCompleteAndInOrder)
{
    constexpr std::uint32_t kCount = 3000;
    std::atomic<int> delivered{0};
    std::thread writer([&] {
        for (std::uint32_t i = 1; i <= kCount; ++i)
            delivered += send(kInput, numberedReport(i));
    });
    const std::vector<Message> seen = session_->collect(2 * kCount, 60000);
    writer.join();
    EXPECT_EQ(delivered.load(), int(kCount));
    expectNumberedStream(seen, 1, kCount);
}

TEST_F(KbdrelaySim, BurstWhileTheReceivingThreadStallsArrivesCompleteAndInOrder)
{
    // Keydeck's GUI thread stops taking messages while a launched program
    // starts or a message box waits; the reports meanwhile must all queue.
    constexpr std::uint32_t kCount = 5000;
    std::atomic<int> delivered{0};
    std::thread writer([&] {
        for (std::uint32_t i = 1; i <= kCount; ++i)
            delivered += send(kInput, numberedReport(i));
    });
    Sleep(3000);
    const std::vector<Message> seen = session_->collect(2 * kCount, 60000);
    writer.join();
    EXPECT_EQ(delivered.load(), int(kCount));
    expectNumberedStream(seen, 1, kCount);
}

// Open handles of this process; -1 where the system cannot tell (the 9x
// family and NT before XP SP1 lack GetProcessHandleCount).
int handlesInProcess()
{
    using HandleCountFn = BOOL(WINAPI*)(HANDLE, PDWORD);
    static const auto handleCount = reinterpret_cast<HandleCountFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount")));
    DWORD count = 0;
    return handleCount != nullptr && handleCount(GetCurrentProcess(), &count) ? int(count) : -1;
}

// The simulated receiver forgets a closed client's pipe instance a moment
// after the close: wait until the count is back at `expected` (or give up
// and return the count).
int settledHandles(int expected)
{
    int now = handlesInProcess();
    for (int i = 0; i < 100 && now > expected; ++i) {
        Sleep(20);
        now = handlesInProcess();
    }
    return now;
}

TEST_F(KbdrelaySim, ThousandRemovalAndArrivalCyclesLeaveThreadsAndHandlesWhereTheyWere)
{
    auto cycle = [&](int n) {
        session_->deviceChange(kRemoveComplete, "\\\\.\\pipe\\kbdsim-input");
        if (!receiver->waitForClients(kInput, 0, 2000))
            return ::testing::AssertionFailure() << "cycle " << n << ": input still open";
        session_->deviceChange(kArrival, "\\\\?\\hid#anything");
        const std::vector<Message> found = session_->collect(1, 2000);
        if (found.size() != 1 || found[0].message != 0x600u)
            return ::testing::AssertionFailure() << "cycle " << n << ": no 0x600 after the arrival";
        if (!receiver->waitForClients(kInput, 1, 2000))
            return ::testing::AssertionFailure() << "cycle " << n << ": input not opened again";
        return ::testing::AssertionSuccess();
    };
    // One cycle first: anything made once for good is then counted.
    ASSERT_TRUE(cycle(0));
    const int threads = threadsInProcess();
    const int handles = settledHandles(0);
    for (int n = 1; n <= 1000; ++n)
        ASSERT_TRUE(cycle(n));
    EXPECT_EQ(threadsInProcess(), threads);
    if (handles < 0)
        std::printf("no GetProcessHandleCount here: only the threads were counted\n");
    else
        EXPECT_EQ(settledHandles(handles), handles) << "handles before the 1000 cycles: " << handles;

    constexpr std::uint32_t kCount = 500;
    std::thread writer([&] {
        for (std::uint32_t i = 1; i <= kCount; ++i)
            send(kInput, numberedReport(i));
    });
    const std::vector<Message> seen = session_->collect(2 * kCount, 30000);
    writer.join();
    expectNumberedStream(seen, 1, kCount);
}

TEST_F(KbdrelaySim, FeatureReportDeliversExactlyFiveBytesToTheFeatureCollection)
{
    const std::string log = featureLogPath();
    DeleteFileA(log.c_str());
    const BYTE report[8] = {0x03, 0x04, 0x00, 0x00, 0x00, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(session_->setKbdFeatures(0xFF01, 1, report), 1);
    EXPECT_EQ(session_->setKbdFeatures(0xFF01, 2, report), 1);
    EXPECT_EQ(readLines(log), std::vector<std::string>{"kbdsim-feature 03 04 00 00 00"});
    EXPECT_EQ(receiver->clients(kFeature), 0) << "feature handle left open";
}

TEST_F(KbdrelaySim, RemovalStopsTheReaderAndArrivalStartsItAgain)
{
    session_->deviceChange(kRemoveComplete, "\\\\.\\PIPE\\KBDSIM-INPUT");
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000)) << "reader still has the input open";
    EXPECT_EQ(threadsInProcess(), baselineThreads_);
    EXPECT_EQ(send(kInput, numberedReport(1)), 0);
    EXPECT_TRUE(session_->collect(1, 300).empty()) << "message after the readers stopped";

    session_->deviceChange(kArrival, "\\\\?\\hid#anything");
    const std::vector<Message> found = session_->collect(1, 2000);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].message, 0x600u) << "got " << hex(found[0].message);
    ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    EXPECT_EQ(send(kInput, numberedReport(7)), 1);
    expectNumberedStream(session_->collect(2, 3000), 7, 7);
}

TEST_F(KbdrelaySim, RemovalOfAnotherCollectionLeavesTheReaderRunning)
{
    session_->deviceChange(kRemoveComplete, "\\\\.\\pipe\\kbdsim-feature");
    EXPECT_EQ(receiver->clients(kInput), 1);
    EXPECT_EQ(send(kInput, numberedReport(3)), 1);
    expectNumberedStream(session_->collect(2, 3000), 3, 3);
}

TEST_F(KbdrelaySim, RemoveDeviceStopsTheReader)
{
    EXPECT_EQ(session_->removeDevice(), 1);
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000));
    EXPECT_EQ(threadsInProcess(), baselineThreads_);
}

TEST_F(KbdrelaySim, UnloadEndsTheReaderAndRemovesTheHiddenWindow)
{
    ASSERT_EQ(send(kInput, numberedReport(5)), 1);
    expectNumberedStream(session_->collect(2, 3000), 5, 5);
    session_->unload();
    EXPECT_EQ(threadsInProcess(), baselineThreads_);
    EXPECT_EQ(FindWindowA("USBHIDClass", "HIDRELAYKEYMSG"), nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "unload posted WM_QUIT";
}

TEST_F(KbdrelaySim, ReportsForAnApplicationWindowThatIsGoneAreDroppedAndNotRetried)
{
    HWND hidden = session_->hidden();
    session_->replaceAppWindow();
    ASSERT_EQ(send(kInput, numberedReport(41)), 1);
    EXPECT_TRUE(session_->collect(1, 300).empty());
    // Nothing is kept for a window that is gone, so no flush timer runs.
    Sleep(50);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, hidden, WM_TIMER, WM_TIMER, PM_NOREMOVE))
        << "the hidden window still retries the words";

    // Once InitDriver names a new window, only later reports reach it.
    ASSERT_EQ(session_->initDriver(session_->app(), kAppMessage, 0xFF02), 1);
    const std::vector<Message> found = session_->collect(1, 2000);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].message, 0x600u) << "got " << hex(found[0].message);
    ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    ASSERT_EQ(send(kInput, numberedReport(42)), 1);
    expectNumberedStream(session_->collect(2, 3000), 42, 42);
}

// Loads kbdrelay.dll, starts it and checks that a report gets through.
std::unique_ptr<Session> startedSession(std::uint32_t report)
{
    auto session = std::make_unique<Session>("kbdrelay.dll");
    EXPECT_TRUE(session->loaded()) << "LoadLibrary failed: " << GetLastError();
    if (!session->loaded())
        return session;
    EXPECT_EQ(session->initDriver(session->app(), kAppMessage, 0xFF02), 1);
    const std::vector<Message> first = session->collect(1, 2000);
    EXPECT_EQ(first.size(), 1u);
    EXPECT_TRUE(receiver->waitForClients(kInput, 1, 2000)) << "reader never opened the input";
    HWND hidden = session->hidden();
    EXPECT_NE(hidden, nullptr) << "no hidden window";
    EXPECT_EQ(GetWindowThreadProcessId(hidden, nullptr), GetCurrentThreadId());
    EXPECT_EQ(send(kInput, numberedReport(report)), 1);
    expectNumberedStream(session->collect(2, 3000), report, report);
    return session;
}

TEST(KbdrelaySimUnload, UnloadOnAnotherThreadLeavesALaterLoadWorking)
{
    std::unique_ptr<Session> session = startedSession(11);
    const int baselineThreads = threadsInProcess() - 1;  // less the reader
    session->unloadFromAnotherThread();
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000)) << "input still open after unload";
    EXPECT_EQ(threadsInProcess(), baselineThreads);

    // Loaded again before this thread has taken a message: the old window
    // is still there.
    session = startedSession(12);
    if (HasFatalFailure() || HasNonfatalFailure())
        return;
    session->unloadFromAnotherThread();
    // The old window belongs to this thread and goes once it runs its queue.
    session->collect(1, 300);
    EXPECT_EQ(FindWindowA("USBHIDClass", "HIDRELAYKEYMSG"), nullptr) << "hidden window left behind";
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "unload posted WM_QUIT";

    session = startedSession(13);
    session.reset();
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000));
    EXPECT_EQ(FindWindowA("USBHIDClass", "HIDRELAYKEYMSG"), nullptr);
}

// --- The library's calls into the system, counted or held by the test ---

Gate* heldGate = nullptr;
using PostMessageFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
PostMessageFn realPostMessage = nullptr;
using GetClassDevsFn = void*(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);  // gives an HDEVINFO
GetClassDevsFn realGetClassDevs = nullptr;

BOOL WINAPI heldPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAppMessage)  // a relayed word, not a reader's 0x501
        heldGate->pass();
    return realPostMessage(window, message, wParam, lParam);
}

// Catches the first `catchReaders` readers for good inside the post of a
// report: in their loop, holding nothing of the system's, and deaf to the
// stop's wake-up (the wait is not alertable), as a reader that hangs.
HANDLE readerCaught = nullptr;  // semaphore, released once per reader caught
LONG catchReaders = 0;

BOOL WINAPI stuckPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == 0x501 && InterlockedDecrement(&catchReaders) >= 0) {  // a reader's post
        ReleaseSemaphore(readerCaught, 1, nullptr);
        Sleep(INFINITE);
    }
    return realPostMessage(window, message, wParam, lParam);
}

void* WINAPI heldGetClassDevs(const GUID* guid, PCSTR enumerator, HWND parent, DWORD flags)
{
    heldGate->pass();
    return realGetClassDevs(guid, enumerator, parent, flags);
}

struct Registration {
    HWND recipient;
    HDEVNOTIFY handle;
    bool unregistered;
};
std::vector<Registration> registrations;
using RegisterFn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HDEVNOTIFY);
RegisterFn realRegister = nullptr;
UnregisterFn realUnregister = nullptr;

HDEVNOTIFY WINAPI countedRegister(HANDLE recipient, LPVOID filter, DWORD flags)
{
    registrations.push_back({static_cast<HWND>(recipient), realRegister(recipient, filter, flags), false});
    return registrations.back().handle;
}

BOOL WINAPI countedUnregister(HDEVNOTIFY handle)
{
    for (Registration& r : registrations)
        r.unregistered = r.unregistered || r.handle == handle;
    return realUnregister(handle);
}

TEST(KbdrelaySimInit, InitDriverAgainKeepsTheLoopTheWindowAndOneRegistration)
{
    Session session("kbdrelay.dll");
    ASSERT_TRUE(session.loaded()) << "LoadLibrary failed: " << GetLastError();
    registrations.clear();
    realRegister = reinterpret_cast<RegisterFn>(replaceImport(
        session.module(), "user32.dll", "RegisterDeviceNotificationA", reinterpret_cast<void*>(countedRegister)));
    realUnregister = reinterpret_cast<UnregisterFn>(replaceImport(
        session.module(), "user32.dll", "UnregisterDeviceNotification", reinterpret_cast<void*>(countedUnregister)));
    ASSERT_TRUE(realRegister != nullptr && realUnregister != nullptr);
    const bool nt = (GetVersion() & 0x80000000u) == 0;  // only the NT family unregisters

    // Started on a thread that then ends: its window goes with it.
    std::thread([&] { session.initDriver(session.app(), kAppMessage, 0xFF02); }).join();
    ASSERT_EQ(session.collect(1, 2000).size(), 1u);
    HWND hidden = nullptr;
    for (std::uint32_t call = 0; call < 2; ++call) {
        SCOPED_TRACE(call == 0 ? "first call on this thread" : "second call on this thread");
        ASSERT_EQ(session.initDriver(session.app(), kAppMessage, 0xFF02), 1);
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the message loop was ended";
        const std::vector<Message> found = session.collect(1, 2000);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].message, 0x600u) << "got " << hex(found[0].message);
        if (call == 0)
            hidden = session.hidden();
        EXPECT_EQ(session.hidden(), hidden);
        EXPECT_EQ(GetWindowThreadProcessId(hidden, nullptr), GetCurrentThreadId());
        ASSERT_EQ(registrations.size(), 2u);
        EXPECT_EQ(registrations[0].unregistered, nt) << "the registration for the window that went";
        EXPECT_EQ(registrations[1].recipient, hidden);
        EXPECT_FALSE(registrations[1].unregistered);
        ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000));
        ASSERT_EQ(send(kInput, numberedReport(31 + call)), 1);
        expectNumberedStream(session.collect(2, 3000), 31 + call, 31 + call);
    }
    // From another thread, while this thread's window lives: nothing changes.
    std::thread([&] { session.initDriver(session.app(), kAppMessage, 0xFF02); }).join();
    EXPECT_TRUE(session.collect(1, 300).empty()) << "another thread scanned";
    EXPECT_EQ(session.hidden(), hidden);
    EXPECT_EQ(registrations.size(), 2u);
    session.unload();
    EXPECT_EQ(registrations[1].unregistered, nt);
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000));
}

// Unloads the library on a thread of its own once `busy` has brought this
// thread into the library and the gate holds it there, and lets it go
// 300 ms into the unload. True when FreeLibrary returned only after that.
template <typename Busy>
bool unloadWhileBusy(Session& session, Busy busy)
{
    Gate gate;
    heldGate = &gate;
    gate.arm();
    bool releasedFirst = false;
    std::thread unloader([&] {
        if (!gate.waitEntered(10000)) {
            gate.release();
            return;
        }
        // Running before the unload: a thread that started during it would
        // wait for the loader.
        HANDLE running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread releaser([&] {
            SetEvent(running);
            Sleep(300);
            gate.release();
        });
        WaitForSingleObject(running, INFINITE);
        session.unload();
        releasedFirst = gate.wasReleased();
        releaser.join();
        CloseHandle(running);
    });
    busy();
    unloader.join();
    return releasedFirst;
}

TEST(KbdrelaySimUnload, UnloadOnAnotherThreadWaitsForTheOwnerBusyInARelayOrAScan)
{
    for (const bool scan : {false, true}) {
        SCOPED_TRACE(scan ? "held in a scan" : "held in a relay");
        std::unique_ptr<Session> session = startedSession(21);
        ASSERT_FALSE(HasFatalFailure());
        const int baselineThreads = threadsInProcess() - 1;  // less the reader
        bool releasedFirst = false;
        if (scan) {
            realGetClassDevs = reinterpret_cast<GetClassDevsFn>(replaceImport(
                session->module(), "setupapi.dll", "SetupDiGetClassDevsA", reinterpret_cast<void*>(heldGetClassDevs)));
            ASSERT_NE(realGetClassDevs, nullptr);
            // An arrival: this thread stops the reader and scans again.
            releasedFirst = unloadWhileBusy(*session, [&] { session->deviceChange(kArrival, "\\\\?\\hid#x"); });
        } else {
            realPostMessage = reinterpret_cast<PostMessageFn>(replaceImport(
                session->module(), "user32.dll", "PostMessageA", reinterpret_cast<void*>(heldPostMessage)));
            ASSERT_NE(realPostMessage, nullptr);
            ASSERT_EQ(send(kInput, numberedReport(22)), 1);
            std::vector<Message> seen;
            releasedFirst = unloadWhileBusy(*session, [&] { seen = session->collect(1, 5000); });
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(std::uint32_t(seen[0].lParam), 22u << 8 | 4) << "the word held in its relay";
        }
        EXPECT_TRUE(releasedFirst) << "FreeLibrary returned while this thread was inside the library";
        session->collect(2, 300);
        EXPECT_EQ(FindWindowA("USBHIDClass", "HIDRELAYKEYMSG"), nullptr) << "hidden window left behind";
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "unload posted WM_QUIT";
        EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000)) << "input still open after unload";
        EXPECT_EQ(threadsInProcess(), baselineThreads);
    }
    startedSession(23);
}

// KBDSIM_DEVICES for one test: the collections the simulated system shows.
class DeviceList {
public:
    explicit DeviceList(const char* devices) { set(devices); }
    ~DeviceList() { SetEnvironmentVariableA("KBDSIM_DEVICES", nullptr); }
    void set(const char* devices) { SetEnvironmentVariableA("KBDSIM_DEVICES", devices); }
};

int sendTo(kbdsim::Receiver& to, const char* name, std::uint32_t report)
{
    const std::vector<std::uint8_t> bytes = numberedReport(report);
    return to.send(name, bytes.data(), bytes.size());
}

TEST(KbdrelaySimTwoReceivers, UnpluggingOneLeavesTheOtherReporting)
{
    auto second = std::make_unique<kbdsim::Receiver>(std::vector<std::string>{"kbdsim-input2"});
    DeviceList devices("kbdsim-input,FF02,1;kbdsim-feature,FF01,1;kbdsim-input2,FF02,1");
    Session session("kbdrelay.dll");
    ASSERT_TRUE(session.loaded()) << "LoadLibrary failed: " << GetLastError();
    ASSERT_EQ(session.initDriver(session.app(), kAppMessage, 0xFF02), 1);
    ASSERT_EQ(session.collect(1, 2000).size(), 1u);
    ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    ASSERT_TRUE(second->waitForClients("kbdsim-input2", 1, 2000));
    ASSERT_EQ(sendTo(*second, "kbdsim-input2", 51), 1);
    expectNumberedStream(session.collect(2, 3000), 51, 51);

    // Pulled out: the collection leaves the system, its reads fail, and
    // the removal is announced.
    devices.set("kbdsim-input,FF02,1;kbdsim-feature,FF01,1");
    second.reset();
    session.deviceChange(kRemoveComplete, "\\\\.\\pipe\\kbdsim-input2");
    EXPECT_TRUE(session.collect(1, 300).empty());
    EXPECT_EQ(receiver->clients(kInput), 1) << "the first receiver's reader was stopped";
    ASSERT_EQ(send(kInput, numberedReport(52)), 1);
    expectNumberedStream(session.collect(2, 3000), 52, 52);
}

TEST(KbdrelaySimStop, ReadersThatDoNotStopHoldUpARescanForAMomentOnly)
{
    kbdsim::Receiver more({"kbdsim-input2", "kbdsim-input3"});
    DeviceList devices("kbdsim-input,FF02,1;kbdsim-input2,FF02,1;kbdsim-input3,FF02,1");
    Session session("kbdrelay.dll");
    ASSERT_TRUE(session.loaded()) << "LoadLibrary failed: " << GetLastError();
    const std::set<DWORD> before = threadIds();
    ASSERT_EQ(session.initDriver(session.app(), kAppMessage, 0xFF02), 1);
    ASSERT_EQ(session.collect(1, 2000).size(), 1u);
    ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    ASSERT_TRUE(more.waitForClients("kbdsim-input2", 1, 2000) && more.waitForClients("kbdsim-input3", 1, 2000));
    const std::set<DWORD> after = threadIds();
    std::vector<DWORD> readers;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(readers));
    ASSERT_EQ(readers.size(), 3u);

    // Each reader is caught inside the post of a report, so it is in its
    // loop: a thread suspended before it ever ran would be a reader that
    // has not started, which the stop rightly waits for.
    std::vector<HANDLE> stuck;
    for (DWORD id : readers)
        stuck.push_back(OpenThread(SYNCHRONIZE, FALSE, id));
    readerCaught = CreateSemaphoreA(nullptr, 0, 3, nullptr);
    catchReaders = 3;
    realPostMessage = reinterpret_cast<PostMessageFn>(replaceImport(
        session.module(), "user32.dll", "PostMessageA", reinterpret_cast<void*>(stuckPostMessage)));
    ASSERT_NE(realPostMessage, nullptr);
    ASSERT_EQ(send(kInput, numberedReport(58)), 1);
    ASSERT_EQ(sendTo(more, "kbdsim-input2", 59), 1);
    ASSERT_EQ(sendTo(more, "kbdsim-input3", 60), 1);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(WaitForSingleObject(readerCaught, 5000), WAIT_OBJECT_0) << "a reader never posted its report";
    CloseHandle(readerCaught);
    const DWORD start = GetTickCount();
    session.deviceChange(kArrival, "\\\\?\\hid#anything");
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 2000u) << "the rescan waited " << took << " ms for three stuck readers";
    for (HANDLE thread : stuck) {
        EXPECT_EQ(WaitForSingleObject(thread, 2000), WAIT_OBJECT_0) << "a stuck reader was left running";
        CloseHandle(thread);
    }
    EXPECT_EQ(threadsInProcess(), int(before.size()) + 3);
    EXPECT_EQ(session.collect(1, 2000).size(), 1u);
    ASSERT_EQ(sendTo(more, "kbdsim-input3", 61), 1) << "not exactly one reader on the collection";
    expectNumberedStream(session.collect(2, 3000), 61, 61);
}

TEST(KbdrelaySimReportPage, AnotherReportPageStillReadsTheInputButPostsNotFound)
{
    Session session("kbdrelay.dll");
    ASSERT_TRUE(session.loaded()) << "LoadLibrary failed: " << GetLastError();
    ASSERT_EQ(session.initDriver(session.app(), kAppMessage, 0x000C), 1);
    const std::vector<Message> first = session.collect(1, 2000);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].message, 0x700u) << "got " << hex(first[0].message);
    EXPECT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    EXPECT_EQ(receiver->clients(kConsumer), 0);
    session.unload();
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000));
}

class HidrelaySim : public ::testing::Test {
protected:
    void SetUp() override
    {
        session_ = std::make_unique<Session>("hidrelay.dll");
        ASSERT_TRUE(session_->loaded()) << "LoadLibrary failed: " << GetLastError();
        baselineThreads_ = threadsInProcess();
    }
    void TearDown() override
    {
        session_.reset();
        EXPECT_EQ(threadsInProcess(), baselineThreads_);
    }

    std::unique_ptr<Session> session_;
    int baselineThreads_ = 0;
};

TEST_F(HidrelaySim, LookupsBeforeInitDriverFindNothing)
{
    EXPECT_EQ(session_->getHidStruct(0xFF01, 1), nullptr);
    EXPECT_EQ(session_->getRevision(0xFF01, 1), 0);
}

TEST_F(HidrelaySim, ReadsTheReportPageAndConsumerCollectionsAndDescribesThem)
{
    ASSERT_EQ(session_->initDriver(session_->app(), kAppMessage, 0xFF02), 1);
    const std::vector<Message> first = session_->collect(1, 2000);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].message, 0x600u) << "got " << hex(first[0].message);
    EXPECT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    EXPECT_TRUE(receiver->waitForClients(kConsumer, 1, 2000));
    EXPECT_EQ(receiver->clients(kFeature), 0);
    EXPECT_EQ(threadsInProcess(), baselineThreads_ + 2);

    const kbdrelay::HidDeviceRecord* record = session_->getHidStruct(0xFF01, 1);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->devicePath, "\\\\.\\pipe\\kbdsim-feature");
    EXPECT_EQ(record->handle, 0u);
    EXPECT_EQ(record->usagePage, 0xFF01u);
    EXPECT_EQ(record->vendorId, 0x5A5A);
    EXPECT_EQ(record->productId, 0x0001);
    EXPECT_EQ(record->featureReportLength, 5);
    EXPECT_EQ(record->inputReportLength, 9);
    EXPECT_EQ(session_->getRevision(0xFF01, 1), 0x0110);
    EXPECT_EQ(session_->getHidStruct(0xFF03, 1), nullptr);
    EXPECT_EQ(session_->getRevision(0xFF03, 1), 0);

    ASSERT_EQ(send(kConsumer, {0x02, 0xE9, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}), 1);
    const std::vector<Message> seen = session_->collect(1, 3000);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 0u);
    EXPECT_EQ(seen[0].lParam, 0xE902);
}

TEST_F(HidrelaySim, RemovalPostsNotFoundAndStopsThatCollectionsReaderOnly)
{
    ASSERT_EQ(session_->initDriver(session_->app(), kAppMessage, 0xFF02), 1);
    ASSERT_EQ(session_->collect(1, 2000).size(), 1u);
    ASSERT_TRUE(receiver->waitForClients(kConsumer, 1, 2000));
    session_->deviceChange(kRemoveComplete, "\\\\.\\pipe\\kbdsim-consumer");
    const std::vector<Message> seen = session_->collect(1, 2000);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, 0x700u) << "got " << hex(seen[0].message);
    EXPECT_TRUE(receiver->waitForClients(kConsumer, 0, 2000));
    EXPECT_EQ(receiver->clients(kInput), 1);
    EXPECT_EQ(threadsInProcess(), baselineThreads_ + 1);
    ASSERT_EQ(send(kInput, numberedReport(9)), 1);
    expectNumberedStream(session_->collect(2, 3000), 9, 9);
}

TEST_F(HidrelaySim, ArrivalPostsNotFoundThenRescansAndReadsAgain)
{
    ASSERT_EQ(session_->initDriver(session_->app(), kAppMessage, 0xFF02), 1);
    ASSERT_EQ(session_->collect(1, 2000).size(), 1u);
    ASSERT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    session_->deviceChange(kArrival, "\\\\?\\hid#anything");
    const std::vector<Message> seen = session_->collect(2, 2000);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, 0x700u) << "got " << hex(seen[0].message);
    EXPECT_EQ(seen[1].message, 0x600u) << "got " << hex(seen[1].message);
    EXPECT_TRUE(receiver->waitForClients(kInput, 1, 2000));
    EXPECT_TRUE(receiver->waitForClients(kConsumer, 1, 2000));
    EXPECT_EQ(threadsInProcess(), baselineThreads_ + 2);
}

}  // namespace
}  // namespace kbdsim_test
