// Screenshots of the screen as Wine shows it on the X display, for checking
// what was drawn on the desktop. The pixels are read back through the screen
// DC (in a virtual desktop that is the X window the desktop lives in).
// Starting ImageMagick's import from inside a Wine process instead turned
// out to leave Wine now and then with a screen of size 0 (Wine 8), so the
// capture stays in-process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace osdtest {

struct Rgb {
  uint8_t R = 0, G = 0, B = 0;
  bool operator==(const Rgb&) const = default;
};

// The Wine virtual desktop's background, srgb(37,111,149).
constexpr Rgb kDesktopBackground{37, 111, 149};

// From a Windows colour word 0x00BBGGRR.
inline Rgb FromColorRef(uint32_t c) {
  return {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
          static_cast<uint8_t>((c >> 16) & 0xFF)};
}

class Shot {
 public:
  static Shot Take();
  // Only the box [x0, x1) x [y0, y1) of the screen, still addressed in
  // screen coordinates (black outside it): a small box is read many times
  // faster than the whole screen, so repeated pictures come closer together.
  static Shot Take(int x0, int y0, int x1, int y1);

  bool Valid() const { return width_ > 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const;  // black outside the picture
  // Pixels of exactly `color` in the half-open box [x0, x1) x [y0, y1).
  int Count(Rgb color, int x0, int y0, int x1, int y1) const;
  // Bounding box of the pixels of `color` (left > right when there are none).
  RECT Bounds(Rgb color) const;
  std::string Describe(int x, int y) const;

 private:
  int left_ = 0;  // the picture's place on the screen
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> rgb_;
};

}  // namespace osdtest
