#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keydeck/status/channel_languages.h"
#include "keydeck/status/led_lamps.h"
#include "keydeck/status/led_strip.h"
#include "tests/keydeck/shell_fakes.h"

namespace kd {
namespace {

std::string Picture(uint16_t id) { return ChannelLanguageFor(id).Picture; }
int Base(uint16_t id) { return ChannelLanguageFor(id).StringBase; }

TEST(ChannelLanguage, PicturesAndStringBases) {
  EXPECT_EQ(Picture(0x0404), Picture(0x0C04));
  EXPECT_EQ("CHNT", Picture(0x0C04));
  EXPECT_EQ(100, Base(0x0C04));
  EXPECT_EQ("PorBra", Picture(0x0816));
  EXPECT_EQ(900, Base(0x0816));
  EXPECT_EQ("PorBra", Picture(0x0416));
  EXPECT_EQ(1100, Base(0x0416));
  EXPECT_EQ("SpanLa", Picture(0x040A));
  EXPECT_EQ("Spain", Picture(0x0C0A));
  EXPECT_EQ(1900, Base(0x0C0A));
  EXPECT_EQ("Germany", Picture(0x0407));
  EXPECT_EQ(2600, Base(0x041E));
}

TEST(ChannelLanguage, TheSixteenArabicIds) {
  for (int k = 0; k < 16; ++k) {
    const uint16_t id = static_cast<uint16_t>(0x0401 + k * 0x0400);
    EXPECT_EQ("Arabic", Picture(id)) << std::hex << id;
    EXPECT_EQ(1000, Base(id));
  }
  EXPECT_EQ("common", Picture(0x0001));
  EXPECT_EQ("common", Picture(0x4401));
  EXPECT_EQ("common", Picture(0x0402));  // Bulgarian
}

TEST(ChannelLanguage, UnlistedLanguagesTakeTheEnglishPicture) {
  for (uint16_t id : {0x0409, 0x0418, 0x0809, 0x0000, 0xFFFF}) {
    EXPECT_EQ("common", Picture(id)) << std::hex << id;
    EXPECT_EQ(0, Base(id));
  }
}

TEST(LedLamps, StartColoursAndLockBits) {
  LedLamps lamps;
  EXPECT_EQ(kLampLime, lamps.Shape[0]);
  EXPECT_EQ(kLampGrey, lamps.Shape[3]);
  EXPECT_EQ(kLampGrey, lamps.Shape[4]);
  lamps.LockFlags = kCapsLockBit;
  lamps.SetLockLeds();
  EXPECT_EQ(kLampGrey, lamps.Shape[0]);  // Num
  EXPECT_EQ(kLampLime, lamps.Shape[1]);  // Caps
  EXPECT_EQ(kLampGrey, lamps.Shape[2]);  // Scroll
  lamps.LockFlags = kScrollLockBit | kNumLockBit;
  lamps.SetLockLeds();
  EXPECT_EQ(kLampLime, lamps.Shape[0]);
  EXPECT_EQ(kLampGrey, lamps.Shape[1]);
  EXPECT_EQ(kLampLime, lamps.Shape[2]);
  lamps.SetWarnings(true, false);
  EXPECT_EQ(kLampRed, lamps.Shape[3]);
  EXPECT_EQ(kLampGrey, lamps.Shape[4]);
}

// ---- the strip's window behaviour ----

class RecordingView : public LedStripView, public test::CallRecorder {
 public:
  bool ShellRunning = true;
  void ShowStrip() override { Calls.push_back("Show"); }
  void HideStrip() override { Calls.push_back("Hide"); }
  bool AddTrayIcon() override {
    Calls.push_back("AddIcon");
    return ShellRunning;
  }
  void RemoveTrayIcon() override { Calls.push_back("RemoveIcon"); }
};

using test::Calls;

class LedStripTest : public ::testing::Test {
 protected:
  RecordingView view_;
  LedStrip strip_{view_};
  void Shown() {
    strip_.Show();
    view_.Calls.clear();
  }
};

TEST(LedCloseBox, EdgesIncluded) {
  EXPECT_TRUE(InCloseBox(150, 1));
  EXPECT_TRUE(InCloseBox(158, 7));
  EXPECT_FALSE(InCloseBox(159, 4));
  EXPECT_FALSE(InCloseBox(149, 4));
  EXPECT_FALSE(InCloseBox(154, 0));
  EXPECT_FALSE(InCloseBox(154, 8));
}

TEST_F(LedStripTest, ReleaseOnTheCloseBoxHidesIntoTheTray) {
  Shown();
  EXPECT_FALSE(strip_.MouseUp(159, 4));
  EXPECT_FALSE(strip_.MouseUp(154, 0));
  EXPECT_TRUE(view_.Calls.empty());
  EXPECT_TRUE(strip_.MouseUp(158, 7));
  EXPECT_EQ((Calls{"Hide", "AddIcon"}), view_.Calls);
  EXPECT_EQ(StripState::InTray, strip_.State());
  EXPECT_FALSE(strip_.LedMarked());
}

TEST_F(LedStripTest, TrayClickRestoresAndTheLedItemThenChecksAndHides) {
  Shown();
  strip_.MouseUp(155, 3);
  view_.Calls.clear();
  strip_.TrayCallback(0x200);  // a move over the icon
  strip_.TrayCallback(0x201);  // a press
  EXPECT_TRUE(view_.Calls.empty());
  strip_.TrayCallback(LedStrip::kTrayLeftUp);
  EXPECT_EQ((Calls{"RemoveIcon", "Show"}), view_.Calls);
  EXPECT_EQ(StripState::Shown, strip_.State());
  EXPECT_FALSE(strip_.LedMarked());  // restoring leaves Led unchecked
  view_.Calls.clear();
  strip_.LedClick();  // checks it; the strip stays visible
  EXPECT_TRUE(strip_.LedMarked());
  EXPECT_EQ((Calls{"Show"}), view_.Calls);
  EXPECT_EQ(StripState::Shown, strip_.State());
  view_.Calls.clear();
  strip_.LedClick();  // and the next one hides it
  EXPECT_FALSE(strip_.LedMarked());
  EXPECT_EQ((Calls{"Hide"}), view_.Calls);
  EXPECT_EQ(StripState::HiddenByMenu, strip_.State());
}

TEST_F(LedStripTest, ClosingAgainAfterARestoreStillUnchecks) {
  Shown();
  strip_.MouseUp(150, 1);
  strip_.TrayCallback(LedStrip::kTrayRightUp);
  strip_.MouseUp(150, 1);
  EXPECT_FALSE(strip_.LedMarked());
  EXPECT_EQ(StripState::InTray, strip_.State());
}

TEST_F(LedStripTest, LedItemFromTheTrayTakesTheIconAway) {
  Shown();
  strip_.MouseUp(150, 1);
  view_.Calls.clear();
  strip_.LedClick();  // unchecked -> checked: shown, no icon left behind
  EXPECT_EQ((Calls{"RemoveIcon", "Show"}), view_.Calls);
  EXPECT_EQ(StripState::Shown, strip_.State());
  strip_.LedClick();
  view_.Calls.clear();
  strip_.MouseUp(150, 1);  // hidden by the menu: no close box to release on
  strip_.TaskbarCreated();
  EXPECT_TRUE(view_.Calls.empty());
}

TEST_F(LedStripTest, NewShellGetsTheIconBackOnlyInTheTrayState) {
  Shown();
  strip_.TaskbarCreated();
  EXPECT_TRUE(view_.Calls.empty());
  view_.ShellRunning = false;
  strip_.MouseUp(150, 1);
  view_.ShellRunning = true;
  strip_.TaskbarCreated();
  EXPECT_EQ((Calls{"Hide", "AddIcon", "AddIcon"}), view_.Calls);
  view_.Calls.clear();
  strip_.Closing();
  EXPECT_EQ((Calls{"RemoveIcon"}), view_.Calls);
}

TEST_F(LedStripTest, DragFollowsTheCursorUntilReleaseOrLostCapture) {
  Shown();
  StripPoint to;
  EXPECT_FALSE(strip_.MouseMove({10, 10}, &to));
  strip_.MouseDown({900, 700}, {864, 688});
  ASSERT_TRUE(strip_.MouseMove({850, 650}, &to));
  EXPECT_EQ((StripPoint{814, 638}), to);
  ASSERT_TRUE(strip_.MouseMove({1000, 760}, &to));
  EXPECT_EQ((StripPoint{964, 748}), to);
  strip_.CaptureLost();
  EXPECT_FALSE(strip_.MouseMove({0, 0}, &to));
  EXPECT_FALSE(strip_.Dragging());
  strip_.MouseDown({900, 700}, {864, 688});
  EXPECT_FALSE(strip_.MouseUp(20, 20));
  EXPECT_FALSE(strip_.MouseMove({0, 0}, &to));
  EXPECT_TRUE(view_.Calls.empty());  // a drag neither shows nor hides
}

}  // namespace
}  // namespace kd
