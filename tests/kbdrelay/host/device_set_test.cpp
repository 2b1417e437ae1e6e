// Scans, readers, device changes, feature reports and lookups of the device
// set, over a fake HID bus and real reader threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kbdrelay/device_set.h"
#include "tests/kbdrelay/host/fakes.h"

namespace kbdrelay::test {
namespace {

constexpr WindowHandle kApp = 0xA11;
constexpr WindowHandle kHidden = 0xB22;
constexpr std::uint32_t kAppMessage = 0x464;
const std::string kReceiver = "\\\\?\\hid#vid_1a2b&pid_0001";
const std::string kInput = kReceiver + "&col02#input";
const std::string kFeature = kReceiver + "&col03#feature";
const std::string kConsumer = kReceiver + "&col04#consumer";
const std::string kSecondReceiver = "\\\\?\\hid#vid_1a2b&pid_0002";
const std::string kSecondInput = kSecondReceiver + "&col02#input";

// A device-interface broadcast as WM_DEVICECHANGE's lParam points to it.
std::vector<std::uint8_t> broadcast(const std::string& name, std::uint32_t type = 5)
{
    std::vector<std::uint8_t> block(28 + name.size() + 1, 0);
    const std::uint32_t size = static_cast<std::uint32_t>(block.size());
    std::memcpy(&block[0], &size, 4);
    std::memcpy(&block[4], &type, 4);
    std::memcpy(&block[28], name.data(), name.size());
    return block;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

class DeviceSetTest : public ::testing::Test {
protected:
    ~DeviceSetTest() override
    {
        if (set_)
            set_->release();
    }

    DeviceSet& init(Variant variant, std::uint32_t reportPage = 0xFF02)
    {
        set_ = std::make_unique<DeviceSet>(variant, bus_, readers_, poster_);
        set_->configure(kApp, kAppMessage, reportPage);
        set_->setHiddenWindow(kHidden);
        set_->scan();
        return *set_;
    }

    std::vector<std::uint32_t> appMessages() const
    {
        std::vector<std::uint32_t> numbers;
        for (const Posted& p : poster_.to(kApp))
            numbers.push_back(p.message);
        return numbers;
    }

    std::vector<std::string> readPaths() const
    {
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < set_->deviceCount(); ++i) {
            if (set_->readerRunning(i))
                paths.push_back(set_->record(i).devicePath);
        }
        return paths;
    }

    void deviceChange(std::uint32_t event, const std::vector<std::uint8_t>& block)
    {
        set_->onDeviceChange(event, block.data());
    }

    FakeHidBus bus_;
    RecordingPoster poster_;
    ThreadReaderHost readers_{poster_};
    std::unique_ptr<DeviceSet> set_;
};

// --- Scan and records -------------------------------------------------------

TEST_F(DeviceSetTest, ScanBuildsOneRecordPerInterfaceInEnumerationOrder)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);

    ASSERT_EQ(set.deviceCount(), 4u);
    const HidDeviceRecord& input = set.record(1);
    EXPECT_STREQ(input.devicePath, kInput.c_str());
    EXPECT_EQ(input.usagePage, 0xFF02u);
    EXPECT_EQ(input.usage, 1u);
    EXPECT_EQ(input.vendorId, 0x1A2B);
    EXPECT_EQ(input.productId, 0x0001);
    EXPECT_EQ(input.versionNumber, 0x0110);
    EXPECT_EQ(input.inputReportLength, 9);
    EXPECT_EQ(input.featureReportLength, 5);
    EXPECT_EQ(input.handle, bus_.readHandleOf(kInput));
    EXPECT_NE(input.handle, 0u);
    EXPECT_EQ(set.record(2).handle, 0u);
    EXPECT_STREQ(set.record(3).devicePath, kConsumer.c_str());
    EXPECT_EQ(bus_.enumerationsBegun, 1);
    EXPECT_EQ(bus_.enumerationsEnded, 1);
}

TEST_F(DeviceSetTest, EnumerationListKeepsEveryInterfacePastItsFirstEightAndSixteen)
{
    for (int i = 0; i < 37; ++i)
        bus_.add("\\\\?\\hid#dev" + std::to_string(i), 0x0001, 0x02);
    DeviceSet& set = init(Variant::Kbdrelay);
    ASSERT_EQ(set.deviceCount(), 37u);
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(set.record(i).devicePath, "\\\\?\\hid#dev" + std::to_string(i));
}

