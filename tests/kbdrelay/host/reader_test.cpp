// The reader loop against a port whose reads complete when the test says.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "kbdrelay/reader.h"
#include "tests/kbdrelay/host/fakes.h"

namespace kbdrelay::test {
namespace {

constexpr WindowHandle kHidden = 0xB22;
using Word = std::pair<std::uint32_t, std::uint32_t>;  // wParam, lParam

class ReaderLoop : public ::testing::Test {
protected:
    ~ReaderLoop() override
    {
        if (thread_.joinable())
            stop();
    }

    void start()
    {
        thread_ = std::thread([this] { exitCode_ = runReader(stopFlag_, port_, sink_, buffers_); });
    }

    void stop()
    {
        stopFlag_ = kStop;
        port_.wake();
        thread_.join();
    }

    std::vector<Word> words() const
    {
        std::vector<Word> result;
        for (const Posted& p : poster_.all()) {
            EXPECT_EQ(p.window, kHidden);
            EXPECT_EQ(p.message, 0x501u);
            result.emplace_back(p.wParam, p.lParam);
        }
        return result;
    }

    std::atomic<std::uint32_t> stopFlag_{kRun};
    FakePort port_{&stopFlag_};
    RecordingPoster poster_;
    PosterSink sink_{poster_, kHidden};
    ReportBuffers buffers_{};
    std::thread thread_;
    std::uint32_t exitCode_ = 99;
};

TEST_F(ReaderLoop, FirstLookIsSilentAndEachReportIsPostedAfterTheNextReadIsIssued)
{
    start();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(1));
    EXPECT_TRUE(words().empty());

    port_.deliver(makeReport(0x00001104, 0x0D0C0B0A));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(2));
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x00001104}, {1, 0x0D0C0B0A}}));
}

TEST_F(ReaderLoop, ZeroFirstWordIsPostedAsOneZeroMessageEvenForTheFirstReport)
{
    start();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(1));
    port_.deliver(makeReport(0, 0x55555555));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(2));
    EXPECT_EQ(words(), (std::vector<Word>{{1, 0}}));

    port_.deliver(makeReport(0, 0));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(3));
    EXPECT_EQ(words(), (std::vector<Word>{{1, 0}, {1, 0}}));
}

TEST_F(ReaderLoop, ZeroSecondWordGivesExactlyOneMessage)
{
    start();
    port_.deliver(makeReport(0x104, 0));
    port_.deliver(makeReport(0x2001, 0));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(3));
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x104}, {0, 0x2001}}));
}

TEST_F(ReaderLoop, BurstQueuedBeforeTheReaderStartsArrivesCompleteAndInOrder)
{
    constexpr std::uint32_t kCount = 2000;
    std::vector<Word> expected;
    for (std::uint32_t i = 1; i <= kCount; ++i) {
        port_.deliver(makeReport(i, 0xA0000000 | i));
        expected.emplace_back(0, i);
        expected.emplace_back(1, 0xA0000000 | i);
    }
    start();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(kCount + 1));
    EXPECT_EQ(words(), expected);
    EXPECT_EQ(port_.overlappingReads(), 0);
}

TEST_F(ReaderLoop, ReportsDeliveredWhileTheReaderRunsAreNeitherLostNorReordered)
{
    constexpr std::uint32_t kCount = 5000;
    start();
    std::vector<Word> expected;
    for (std::uint32_t i = 1; i <= kCount; ++i) {
        port_.deliver(makeReport(i << 8 | 4));
        expected.emplace_back(0, i << 8 | 4);
    }
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(kCount + 1));
    EXPECT_EQ(words(), expected);
    EXPECT_EQ(port_.overlappingReads(), 0);
}

