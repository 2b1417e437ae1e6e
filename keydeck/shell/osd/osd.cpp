#include "keydeck/shell/osd/osd.h"

#include <algorithm>

namespace kd {

OsdFontDescription DescribeOsdFont(const OsdFont& font) {
  OsdFontDescription d;
  d.Height = font.Size;
  d.Weight = (font.Style & kOsdBold) ? 700 : 400;
  d.Italic = (font.Style & kOsdItalic) != 0;
  d.Underline = (font.Style & kOsdUnderline) != 0;
  d.StrikeOut = (font.Style & kOsdStrikeOut) != 0;
  // The font description holds a byte; the settings keep 16 bits.
  d.CharSet = static_cast<uint8_t>(font.CharSet);
  d.FaceName = font.FaceName;
  return d;
}

void ApplyFontDescription(const OsdFontDescription& d, OsdFont& font) {
  font.FaceName = d.FaceName;
  font.Size = d.Height;
  font.CharSet = d.CharSet;
  int style = 0;
  if (d.Underline) style |= kOsdUnderline;
  if (d.StrikeOut) style |= kOsdStrikeOut;
  if (d.Italic) style |= kOsdItalic;
  if (d.Weight != 400) style |= kOsdBold;  // any weight but normal counts as bold
  font.Style = style;
}

OsdPoint OsdPlace(int msgLoc, int w, int h) {
  switch (msgLoc) {
    case 1: return {50, 50};
    case 2: return {w - 200, 50};
    case 3: return {50, h - 100};
    case 4: return {w / 2 - 100, h / 2};
    default: return {w - 200, h - 100};
  }
}

VolumeBarGeometry VolumeBarFor(int level, int w, int h) {
  level = std::clamp(level, 0, 255);
  VolumeBarGeometry g;
  // Exactly 5/6 of the height, truncated. A product with the rounded
  // constant 0.8333333333333333 would land one pixel short on heights such
  // as 600 (499.99999999999994).
  g.Top = h * 5 / 6;
  g.Width = w;
  g.FillRight = level * w / 255;
  g.TextAt = {g.FillRight, g.Top + 5};
  g.Percent = std::to_string(level * 100 / 255);
  return g;
}

bool WipeReappliesWallpaper(uint32_t packedVersion) {
  const bool ntFamily = (packedVersion & 0x80000000u) == 0;
  const uint32_t major = packedVersion & 0xFF;
  return !ntFamily || major < 6;
}

bool DrawsInOwnWindow(uint32_t packedVersion) { return !WipeReappliesWallpaper(packedVersion); }

uint32_t OsdColorKey(uint32_t textColor) {
  auto near = [](uint32_t a, uint32_t b, int shift) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    return d >= -8 && d <= 8;
  };
  const bool nearKey = near(textColor, kOsdColorKey, 0) && near(textColor, kOsdColorKey, 8) &&
                       near(textColor, kOsdColorKey, 16);
  return nearKey ? kOsdColorKeyForMagentaText : kOsdColorKey;
}

OsdRect UnionOf(const OsdRect& a, const OsdRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

OsdRect TextCover(OsdPoint at, int width, int height) {
  const int margin = height / 2 + 2;
  return {at.X - margin, at.Y - margin, at.X + width + margin, at.Y + height + margin};
}

OsdRect BarCover(const VolumeBarGeometry& bar) {
  return {0, bar.Top, bar.Width, bar.Top + kVolumeBarHeight};
}

OsdRect OsdScene::Bounds() const {
  OsdRect r;
  if (hasText_) r = UnionOf(r, text_.Cover);
  if (hasBar_) r = UnionOf(r, bar_.Cover);
  return r;
}

void Osd::ShowOsdText(const std::string& text) {
  if (!Enabled) return;
  text_ = text;
  if (!text.empty()) {
    last_ = {OsdX, OsdY};
    canvas_.DrawText(DescribeOsdFont(Font), Font.Color, last_, text.substr(0, kOsdTextMax));
  }
  // Restarted by every text, so the wipe comes a second after the last one.
  timer_.Start(kTextWipeMs);
}

void Osd::ShowVolumeBar(int level) {
  if (!Enabled) return;
  canvas_.DrawVolumeBar(VolumeBarFor(level, canvas_.ScreenWidth(), canvas_.ScreenHeight()));
  timer_.Start(kBarWipeMs);
}

void Osd::Timer1Timer() {
  canvas_.Wipe();
  timer_.Stop();
}

void Osd::SetLocation(int msgLoc, int screenWidth, int screenHeight) {
  const OsdPoint p = OsdPlace(msgLoc, screenWidth, screenHeight);
  OsdX = p.X;
  OsdY = p.Y;
}

void Osd::SetLocation(int msgLoc) {
  SetLocation(msgLoc, canvas_.ScreenWidth(), canvas_.ScreenHeight());
}

}  // namespace kd