TEST_F(DeviceSetTest, MemberThatFailsToEnumerateLeavesAnEmptyRecordAndTheScanGoesOn)
{
    bus_.addReceiver();
    bus_.interfaces[0].step = EnumStep::Failed;
    DeviceSet& set = init(Variant::Kbdrelay);

    ASSERT_EQ(set.deviceCount(), 4u);
    const HidDeviceRecord empty{};
    EXPECT_EQ(std::memcmp(&set.record(0), &empty, sizeof empty), 0);
    EXPECT_EQ(readPaths(), std::vector<std::string>{kInput});
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceFound});
}

TEST_F(DeviceSetTest, DetailFailureEndsTheScanWithNoInterfacesAndNoReaders)
{
    bus_.addReceiver();
    bus_.interfaces[3].step = EnumStep::Aborted;
    DeviceSet& set = init(Variant::Kbdrelay);

    EXPECT_EQ(set.deviceCount(), 0u);
    EXPECT_EQ(readers_.started(), 0);
    EXPECT_EQ(bus_.openHandles(), 0);
    EXPECT_EQ(bus_.enumerationsEnded, 1);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
}

TEST_F(DeviceSetTest, NoInterfaceSetOrNoInterfacesPostsDeviceNotFound)
{
    bus_.setUnavailable = true;
    init(Variant::Kbdrelay);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});

    poster_.clear();
    bus_.setUnavailable = false;
    init(Variant::Hidrelay);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
    EXPECT_EQ(set_->findRecord(0, 0), nullptr);
}

TEST_F(DeviceSetTest, EndlesslyFailingMembersDoNotKeepTheScanGoing)
{
    for (int i = 0; i < 5000; ++i)
        bus_.add("x", 0, 0).step = EnumStep::Failed;
    DeviceSet& set = init(Variant::Kbdrelay);
    EXPECT_EQ(set.deviceCount(), kMaxConsecutiveEnumFailures);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
}

TEST_F(DeviceSetTest, InterfaceThatCannotBeQueriedCarriesNoDataAndNeverQualifiesOrMatches)
{
    bus_.addReceiver();
    bus_.interfaces[1].queryable = false;  // the vendor input collection
    bus_.interfaces[3].queryable = false;  // the consumer collection
    DeviceSet& set = init(Variant::Hidrelay, 0);

    EXPECT_EQ(set.record(1).usagePage, 0u);
    EXPECT_EQ(set.record(1).vendorId, 0);
    EXPECT_EQ(set.record(1).versionNumber, 0);
    // Even a report usage page of 0 does not select it.
    EXPECT_TRUE(readPaths().empty());
    EXPECT_EQ(set.findRecord(0, 0), nullptr);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
}

TEST_F(DeviceSetTest, PathsThatDoNotFitTheRecordAreNeverUsedAndNeverOverflowIt)
{
    const std::string fits = "\\\\?\\" + std::string(kDevicePathSize - 5, 'a');
    const std::string tooLong = "\\\\?\\" + std::string(kDevicePathSize - 4, 'b');
    const std::string muchTooLong = "\\\\?\\" + std::string(4000, 'c');
    bus_.add(tooLong, 0xFF02, 1);
    bus_.add(muchTooLong, 0xFF02, 1);
    bus_.add(fits, 0xFF02, 1);
    DeviceSet& set = init(Variant::Kbdrelay);

    ASSERT_EQ(set.deviceCount(), 3u);
    EXPECT_STREQ(set.record(0).devicePath, "");
    EXPECT_EQ(set.record(0).usagePage, 0u);
    EXPECT_STREQ(set.record(1).devicePath, "");
    EXPECT_EQ(std::string(set.record(2).devicePath), fits);
    EXPECT_EQ(readPaths(), std::vector<std::string>{fits});
    EXPECT_EQ(bus_.readOpens(tooLong), 0);
}

// --- Which collections get readers ------------------------------------------

