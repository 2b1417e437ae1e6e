// The real kbdrelay.dll and hidrelay.dll against the simulated receiver:
// enumeration, opens, overlapped reads, the relay through the hidden
// window, feature reports, device changes and unloading.
#include <windows.h>

#include <dbt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

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

class SimEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
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

TEST_F(HidrelaySim, RemovalPostsNotFoundAndStopsBothReaders)
{
    ASSERT_EQ(session_->initDriver(session_->app(), kAppMessage, 0xFF02), 1);
    ASSERT_EQ(session_->collect(1, 2000).size(), 1u);
    ASSERT_TRUE(receiver->waitForClients(kConsumer, 1, 2000));
    session_->deviceChange(kRemoveComplete, "\\\\.\\pipe\\kbdsim-consumer");
    const std::vector<Message> seen = session_->collect(1, 2000);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, 0x700u) << "got " << hex(seen[0].message);
    EXPECT_TRUE(receiver->waitForClients(kInput, 0, 2000));
    EXPECT_TRUE(receiver->waitForClients(kConsumer, 0, 2000));
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
