#include "tests/osd/screen_shot.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "common/win/scoped.h"

namespace osdtest {

Shot Shot::Take() { return Take(0, 0, INT_MAX, INT_MAX); }

Shot Shot::Take(int x0, int y0, int x1, int y1) {
  Shot shot;
  common::ScopedDC screen(nullptr, GetDC(nullptr));
  if (!screen) return shot;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, GetDeviceCaps(screen.get(), HORZRES));
  y1 = std::min(y1, GetDeviceCaps(screen.get(), VERTRES));
  const int w = x1 - x0;
  const int h = y1 - y0;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  common::ScopedGdiObject bitmap(
      CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  HDC mem = CreateCompatibleDC(screen.get());
  if (!bitmap || !mem || w <= 0 || h <= 0) {
    if (mem) DeleteDC(mem);
    return shot;
  }
  {
    common::ScopedSelect select(mem, bitmap.get());
    if (BitBlt(mem, 0, 0, w, h, screen.get(), x0, y0, SRCCOPY)) {
      GdiFlush();
      const int stride = (w * 3 + 3) & ~3;
      shot.rgb_.resize(static_cast<size_t>(w) * h * 3);
      for (int y = 0; y < h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x) {
          uint8_t* out = &shot.rgb_[(static_cast<size_t>(y) * w + x) * 3];
          out[0] = row[x * 3 + 2];  // the DIB holds blue, green, red
          out[1] = row[x * 3 + 1];
          out[2] = row[x * 3];
        }
      }
      shot.left_ = x0;
      shot.top_ = y0;
      shot.width_ = w;
      shot.height_ = h;
    }
  }
  DeleteDC(mem);
  return shot;
}

Rgb Shot::At(int x, int y) const {
  x -= left_;
  y -= top_;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

int Shot::Count(Rgb color, int x0, int y0, int x1, int y1) const {
  int n = 0;
  for (int y = std::max(y0, top_); y < y1 && y < top_ + height_; ++y) {
    for (int x = std::max(x0, left_); x < x1 && x < left_ + width_; ++x) n += At(x, y) == color ? 1 : 0;
  }
  return n;
}

RECT Shot::Bounds(Rgb color) const {
  RECT r = {left_ + width_, top_ + height_, -1, -1};
  for (int y = top_; y < top_ + height_; ++y) {
    for (int x = left_; x < left_ + width_; ++x) {
      if (At(x, y) == color) {
        if (x < r.left) r.left = x;
        if (y < r.top) r.top = y;
        if (x > r.right) r.right = x;
        if (y > r.bottom) r.bottom = y;
      }
    }
  }
  return r;
}

std::string Shot::Describe(int x, int y) const {
  const Rgb c = At(x, y);
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%d,%d) = rgb(%d,%d,%d)", x, y, c.R, c.G, c.B);
  return buf;
}

}  // namespace osdtest