TEST_F(DeviceSetTest, KbdrelayReadsTheVendorInputCollectionAndReportsItFound)
{
    bus_.addReceiver();
    init(Variant::Kbdrelay);
    EXPECT_EQ(readPaths(), std::vector<std::string>{kInput});
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceFound});
    EXPECT_EQ(set_->postTarget(), kHidden);
}

TEST_F(DeviceSetTest, KbdrelayWithAnotherReportPageStillReadsTheInputButPostsNotFound)
{
    bus_.addReceiver();
    init(Variant::Kbdrelay, 0x000C);
    EXPECT_EQ(readPaths(), std::vector<std::string>{kInput});
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
}

TEST_F(DeviceSetTest, HidrelayReadsConsumerCollectionsAndThoseOfTheReportPage)
{
    bus_.addReceiver();
    init(Variant::Hidrelay, 0xFF01);
    EXPECT_EQ(readPaths(), (std::vector<std::string>{kFeature, kConsumer}));
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceFound});
}

TEST_F(DeviceSetTest, HidrelayWithOnlyConsumerCollectionsReadsThemButPostsNotFound)
{
    bus_.addReceiver();
    init(Variant::Hidrelay, 0x1234);
    EXPECT_EQ(readPaths(), std::vector<std::string>{kConsumer});
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
}

TEST_F(DeviceSetTest, TenthReaderEndsTheWalkBeforeItIsCountedAsFound)
{
    for (int i = 0; i < 9; ++i)
        bus_.add("\\\\?\\consumer" + std::to_string(i), 0x000C, 1);
    bus_.add("\\\\?\\vendor9", 0xFF02, 1);
    bus_.add("\\\\?\\vendor10", 0xFF02, 1);
    DeviceSet& set = init(Variant::Hidrelay, 0xFF02);

    EXPECT_EQ(set.startedCount(), kMaxReaders);
    EXPECT_EQ(readers_.started(), 10);
    EXPECT_NE(set.record(9).handle, 0u);
    EXPECT_EQ(bus_.readOpens("\\\\?\\vendor10"), 0);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
}

TEST_F(DeviceSetTest, TwelveInputCollectionsGetTenReadersAndCountNineAsFound)
{
    for (int i = 0; i < 12; ++i)
        bus_.add("\\\\?\\vendor" + std::to_string(i), 0xFF02, 1);
    DeviceSet& set = init(Variant::Kbdrelay);
    EXPECT_EQ(set.startedCount(), 10u);
    for (std::size_t n = 0; n < 10; ++n)
        EXPECT_EQ(set.startedIndex(n), n);
    EXPECT_EQ(readPaths().size(), 10u);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceFound});
}

TEST_F(DeviceSetTest, CollectionThatCannotBeOpenedGetsNoReaderButCountsAndIsFound)
{
    bus_.add("\\\\?\\locked", 0xFF02, 1).openable = false;
    DeviceSet& set = init(Variant::Kbdrelay);
    EXPECT_EQ(set.startedCount(), 1u);
    EXPECT_EQ(set.record(0).handle, 0u);
    EXPECT_EQ(readers_.started(), 0);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceFound});
}

TEST_F(DeviceSetTest, ReaderThreadThatCannotStartCountsAndItsHandleIsStillClosedOnStop)
{
    bus_.addReceiver();
    readers_.failStarts = true;
    DeviceSet& set = init(Variant::Kbdrelay);
    EXPECT_EQ(set.startedCount(), 1u);
    EXPECT_NE(set.record(1).handle, 0u);
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceFound});
    set.stopAllReaders();
    EXPECT_EQ(set.record(1).handle, 0u);
    EXPECT_EQ(bus_.openHandles(), 0);
}

TEST_F(DeviceSetTest, PositionsPastTheReaderTablesGetNoReader)
{
    for (int i = 0; i < 29; ++i)
        bus_.add("\\\\?\\mouse" + std::to_string(i), 0x0001, 2);
    bus_.add("\\\\?\\vendor29", 0xFF02, 1);
    bus_.add("\\\\?\\vendor30", 0xFF02, 1);
    bus_.add("\\\\?\\vendor31", 0xFF02, 1);
    DeviceSet& set = init(Variant::Kbdrelay);

    EXPECT_EQ(readPaths(), std::vector<std::string>{"\\\\?\\vendor29"});
    EXPECT_EQ(bus_.readOpens("\\\\?\\vendor30"), 0);
    EXPECT_EQ(bus_.readOpens("\\\\?\\vendor31"), 0);
    EXPECT_EQ(set.startedCount(), 3u);
    set.stopAllReaders();
    EXPECT_EQ(bus_.openHandles(), 0);
    EXPECT_EQ(bus_.badHandleUses, 0);
}

