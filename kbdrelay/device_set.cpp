#include "kbdrelay/device_set.h"

#include "kbdrelay/reader.h"

#include <cstdlib>
#include <cstring>

namespace kbdrelay {

// The scan's temporary list of enumerated interfaces; it grows by doubling
// from 8 entries and is released as a whole.
class DeviceSet::EnumList {
public:
    struct Entry {
        DevicePath path;
        bool queried;
        CollectionInfo info;
    };

    EnumList() = default;
    ~EnumList() { std::free(entries_); }
    EnumList(const EnumList&) = delete;
    EnumList& operator=(const EnumList&) = delete;

    // A new empty entry at the end, or null when memory runs out.
    Entry* append()
    {
        if (count_ == capacity_) {
            const std::size_t capacity = capacity_ == 0 ? 8 : capacity_ * 2;
            void* grown = std::realloc(entries_, capacity * sizeof(Entry));
            if (grown == nullptr)
                return nullptr;
            entries_ = static_cast<Entry*>(grown);
            capacity_ = capacity;
        }
        Entry* entry = &entries_[count_++];
        *entry = Entry{};
        return entry;
    }

    void clear() { count_ = 0; }
    std::size_t size() const { return count_; }
    const Entry& operator[](std::size_t i) const { return entries_[i]; }

private:
    Entry* entries_ = nullptr;
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
};

namespace {

// Ends the enumeration however the scan leaves it.
class EnumerationGuard {
public:
    explicit EnumerationGuard(HidBus& bus) : bus_(bus) {}
    ~EnumerationGuard() { bus_.endEnumeration(); }
    EnumerationGuard(const EnumerationGuard&) = delete;
    EnumerationGuard& operator=(const EnumerationGuard&) = delete;

private:
    HidBus& bus_;
};

std::uint32_t readWord(const std::uint8_t* bytes)
{
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void writeWord(std::uint8_t* bytes, std::uint32_t value)
{
    std::memcpy(bytes, &value, sizeof value);
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

}  // namespace

DeviceSet::DeviceSet(Variant variant, HidBus& bus, ReaderHost& readers, MessagePoster& poster)
    : variant_(variant), bus_(bus), readers_(readers), poster_(poster)
{
}

DeviceSet::~DeviceSet()
{
    freeRecords();
    std::free(pending_);
}

void DeviceSet::configure(WindowHandle appWindow, std::uint32_t appMessage,
                          std::uint32_t reportUsagePage)
{
    appWindow_ = appWindow;
    appMessage_ = appMessage;
    reportUsagePage_ = reportUsagePage;
}

bool DeviceSet::qualifies(std::size_t index) const
{
    if (!queried_[index])
        return false;
    const std::uint32_t page = records_[index].usagePage;
    if (variant_ == Variant::Kbdrelay)
        return page == kReceiverInputPage;
    return page == kConsumerPage || page == reportUsagePage_;
}

bool DeviceSet::matches(std::size_t index, std::uint32_t usagePage, std::uint32_t usage) const
{
    return queried_[index] && records_[index].usagePage == usagePage &&
           records_[index].usage == usage;
}

bool DeviceSet::enumerate(EnumList& list)
{
    if (!bus_.beginEnumeration())
        return true;
    EnumerationGuard guard(bus_);

    std::uint32_t failuresInRow = 0;
    for (std::uint32_t member = 0; member < kMaxEnumeratedInterfaces; ++member) {
        DevicePath path;
        const EnumStep step = bus_.enumerate(member, path);
        if (step == EnumStep::NoMore)
            break;
        if (step == EnumStep::Aborted) {
            list.clear();
            break;
        }
        EnumList::Entry* entry = list.append();
        if (entry == nullptr)
            return false;
        if (step == EnumStep::Failed) {
            if (++failuresInRow >= kMaxConsecutiveEnumFailures)
                break;
            continue;
        }
        failuresInRow = 0;
        entry->path = path;
        // A path that does not fit the record could never be opened from
        // it again: such an interface is kept like one that can't be opened.
        if (path.fits)
            entry->queried = bus_.queryCollection(path.text, entry->info);
    }
    return true;
}

void DeviceSet::buildRecords(const EnumList& list)
{
    if (list.size() == 0)
        return;
    records_ = static_cast<HidDeviceRecord*>(std::calloc(list.size(), sizeof(HidDeviceRecord)));
    queried_ = static_cast<bool*>(std::calloc(list.size(), sizeof(bool)));
    if (records_ == nullptr || queried_ == nullptr) {
        freeRecords();
        return;
    }
    count_ = list.size();
    for (std::size_t i = 0; i < count_; ++i) {
        const EnumList::Entry& entry = list[i];
        HidDeviceRecord& record = records_[i];
        std::memcpy(record.devicePath, entry.path.text, sizeof record.devicePath);
        if (!entry.queried)
            continue;
        queried_[i] = true;
        record.usagePage = entry.info.usagePage;
        record.usage = entry.info.usage;
        record.vendorId = entry.info.vendorId;
        record.productId = entry.info.productId;
        record.versionNumber = entry.info.versionNumber;
        record.featureButtonCaps = entry.info.featureButtonCaps;
        record.featureValueCaps = entry.info.featureValueCaps;
        record.inputReportLength = entry.info.inputReportLength;
        record.outputReportLength = entry.info.outputReportLength;
        record.featureReportLength = entry.info.featureReportLength;
    }
}

void DeviceSet::freeRecords()
{
    std::free(records_);
    std::free(queried_);
    records_ = nullptr;
    queried_ = nullptr;
    count_ = 0;
    startedCount_ = 0;
}

void DeviceSet::scan()
{
    // Never free a record that a running reader still uses.
    stopAllReaders();
    freeRecords();

    {
        EnumList list;
        // Memory running out mid-scan counts as a failed enumeration.
        if (enumerate(list))
            buildRecords(list);
    }

    if (count_ == 0) {
        postToApp(kDeviceNotFound, 0, 0);
        return;
    }

    bool found = false;
    for (std::size_t i = 0; i < count_; ++i) {
        if (!qualifies(i))
            continue;
        started_[startedCount_] = i;
        startReader(i);
        if (++startedCount_ == kMaxReaders)
            break;
        if (records_[i].usagePage == reportUsagePage_)
            found = true;
    }
    postToApp(found ? kDeviceFound : kDeviceNotFound, 0, 0);
}

void DeviceSet::startReader(std::size_t index)
{
    if (index >= count_ || records_[index].handle != 0)
        return;
    // The reader tables have no slot for this position: no reader.
    if (index >= kReaderSlots)
        return;

    HidDeviceRecord& record = records_[index];
    const DeviceHandle handle = bus_.openForReading(record.devicePath);
    if (handle == 0)
        return;
    record.handle = handle;

    ReaderSlot& slot = slots_[index];
    slot.parameter = std::uint32_t(index);
    slot.stopFlag.store(kRun);
    slot.readHandle = handle;
    postTarget_ = hiddenWindow_;
    slot.thread = readers_.start(ReaderLaunch{&slot.stopFlag, handle, postTarget_});
}

void DeviceSet::stopReaders(std::size_t begin, std::size_t end)
{
    // Every reader is told first and then all are waited for together, so
    // that one reader slow to stop does not hold up the others' stop.
    std::array<ReaderHost::Thread, kReaderSlots> threads;
    std::size_t stopping = 0;
    for (std::size_t i = begin; i < end && i < count_ && i < kReaderSlots; ++i) {
        if (records_[i].handle == 0)
            continue;
        ReaderSlot& slot = slots_[i];
        slot.stopFlag.store(kStop);
        slot.readHandle = 0;
        if (slot.thread != 0)
            threads[stopping++] = slot.thread;
        slot.thread = 0;
    }
    if (stopping > 0)
        readers_.stop(threads.data(), stopping);
    for (std::size_t i = begin; i < end && i < count_; ++i) {
        if (records_[i].handle == 0)
            continue;
        bus_.close(records_[i].handle);
        records_[i].handle = 0;
    }
}

void DeviceSet::stopAllReaders()
{
    stopReaders(0, count_);
}

bool DeviceSet::readerRunning(std::size_t index) const
{
    return index < count_ && index < kReaderSlots && records_[index].handle != 0 &&
           slots_[index].thread != 0;
}

// Everything for the application goes one way, so that a device found or
// not found can't overtake the report words kept before it, nor be lost to
// a full queue.
bool DeviceSet::postToApp(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)
{
    if (flushPending()) {
        switch (poster_.post(appWindow_, message, wParam, lParam)) {
        case PostResult::Posted:
        case PostResult::NoWindow:  // no one left to tell
            return true;
        case PostResult::Refused:
            break;
        }
    }
    keep(message, wParam, lParam);
    return false;
}

void DeviceSet::keep(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)
{
    if (pending_ == nullptr)
        pending_ = static_cast<Kept*>(std::calloc(kPendingWords, sizeof(Kept)));
    if (pending_ != nullptr && pendingCount_ < kPendingWords) {
        pending_[(pendingHead_ + pendingCount_) % kPendingWords] = {message, wParam, lParam};
        ++pendingCount_;
    }
}

void DeviceSet::onDeviceChange(std::uint32_t wParam, const void* broadcast)
{
    const std::uint32_t event = wParam & 0xFFFF;
    if ((event != kDeviceArrival && event != kDeviceRemoveComplete) || broadcast == nullptr)
        return;

    const auto* header = static_cast<const std::uint8_t*>(broadcast);
    const std::uint32_t size = readWord(header);
    if (size < 12 || readWord(header + 4) != kDeviceInterfaceType)
        return;

    if (event == kDeviceArrival) {
        if (variant_ == Variant::Hidrelay)
            postToApp(kDeviceNotFound, 0, 0);
        stopAllReaders();
        scan();
        return;
    }

    // The name ends with the broadcast block, whatever its terminator says.
    constexpr std::uint32_t kNameOffset = 28;
    const char* name = reinterpret_cast<const char*>(header + kNameOffset);
    const std::size_t nameLength = size > kNameOffset ? strnlen(name, size - kNameOffset) : 0;
    onRemoval(name, nameLength);
}

void DeviceSet::onRemoval(const char* name, std::size_t nameLength)
{
    if (nameLength == 0)
        return;
    for (std::size_t n = 0; n < startedCount_; ++n) {
        const std::size_t index = started_[n];
        if (index >= count_ ||
            !sameInterfaceName(name, nameLength, records_[index].devicePath))
            continue;
        // Only this collection's reader: another receiver, or another
        // collection of this one, goes on reporting.
        if (variant_ == Variant::Hidrelay)
            postToApp(kDeviceNotFound, 0, 0);
        stopReaders(index, index + 1);
    }
}

bool DeviceSet::relay(std::uint32_t wParam, std::uint32_t lParam)
{
    // Kept messages go first, here and not only on the flush timer: a timer
    // message comes only once the queue holds no posted message, which a
    // steady stream of reports never leaves it.
    return postToApp(appMessage_, wParam, lParam);
}

bool DeviceSet::flushPending()
{
    while (pendingCount_ > 0) {
        const Kept& kept = pending_[pendingHead_];
        switch (poster_.post(appWindow_, kept.message, kept.wParam, kept.lParam)) {
        case PostResult::Posted:
            break;
        case PostResult::Refused:
            return false;
        case PostResult::NoWindow:
            // A window that is gone will never make room.
            pendingHead_ = 0;
            pendingCount_ = 0;
            return true;
        }
        pendingHead_ = (pendingHead_ + 1) % kPendingWords;
        --pendingCount_;
    }
    return true;
}

void DeviceSet::setFeatures(std::uint32_t usagePage, std::uint32_t usage,
                            const std::uint8_t* report)
{
    if (report == nullptr)
        return;
    std::uint8_t bytes[kFeatureReportSize];
    std::memcpy(bytes, report, sizeof bytes);
    for (std::size_t i = 0; i < count_; ++i) {
        if (!matches(i, usagePage, usage))
            continue;
        // A handle of its own: the record's handle field belongs to the
        // reader, which must stay stoppable.
        const DeviceHandle handle = bus_.openForFeature(records_[i].devicePath);
        if (handle == 0)
            continue;
        bus_.sendFeature(handle, bytes, sizeof bytes);
        bus_.close(handle);
    }
}

HidDeviceRecord* DeviceSet::findRecord(std::uint32_t usagePage, std::uint32_t usage)
{
    for (std::size_t i = 0; i < count_; ++i) {
        if (matches(i, usagePage, usage))
            return &records_[i];
    }
    return nullptr;
}

std::uint16_t DeviceSet::revision(std::uint32_t usagePage, std::uint32_t usage)
{
    const HidDeviceRecord* record = findRecord(usagePage, usage);
    return record != nullptr ? record->versionNumber : 0;
}

void DeviceSet::release()
{
    stopAllReaders();
    freeRecords();
}

std::array<std::uint8_t, kNotificationFilterSize> notificationFilter(const std::uint8_t (&hidGuid)[16])
{
    std::array<std::uint8_t, kNotificationFilterSize> block{};
    writeWord(&block[0], 32);
    writeWord(&block[4], kDeviceInterfaceType);
    std::memcpy(&block[12], hidGuid, sizeof hidGuid);
    std::memcpy(&block[28], "CHIDKBD", 7);
    return block;
}

bool sameInterfaceName(const char* name, std::size_t nameLength, const char* devicePath)
{
    for (std::size_t i = 0; i < nameLength; ++i) {
        if (devicePath[i] == '\0' || lowerAscii(name[i]) != lowerAscii(devicePath[i]))
            return false;
    }
    return devicePath[nameLength] == '\0';
}

}  // namespace kbdrelay
