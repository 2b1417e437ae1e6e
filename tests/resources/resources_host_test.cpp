// The compiled resources of keydeck.exe, read from the .res file windres
// made of keydeck.rc: the string table in the right characters and the
// pictures in their formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <set>
#include <string>

#include "keydeck/resources/channel_pictures.h"
#include "keydeck/resources/resource.h"
#include "keydeck/status/channel_languages.h"
#include "tests/resources/expected_strings.h"
#include "tests/resources/res_file.h"

namespace kd::test {
namespace {

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class CompiledResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    all_ = new std::vector<Resource>(ReadResFile(KD_RESOURCES_RES, &error));
    error_ = new std::string(error);
  }
  static void TearDownTestSuite() {
    delete all_;
    delete error_;
  }
  void SetUp() override { ASSERT_TRUE(error_->empty()) << *error_; }

  static std::vector<Resource>* all_;
  static std::string* error_;
};
std::vector<Resource>* CompiledResources::all_ = nullptr;
std::string* CompiledResources::error_ = nullptr;

// ---- the string table ----

TEST_F(CompiledResources, StringsHoldTheirLanguagesCharacters) {
  const auto table = StringTable(*all_);
  for (const ExpectedString& e : kExpectedStrings) {
    auto it = table.find(e.Id);
    ASSERT_NE(it, table.end()) << "string " << e.Id << " missing";
    EXPECT_EQ(Utf8(e.Text), Utf8(it->second.first)) << "string " << e.Id;
  }
}

TEST_F(CompiledResources, EveryBlockHasTheRowsOfItsLayoutAndNoOthers) {
  const auto table = StringTable(*all_);
  std::set<int> menuRows = {0, 1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 16, 17, 21, 22, 23, 24, 25, 26, 27, 28, 41, 42, 43, 44};
  std::set<int> expected;
  for (const ExpectedBlock& b : kExpectedBlocks) {
    if (b.Full) {
      for (int r : menuRows) expected.insert(b.Base + r);
    } else {
      expected.insert(b.Base + IDS_PRODUCT_NAME);
    }
  }
  for (int r = 51; r <= 56; ++r) expected.insert(500 + r);  // German help lines
  std::set<int> got;
  for (const auto& [id, text] : table) {
    got.insert(id);
    EXPECT_FALSE(text.first.empty()) << "string " << id << " is empty";
  }
  EXPECT_EQ(expected, got);
}

TEST_F(CompiledResources, EachBlockCarriesALanguageTheTableMapsToIt) {
  const auto table = StringTable(*all_);
  for (const ExpectedBlock& b : kExpectedBlocks) {
    auto it = table.find(b.Base + IDS_PRODUCT_NAME);
    ASSERT_NE(it, table.end()) << "block " << b.Base;
    EXPECT_EQ(b.Language, it->second.second) << "block " << b.Base;
    if (b.Base != 0) {
      EXPECT_EQ(b.Base, ChannelLanguageFor(b.Language).StringBase) << "block " << b.Base;
    }
  }
}

TEST_F(CompiledResources, EveryLanguageOfTheTableFindsItsProductName) {
  const auto table = StringTable(*all_);
  const std::u16string english = table.at(IDS_PRODUCT_NAME).first;
  std::set<int> bases;
  for (uint32_t id = 0; id <= 0xFFFF; ++id) bases.insert(ChannelLanguageFor(static_cast<uint16_t>(id)).StringBase);
  EXPECT_EQ(27u, bases.size());  // English and the 26 blocks 100 to 2600
  for (int base : bases) {
    auto it = table.find(base + IDS_PRODUCT_NAME);
    ASSERT_NE(it, table.end()) << "no row 44 in block " << base;
    if (base != 0) {
      EXPECT_NE(english, it->second.first) << "block " << base;
    }
    EXPECT_NE(std::u16string::npos, it->second.first.find(u"Keydeck")) << "block " << base;
  }
}