// --- Report messages --------------------------------------------------------

TEST_F(DeviceSetTest, ReportsGoToTheHiddenWindowAndAreRelayedInOrderUnderTheAppMessage)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    FakePort* port = readers_.port(bus_.readHandleOf(kInput));
    ASSERT_NE(port, nullptr);
    port->deliver(makeReport(0x1104, 0x77));
    ASSERT_TRUE(port->waitUntilSleepingOnRead(2));

    const std::vector<Posted> hidden = poster_.to(kHidden);
    ASSERT_EQ(hidden.size(), 2u);
    EXPECT_EQ(hidden[0], (Posted{kHidden, 0x501, 0, 0x1104}));
    EXPECT_EQ(hidden[1], (Posted{kHidden, 0x501, 1, 0x77}));

    poster_.clear();
    for (const Posted& p : hidden)
        set.relay(p.wParam, p.lParam);
    EXPECT_EQ(poster_.all(), (std::vector<Posted>{{kApp, kAppMessage, 0, 0x1104},
                                                  {kApp, kAppMessage, 1, 0x77}}));
}

TEST_F(DeviceSetTest, RelayedWordsTheAppQueueRefusesAreKeptAndPostedInOrder)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    poster_.clear();
    // The second word is refused: it and every later one wait in order.
    poster_.failNext({false, true, true});
    EXPECT_TRUE(set.relay(0, 0x1104));
    EXPECT_FALSE(set.relay(1, 0x77));
    EXPECT_FALSE(set.relay(0, 0x2204)) << "must not overtake the kept word";
    EXPECT_EQ(set.pendingWords(), 2u);
    poster_.failNext({true});
    EXPECT_FALSE(set.flushPending());
    EXPECT_TRUE(set.flushPending());
    EXPECT_EQ(set.pendingWords(), 0u);
    EXPECT_EQ(poster_.all(), (std::vector<Posted>{{kApp, kAppMessage, 0, 0x1104},
                                                  {kApp, kAppMessage, 1, 0x77},
                                                  {kApp, kAppMessage, 0, 0x2204}}));
}

TEST_F(DeviceSetTest, ARelayPostsTheKeptWordsFirstWithoutWaitingForTheFlushTimer)
{
    // While reports keep coming, the queue never runs empty of posted
    // messages, and a flush timer would never fire.
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    poster_.clear();
    poster_.failNext({true, true});
    EXPECT_FALSE(set.relay(0, 0x0104));
    EXPECT_FALSE(set.relay(1, 0x0201)) << "the kept word is refused again";
    EXPECT_EQ(set.pendingWords(), 2u);
    EXPECT_TRUE(set.relay(0, 0x0304));
    EXPECT_EQ(set.pendingWords(), 0u);
    EXPECT_EQ(poster_.all(), (std::vector<Posted>{{kApp, kAppMessage, 0, 0x0104},
                                                  {kApp, kAppMessage, 1, 0x0201},
                                                  {kApp, kAppMessage, 0, 0x0304}}));
}

TEST_F(DeviceSetTest, MessagesForAWindowThatIsGoneAreDroppedWithThoseKeptBefore)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Hidrelay);
    poster_.clear();
    poster_.failNext({true, true});
    EXPECT_FALSE(set.relay(0, 0x1104));
    EXPECT_FALSE(set.relay(1, 0x77));
    poster_.destroy(kApp);
    EXPECT_TRUE(set.flushPending()) << "nothing left to retry";
    EXPECT_TRUE(set.relay(0, 0x2204));
    deviceChange(kDeviceArrival, broadcast("anything"));  // 0x700, scan, 0x600
    EXPECT_EQ(set.pendingWords(), 0u);
    EXPECT_EQ(poster_.postsToGoneWindows(), 4) << "each tried once";
    EXPECT_TRUE(poster_.to(kApp).empty());
}

