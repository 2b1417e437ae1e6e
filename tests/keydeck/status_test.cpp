#include <gtest/gtest.h>

#include <string>

#include "keydeck/status/channel_languages.h"
#include "keydeck/status/led_lamps.h"

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

}  // namespace
}  // namespace kd
