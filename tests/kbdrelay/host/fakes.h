// In-memory stand-ins for the platform under the driver library: a HID bus
// whose interfaces the test lays out, report ports whose reads complete
// when the test delivers a report, and a message recorder.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "kbdrelay/hid_bus.h"
#include "kbdrelay/reader.h"
#include "kbdrelay/reader_host.h"

namespace kbdrelay::test {

using Report = std::array<std::uint8_t, kReportSize>;

// A report whose first eight bytes are the two little-endian words given.
Report makeReport(std::uint32_t low, std::uint32_t high = 0);

struct Posted {
    WindowHandle window;
    std::uint32_t message;
    std::uint32_t wParam;
    std::uint32_t lParam;
    bool operator==(const Posted&) const = default;
};

// GoogleTest shows a Posted as "window: message (wParam, lParam)".
void PrintTo(const Posted& posted, std::ostream* out);

class RecordingPoster final : public MessagePoster {
public:
    PostResult post(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                    std::uint32_t lParam) override;
    std::vector<Posted> all() const;
    std::vector<Posted> to(WindowHandle window) const;
    void clear();
    // A full queue: the next posts fail as the pattern says (true = fail),
    // then all while failAll is set.
    void failNext(std::deque<bool> pattern);
    void setFailAll(bool fail);
    int failures() const;
    // The window is destroyed: posts to it fail for good.
    void destroy(WindowHandle window);
    int postsToGoneWindows() const;

private:
    mutable std::mutex mutex_;
    std::vector<Posted> posted_;
    std::deque<bool> pattern_;
    bool failAll_ = false;
    int failures_ = 0;
    std::vector<WindowHandle> gone_;
    int postsToGone_ = 0;
};

// One open collection as its reader sees it. Reports delivered while no read
// is outstanding are queued, as the HID class driver does, and complete the
// next read at once: straight into the buffer that read names.
class FakePort final : public ReportPort {
public:
    explicit FakePort(const std::atomic<std::uint32_t>* stopFlag) : stopFlag_(stopFlag) {}

    bool beginRead(std::uint8_t* buffer) override;
    bool waitForRead() override;
    void cancelRead() override;
    bool readSucceeded() override;
    bool pauseBeforeRetry(unsigned attempt) override;

    void deliver(const Report& report);
    // A read that completes with an error and no report.
    void deliverError();
    // The device goes away: the outstanding read fails, later ones can't be issued.
    void unplug();
    // Called by whoever set the stop flag.
    void wake();
    // Waits until the reader sleeps on its n-th read (counted from 1).
    bool waitUntilSleepingOnRead(int n);

    int readsIssued() const;
    int cancels() const;
    bool readOutstanding() const;
    int pauses() const;
    int overlappingReads() const;

private:
    const std::atomic<std::uint32_t>* stopFlag_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Report> queued_;
    std::deque<bool> queuedFailed_;
    bool lastFailed_ = false;
    std::uint8_t* pending_ = nullptr;  // buffer of the outstanding read
    bool completed_ = false;
    bool sleeping_ = false;
    bool unplugged_ = false;
    int reads_ = 0;
    int cancels_ = 0;
    int overlapping_ = 0;
    int pauses_ = 0;
};

// Posts what a reader hands on, as message 0x501 to its post target.
class PosterSink final : public ReportSink {
public:
    PosterSink(MessagePoster& poster, WindowHandle target) : poster_(poster), target_(target) {}
    bool post(std::uint32_t wParam, std::uint32_t lParam) override;

private:
    MessagePoster& poster_;
    WindowHandle target_;
};

// Real threads running runReader over FakePorts.
class ThreadReaderHost final : public ReaderHost {
public:
    explicit ThreadReaderHost(MessagePoster& poster) : poster_(poster) {}
    ~ThreadReaderHost() override;

    Thread start(const ReaderLaunch& launch) override;
    void stop(const Thread* threads, std::size_t count) override;

    bool failStarts = false;
    // A report that completes each stopping reader's read after its stop
    // flag was set and before it is woken, as a device may at that moment.
    std::optional<Report> reportAtStop;

    // The port of the most recent reader started on a handle.
    FakePort* port(DeviceHandle handle);
    int running() const;
    int started() const;
    std::vector<std::uint32_t> exitCodes() const;
    int stopsWithoutFlag() const { return stopsWithoutFlag_; }
    // How many readers each call of stop was given.
    std::vector<std::size_t> stopBatches() const { return stopBatches_; }

private:
    struct Reader {
        DeviceHandle handle = 0;
        const std::atomic<std::uint32_t>* stopFlag = nullptr;
        std::unique_ptr<FakePort> port;
        std::unique_ptr<PosterSink> sink;
        ReportBuffers buffers{};
        std::thread thread;
        std::atomic<bool> done{false};
        std::uint32_t exitCode = 0;
        bool stopped = false;
    };

    MessagePoster& poster_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Reader>> readers_;
    int stopsWithoutFlag_ = 0;
    std::vector<std::size_t> stopBatches_;
};

struct FakeInterface {
    std::string path;
    CollectionInfo info;
    EnumStep step = EnumStep::Interface;
    bool queryable = true;
    bool openable = true;
};

CollectionInfo collection(std::uint16_t usagePage, std::uint16_t usage);

struct SentFeature {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

class FakeHidBus final : public HidBus {
public:
    bool beginEnumeration() override;
    EnumStep enumerate(std::uint32_t memberIndex, DevicePath& path) override;
    void endEnumeration() override;
    bool queryCollection(const char* path, CollectionInfo& info) override;
    DeviceHandle openForReading(const char* path) override;
    DeviceHandle openForFeature(const char* path) override;
    void sendFeature(DeviceHandle handle, const std::uint8_t* report,
                     std::size_t length) override;
    void close(DeviceHandle handle) override;

    FakeInterface& add(const std::string& path, std::uint16_t usagePage, std::uint16_t usage);
    // The receiver as Windows shows it: boot keyboard, vendor input and
    // feature collections, consumer control.
    void addReceiver(const std::string& prefix = "\\\\?\\hid#vid_1a2b&pid_0001");

    std::vector<FakeInterface> interfaces;
    bool setUnavailable = false;
    std::vector<SentFeature> features;
    int enumerationsBegun = 0;
    int enumerationsEnded = 0;
    int badHandleUses = 0;

    DeviceHandle readHandleOf(const std::string& path) const;
    int openHandles() const { return static_cast<int>(open_.size()); }
    int readOpens(const std::string& path) const;

private:
    struct OpenHandle {
        std::string path;
        bool forReading;
    };
    const FakeInterface* find(const std::string& path) const;
    DeviceHandle open(const char* path, bool forReading);

    DeviceHandle next_ = 0x100;
    std::map<DeviceHandle, OpenHandle> open_;
    std::vector<std::string> readOpens_;
};

}  // namespace kbdrelay::test
