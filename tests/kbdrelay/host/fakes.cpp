#include "tests/kbdrelay/host/fakes.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kbdrelay::test {

namespace {
constexpr auto kPatience = std::chrono::seconds(5);
}

Report makeReport(std::uint32_t low, std::uint32_t high)
{
    Report report{};
    for (int i = 0; i < 4; ++i) {
        report[i] = static_cast<std::uint8_t>(low >> (8 * i));
        report[4 + i] = static_cast<std::uint8_t>(high >> (8 * i));
    }
    return report;
}

void PrintTo(const Posted& posted, std::ostream* out)
{
    *out << std::hex << "0x" << posted.window << ": 0x" << posted.message << " (" << std::dec
         << posted.wParam << ", 0x" << std::hex << posted.lParam << std::dec << ")";
}

PostResult RecordingPoster::post(WindowHandle window, std::uint32_t message,
                                 std::uint32_t wParam, std::uint32_t lParam)
{
    std::lock_guard lock(mutex_);
    if (std::find(gone_.begin(), gone_.end(), window) != gone_.end()) {
        ++postsToGone_;
        return PostResult::NoWindow;
    }
    bool fail = failAll_;
    if (!pattern_.empty()) {
        fail = pattern_.front();
        pattern_.pop_front();
    }
    if (fail) {
        ++failures_;
        return PostResult::Refused;
    }
    posted_.push_back({window, message, wParam, lParam});
    return PostResult::Posted;
}

void RecordingPoster::destroy(WindowHandle window)
{
    std::lock_guard lock(mutex_);
    gone_.push_back(window);
}

int RecordingPoster::postsToGoneWindows() const
{
    std::lock_guard lock(mutex_);
    return postsToGone_;
}

void RecordingPoster::failNext(std::deque<bool> pattern)
{
    std::lock_guard lock(mutex_);
    pattern_ = std::move(pattern);
}

void RecordingPoster::setFailAll(bool fail)
{
    std::lock_guard lock(mutex_);
    failAll_ = fail;
}

int RecordingPoster::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

std::vector<Posted> RecordingPoster::all() const
{
    std::lock_guard lock(mutex_);
    return posted_;
}

std::vector<Posted> RecordingPoster::to(WindowHandle window) const
{
    std::vector<Posted> result;
    for (const Posted& p : all()) {
        if (p.window == window)
            result.push_back(p);
    }
    return result;
}

void RecordingPoster::clear()
{
    std::lock_guard lock(mutex_);
    posted_.clear();
}

bool FakePort::beginRead(std::uint8_t* buffer)
{
    std::lock_guard lock(mutex_);
    if (unplugged_)
        return false;
    if (pending_ != nullptr)
        ++overlapping_;
    ++reads_;
    completed_ = false;
    if (!queued_.empty()) {
        lastFailed_ = queuedFailed_.front();
        if (!lastFailed_)
            std::memcpy(buffer, queued_.front().data(), kReportSize);
        queued_.pop_front();
        queuedFailed_.pop_front();
        pending_ = nullptr;
        completed_ = true;
    } else {
        pending_ = buffer;
    }
    changed_.notify_all();
    return true;
}

bool FakePort::waitForRead()
{
    std::unique_lock lock(mutex_);
    sleeping_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return completed_ || stopFlag_->load() != kRun; });
    sleeping_ = false;
    const bool completed = completed_;
    completed_ = false;
    return completed;
}

void FakePort::cancelRead()
{
    std::lock_guard lock(mutex_);
    ++cancels_;
    pending_ = nullptr;
}

void FakePort::deliver(const Report& report)
{
    std::lock_guard lock(mutex_);
    if (pending_ != nullptr) {
        std::memcpy(pending_, report.data(), kReportSize);
        pending_ = nullptr;
        completed_ = true;
        lastFailed_ = false;
        changed_.notify_all();
    } else {
        queued_.push_back(report);
        queuedFailed_.push_back(false);
    }
}