TEST_F(DeviceSetTest, DeviceMessagesRefusedByAFullQueueAreKeptInOrderWithTheWords)
{
    bus_.addReceiver();
    poster_.failNext({true});  // the first scan's 0x600
    DeviceSet& set = init(Variant::Hidrelay);
    EXPECT_EQ(set.pendingWords(), 1u);
    poster_.setFailAll(true);
    EXPECT_FALSE(set.relay(0, 0x1104));
    deviceChange(kDeviceArrival, broadcast("anything"));  // 0x700, scan, 0x600
    EXPECT_EQ(set.pendingWords(), 4u);
    poster_.setFailAll(false);
    EXPECT_TRUE(set.flushPending());
    poster_.failNext({true});
    deviceChange(kDeviceRemoveComplete, broadcast(kConsumer));
    EXPECT_EQ(set.pendingWords(), 1u);
    EXPECT_TRUE(set.relay(0, 0x2204));
    EXPECT_EQ(poster_.to(kApp), (std::vector<Posted>{{kApp, kDeviceFound, 0, 0},
                                                     {kApp, kAppMessage, 0, 0x1104},
                                                     {kApp, kDeviceNotFound, 0, 0},
                                                     {kApp, kDeviceFound, 0, 0},
                                                     {kApp, kDeviceNotFound, 0, 0},
                                                     {kApp, kAppMessage, 0, 0x2204}}));
}

TEST_F(DeviceSetTest, StoppedReadersPostNothingMoreAndReleaseTheirHandles)
{
    bus_.add("\\\\?\\a", 0xFF02, 1);
    bus_.add("\\\\?\\b", 0xFF02, 1);
    DeviceSet& set = init(Variant::Kbdrelay);
    FakePort* a = readers_.port(bus_.readHandleOf("\\\\?\\a"));
    FakePort* b = readers_.port(bus_.readHandleOf("\\\\?\\b"));
    ASSERT_TRUE(a && b);
    a->deliver(makeReport(0x1104));
    b->deliver(makeReport(0x2204));
    ASSERT_TRUE(a->waitUntilSleepingOnRead(2));
    ASSERT_TRUE(b->waitUntilSleepingOnRead(2));

    // Each reader's read completes just as it is asked to stop: a running
    // reader would post that report with its next read.
    readers_.reportAtStop = makeReport(0x3304, 0x55);
    set.stopAllReaders();
    EXPECT_EQ(readers_.running(), 0);
    EXPECT_EQ(readers_.stopsWithoutFlag(), 0);
    EXPECT_EQ(readers_.exitCodes(), (std::vector<std::uint32_t>{0, 0}));
    EXPECT_EQ(a->readsIssued(), 2) << "a read issued after the stop";
    EXPECT_EQ(b->readsIssued(), 2) << "a read issued after the stop";
    EXPECT_FALSE(a->readOutstanding());
    EXPECT_FALSE(b->readOutstanding());
    EXPECT_EQ(set.record(0).handle, 0u);
    EXPECT_EQ(set.record(1).handle, 0u);
    EXPECT_EQ(bus_.openHandles(), 0);

    std::vector<Posted> words = poster_.to(kHidden);
    std::sort(words.begin(), words.end(),
              [](const Posted& x, const Posted& y) { return x.lParam < y.lParam; });
    EXPECT_EQ(words, (std::vector<Posted>{{kHidden, 0x501, 0, 0x1104}, {kHidden, 0x501, 0, 0x2204}}));
    EXPECT_EQ(bus_.badHandleUses, 0);
}

TEST_F(DeviceSetTest, ReaderWhoseDeviceWentAwayEndsAndStopStillClosesItsHandle)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    FakePort* port = readers_.port(bus_.readHandleOf(kInput));
    ASSERT_TRUE(port->waitUntilSleepingOnRead(1));
    port->unplug();
    for (int i = 0; i < 500 && readers_.running() != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(readers_.exitCodes(), std::vector<std::uint32_t>{1});
    set.stopAllReaders();
    EXPECT_EQ(bus_.openHandles(), 0);
    EXPECT_EQ(bus_.badHandleUses, 0);
}

// --- Device changes ---------------------------------------------------------

