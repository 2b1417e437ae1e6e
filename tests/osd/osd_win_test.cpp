// The OSD on a Wine virtual desktop: what ShowOsdText and ShowVolumeBar put
// on the screen (checked in screenshots read back from the display; glyph
// edges are smoothed, their cores carry the exact text colour), when Timer1
// wipes it, and that the wipe leaves the desktop and the windows under the
// drawing clean.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "keydeck/shell/osd/win/win_osd.h"
#include "tests/osd/screen_shot.h"

namespace {

using osdtest::FromColorRef;
using osdtest::kDesktopBackground;
using osdtest::Rgb;
using osdtest::Shot;

kd::WinOsd* g_osd = nullptr;
DWORD g_wipedAt = 0;

LRESULT CALLBACK TimerProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_TIMER && g_osd && g_osd->OnTimer(w)) {
    g_wipedAt = GetTickCount();
    return 0;
  }
  return DefWindowProcA(wnd, msg, w, l);
}

HWND MakeWindow(const char* cls, WNDPROC proc, HBRUSH background, int x, int y, int w, int h,
                bool visible) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  wc.hbrBackground = background;
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, cls, cls, visible ? WS_POPUP | WS_VISIBLE : WS_POPUP, x, y, w, h,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (visible) UpdateWindow(wnd);
  return wnd;
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

// Pumps until Timer1 has wiped; the time from `shownAt` to the wipe.
DWORD PumpUntilWiped(DWORD shownAt, DWORD limitMs) {
  g_wipedAt = 0;
  const DWORD end = GetTickCount() + limitMs;
  while (g_wipedAt == 0 && static_cast<LONG>(end - GetTickCount()) > 0) Pump(20);
  return g_wipedAt ? g_wipedAt - shownAt : 0xFFFFFFFF;
}

class OsdOnDesktop : public ::testing::Test {
 protected:
  void SetUp() override {
    timerWindow_ = MakeWindow("OsdTimerWindow", TimerProc, nullptr, 0, 0, 10, 10, false);
    ASSERT_NE(timerWindow_, nullptr);
    osd_.SetWindow(timerWindow_);
    g_osd = &osd_;
    // Let the virtual desktop finish painting (its first paint, or the
    // repaint after the previous test's wipe): a paint still on its way
    // would erase what the test draws.
    Pump(1000);
  }
  void TearDown() override {
    g_osd = nullptr;
    DestroyWindow(timerWindow_);
  }

  // The desktop is clean where it will be drawn on.
  void ExpectBackground(const Shot& s, int x0, int y0, int x1, int y1, const char* when) {
    const int total = (x1 - x0) * (y1 - y0);
    EXPECT_EQ(s.Count(kDesktopBackground, x0, y0, x1, y1), total)
        << when << ": not plain desktop in [" << x0 << "," << y0 << ")-(" << x1 << "," << y1
        << "); " << s.Describe(x0, y0);
  }

  kd::WinOsd osd_;
  HWND timerWindow_ = nullptr;
};

