// The status windows under Wine: the Channel Setting window comes back
// restored from a minimise and shows the picture of the language chosen at
// each show; the LED strip's tray icon carries the tip of the language
// chosen when the icon is added.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "keydeck/resources/channel_pictures.h"
#include "keydeck/status/channel_languages.h"
#include "keydeck/status/win/channel_window.h"
#include "keydeck/status/win/led_window.h"
#include "keydeck/ui/win/tray.h"

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

int PictureOf(uint16_t language) { return ChannelPictureIndex(ChannelLanguageFor(language).Picture); }

std::string Rect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

TEST(ChannelSettingWindow, ComesBackRestoredAndInFrontAfterTheUserMinimisedIt) {
  ChannelWindow form3;
  ASSERT_TRUE(form3.Create(GetModuleHandleA(nullptr), nullptr, [] { return uint16_t{0x0409}; }));
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

TEST(ChannelSettingWindow, EachShowTakesThePictureOfTheLanguageChosenThen) {
  uint16_t language = 0x0407;
  ChannelWindow form3;
  ASSERT_TRUE(form3.Create(GetModuleHandleA(nullptr), nullptr, [&language] { return language; }));
  EXPECT_EQ(-1, form3.PictureShown()) << "empty until the first show";
  form3.ShowToFront();
  EXPECT_EQ(PictureOf(0x0407), form3.PictureShown());

  language = 0x2001;  // a reloaded Language setting
  form3.ShowToFront();
  EXPECT_EQ(PictureOf(0x2001), form3.PictureShown()) << "shown again while up";
  form3.Hide();
  language = 0x0409;
  form3.ShowToFront();
  EXPECT_EQ(PictureOf(0x0409), form3.PictureShown());
  EXPECT_NE(nullptr, reinterpret_cast<HANDLE>(SendMessageA(form3.Image1(), STM_GETIMAGE, IMAGE_BITMAP, 0)));
  form3.Destroy();
}

TEST(LedStripWindow, TheTrayIconTakesTheTipOfTheLanguageChosenWhenItIsAdded) {
  std::string product = "Wireless Keyboard";
  int asked = 0;
  LedWindow led;
  ASSERT_TRUE(led.Create(GetModuleHandleA(nullptr), nullptr));
  led.TrayTip = [&] {
    ++asked;
    return product;
  };
  led.Strip().Show();
  Pump(100);
  ASSERT_TRUE(IsWindowVisible(led.Window()));

  // The language changes while the strip is up; then the user closes it
  // into the tray with a click on its close box.
  product = "Drahtlose Tastatur";
  const LPARAM closeBox = MAKELPARAM(152, 4);
  SendMessageA(led.Window(), WM_LBUTTONDOWN, MK_LBUTTON, closeBox);
  SendMessageA(led.Window(), WM_LBUTTONUP, 0, closeBox);
  Pump(100);
  EXPECT_FALSE(IsWindowVisible(led.Window()));
  EXPECT_EQ(StripState::InTray, led.Strip().State());
  EXPECT_EQ("Drahtlose Tastatur", std::string(Tray().Tip()));
  EXPECT_GE(asked, 1);

  // Back from the tray and into it again: the tip follows once more.
  led.Strip().TrayCallback(LedStrip::kTrayLeftUp);
  product = "Clavier sans fil";
  SendMessageA(led.Window(), WM_LBUTTONDOWN, MK_LBUTTON, closeBox);
  SendMessageA(led.Window(), WM_LBUTTONUP, 0, closeBox);
  EXPECT_EQ("Clavier sans fil", std::string(Tray().Tip()));
  led.Strip().Closing();
  led.Destroy();
}

}  // namespace
}  // namespace kd
