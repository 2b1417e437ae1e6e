// The DLL itself: its global device set, the hidden window that relays
// report messages on the caller's thread, and the exports.
#include <windows.h>

#include <dbt.h>

extern "C" {
#include <hidsdi.h>
}

#include <array>

#include "kbdrelay/device_set.h"
#include "kbdrelay/kbdrelay.h"
#include "kbdrelay/win/procedure_gate.h"
#include "kbdrelay/win/win_hid_bus.h"
#include "kbdrelay/win/win_readers.h"

namespace kbdrelay {
namespace {

#if defined(KBDRELAY_HIDRELAY)
constexpr Variant kVariant = Variant::Hidrelay;
#else
constexpr Variant kVariant = Variant::Kbdrelay;
#endif

constexpr char kWindowClass[] = "USBHIDClass";
constexpr char kWindowName[] = "HIDRELAYKEYMSG";
constexpr UINT_PTR kFlushTimer = 1;
constexpr UINT kFlushPeriodMs = 10;

struct Library {
    HINSTANCE instance = nullptr;
    WinHidBus bus;
    WinReaderHost readers;
    WinPoster poster;
    DeviceSet devices{kVariant, bus, readers, poster};
    HWND hiddenWindow = nullptr;
    ProcedureGate gate;  // the hidden window's procedure as the system calls it
    HWND recipient = nullptr;
    std::array<std::uint8_t, kNotificationFilterSize> filter{};
    HDEVNOTIFY notification = nullptr;
    bool flushTimer = false;  // set on the hidden window
};

Library library;

// A message the application's queue refused is kept; a timer (which takes
// no place in the queue) posts it once the application has made room. The
// timer runs exactly while messages are kept.
void followKeptMessages(HWND window)
{
    const bool kept = library.devices.pendingWords() > 0;
    if (kept == library.flushTimer || window == nullptr)
        return;
    if (kept)
        SetTimer(window, kFlushTimer, kFlushPeriodMs, nullptr);
    else
        KillTimer(window, kFlushTimer);
    library.flushTimer = kept;
}

LRESULT CALLBACK hiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DEVICECHANGE:
        library.devices.onDeviceChange(static_cast<std::uint32_t>(wParam),
                                       reinterpret_cast<const void*>(lParam));
        followKeptMessages(window);
        return 0;
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case kReaderMessage:
        library.devices.relay(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
        followKeptMessages(window);
        return 0;
    case WM_TIMER:
        if (wParam == kFlushTimer) {
            library.devices.flushPending();
            followKeptMessages(window);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// What an unload on another thread left behind: that thread owned the
// window, so only it could destroy the window, and the class could not go
// while the window existed. Both were handed to the default procedure then.
void clearLeftovers()
{
    HWND leftover = FindWindowA(kWindowClass, kWindowName);
    DWORD process = 0;
    if (leftover != nullptr &&
        GetWindowThreadProcessId(leftover, &process) == GetCurrentThreadId() &&
        process == GetCurrentProcessId())
        DestroyWindow(leftover);
    // Fails while a leftover window of another thread still exists.
    UnregisterClassA(kWindowClass, library.instance);
}

HWND createHiddenWindow()
{
    clearLeftovers();
    if (!library.gate.isOpen() && !library.gate.open(hiddenWindowProc))
        return nullptr;
    WNDCLASSA windowClass{};
    windowClass.style = CS_PARENTDC;
    windowClass.lpfnWndProc = library.gate.entry();
    windowClass.hInstance = library.instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kWindowClass;
    // A class still held by a leftover window of another thread runs the
    // default procedure: the new window is created with it and then given
    // this library's procedure. A class with any other procedure is refused.
    bool leftoverClass = false;
    if (!RegisterClassA(&windowClass)) {
        WNDCLASSA existing{};
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS ||
            !GetClassInfoA(library.instance, kWindowClass, &existing) ||
            existing.lpfnWndProc != DefWindowProcA)
            return nullptr;
        leftoverClass = true;
    }
    HWND window = CreateWindowExA(0, kWindowClass, kWindowName, WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, library.instance, nullptr);
    if (window == nullptr)
        return nullptr;
    if (leftoverClass)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(library.gate.entry()));
    ShowWindow(window, SW_HIDE);
    return window;
}

bool isNtFamily()
{
    return (GetVersion() & 0x80000000u) == 0;
}

// One registration, for the window that exists now. One made for a window
// that went with its thread is given up (on the NT family, which alone
// unregisters at unload too).
void registerForDeviceChanges(HWND recipient)
{
    if (library.notification != nullptr && isNtFamily())
        UnregisterDeviceNotification(library.notification);
    GUID hidGuid{};
    HidD_GetHidGuid(&hidGuid);
    std::uint8_t guidBytes[16];
    static_assert(sizeof hidGuid == sizeof guidBytes);
    CopyMemory(guidBytes, &hidGuid, sizeof guidBytes);
    library.filter = notificationFilter(guidBytes);
    library.recipient = recipient;
    library.notification = RegisterDeviceNotificationA(library.recipient, library.filter.data(),
                                                       DEVICE_NOTIFY_WINDOW_HANDLE);
}

// After a FreeLibrary the hidden window would still call into unmapped
// code: hand it and its class to the default procedure (which posts no
// quit message) and remove the window where this thread owns it. Only the
// owning thread can destroy it, so an unload on another thread asks that
// thread to (WM_CLOSE reaches the default procedure, which destroys the
// window); the next load removes or reuses what is left.
void retireHiddenWindow(bool windowsThread)
{
    HWND window = library.hiddenWindow;
    library.hiddenWindow = nullptr;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    SetClassLongPtrA(window, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    if (windowsThread)
        DestroyWindow(window);
    else
        PostMessageA(window, WM_CLOSE, 0, 0);
    // Fails while the window, or a leftover of another thread, exists.
    UnregisterClassA(kWindowClass, library.instance);
    // A call on the window's thread may still be on its way out through
    // the gate when the unload runs on another thread: that gate stays.
    library.gate.release(!windowsThread);
}

void unload(bool processEnding)
{
    library.readers.setUnloading(true);
    HWND window = library.hiddenWindow;
    const bool windowsThread =
        window != nullptr && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    // From here on the window's thread runs none of the library's code: an
    // unload on another thread waits while that thread is inside (in a
    // scan or a relay), and no call gets in after.
    if (!processEnding)
        library.gate.close(!windowsThread && window != nullptr && IsWindow(window));
    library.devices.stopAllReaders();
    if (isNtFamily() && library.recipient != nullptr) {
        if (library.notification != nullptr)
            UnregisterDeviceNotification(library.notification);
        library.notification = nullptr;
        library.recipient = nullptr;
        library.filter.fill(0);
    }
    library.devices.release();
    if (!processEnding && window != nullptr)
        retireHiddenWindow(windowsThread);
}

// InitDriver's window: false when the window is another thread's;
// otherwise `hidden` is this thread's window, made now if there was none
// (null when none could be made).
bool windowForInit(HWND& hidden)
{
    hidden = library.hiddenWindow;
    if (hidden != nullptr && IsWindow(hidden)) {
        // The window, its registration and every scan belong to the thread
        // that made the window: a call on another thread would scan beside
        // it. A call again on the same thread keeps them all, and so the
        // caller's message loop.
        return GetWindowThreadProcessId(hidden, nullptr) == GetCurrentThreadId();
    }
    // The first call, or the window went with the thread that made it.
    hidden = createHiddenWindow();
    library.hiddenWindow = hidden;
    library.flushTimer = false;
    registerForDeviceChanges(hidden);
    return true;
}

}  // namespace
}  // namespace kbdrelay

using kbdrelay::library;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        library.instance = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        kbdrelay::unload(reserved != nullptr);
    }
    return TRUE;
}

int WINAPI InitDriver(HWND window, UINT message, UINT usagePage)
{
    HWND hidden = nullptr;
    if (!kbdrelay::windowForInit(hidden))
        return 1;
    library.devices.configure(reinterpret_cast<kbdrelay::WindowHandle>(window), message, usagePage);
    library.devices.setHiddenWindow(reinterpret_cast<kbdrelay::WindowHandle>(hidden));
    library.devices.scan();
    kbdrelay::followKeptMessages(hidden);
    return 1;
}

int WINAPI SetKbdFeatures(UINT usagePage, UINT usage, const BYTE* report)
{
    library.devices.setFeatures(usagePage, usage, report);
    return 1;
}

#if defined(KBDRELAY_HIDRELAY)

WORD WINAPI GetRevision(UINT usagePage, UINT usage)
{
    return library.devices.revision(usagePage, usage);
}

HidDeviceRecord* WINAPI GetHidStruct(UINT usagePage, UINT usage)
{
    return library.devices.findRecord(usagePage, usage);
}

#else

int WINAPI RemoveDevice(void)
{
    library.devices.stopAllReaders();
    return 1;
}

#endif
}