TEST_F(CompiledResources, MenuCaptionsKeepTheirAccelerators) {
  const auto table = StringTable(*all_);
  for (const ExpectedBlock& b : kExpectedBlocks) {
    if (!b.Full) continue;
    for (int row : {0, 1, 2, 3, 4, 5, 11, 12, 13, 16, 17, 21, 22, 23, 24, 28, 41, 42, 43}) {
      const bool english = table.at(row).first.find(u'&') != std::u16string::npos;
      const std::u16string& text = table.at(b.Base + row).first;
      const size_t amps = std::count(text.begin(), text.end(), u'&');
      EXPECT_EQ(english ? 1u : 0u, amps) << "row " << b.Base + row << ": " << Utf8(text);
    }
    std::set<char16_t> keys;  // the top-level accelerators differ
    for (int row = 1; row <= 5; ++row) {
      const std::u16string& text = table.at(b.Base + row).first;
      const size_t amp = text.find(u'&');
      ASSERT_LT(amp + 1, text.size()) << "row " << b.Base + row;
      EXPECT_TRUE(keys.insert(static_cast<char16_t>(std::towlower(text[amp + 1]))).second)
          << "accelerator of row " << b.Base + row << " used twice";
    }
  }
}

// ---- the pictures ----

TEST_F(CompiledResources, TwentySixChannelPicturesIn256ColoursRle8) {
  std::set<std::vector<uint8_t>> distinct;
  size_t total = 0;
  for (int i = 0; i < kChannelPictureCount; ++i) {
    SCOPED_TRACE(kChannelPictures[i]);
    const Resource* r = Find(*all_, kRtBitmap, static_cast<uint16_t>(IDB_CHANNEL_FIRST + i));
    ASSERT_NE(nullptr, r);
    std::string error;
    auto dib = ParseDib(r->Data, &error);
    ASSERT_TRUE(dib) << error;
    EXPECT_EQ(500, dib->Width);
    EXPECT_EQ(400, dib->Height);
    EXPECT_EQ(8, dib->BitCount);
    EXPECT_EQ(1u, dib->Compression) << "BI_RLE8";
    EXPECT_EQ(256u, dib->Palette.size());
    EXPECT_EQ(dib->Bits.size(), dib->SizeImage);
    auto pixels = DecodeRle8(*dib, &error);
    ASSERT_TRUE(pixels) << error;
    // The generator's uncompressed copy: the RLE8 stream says the same.
    char ref[512];
    snprintf(ref, sizeof ref, "%s/channel_%02d.ref.bmp", KD_RESOURCES_GENERATED, i);
    auto reference = ReadBmpFile(ref, &error);
    ASSERT_TRUE(reference) << error;
    auto refPixels = Rows8(*reference, &error);
    ASSERT_TRUE(refPixels) << error;
    EXPECT_TRUE(*pixels == *refPixels) << "RLE8 decoding differs from the uncompressed picture";
    EXPECT_EQ(reference->Palette, dib->Palette);
    distinct.insert(*pixels);
    total += r->Data.size();
  }
  EXPECT_EQ(static_cast<size_t>(kChannelPictureCount), distinct.size()) << "two pictures are the same";
  // Uncompressed they would take 26 * 200 KB; keydeck.exe must stay at 2 MB.
  EXPECT_LT(total, 1400u * 1024u) << "all 26 take " << total << " bytes";
  EXPECT_EQ(nullptr, Find(*all_, kRtBitmap, static_cast<uint16_t>(IDB_CHANNEL_FIRST + kChannelPictureCount)));
}

uint32_t PixelOf(const Dib& dib, const std::vector<uint8_t>& px, int x, int y) {
  return dib.Palette[px[static_cast<size_t>(y) * dib.Width + x]];
}

bool IsStripBlue(uint32_t rgb) {
  const int r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  return b >= 128 && r < 64 && g < 64;
}

