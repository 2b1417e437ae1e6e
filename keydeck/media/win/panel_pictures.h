// The media panel's pictures: run-length encoded palette images generated
// at build time by panel_bitmaps.py from vector descriptions, decoded once
// into 32-bit pixels for drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kd {

struct PanelPicture {
  int Width;
  int Height;
  const uint32_t* Palette;  // 0x00RRGGBB
  size_t Colors;
  const uint8_t* Runs;      // (length, palette index) pairs, rows top-down
  size_t RunBytes;
};

// Top-down 0x00RRGGBB pixels, Width * Height of them. Runs past the end
// are cut and an index outside the palette reads as its first colour, so
// a damaged table gives a wrong picture, never a write past the buffer.
inline std::vector<uint32_t> DecodePicture(const PanelPicture& picture) {
  const size_t size = static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height);
  std::vector<uint32_t> pixels;
  pixels.reserve(size);
  for (size_t i = 0; i + 1 < picture.RunBytes && pixels.size() < size; i += 2) {
    const uint8_t index = picture.Runs[i + 1];
    const uint32_t colour = index < picture.Colors ? picture.Palette[index] : picture.Palette[0];
    for (uint8_t n = picture.Runs[i]; n > 0 && pixels.size() < size; --n) pixels.push_back(colour);
  }
  pixels.resize(size, picture.Colors ? picture.Palette[0] : 0);
  return pixels;
}

// The generated pictures (panel_bitmaps.inc).
enum class PanelImage { Background, Play, Pause, Stop, Prev, Backward, Forward, Next, Eject };
const PanelPicture& PanelPictureOf(PanelImage image);

}  // namespace kd