void FakePort::deliverError()
{
    std::lock_guard lock(mutex_);
    if (pending_ != nullptr) {
        pending_ = nullptr;
        completed_ = true;
        lastFailed_ = true;
        changed_.notify_all();
    } else {
        queued_.push_back(Report{});
        queuedFailed_.push_back(true);
    }
}

void FakePort::unplug()
{
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    if (pending_ != nullptr) {
        pending_ = nullptr;
        completed_ = true;
        lastFailed_ = true;
    }
    changed_.notify_all();
}

bool FakePort::readSucceeded()
{
    std::lock_guard lock(mutex_);
    return !lastFailed_;
}

bool FakePort::pauseBeforeRetry(unsigned attempt)
{
    std::unique_lock lock(mutex_);
    ++pauses_;
    changed_.wait_for(lock, std::chrono::milliseconds(retryPauseMs(attempt)),
                      [&] { return stopFlag_->load() != kRun; });
    return stopFlag_->load() == kRun;
}

int FakePort::pauses() const
{
    std::lock_guard lock(mutex_);
    return pauses_;
}

void FakePort::wake()
{
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

bool FakePort::waitUntilSleepingOnRead(int n)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return sleeping_ && reads_ >= n; });
}

int FakePort::readsIssued() const
{
    std::lock_guard lock(mutex_);
    return reads_;
}

int FakePort::cancels() const
{
    std::lock_guard lock(mutex_);
    return cancels_;
}

bool FakePort::readOutstanding() const
{
    std::lock_guard lock(mutex_);
    return pending_ != nullptr;
}

int FakePort::overlappingReads() const
{
    std::lock_guard lock(mutex_);
    return overlapping_;
}

bool PosterSink::post(std::uint32_t wParam, std::uint32_t lParam)
{
    return poster_.post(target_, 0x501, wParam, lParam) == PostResult::Posted;
}

ThreadReaderHost::~ThreadReaderHost()
{
    for (auto& reader : readers_) {
        if (reader->thread.joinable()) {
            // A test that did not stop its readers: end them the same way.
            const_cast<std::atomic<std::uint32_t>*>(reader->stopFlag)->store(kStop);
            reader->port->wake();
            reader->thread.join();
        }
    }
}

ReaderHost::Thread ThreadReaderHost::start(const ReaderLaunch& launch)
{
    if (failStarts)
        return 0;
    auto reader = std::make_unique<Reader>();
    reader->handle = launch.readHandle;
    reader->stopFlag = launch.stopFlag;
    reader->port = std::make_unique<FakePort>(launch.stopFlag);
    reader->sink = std::make_unique<PosterSink>(poster_, launch.postTarget);
    Reader* raw = reader.get();
    reader->thread = std::thread([raw] {
        raw->exitCode = runReader(*raw->stopFlag, *raw->port, *raw->sink, raw->buffers);
        raw->done = true;
    });
    std::lock_guard lock(mutex_);
    readers_.push_back(std::move(reader));
    return reinterpret_cast<Thread>(raw);
}

void ThreadReaderHost::stop(const Thread* threads, std::size_t count)
{
    stopBatches_.push_back(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto* reader = reinterpret_cast<Reader*>(threads[i]);
        if (reader->stopFlag->load() == kRun)
            ++stopsWithoutFlag_;
        if (reportAtStop)
            reader->port->deliver(*reportAtStop);
        reader->port->wake();
    }
    for (std::size_t i = 0; i < count; ++i) {
        auto* reader = reinterpret_cast<Reader*>(threads[i]);
        reader->thread.join();
        reader->stopped = true;
    }
}

FakePort* ThreadReaderHost::port(DeviceHandle handle)
{
    std::lock_guard lock(mutex_);
    for (auto it = readers_.rbegin(); it != readers_.rend(); ++it) {
        if ((*it)->handle == handle)
            return (*it)->port.get();
    }
    return nullptr;
}

