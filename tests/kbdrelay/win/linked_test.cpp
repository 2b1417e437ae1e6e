// kbdrelay.dll as Keydeck binds it: through the import library, at load
// time, on a system whose HID devices are none of the receiver's.
#include <windows.h>

#include <gtest/gtest.h>

#include "kbdrelay/kbdrelay.h"

namespace {

constexpr UINT kAppMessage = 0x464;

HWND createAppWindow()
{
    return CreateWindowExA(0, "STATIC", "kbdrelay linked test", WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Collects what reached the window within a short time.
std::vector<MSG> drain(HWND window, DWORD forMs)
{
    std::vector<MSG> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < forMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window)
                seen.push_back(msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return seen;
}

}  // namespace

TEST(KbdrelayLinked, InitDriverReportsNoReceiverAndCreatesTheHiddenWindow)
{
    HWND app = createAppWindow();
    ASSERT_NE(app, nullptr);

    EXPECT_EQ(InitDriver(app, kAppMessage, 0xFF02), 1);

    HWND hidden = FindWindowA("USBHIDClass", "HIDRELAYKEYMSG");
    ASSERT_NE(hidden, nullptr) << "hidden window not found";
    EXPECT_EQ(GetWindowThreadProcessId(hidden, nullptr), GetCurrentThreadId());
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(GetWindowLongA(hidden, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));

    const std::vector<MSG> seen = drain(app, 300);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, 0x700u) << std::hex << "got 0x" << seen[0].message;
    EXPECT_EQ(seen[0].wParam, 0u);
    EXPECT_EQ(seen[0].lParam, 0);

    // A relayed reader message arrives under the application's number.
    PostMessageA(hidden, 0x501, 1, 0x12345678);
    const std::vector<MSG> relayed = drain(app, 200);
    ASSERT_EQ(relayed.size(), 1u);
    EXPECT_EQ(relayed[0].message, kAppMessage);
    EXPECT_EQ(relayed[0].wParam, 1u);
    EXPECT_EQ(relayed[0].lParam, 0x12345678);

    const BYTE report[5] = {3, 4, 0, 0, 0};
    EXPECT_EQ(SetKbdFeatures(0xFF01, 1, report), 1);
    EXPECT_EQ(RemoveDevice(), 1);
    EXPECT_TRUE(drain(app, 100).empty());
    DestroyWindow(app);
}
