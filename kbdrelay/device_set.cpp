#include "kbdrelay/device_set.h"

#include "kbdrelay/reader.h"

#include <cstring>
#include <new>
#include <string>

namespace kbdrelay {

struct DeviceSet::EnumEntry {
    std::string path;
    bool queried = false;
    CollectionInfo info;
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

std::vector<DeviceSet::EnumEntry> DeviceSet::enumerate()
{
    std::vector<EnumEntry> entries;
    if (!bus_.beginEnumeration())
        return entries;
    EnumerationGuard guard(bus_);

    std::size_t capacity = 8;
    entries.reserve(capacity);
    std::uint32_t failuresInRow = 0;
    for (std::uint32_t member = 0; member < kMaxEnumeratedInterfaces; ++member) {
        std::string path;
        const EnumStep step = bus_.enumerate(member, path);
        if (step == EnumStep::NoMore)
            break;
        if (step == EnumStep::Aborted) {
            entries.clear();
            break;
        }
        if (entries.size() == capacity) {
            capacity *= 2;
            entries.reserve(capacity);
        }
        EnumEntry& entry = entries.emplace_back();
        if (step == EnumStep::Failed) {
            if (++failuresInRow >= kMaxConsecutiveEnumFailures)
                break;
            continue;
        }
        failuresInRow = 0;
        entry.path = std::move(path);
        // A path that does not fit the record could never be opened from
        // it again: such an interface is kept like one that can't be opened.
        if (entry.path.size() < kDevicePathSize)
            entry.queried = bus_.queryCollection(entry.path, entry.info);
    }
    return entries;
}

void DeviceSet::buildRecords(const std::vector<EnumEntry>& entries)
{
    records_.assign(entries.size(), HidDeviceRecord{});
    queried_.assign(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const EnumEntry& entry = entries[i];
        HidDeviceRecord& record = records_[i];
        if (entry.path.size() < kDevicePathSize)
            std::memcpy(record.devicePath, entry.path.c_str(), entry.path.size() + 1);
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

void DeviceSet::scan()
{
    // Never free a record that a running reader still uses.
    stopAllReaders();
    std::vector<HidDeviceRecord>().swap(records_);
    queried_.clear();
    startedCount_ = 0;

    try {
        buildRecords(enumerate());
    } catch (const std::bad_alloc&) {
        records_.clear();
        queried_.clear();
    }

    if (records_.empty()) {
        postToApp(kDeviceNotFound, 0, 0);
        return;
    }

    bool found = false;
    for (std::size_t i = 0; i < records_.size(); ++i) {
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
    if (index >= records_.size() || records_[index].handle != 0)
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

void DeviceSet::stopReader(std::size_t index)
{
    if (index >= records_.size() || records_[index].handle == 0)
        return;
    if (index < kReaderSlots) {
        ReaderSlot& slot = slots_[index];
        slot.stopFlag.store(kStop);
        slot.readHandle = 0;
        if (slot.thread != 0) {
            readers_.stop(slot.thread);
            slot.thread = 0;
        }
    }
    bus_.close(records_[index].handle);
    records_[index].handle = 0;
}

void DeviceSet::stopAllReaders()
{
    for (std::size_t i = 0; i < records_.size(); ++i)
        stopReader(i);
}

bool DeviceSet::readerRunning(std::size_t index) const
{
    return index < records_.size() && index < kReaderSlots && records_[index].handle != 0 &&
           slots_[index].thread != 0;
}

void DeviceSet::postToApp(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)
{
    poster_.post(appWindow_, message, wParam, lParam);
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
        if (index >= records_.size() ||
            !sameInterfaceName(name, nameLength, records_[index].devicePath))
            continue;
        if (variant_ == Variant::Hidrelay)
            postToApp(kDeviceNotFound, 0, 0);
        stopAllReaders();
    }
}

void DeviceSet::relay(std::uint32_t wParam, std::uint32_t lParam)
{
    postToApp(appMessage_, wParam, lParam);
}

void DeviceSet::setFeatures(std::uint32_t usagePage, std::uint32_t usage,
                            const std::uint8_t* report)
{
    if (report == nullptr)
        return;
    std::uint8_t bytes[kFeatureReportSize];
    std::memcpy(bytes, report, sizeof bytes);
    for (std::size_t i = 0; i < records_.size(); ++i) {
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
    for (std::size_t i = 0; i < records_.size(); ++i) {
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
    std::vector<HidDeviceRecord>().swap(records_);
    queried_.clear();
    startedCount_ = 0;
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