TEST_F(DeviceSetTest, RemovalOfAStartedCollectionStopsOnlyItsReaderWithoutARescan)
{
    bus_.addReceiver();
    bus_.addReceiver(kSecondReceiver);
    DeviceSet& set = init(Variant::Kbdrelay);
    ASSERT_EQ(readPaths().size(), 2u);
    const HidDeviceRecord* second = &set.record(5);

    poster_.clear();
    deviceChange(kDeviceRemoveComplete, broadcast(upper(kInput)));
    EXPECT_EQ(readPaths(), std::vector<std::string>{kSecondInput});
    EXPECT_EQ(set.record(1).handle, 0u);
    EXPECT_EQ(readers_.running(), 1);
    EXPECT_EQ(bus_.openHandles(), 1);
    EXPECT_EQ(bus_.enumerationsBegun, 1);
    EXPECT_EQ(&set.record(5), second) << "records stay until the next scan";
    EXPECT_TRUE(poster_.all().empty());

    // The receiver still present keeps reporting.
    FakePort* port = readers_.port(bus_.readHandleOf(kSecondInput));
    ASSERT_NE(port, nullptr);
    port->deliver(makeReport(0x1104));
    ASSERT_TRUE(port->waitUntilSleepingOnRead(2));
    EXPECT_EQ(poster_.all(), (std::vector<Posted>{{kHidden, 0x501, 0, 0x1104}}));
}

TEST_F(DeviceSetTest, HidrelayPostsNotFoundBeforeStoppingOnRemoval)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Hidrelay);
    const HidDeviceRecord* feature = set.findRecord(0xFF01, 1);
    poster_.clear();
    deviceChange(kDeviceRemoveComplete, broadcast(kConsumer));
    EXPECT_EQ(appMessages(), std::vector<std::uint32_t>{kDeviceNotFound});
    EXPECT_EQ(readPaths(), std::vector<std::string>{kInput});
    EXPECT_EQ(set.findRecord(0xFF01, 1), feature);
}

TEST_F(DeviceSetTest, RemovalOfACollectionWithoutAReaderChangesNothing)
{
    bus_.addReceiver();
    init(Variant::Hidrelay);
    poster_.clear();
    deviceChange(kDeviceRemoveComplete, broadcast(kFeature));
    deviceChange(kDeviceRemoveComplete, broadcast(kInput.substr(0, kInput.size() - 1)));
    deviceChange(kDeviceRemoveComplete, broadcast(kInput + "x"));
    EXPECT_EQ(readPaths(), (std::vector<std::string>{kInput, kConsumer}));
    EXPECT_TRUE(poster_.all().empty());
}

TEST_F(DeviceSetTest, RemovalNameEndsWithTheBroadcastBlockEvenWithoutATerminator)
{
    bus_.addReceiver();
    init(Variant::Kbdrelay);
    std::vector<std::uint8_t> block = broadcast(kInput + "TRAILING");
    const std::uint32_t size = static_cast<std::uint32_t>(28 + kInput.size());
    std::memcpy(&block[0], &size, 4);
    deviceChange(kDeviceRemoveComplete, block);
    EXPECT_TRUE(readPaths().empty());
}

TEST_F(DeviceSetTest, ArrivalOfAnyDeviceRestartsAllReadersAndPostsAFreshResult)
{
    bus_.addReceiver();
    init(Variant::Kbdrelay);
    const DeviceHandle first = bus_.readHandleOf(kInput);

    bus_.add("\\\\?\\hid#some_mouse", 0x0001, 2);
    deviceChange(0x12340000 | kDeviceArrival, broadcast("\\\\?\\hid#some_mouse"));
    EXPECT_EQ(readers_.started(), 2);
    EXPECT_EQ(readers_.running(), 1);
    EXPECT_EQ(readers_.exitCodes(), std::vector<std::uint32_t>{0});
    EXPECT_NE(bus_.readHandleOf(kInput), first);
    EXPECT_EQ(set_->deviceCount(), 5u);
    EXPECT_EQ(appMessages(), (std::vector<std::uint32_t>{kDeviceFound, kDeviceFound}));
}

TEST_F(DeviceSetTest, HidrelayPostsNotFoundBeforeRescanningOnArrival)
{
    bus_.addReceiver();
    init(Variant::Hidrelay);
    deviceChange(kDeviceArrival, broadcast("anything"));
    EXPECT_EQ(appMessages(),
              (std::vector<std::uint32_t>{kDeviceFound, kDeviceNotFound, kDeviceFound}));
    EXPECT_EQ(readPaths(), (std::vector<std::string>{kInput, kConsumer}));
}