TEST_F(ReaderLoop, StopDuringTheWaitWithdrawsTheReadBeforeTheReaderEnds)
{
    start();
    port_.deliver(makeReport(0x104));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(2));
    stop();
    EXPECT_EQ(exitCode_, 0u);
    EXPECT_EQ(port_.cancels(), 1);
    EXPECT_FALSE(port_.readOutstanding());
    EXPECT_EQ(port_.readsIssued(), 2);
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x104}}));
}

TEST_F(ReaderLoop, ReportThatCompletesAsTheStopIsRequestedIsNotPosted)
{
    start();
    port_.deliver(makeReport(0x104));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(2));
    // The read completes after the flag is set and before the reader wakes.
    stopFlag_ = kStop;
    port_.deliver(makeReport(0x204, 0x66));
    port_.wake();
    thread_.join();
    EXPECT_EQ(exitCode_, 0u);
    EXPECT_EQ(port_.readsIssued(), 2) << "a read issued after the stop";
    EXPECT_EQ(port_.cancels(), 0) << "no read was outstanding";
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x104}}));
}

TEST_F(ReaderLoop, StopAlreadySetEndsTheReaderBeforeItsFirstRead)
{
    stopFlag_ = kStop;
    start();
    thread_.join();
    EXPECT_EQ(exitCode_, 0u);
    EXPECT_EQ(port_.readsIssued(), 0);
}

TEST_F(ReaderLoop, ReadThatCannotBeIssuedEndsTheReaderWithExitCodeOne)
{
    start();
    port_.deliver(makeReport(0x304));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(2));
    port_.unplug();
    thread_.join();
    EXPECT_EQ(exitCode_, 1u);
    EXPECT_EQ(port_.cancels(), 0);
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x304}}));
}

TEST(ReportWord, IsLittleEndianWithByteZeroLowest)
{
    const std::uint8_t bytes[4] = {0x04, 0x13, 0x00, 0x80};
    EXPECT_EQ(reportWord(bytes), 0x80001304u);
}

// Waits until the reader has posted `count` words or five seconds passed.
bool waitForWords(const RecordingPoster& poster, std::size_t count)
{
    for (int i = 0; i < 500 && poster.all().size() < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return poster.all().size() >= count;
}

TEST_F(ReaderLoop, FailedPostsAreRetriedUntilDeliveredAndAReportStaysWhole)
{
    start();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(1));
    // Both words refused a few times, then the second word alone.
    poster_.failNext({true, true, true, false, true, true});
    port_.deliver(makeReport(0x1104, 0x0D0C0B0A));
    port_.deliver(makeReport(0x2204, 0x04030201));
    ASSERT_TRUE(waitForWords(poster_, 4)) << "got " << poster_.all().size() << " words";
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x1104}, {1, 0x0D0C0B0A}, {0, 0x2204}, {1, 0x04030201}}));
    EXPECT_EQ(poster_.failures(), 5);
    EXPECT_GE(port_.pauses(), 5) << "retries wait between attempts";
}

TEST_F(ReaderLoop, StopEndsAReaderThatCanNotPost)
{
    start();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(1));
    poster_.setFailAll(true);
    port_.deliver(makeReport(0x1104));
    for (int i = 0; i < 500 && poster_.failures() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(poster_.failures(), 3);
    const int failuresBefore = poster_.failures();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // Backed off, not spinning: the waits are bounded, so few attempts.
    EXPECT_LT(poster_.failures() - failuresBefore, 60);
    const auto begin = std::chrono::steady_clock::now();
    stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));
    EXPECT_EQ(exitCode_, 0u);
    EXPECT_FALSE(port_.readOutstanding());
    EXPECT_TRUE(words().empty());
}

TEST_F(ReaderLoop, ReadThatCompletesWithAnErrorPostsNothing)
{
    start();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(1));
    port_.deliverError();
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(2));
    port_.deliver(makeReport(0x3304));
    ASSERT_TRUE(port_.waitUntilSleepingOnRead(3));
    EXPECT_EQ(words(), (std::vector<Word>{{0, 0x3304}}));
}

}  // namespace
}  // namespace kbdrelay::test
