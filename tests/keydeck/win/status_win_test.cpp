// The status windows under Wine: the Channel Setting window comes back
// restored from a minimise.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "keydeck/status/win/channel_window.h"

namespace kd {
namespace {

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

std::string Rect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

TEST(ChannelSettingWindow, ComesBackRestoredAndInFrontAfterTheUserMinimisedIt) {
  ChannelWindow form3;
  ASSERT_TRUE(form3.Create(GetModuleHandleA(nullptr), nullptr, 0x0409));
  const HWND window = form3.Window();
  form3.ShowToFront();
  Pump(200);
  const std::string shown = Rect(window);
  ASSERT_FALSE(IsIconic(window));

  // The minimize button, as the user presses it.
  SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump(200);
  ASSERT_TRUE(IsIconic(window)) << "minimised at " << Rect(window);
  form3.ShowToFront();
  Pump(200);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(shown, Rect(window));
  EXPECT_EQ(window, GetForegroundWindow());

  // Minimised, then hidden by the receiver leaving channel mode: the next
  // show restores it too.
  SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  form3.Hide();
  Pump(200);
  EXPECT_FALSE(IsWindowVisible(window));
  form3.ShowToFront();
  Pump(200);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(shown, Rect(window));

  // A show while it is up changes nothing but the order.
  form3.ShowToFront();
  EXPECT_EQ(shown, Rect(window));
  form3.Destroy();
}

}  // namespace
}  // namespace kd