TEST_F(DeviceSetTest, ArrivalAfterARemovalStartsTheReadersAgain)
{
    bus_.addReceiver();
    init(Variant::Kbdrelay);
    deviceChange(kDeviceRemoveComplete, broadcast(kInput));
    ASSERT_TRUE(readPaths().empty());
    deviceChange(kDeviceArrival, broadcast(kInput));
    EXPECT_EQ(readPaths(), std::vector<std::string>{kInput});
}

TEST_F(DeviceSetTest, RescanThatFindsNothingForgetsTheStartedCollections)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    bus_.interfaces.clear();
    deviceChange(kDeviceArrival, broadcast("gone"));
    EXPECT_EQ(set.deviceCount(), 0u);
    EXPECT_EQ(set.startedCount(), 0u);
    poster_.clear();
    deviceChange(kDeviceRemoveComplete, broadcast(kInput));
    EXPECT_TRUE(poster_.all().empty());
}

TEST_F(DeviceSetTest, OtherEventsDeviceTypesAndMissingBroadcastsAreIgnored)
{
    bus_.addReceiver();
    init(Variant::Hidrelay);
    poster_.clear();
    deviceChange(kDeviceRemoveComplete, broadcast(kInput, 3));
    deviceChange(kDeviceArrival, broadcast(kInput, 2));
    deviceChange(0x8001, broadcast(kInput));  // query remove
    set_->onDeviceChange(0x0007, nullptr);    // nodes changed
    set_->onDeviceChange(kDeviceArrival, nullptr);
    std::vector<std::uint8_t> tiny = broadcast("", 5);
    const std::uint32_t size = 8;
    std::memcpy(&tiny[0], &size, 4);
    deviceChange(kDeviceArrival, tiny);

    EXPECT_TRUE(poster_.all().empty());
    EXPECT_EQ(bus_.enumerationsBegun, 1);
    EXPECT_EQ(readPaths().size(), 2u);
}

TEST_F(DeviceSetTest, ARescanWakesAllItsReadersBeforeWaitingForAny)
{
    for (int i = 0; i < 3; ++i)
        bus_.add("\\\\?\\vendor" + std::to_string(i), 0xFF02, 1);
    DeviceSet& set = init(Variant::Kbdrelay);
    ASSERT_EQ(readPaths().size(), 3u);
    deviceChange(kDeviceArrival, broadcast("anything"));
    EXPECT_EQ(readers_.stopBatches(), std::vector<std::size_t>{3});
    deviceChange(kDeviceRemoveComplete, broadcast("\\\\?\\vendor1"));
    set.stopAllReaders();
    EXPECT_EQ(readers_.stopBatches(), (std::vector<std::size_t>{3, 1, 2}));
    EXPECT_EQ(readers_.stopsWithoutFlag(), 0);
    EXPECT_EQ(readers_.running(), 0);
    EXPECT_EQ(bus_.openHandles(), 0);
}

// --- Feature reports and lookups --------------------------------------------

TEST_F(DeviceSetTest, FeatureReportGoesToEveryMatchingCollectionInOrderAsExactlyFiveBytes)
{
    bus_.addReceiver();
    bus_.addReceiver(kSecondReceiver);
    DeviceSet& set = init(Variant::Kbdrelay);
    const std::uint8_t report[8] = {3, 4, 0, 0, 9, 0xEE, 0xEE, 0xEE};
    set.setFeatures(0xFF01, 1, report);

    ASSERT_EQ(bus_.features.size(), 2u);
    EXPECT_EQ(bus_.features[0].path, kFeature);
    EXPECT_EQ(bus_.features[1].path, "\\\\?\\hid#vid_1a2b&pid_0002&col03#feature");
    for (const SentFeature& sent : bus_.features)
        EXPECT_EQ(sent.bytes, (std::vector<std::uint8_t>{3, 4, 0, 0, 9}));
    EXPECT_EQ(set.record(2).handle, 0u);
    EXPECT_EQ(bus_.openHandles(), 2);  // the two readers' handles only
}

