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

}  // namespace
}  // namespace kd
