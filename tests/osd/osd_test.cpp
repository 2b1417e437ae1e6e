// OSD decisions against a canvas and a timer that record what they were asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keydeck/shell/osd/osd.h"

namespace kd {
namespace {

struct TextCall {
  OsdFontDescription Font;
  uint32_t Color;
  OsdPoint At;
  std::string Text;
};

class RecordingCanvas : public OsdCanvas {
 public:
  int ScreenWidth() override { return Width; }
  int ScreenHeight() override { return Height; }
  void DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                const std::string& text) override {
    Texts.push_back({font, color, at, text});
  }
  void DrawVolumeBar(const VolumeBarGeometry& bar) override { Bars.push_back(bar); }
  void Wipe() override { ++Wipes; }

  int Width = 1024;
  int Height = 768;
  std::vector<TextCall> Texts;
  std::vector<VolumeBarGeometry> Bars;
  int Wipes = 0;
};

class RecordingTimer : public OsdTimer {
 public:
  void Start(unsigned ms) override { Calls.push_back(static_cast<int>(ms)); }
  void Stop() override { Calls.push_back(0); }
  std::vector<int> Calls;  // intervals started, 0 for a stop
};

class OsdTest : public ::testing::Test {
 protected:
  RecordingCanvas canvas;
  RecordingTimer timer;
  Osd osd{canvas, timer};
};

TEST(OsdPlace, FivePlacesOnA1024By768Screen) {
  auto at = [](int code) {
    const OsdPoint p = OsdPlace(code, 1024, 768);
    return std::pair{p.X, p.Y};
  };
  EXPECT_EQ(at(1), std::pair(50, 50));
  EXPECT_EQ(at(2), std::pair(824, 50));
  EXPECT_EQ(at(3), std::pair(50, 668));
  EXPECT_EQ(at(4), std::pair(412, 384));
  EXPECT_EQ(at(5), std::pair(824, 668));
  for (int other : {0, -1, 6, 255, 0x7FFFFFFF}) EXPECT_EQ(at(other), std::pair(824, 668)) << other;
}

TEST(OsdPlace, CentreHalvesTruncate) {
  OsdPoint p = OsdPlace(4, 800, 600);
  EXPECT_EQ(p.X, 300);
  EXPECT_EQ(p.Y, 300);
  p = OsdPlace(4, 1023, 767);
  EXPECT_EQ(p.X, 411);
  EXPECT_EQ(p.Y, 383);
}

TEST(VolumeBar, FullLevelOn1024By768) {
  const VolumeBarGeometry g = VolumeBarFor(255, 1024, 768);
  EXPECT_EQ(g.Top, 640);
  EXPECT_EQ(g.Width, 1024);
  EXPECT_EQ(g.FillRight, 1024);
  EXPECT_EQ(g.TextAt.X, 1024);
  EXPECT_EQ(g.TextAt.Y, 645);
  EXPECT_EQ(g.Percent, "100");
}

TEST(VolumeBar, ZeroLevelHasNoFillAndTextAtTheLeftEdge) {
  const VolumeBarGeometry g = VolumeBarFor(0, 1024, 768);
  EXPECT_EQ(g.FillRight, 0);
  EXPECT_EQ(g.TextAt.X, 0);
  EXPECT_EQ(g.TextAt.Y, 645);
  EXPECT_EQ(g.Percent, "0");
}

TEST(VolumeBar, IntegerArithmeticOfFillAndPercent) {
  VolumeBarGeometry g = VolumeBarFor(128, 1024, 768);
  EXPECT_EQ(g.FillRight, 514);  // 131072 / 255 = 514.0...
  EXPECT_EQ(g.Percent, "50");   // 12800 / 255 = 50.19...
  g = VolumeBarFor(1, 800, 600);
  EXPECT_EQ(g.FillRight, 3);
  EXPECT_EQ(g.Percent, "0");
  EXPECT_EQ(g.Top, 500);
  g = VolumeBarFor(254, 1024, 768);
  EXPECT_EQ(g.Percent, "99");
  EXPECT_EQ(g.FillRight, 1019);
}

TEST(VolumeBar, TopIsFiveSixthsTruncated) {
  EXPECT_EQ(VolumeBarFor(0, 100, 601).Top, 500);
  EXPECT_EQ(VolumeBarFor(0, 100, 605).Top, 504);
  EXPECT_EQ(VolumeBarFor(0, 100, 600).Top, 500) << "not 499 from a rounded 5/6";
  EXPECT_EQ(VolumeBarFor(0, 100, 6).Top, 5);
  EXPECT_EQ(VolumeBarFor(0, 100, 11).Top, 9);
  EXPECT_EQ(VolumeBarFor(0, 100, 1200).Top, 1000);
}

TEST(VolumeBar, LevelsOutsideTheRangeAreClamped) {
  EXPECT_EQ(VolumeBarFor(300, 1024, 768).FillRight, 1024);
  EXPECT_EQ(VolumeBarFor(300, 1024, 768).Percent, "100");
  EXPECT_EQ(VolumeBarFor(-5, 1024, 768).FillRight, 0);
  EXPECT_EQ(VolumeBarFor(-5, 1024, 768).Percent, "0");
}

TEST(OsdFontDescription, StyleBitsBecomeWeightAndFlags) {
  OsdFont f;
  OsdFontDescription d = DescribeOsdFont(f);
  EXPECT_EQ(d.FaceName, "Arial");
  EXPECT_EQ(d.Height, 12);
  EXPECT_EQ(d.Weight, 400);
  EXPECT_FALSE(d.Italic || d.Underline || d.StrikeOut);
  EXPECT_EQ(d.CharSet, 1);

  f.Style = kOsdBold | kOsdUnderline;
  d = DescribeOsdFont(f);
  EXPECT_EQ(d.Weight, 700);
  EXPECT_TRUE(d.Underline);
  EXPECT_FALSE(d.StrikeOut);
  EXPECT_FALSE(d.Italic);

  f.Style = kOsdItalic | kOsdStrikeOut;
  d = DescribeOsdFont(f);
  EXPECT_EQ(d.Weight, 400);
  EXPECT_TRUE(d.Italic);
  EXPECT_TRUE(d.StrikeOut);
  EXPECT_FALSE(d.Underline);

  f.FaceName.clear();
  f.CharSet = 0x0188;  // only the low byte fits a font description
  EXPECT_EQ(DescribeOsdFont(f).FaceName, "");
  EXPECT_EQ(DescribeOsdFont(f).CharSet, 0x88);
}

TEST(OsdFontDescription, BackFromTheDialogAnyWeightButNormalIsBold) {
  OsdFont f;
  f.Color = 0x123456;
  OsdFontDescription d;
  d.FaceName = "Courier New";
  d.Height = -16;
  d.CharSet = 0x88;
  d.Weight = 400;
  d.Italic = true;
  ApplyFontDescription(d, f);
  EXPECT_EQ(f.FaceName, "Courier New");
  EXPECT_EQ(f.Size, -16) << "a character height is kept as it is";
  EXPECT_EQ(f.CharSet, 0x88);
  EXPECT_EQ(f.Style, kOsdItalic);
  EXPECT_EQ(f.Color, 0x123456u) << "the colour comes separately";

  for (int weight : {0, 100, 300, 401, 600, 700, 900}) {
    d.Weight = weight;
    d.Italic = false;
    ApplyFontDescription(d, f);
    EXPECT_EQ(f.Style, kOsdBold) << "weight " << weight;
  }
  d.Underline = d.StrikeOut = d.Italic = true;
  d.Weight = 700;
  ApplyFontDescription(d, f);
  EXPECT_EQ(f.Style, kOsdBold | kOsdItalic | kOsdStrikeOut | kOsdUnderline);
}

TEST(OsdFontDescription, RoundTripKeepsEveryStyle) {
  for (int style = 0; style < 16; ++style) {
    OsdFont f;
    f.Style = style;
    f.Size = -21;
    OsdFont back;
    ApplyFontDescription(DescribeOsdFont(f), back);
    EXPECT_EQ(back.Style, style);
    EXPECT_EQ(back.Size, -21);
  }
}

TEST_F(OsdTest, TextIsDrawnAtThePlaceInTheFontAndArmsTheWipeForOneSecond) {
  osd.SetLocation(1);
  osd.Font.Color = 0x0000FF;
  osd.Font.Style = kOsdBold;
  osd.ShowOsdText("Email");
  ASSERT_EQ(canvas.Texts.size(), 1u);
  EXPECT_EQ(canvas.Texts[0].Text, "Email");
  EXPECT_EQ(canvas.Texts[0].At.X, 50);
  EXPECT_EQ(canvas.Texts[0].At.Y, 50);
  EXPECT_EQ(canvas.Texts[0].Color, 0x0000FFu);
  EXPECT_EQ(canvas.Texts[0].Font.Weight, 700);
  EXPECT_EQ(canvas.Texts[0].Font.FaceName, "Arial");
  EXPECT_EQ(osd.Text(), "Email");
  EXPECT_EQ(osd.LastDrawn().X, 50);
  EXPECT_EQ(timer.Calls, std::vector<int>({1000}));
}

TEST_F(OsdTest, DisabledOsdDrawsNothingAndLeavesTheTimer) {
  osd.Enabled = false;
  osd.ShowOsdText("WWW");
  osd.ShowVolumeBar(200);
  EXPECT_TRUE(canvas.Texts.empty());
  EXPECT_TRUE(canvas.Bars.empty());
  EXPECT_TRUE(timer.Calls.empty());
  EXPECT_EQ(osd.Text(), "") << "the text is not stored either";
}

TEST_F(OsdTest, EmptyTextDrawsNothingButStillArmsTheWipe) {
  osd.ShowOsdText("");
  EXPECT_TRUE(canvas.Texts.empty());
  EXPECT_EQ(timer.Calls, std::vector<int>({1000}));
}

TEST_F(OsdTest, LongTextIsCutAt127Characters) {
  const std::string caption(200, 'x');
  osd.ShowOsdText(caption);
  ASSERT_EQ(canvas.Texts.size(), 1u);
  EXPECT_EQ(canvas.Texts[0].Text, std::string(127, 'x'));
  osd.ShowOsdText(std::string(127, 'y'));
  EXPECT_EQ(canvas.Texts[1].Text.size(), 127u);
}

TEST_F(OsdTest, VolumeBarUsesTheCanvasScreenAndArmsTheWipeForTwoSeconds) {
  canvas.Width = 800;
  canvas.Height = 600;
  osd.ShowVolumeBar(255);
  ASSERT_EQ(canvas.Bars.size(), 1u);
  EXPECT_EQ(canvas.Bars[0].Top, 500);
  EXPECT_EQ(canvas.Bars[0].FillRight, 800);
  EXPECT_EQ(canvas.Bars[0].Percent, "100");
  EXPECT_EQ(timer.Calls, std::vector<int>({2000}));
}

TEST_F(OsdTest, TimerFiringWipesAndStopsTheTimer) {
  osd.ShowOsdText("a");
  osd.Timer1Timer();
  EXPECT_EQ(canvas.Wipes, 1);
  EXPECT_EQ(timer.Calls, std::vector<int>({1000, 0}));
}

TEST_F(OsdTest, EachShowRestartsTheWipeWithItsOwnInterval) {
  osd.ShowVolumeBar(10);
  osd.ShowOsdText("b");
  osd.ShowVolumeBar(20);
  EXPECT_EQ(timer.Calls, std::vector<int>({2000, 1000, 2000}));
  EXPECT_EQ(canvas.Wipes, 0) << "a new drawing paints over the old one";
}

TEST_F(OsdTest, LocationFromTheCanvasScreenAndExplicitSize) {
  canvas.Width = 800;
  canvas.Height = 600;
  osd.SetLocation(4);
  EXPECT_EQ(osd.OsdX, 300);
  EXPECT_EQ(osd.OsdY, 300);
  osd.SetLocation(3, 1024, 768);
  EXPECT_EQ(osd.OsdX, 50);
  EXPECT_EQ(osd.OsdY, 668);
  osd.ShowOsdText("here");
  EXPECT_EQ(canvas.Texts.back().At.Y, 668);
}

TEST_F(OsdTest, AFloodOfTextsDrawsEveryOneInOrderAndEndsOnTheLast) {
  for (int i = 0; i < 5000; ++i) osd.ShowOsdText("row " + std::to_string(i));
  ASSERT_EQ(canvas.Texts.size(), 5000u);
  EXPECT_EQ(canvas.Texts[1234].Text, "row 1234");
  EXPECT_EQ(osd.Text(), "row 4999");
  EXPECT_EQ(timer.Calls.size(), 5000u);
  EXPECT_EQ(timer.Calls.back(), 1000);
}

TEST(WipeReappliesWallpaper, OnlyBeforeVista) {
  EXPECT_TRUE(WipeReappliesWallpaper(0xC0000004u));   // Windows 95
  EXPECT_TRUE(WipeReappliesWallpaper(0xC0000A04u));   // Windows 98
  EXPECT_TRUE(WipeReappliesWallpaper(0x05650004u));   // NT 4.0
  EXPECT_TRUE(WipeReappliesWallpaper(0x08930005u));   // Windows 2000
  EXPECT_TRUE(WipeReappliesWallpaper(0x0A280105u));   // Windows XP
  EXPECT_FALSE(WipeReappliesWallpaper(0x1DB10106u));  // Windows 7
  EXPECT_FALSE(WipeReappliesWallpaper(0x23F00206u));  // Windows 8 and later
}

TEST(DrawsInOwnWindow, FromVistaOnAndNeverOnThe9xFamily) {
  for (uint32_t packed : {0xC0000004u, 0xC0000A04u, 0xC0005A04u, 0x05650004u, 0x08930005u,
                          0x0A280105u, 0x0ECE0205u}) {  // 95, 98, Me, NT 4, 2000, XP, 2003
    EXPECT_FALSE(DrawsInOwnWindow(packed)) << std::hex << packed;
  }
  for (uint32_t packed : {0x17700006u, 0x1DB10106u, 0x23F00206u, 0x0000000Au}) {  // Vista, 7, 8+, 10
    EXPECT_TRUE(DrawsInOwnWindow(packed)) << std::hex << packed;
  }
  // A 9x value is never read as NT 6, whatever its low byte says.
  EXPECT_FALSE(DrawsInOwnWindow(0x80000006u));
}

TEST(OsdColorKey, MagentaUnlessTheTextIsWithinEightStepsOfIt) {
  EXPECT_EQ(OsdColorKey(0x008000), kOsdColorKey);  // the default green
  EXPECT_EQ(OsdColorKey(0x000000), kOsdColorKey);
  EXPECT_EQ(OsdColorKey(0xFF00FF), kOsdColorKeyForMagentaText);
  EXPECT_EQ(OsdColorKey(0xF708F7), kOsdColorKeyForMagentaText);  // 8 off in every channel
  EXPECT_EQ(OsdColorKey(0xF600FF), kOsdColorKey);                // blue 9 off
  EXPECT_EQ(OsdColorKey(0xFF09FF), kOsdColorKey);                // green 9 off
  EXPECT_EQ(OsdColorKey(0xFF00F6), kOsdColorKey);                // red 9 off
  // Neither key is one of the colours the OSD draws itself.
  for (uint32_t key : {kOsdColorKey, kOsdColorKeyForMagentaText}) {
    for (uint32_t fixed : {kVolumeBarBlue, kVolumeBarYellow, kVolumeTextWhite, 0u}) {
      EXPECT_NE(OsdColorKey(fixed), fixed);
      EXPECT_NE(key, fixed);
    }
  }
}

TEST(OsdRect, UnionIgnoresEmptySidesAndCoversText) {
  const OsdRect a{10, 20, 30, 40}, empty{};
  auto same = [](const OsdRect& x, const OsdRect& y) {
    return x.Left == y.Left && x.Top == y.Top && x.Right == y.Right && x.Bottom == y.Bottom;
  };
  EXPECT_TRUE(same(UnionOf(a, empty), a));
  EXPECT_TRUE(same(UnionOf(empty, a), a));
  EXPECT_TRUE(UnionOf(empty, empty).Empty());
  EXPECT_TRUE(same(UnionOf(a, {0, 30, 15, 50}), OsdRect{0, 20, 30, 50}));
  // A 100 x 37 text at (50, 50): margin 37 / 2 + 2 = 20 on every side.
  EXPECT_TRUE(same(TextCover({50, 50}, 100, 37), OsdRect{30, 30, 170, 107}));
  // The bar at level 255 on 1024 x 768: 0..1024 x 640..670.
  EXPECT_TRUE(same(BarCover(VolumeBarFor(255, 1024, 768)), OsdRect{0, 640, 1024, 670}));
}

TEST(OsdScene, TheWindowCoversTheLatestTextAndBarUntilCleared) {
  OsdScene scene;
  EXPECT_TRUE(scene.Bounds().Empty());
  EXPECT_EQ(scene.CurrentText(), nullptr);
  OsdScene::Text first;
  first.Chars = "Mail";
  first.Color = 0xFF00FF;
  first.Cover = {30, 30, 170, 107};
  scene.SetText(first);
  EXPECT_EQ(scene.ColorKey(), kOsdColorKeyForMagentaText) << "the key follows the text colour";
  OsdScene::Bar bar;
  bar.Geometry = VolumeBarFor(128, 1024, 768);
  bar.Cover = BarCover(bar.Geometry);
  scene.SetBar(bar);
  OsdRect b = scene.Bounds();
  EXPECT_EQ(b.Left, 0);
  EXPECT_EQ(b.Top, 30);
  EXPECT_EQ(b.Right, 1024);
  EXPECT_EQ(b.Bottom, 670);

  // A second text replaces the first, at its own place; the bar stays.
  OsdScene::Text second;
  second.Chars = "Up";
  second.Color = 0x008000;
  second.Cover = {800, 600, 900, 700};
  scene.SetText(second);
  ASSERT_NE(scene.CurrentText(), nullptr);
  EXPECT_EQ(scene.CurrentText()->Chars, "Up");
  EXPECT_EQ(scene.ColorKey(), kOsdColorKey);
  b = scene.Bounds();
  EXPECT_EQ(b.Top, 600) << "the first text no longer holds the window up to y 30";
  EXPECT_EQ(b.Bottom, 700);

  scene.Clear();
  EXPECT_TRUE(scene.Bounds().Empty());
  EXPECT_EQ(scene.CurrentBar(), nullptr);
  EXPECT_EQ(scene.ColorKey(), kOsdColorKey);
}

}  // namespace
}  // namespace kd