TEST_F(DeviceSetTest, FeatureReportWithNoMatchOrNoBufferSendsNothing)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    const std::uint8_t report[5] = {3, 4, 0, 0, 0};
    set.setFeatures(0xFF01, 2, report);
    set.setFeatures(0xFF03, 1, report);
    set.setFeatures(0xFF01, 1, nullptr);
    EXPECT_TRUE(bus_.features.empty());
    EXPECT_EQ(bus_.openHandles(), 1);
}

TEST_F(DeviceSetTest, FeatureReportToAReadCollectionLeavesItsReaderStoppable)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Kbdrelay);
    const DeviceHandle readerHandle = set.record(1).handle;
    const std::uint8_t report[5] = {5, 1, 2, 3, 4};
    set.setFeatures(0xFF02, 1, report);
    ASSERT_EQ(bus_.features.size(), 1u);
    EXPECT_EQ(set.record(1).handle, readerHandle);
    EXPECT_TRUE(set.readerRunning(1));

    set.stopAllReaders();
    EXPECT_EQ(readers_.running(), 0);
    EXPECT_EQ(bus_.openHandles(), 0);
    EXPECT_EQ(bus_.badHandleUses, 0);
}

TEST_F(DeviceSetTest, LookupsFindTheFirstMatchingRecordOrNothing)
{
    bus_.addReceiver();
    bus_.add("\\\\?\\second_feature", 0xFF01, 1).info.versionNumber = 0x0222;
    DeviceSet& set = init(Variant::Hidrelay);

    EXPECT_EQ(set.findRecord(0xFF01, 1), &set.record(2));
    EXPECT_EQ(set.revision(0xFF01, 1), 0x0110);
    EXPECT_EQ(set.findRecord(0xFF01, 2), nullptr);
    EXPECT_EQ(set.revision(0xFF01, 2), 0);
    EXPECT_EQ(set.findRecord(0x000C, 1), &set.record(3));
}

TEST_F(DeviceSetTest, LookupBeforeAnyScanFindsNothing)
{
    DeviceSet set(Variant::Hidrelay, bus_, readers_, poster_);
    EXPECT_EQ(set.findRecord(0xFF01, 1), nullptr);
    EXPECT_EQ(set.revision(0xFF01, 1), 0);
    set.relay(0, 1);  // before configure: the default message number
    EXPECT_EQ(poster_.all(), (std::vector<Posted>{{0, 0x500, 0, 1}}));
}

TEST_F(DeviceSetTest, ReleaseStopsTheReadersAndFreesTheRecords)
{
    bus_.addReceiver();
    DeviceSet& set = init(Variant::Hidrelay);
    set.release();
    EXPECT_EQ(readers_.running(), 0);
    EXPECT_EQ(set.deviceCount(), 0u);
    EXPECT_EQ(set.findRecord(0xFF02, 1), nullptr);
    EXPECT_EQ(bus_.openHandles(), 0);
}

// --- Notification filter and interface names --------------------------------

TEST(NotificationFilter, HoldsSizeTypeGuidAndNameAtTheirOffsets)
{
    const std::uint8_t guid[16] = {0xB2, 0x55, 0x1E, 0x4D, 0x6F, 0xF1, 0xCF, 0x11,
                                   0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30};
    const auto block = notificationFilter(guid);
    std::array<std::uint8_t, 46> expected{};
    expected[0] = 32;
    expected[4] = 5;
    std::memcpy(&expected[12], guid, 16);
    std::memcpy(&expected[28], "CHIDKBD", 7);
    EXPECT_EQ(block, expected);
}

TEST(InterfaceName, ComparesWholeNamesIgnoringAsciiCase)
{
    const char* path = "\\\\?\\hid#Vid_1A2B";
    EXPECT_TRUE(sameInterfaceName("\\\\?\\HID#vid_1a2b", 16, path));
    EXPECT_FALSE(sameInterfaceName("\\\\?\\HID#vid_1a2", 15, path));
    EXPECT_FALSE(sameInterfaceName("\\\\?\\HID#vid_1a2bc", 17, path));
    EXPECT_FALSE(sameInterfaceName("\\\\?\\hid#vid_1a2c", 16, path));
}

}  // namespace
}  // namespace kbdrelay::test