TEST_F(OsdOnDesktop, TextAppearsAtItsPlaceInItsColourAndIsWipedAfterOneSecond) {
  kd::Osd& osd = osd_.Display();
  osd.SetLocation(1);  // upper left: (50, 50)
  osd.Font.Size = -40;
  osd.Font.Style = kd::kOsdBold;
  osd.Font.Color = 0x0000FF;  // red
  const Rgb red = FromColorRef(osd.Font.Color);

  Shot before = Shot::Take();
  ASSERT_TRUE(before.Valid());
  ASSERT_EQ(before.Width(), 1024);
  ExpectBackground(before, 0, 0, 400, 150, "before");

  const DWORD shownAt = GetTickCount();
  osd.ShowOsdText("WWW Email");
  Pump(100);  // lets Wine flush the drawing; far too early for Timer1
  Shot shown = Shot::Take();
  ASSERT_TRUE(shown.Valid());
  const RECT box = shown.Bounds(red);
  std::printf("text pixels: %d, box (%ld,%ld)-(%ld,%ld)\n", shown.Count(red, 0, 0, 1024, 768),
              box.left, box.top, box.right, box.bottom);
  EXPECT_GT(shown.Count(red, 50, 50, 400, 100), 300) << "glyph pixels at the upper-left place";
  EXPECT_GE(box.left, 50);
  EXPECT_LE(box.left, 56) << "text starts at OsdX";
  // The cell's metrics depend on the face the system substitutes for
  // Arial; the glyphs of "WWW Email" sit between the cell's internal
  // leading and its baseline.
  TEXTMETRICA tm = {};
  {
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontA(-40, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    HGDIOBJ old = SelectObject(screen, font);
    GetTextMetricsA(screen, &tm);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
  }
  std::printf("cell: height %ld, ascent %ld, internal leading %ld\n", tm.tmHeight, tm.tmAscent,
              tm.tmInternalLeading);
  EXPECT_GE(box.top, 50);
  EXPECT_LE(box.top, 50 + tm.tmInternalLeading + 8) << "text starts at OsdY (cell top)";
  EXPECT_LE(box.bottom, 50 + tm.tmAscent + 2) << "glyphs end at the baseline below OsdY";
  EXPECT_GE(box.bottom, 50 + tm.tmAscent - 4) << "glyphs reach the baseline";
  EXPECT_EQ(shown.Count(red, 0, 100, 1024, 768), 0) << "nothing elsewhere";

  const DWORD wipeMs = PumpUntilWiped(shownAt, 4000);
  std::printf("text wiped after %lu ms\n", wipeMs);
  EXPECT_GE(wipeMs, 950u);
  EXPECT_LE(wipeMs, 3000u) << "the screenshot delays the pumping a little";
  Pump(300);  // the desktop repaints asynchronously
  Shot after = Shot::Take();
  ASSERT_TRUE(after.Valid());
  EXPECT_EQ(after.Count(red, 0, 0, 1024, 768), 0) << "text still on screen after the wipe";
  ExpectBackground(after, 0, 0, 400, 150, "after the wipe");
}

TEST_F(OsdOnDesktop, VolumeBarGeometryColoursAndPercentage) {
  const Rgb blue{0, 0, 255}, yellow{255, 255, 0}, white{255, 255, 255}, black{0, 0, 0};
  const DWORD shownAt = GetTickCount();
  osd_.Display().ShowVolumeBar(128);  // fill to 514, "50"
  Pump(100);
  Shot s = Shot::Take();
  ASSERT_TRUE(s.Valid());
  // Rows 640..669 hold the bar, outlined in black by the default pen.
  EXPECT_EQ(s.At(300, 639), kDesktopBackground) << s.Describe(300, 639);
  EXPECT_EQ(s.At(300, 640), black) << s.Describe(300, 640);
  EXPECT_EQ(s.At(300, 669), black) << s.Describe(300, 669);
  EXPECT_EQ(s.At(300, 670), kDesktopBackground) << s.Describe(300, 670);
  // Yellow from the left edge to the level, blue from there to the right.
  EXPECT_EQ(s.Count(yellow, 1, 641, 513, 669), 512 * 28);
  EXPECT_EQ(s.At(0, 655), black) << s.Describe(0, 655);
  EXPECT_EQ(s.At(513, 655), black) << "yellow part's right edge " << s.Describe(513, 655);
  EXPECT_EQ(s.At(514, 642), blue) << s.Describe(514, 642);
  EXPECT_EQ(s.Count(blue, 600, 641, 1023, 669), 423 * 28);
  EXPECT_EQ(s.At(1023, 655), black) << s.Describe(1023, 655);
  // "50" in white on blue, top-left at (514, 645); the glyph edges are
  // smoothed, so count every pixel of the text box that is not plain blue.
  const int glyphs = (560 - 514) * (669 - 645) - s.Count(blue, 514, 645, 560, 669);
  std::printf("percentage pixels: %d, pure white %d\n", glyphs, s.Count(white, 514, 645, 560, 669));
  EXPECT_GT(glyphs, 40);
  EXPECT_GT(s.Count(white, 514, 645, 560, 669), 5);
  EXPECT_EQ(s.Count(white, 0, 0, 514, 768), 0);
  EXPECT_EQ(s.Count(white, 0, 0, 1024, 645), 0);

  const DWORD wipeMs = PumpUntilWiped(shownAt, 5000);
  std::printf("bar wiped after %lu ms\n", wipeMs);
  EXPECT_GE(wipeMs, 1950u);
  EXPECT_LE(wipeMs, 4000u) << "the screenshot delays the pumping a little";
  Pump(300);
  Shot after = Shot::Take();
  ASSERT_TRUE(after.Valid());
  ExpectBackground(after, 0, 600, 1024, 700, "after the wipe");
}

TEST_F(OsdOnDesktop, ZeroVolumeDrawsOnlyTheBlueBar) {
  const Rgb yellow{255, 255, 0}, blue{0, 0, 255};
  osd_.Display().ShowVolumeBar(0);
  Pump(100);
  Shot s = Shot::Take();
  ASSERT_TRUE(s.Valid());
  EXPECT_EQ(s.Count(yellow, 0, 600, 1024, 700), 0);
  EXPECT_GT(s.Count(blue, 1, 641, 1023, 669), 900 * 20);
  PumpUntilWiped(GetTickCount(), 5000);
}

TEST_F(OsdOnDesktop, WipeRepaintsAWindowTheTextWasDrawnOver) {
  // A white window under the OSD place: the desktop DC draws over it.
  HWND under = MakeWindow("OsdUnderWindow", DefWindowProcA,
                          static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), 20, 20, 500, 150, true);
  ASSERT_NE(under, nullptr);
  Pump(300);
  const Rgb white{255, 255, 255};
  kd::Osd& osd = osd_.Display();
  osd.SetLocation(1);
  osd.Font.Size = -40;
  osd.Font.Color = 0x00FF00;  // lime
  const Rgb lime = FromColorRef(osd.Font.Color);
  osd.ShowOsdText("over a window");
  Pump(100);
  Shot shown = Shot::Take();
  ASSERT_TRUE(shown.Valid());
  EXPECT_GT(shown.Count(lime, 50, 50, 500, 100), 200);
  PumpUntilWiped(GetTickCount(), 4000);
  Pump(500);
  Shot after = Shot::Take();
  ASSERT_TRUE(after.Valid());
  EXPECT_EQ(after.Count(lime, 0, 0, 1024, 768), 0);
  EXPECT_EQ(after.Count(white, 20, 20, 520, 170), 500 * 150) << after.Describe(60, 60);
  DestroyWindow(under);
}

