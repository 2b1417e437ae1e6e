// The library's device set: the records of the last scan, the readers
// started for them, and what happens on device arrival and removal.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kbdrelay/hid_bus.h"
#include "kbdrelay/hid_record.h"
#include "kbdrelay/reader_host.h"

namespace kbdrelay {

enum class Variant {
    Kbdrelay,  // reads the 0xFF02 collections; exports RemoveDevice
    Hidrelay,  // reads 0x000C and report-usage-page collections; lookup exports
};

constexpr std::uint32_t kDefaultAppMessage = 0x500;
constexpr std::uint32_t kReaderMessage = 0x501;
constexpr std::uint32_t kDeviceFound = 0x600;
constexpr std::uint32_t kDeviceNotFound = 0x700;

constexpr std::uint32_t kReceiverInputPage = 0xFF02;
constexpr std::uint32_t kConsumerPage = 0x000C;

constexpr std::size_t kMaxReaders = 10;
constexpr std::size_t kReaderSlots = 30;
constexpr std::size_t kFeatureReportSize = 5;
// Messages the hidden window can keep while the application's queue is
// full: the readers themselves wait when the same queue refuses them, so
// only the few words that lose a race for a freed place end up here, and
// the device found / not found messages of a scan.
constexpr std::size_t kPendingWords = 4096;

// WM_DEVICECHANGE events and the device-interface broadcast type.
constexpr std::uint32_t kDeviceArrival = 0x8000;
constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
constexpr std::uint32_t kDeviceInterfaceType = 5;

// Enumeration limits: a set whose members keep failing must not make the
// scan loop (and grow its list) forever.
constexpr std::uint32_t kMaxEnumeratedInterfaces = 1024;
constexpr std::uint32_t kMaxConsecutiveEnumFailures = 64;

class DeviceSet {
public:
    DeviceSet(Variant variant, HidBus& bus, ReaderHost& readers, MessagePoster& poster);
    ~DeviceSet();
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;

    // InitDriver's settings.
    void configure(WindowHandle appWindow, std::uint32_t appMessage,
                   std::uint32_t reportUsagePage);
    void setHiddenWindow(WindowHandle window) { hiddenWindow_ = window; }

    void scan();
    void stopAllReaders();

    // WM_DEVICECHANGE on the hidden window. broadcast is the message's
    // lParam (a broadcast header) and may be null.
    void onDeviceChange(std::uint32_t wParam, const void* broadcast);
    // Message 0x501 on the hidden window: posts the messages kept before,
    // then this word. False when the application's queue refused one: the
    // rest are kept in order for flushPending or the next relay. Nothing
    // is kept for an application window that no longer exists.
    bool relay(std::uint32_t wParam, std::uint32_t lParam);
    // Posts the kept messages in order; false while some remain.
    bool flushPending();
    std::size_t pendingWords() const { return pendingCount_; }

    void setFeatures(std::uint32_t usagePage, std::uint32_t usage, const std::uint8_t* report);
    // The first record with that usage page and usage, or null.
    HidDeviceRecord* findRecord(std::uint32_t usagePage, std::uint32_t usage);
    std::uint16_t revision(std::uint32_t usagePage, std::uint32_t usage);

    // Library unload: stop the readers and free the device list.
    void release();

    // State, for the platform layer and for tests.
    std::size_t deviceCount() const { return count_; }
    const HidDeviceRecord& record(std::size_t index) const { return records_[index]; }
    std::size_t startedCount() const { return startedCount_; }
    std::size_t startedIndex(std::size_t n) const { return started_[n]; }
    bool readerRunning(std::size_t index) const;
    WindowHandle postTarget() const { return postTarget_; }

private:
    class EnumList;
    struct ReaderSlot {
        std::atomic<std::uint32_t> stopFlag{0};
        DeviceHandle readHandle = 0;
        ReaderHost::Thread thread = 0;
        std::uint32_t parameter = 0;
    };

    bool qualifies(std::size_t index) const;
    bool matches(std::size_t index, std::uint32_t usagePage, std::uint32_t usage) const;
    bool enumerate(EnumList& list);
    void buildRecords(const EnumList& list);
    void freeRecords();
    void startReader(std::size_t index);
    // Stops the readers of the records in [begin, end) and closes their handles.
    void stopReaders(std::size_t begin, std::size_t end);
    bool postToApp(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);
    void keep(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);
    void onRemoval(const char* name, std::size_t nameLength);

    Variant variant_;
    HidBus& bus_;
    ReaderHost& readers_;
    MessagePoster& poster_;

    WindowHandle appWindow_ = 0;
    std::uint32_t appMessage_ = kDefaultAppMessage;
    std::uint32_t reportUsagePage_ = 0;
    WindowHandle hiddenWindow_ = 0;

    // Plain heap arrays: the library must not throw, and the DLL stays
    // free of the exception runtime.
    HidDeviceRecord* records_ = nullptr;
    bool* queried_ = nullptr;  // false: enumerated but never opened or queried
    std::size_t count_ = 0;
    std::array<std::size_t, kMaxReaders> started_{};
    std::size_t startedCount_ = 0;
    std::array<ReaderSlot, kReaderSlots> slots_;
    WindowHandle postTarget_ = 0;

    // Messages the application's queue refused, oldest first (a ring).
    // Touched only on the hidden window's thread. Allocated at the first
    // refusal: a ring inside the object would put its 48 KB into the
    // library's file.
    struct Kept {
        std::uint32_t message;
        std::uint32_t wParam;
        std::uint32_t lParam;
    };
    Kept* pending_ = nullptr;
    std::size_t pendingHead_ = 0;
    std::size_t pendingCount_ = 0;
};

// The 46-byte filter block for the device-interface notification: size 32,
// type 5, the HID class GUID at byte 12 and the name "CHIDKBD" at byte 28.
constexpr std::size_t kNotificationFilterSize = 46;
std::array<std::uint8_t, kNotificationFilterSize> notificationFilter(const std::uint8_t (&hidGuid)[16]);

// Case-insensitive (ASCII) comparison of a notification's interface name
// with a device path.
bool sameInterfaceName(const char* name, std::size_t nameLength, const char* devicePath);

}  // namespace kbdrelay