TEST_F(CompiledResources, LedStripIsBlueWithItsCloseBoxInPlace) {
  const Resource* r = Find(*all_, kRtBitmap, IDB_LED_STRIP);
  ASSERT_NE(nullptr, r);
  std::string error;
  auto dib = ParseDib(r->Data, &error);
  ASSERT_TRUE(dib) << error;
  EXPECT_EQ(160, dib->Width);
  EXPECT_EQ(45, dib->Height);
  auto px = Rows8(*dib, &error);
  ASSERT_TRUE(px) << error;
  EXPECT_TRUE(IsStripBlue(PixelOf(*dib, *px, 2, 2)));
  EXPECT_TRUE(IsStripBlue(PixelOf(*dib, *px, 80, 30)));
  // The box fills 150..158 x 1..7 exactly: its frame is drawn, the pixels
  // around it are background.
  const uint32_t frame = PixelOf(*dib, *px, 150, 1);
  EXPECT_FALSE(IsStripBlue(frame));
  for (int x = 150; x <= 158; ++x) {
    EXPECT_EQ(frame, PixelOf(*dib, *px, x, 1)) << x;
    EXPECT_EQ(frame, PixelOf(*dib, *px, x, 7)) << x;
    EXPECT_TRUE(IsStripBlue(PixelOf(*dib, *px, x, 0))) << x;
    EXPECT_TRUE(IsStripBlue(PixelOf(*dib, *px, x, 8))) << x;
  }
  for (int y = 1; y <= 7; ++y) {
    EXPECT_EQ(frame, PixelOf(*dib, *px, 150, y)) << y;
    EXPECT_EQ(frame, PixelOf(*dib, *px, 158, y)) << y;
    EXPECT_TRUE(IsStripBlue(PixelOf(*dib, *px, 149, y))) << y;
    EXPECT_TRUE(IsStripBlue(PixelOf(*dib, *px, 159, y))) << y;
  }
  // Each of the five symbols leaves light pixels above its lamp.
  for (int lamp = 0; lamp < 5; ++lamp) {
    int light = 0;
    for (int y = 9; y < 30; ++y)
      for (int x = 8 + 32 * lamp; x < 26 + 32 * lamp; ++x) light += (PixelOf(*dib, *px, x, y) & 0xFF00) > 0x8000;
    EXPECT_GT(light, 10) << "symbol above lamp " << lamp + 1;
  }
}

TEST_F(CompiledResources, LedTrayIconHasTheTwoSizes) {
  const Resource* group = Find(*all_, kRtGroupIcon, IDI_LED_TRAY);
  ASSERT_NE(nullptr, group);
  ASSERT_GE(group->Data.size(), 6u);
  const int count = group->Data[4] | group->Data[5] << 8;
  ASSERT_EQ(2, count);
  std::set<int> sizes;
  for (int i = 0; i < count; ++i) sizes.insert(group->Data[6 + 14 * i]);
  EXPECT_EQ((std::set<int>{16, 32}), sizes);
}

// ---- the generator's order and the window's ----

TEST(ChannelPictureOrder, TextFileSectionsFollowTheResourceOrder) {
  std::ifstream in(KD_CHANNEL_TEXTS);
  ASSERT_TRUE(in) << KD_CHANNEL_TEXTS;
  std::vector<std::string> sections;
  for (std::string line; std::getline(in, line);)
    if (line.size() > 2 && line[0] == '[' && line.back() == ']') sections.push_back(line.substr(1, line.size() - 2));
  ASSERT_EQ(static_cast<size_t>(kChannelPictureCount), sections.size());
  for (int i = 0; i < kChannelPictureCount; ++i) EXPECT_EQ(kChannelPictures[i], sections[i]) << i;
}

TEST(ChannelPictureOrder, EveryLanguageFindsItsPicture) {
  for (uint32_t id = 0; id <= 0xFFFF; ++id) {
    const char* picture = ChannelLanguageFor(static_cast<uint16_t>(id)).Picture;
    ASSERT_GE(ChannelPictureIndex(picture), 0) << std::hex << id << " names " << picture;
  }
  EXPECT_EQ(9, ChannelPictureIndex(ChannelLanguageFor(0x0407).Picture));
  EXPECT_EQ(25, ChannelPictureIndex(ChannelLanguageFor(0x2001).Picture));
  EXPECT_EQ(0, ChannelPictureIndex(ChannelLanguageFor(0x0409).Picture));
  EXPECT_EQ(-1, ChannelPictureIndex("Germany "));
  EXPECT_EQ(-1, ChannelPictureIndex(nullptr));
}

}  // namespace
}  // namespace kd::test