TEST_F(OsdOnDesktop, DisabledOsdLeavesTheDesktopAndTheTimerAlone) {
  kd::Osd& osd = osd_.Display();
  osd.Enabled = false;
  osd.SetLocation(4);
  osd.Font.Size = -40;
  osd.ShowOsdText("hidden");
  osd.ShowVolumeBar(255);
  Pump(100);
  Shot s = Shot::Take();
  ASSERT_TRUE(s.Valid());
  ExpectBackground(s, 0, 0, 1024, 768, "disabled OSD");
  EXPECT_EQ(PumpUntilWiped(GetTickCount(), 2500), 0xFFFFFFFFu) << "Timer1 was armed";
}

// The font dialog, answered by a helper thread that presses OK or Cancel.
struct DialogAnswer {
  HWND Owner;
  int Button;
  bool Found = false;
};

DWORD WINAPI AnswerDialog(LPVOID param) {
  auto* a = static_cast<DialogAnswer*>(param);
  for (int i = 0; i < 200 && !a->Found; ++i) {
    Sleep(50);
    HWND dlg = FindWindowA("#32770", nullptr);
    if (dlg && GetWindow(dlg, GW_OWNER) == a->Owner) {
      a->Found = true;
      Sleep(300);  // let the dialog fill its lists from the initial font
      PostMessageA(dlg, WM_COMMAND, a->Button, 0);
    }
  }
  return 0;
}

bool RunDialogAnswering(HWND owner, int button, kd::OsdFont& font, bool& found) {
  DialogAnswer answer{owner, button};
  HANDLE t = CreateThread(nullptr, 0, AnswerDialog, &answer, 0, nullptr);
  const bool ok = kd::RunOsdFontDialog(owner, font);
  WaitForSingleObject(t, 15000);
  CloseHandle(t);
  found = answer.Found;
  return ok;
}

TEST(OsdFontDialog, OkReturnsTheChosenFontAndColour) {
  HWND owner = MakeWindow("FontDialogOwner", DefWindowProcA, nullptr, 0, 0, 50, 50, true);
  kd::OsdFont font;
  font.FaceName = "DejaVu Sans";  // the test prefix lists only the system's DejaVu fonts
  font.Size = -16;
  font.Style = kd::kOsdItalic | kd::kOsdUnderline;
  font.Color = 0x0000FF;
  font.CharSet = 0;
  bool found = false;
  ASSERT_TRUE(RunDialogAnswering(owner, IDOK, font, found));
  EXPECT_TRUE(found);
  std::printf("dialog returned face '%s' size %d style %d colour 0x%06X charset %u\n",
              font.FaceName.c_str(), font.Size, font.Style, static_cast<unsigned>(font.Color),
              font.CharSet);
  EXPECT_EQ(font.FaceName, "DejaVu Sans");
  EXPECT_LT(font.Size, 0) << "the dialog returns a character height";
  EXPECT_EQ(font.Style & (kd::kOsdItalic | kd::kOsdUnderline | kd::kOsdBold),
            kd::kOsdItalic | kd::kOsdUnderline);
  EXPECT_EQ(font.Color, 0x0000FFu);
  DestroyWindow(owner);
}

TEST(OsdFontDialog, CancelLeavesTheFontUntouched) {
  HWND owner = MakeWindow("FontDialogOwner2", DefWindowProcA, nullptr, 0, 0, 50, 50, true);
  kd::OsdFont font;
  font.FaceName = "Courier New";
  font.Size = 33;
  font.Style = kd::kOsdBold;
  font.Color = 0x123456;
  bool found = false;
  EXPECT_FALSE(RunDialogAnswering(owner, IDCANCEL, font, found));
  EXPECT_TRUE(found);
  EXPECT_EQ(font.FaceName, "Courier New");
  EXPECT_EQ(font.Size, 33);
  EXPECT_EQ(font.Style, kd::kOsdBold);
  EXPECT_EQ(font.Color, 0x123456u);
  DestroyWindow(owner);
}

}  // namespace