int ThreadReaderHost::running() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(readers_.begin(), readers_.end(),
                                          [](const auto& r) { return !r->done; }));
}

int ThreadReaderHost::started() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(readers_.size());
}

std::vector<std::uint32_t> ThreadReaderHost::exitCodes() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::uint32_t> codes;
    for (const auto& r : readers_) {
        if (r->done)
            codes.push_back(r->exitCode);
    }
    return codes;
}

CollectionInfo collection(std::uint16_t usagePage, std::uint16_t usage)
{
    CollectionInfo info;
    info.usagePage = usagePage;
    info.usage = usage;
    info.vendorId = 0x1A2B;
    info.productId = 0x0001;
    info.versionNumber = 0x0110;
    info.inputReportLength = 9;
    info.featureReportLength = 5;
    return info;
}

FakeInterface& FakeHidBus::add(const std::string& path, std::uint16_t usagePage,
                               std::uint16_t usage)
{
    FakeInterface& added = interfaces.emplace_back();
    added.path = path;
    added.info = collection(usagePage, usage);
    return added;
}

void FakeHidBus::addReceiver(const std::string& prefix)
{
    add(prefix + "&col01#keyboard", 0x0001, 0x06);
    add(prefix + "&col02#input", 0xFF02, 0x01);
    add(prefix + "&col03#feature", 0xFF01, 0x01);
    add(prefix + "&col04#consumer", 0x000C, 0x01);
}

bool FakeHidBus::beginEnumeration()
{
    ++enumerationsBegun;
    return !setUnavailable;
}

EnumStep FakeHidBus::enumerate(std::uint32_t memberIndex, DevicePath& path)
{
    if (memberIndex >= interfaces.size())
        return EnumStep::NoMore;
    const FakeInterface& item = interfaces[memberIndex];
    if (item.step == EnumStep::Interface)
        path.assign(item.path.c_str(), item.path.size());
    return item.step;
}

void FakeHidBus::endEnumeration()
{
    ++enumerationsEnded;
}

const FakeInterface* FakeHidBus::find(const std::string& path) const
{
    for (const FakeInterface& item : interfaces) {
        if (item.path == path && item.step == EnumStep::Interface)
            return &item;
    }
    return nullptr;
}

bool FakeHidBus::queryCollection(const char* path, CollectionInfo& info)
{
    const FakeInterface* item = find(path);
    if (item == nullptr || !item->queryable)
        return false;
    info = item->info;
    return true;
}

DeviceHandle FakeHidBus::open(const char* path, bool forReading)
{
    const FakeInterface* item = find(path);
    if (item == nullptr || !item->openable)
        return 0;
    const DeviceHandle handle = next_++;
    open_[handle] = {path, forReading};
    if (forReading)
        readOpens_.push_back(path);
    return handle;
}

DeviceHandle FakeHidBus::openForReading(const char* path)
{
    return open(path, true);
}

DeviceHandle FakeHidBus::openForFeature(const char* path)
{
    return open(path, false);
}

void FakeHidBus::sendFeature(DeviceHandle handle, const std::uint8_t* report, std::size_t length)
{
    auto it = open_.find(handle);
    if (it == open_.end() || it->second.forReading) {
        ++badHandleUses;
        return;
    }
    features.push_back({it->second.path, std::vector<std::uint8_t>(report, report + length)});
}

void FakeHidBus::close(DeviceHandle handle)
{
    if (open_.erase(handle) == 0)
        ++badHandleUses;
}

DeviceHandle FakeHidBus::readHandleOf(const std::string& path) const
{
    for (const auto& [handle, item] : open_) {
        if (item.path == path && item.forReading)
            return handle;
    }
    return 0;
}

int FakeHidBus::readOpens(const std::string& path) const
{
    return static_cast<int>(std::count(readOpens_.begin(), readOpens_.end(), path));
}

}  // namespace kbdrelay::test
