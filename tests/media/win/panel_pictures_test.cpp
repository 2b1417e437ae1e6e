// The panel's generated pictures: sizes as the control table places the
// buttons, complete run tables, symbols drawn, and a decoder that stays in
// its buffer whatever the table says.
#include "keydeck/media/win/panel_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace kd {
namespace {

constexpr uint32_t kSymbol = 0x202020;

struct Expected {
  PanelImage Image;
  int Width, Height;
};
constexpr Expected kSizes[] = {
    {PanelImage::Background, 200, 92}, {PanelImage::Play, 49, 17},     {PanelImage::Pause, 33, 17},
    {PanelImage::Stop, 33, 17},        {PanelImage::Prev, 29, 17},     {PanelImage::Backward, 29, 17},
    {PanelImage::Forward, 29, 17},     {PanelImage::Next, 29, 17},     {PanelImage::Eject, 21, 17},
};

TEST(PanelPicturesTest, EachPictureHasItsControlsSizeAndACompleteRunTable) {
  for (const Expected& e : kSizes) {
    const PanelPicture& p = PanelPictureOf(e.Image);
    SCOPED_TRACE(static_cast<int>(e.Image));
    EXPECT_EQ(e.Width, p.Width);
    EXPECT_EQ(e.Height, p.Height);
    ASSERT_EQ(0u, p.RunBytes % 2);
    size_t pixels = 0;
    for (size_t i = 0; i < p.RunBytes; i += 2) {
      EXPECT_GT(p.Runs[i], 0) << "empty run at " << i;
      EXPECT_LT(p.Runs[i + 1], p.Colors) << "index outside the palette at " << i;
      pixels += p.Runs[i];
    }
    EXPECT_EQ(static_cast<size_t>(p.Width * p.Height), pixels);
    EXPECT_LE(p.Colors, 32u) << "few colours keep the tables small";
  }
}

// The symbol pixels of a button as a mask.
std::vector<bool> SymbolMask(PanelImage image, bool mirrored) {
  const PanelPicture& p = PanelPictureOf(image);
  const std::vector<uint32_t> pixels = DecodePicture(p);
  std::vector<bool> mask(pixels.size());
  for (int y = 0; y < p.Height; ++y)
    for (int x = 0; x < p.Width; ++x)
      mask[static_cast<size_t>(y * p.Width + (mirrored ? p.Width - 1 - x : x))] =
          pixels[static_cast<size_t>(y * p.Width + x)] == kSymbol;
  return mask;
}

TEST(PanelPicturesTest, SymbolsAreDrawnAndTheStepPairsMirrorEachOther) {
  for (PanelImage image : {PanelImage::Play, PanelImage::Pause, PanelImage::Stop, PanelImage::Prev,
                           PanelImage::Backward, PanelImage::Forward, PanelImage::Next, PanelImage::Eject}) {
    const std::vector<bool> mask = SymbolMask(image, false);
    EXPECT_GT(std::count(mask.begin(), mask.end(), true), 20) << static_cast<int>(image);
  }
  EXPECT_EQ(SymbolMask(PanelImage::Backward, true), SymbolMask(PanelImage::Forward, false));
  EXPECT_EQ(SymbolMask(PanelImage::Prev, true), SymbolMask(PanelImage::Next, false));
  EXPECT_NE(SymbolMask(PanelImage::Pause, false), SymbolMask(PanelImage::Stop, false));
}

TEST(PanelPicturesTest, BackgroundDarkensDownwards) {
  const PanelPicture& p = PanelPictureOf(PanelImage::Background);
  const std::vector<uint32_t> pixels = DecodePicture(p);
  const uint32_t top = pixels[static_cast<size_t>(1 * p.Width + 100)] & 0xFF;
  const uint32_t bottom = pixels[static_cast<size_t>((p.Height - 2) * p.Width + 100)] & 0xFF;
  EXPECT_GT(top, bottom + 64) << "top " << top << ", bottom " << bottom;
}

TEST(PanelPicturesTest, DamagedTablesDecodeToExactlyTheirSize) {
  const uint32_t palette[] = {0x111111, 0x222222};
  const uint8_t tooLong[] = {255, 1, 255, 1, 255, 1};  // 765 pixels for 10
  const uint8_t badIndex[] = {4, 7, 3};                 // index 7 of 2, odd length
  const PanelPicture longer = {5, 2, palette, 2, tooLong, sizeof tooLong};
  const PanelPicture wrong = {4, 3, palette, 2, badIndex, sizeof badIndex};
  const std::vector<uint32_t> a = DecodePicture(longer);
  ASSERT_EQ(10u, a.size());
  EXPECT_EQ(0x222222u, a[9]);
  const std::vector<uint32_t> b = DecodePicture(wrong);
  ASSERT_EQ(12u, b.size());
  EXPECT_EQ(std::vector<uint32_t>(12, 0x111111), b) << "unknown index and missing runs read as colour 0";
}

}  // namespace
}  // namespace kd
