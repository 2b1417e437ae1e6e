#include "keydeck/shell/osd/win/win_osd.h"

#include "common/text.h"
#include "common/win/scoped.h"

namespace kd {
namespace {

LOGFONTA ToLogFont(const OsdFontDescription& d) {
  LOGFONTA lf = {};
  lf.lfHeight = d.Height;
  lf.lfWeight = d.Weight;
  lf.lfItalic = d.Italic ? 1 : 0;
  lf.lfUnderline = d.Underline ? 1 : 0;
  lf.lfStrikeOut = d.StrikeOut ? 1 : 0;
  lf.lfCharSet = d.CharSet;
  common::CopyBounded(lf.lfFaceName, sizeof lf.lfFaceName, d.FaceName);
  return lf;
}

OsdFontDescription FromLogFont(const LOGFONTA& lf) {
  OsdFontDescription d;
  d.Height = lf.lfHeight;
  d.Weight = lf.lfWeight;
  d.Italic = lf.lfItalic != 0;
  d.Underline = lf.lfUnderline != 0;
  d.StrikeOut = lf.lfStrikeOut != 0;
  d.CharSet = lf.lfCharSet;
  d.FaceName = common::FromBuffer(lf.lfFaceName, sizeof lf.lfFaceName);
  return d;
}

RECT Union(const RECT& a, const RECT& b) {
  if (IsRectEmpty(&a)) return b;
  if (IsRectEmpty(&b)) return a;
  RECT u;
  UnionRect(&u, &a, &b);
  return u;
}

// Text extent plus a margin for italic overhang and underline.
RECT TextBox(HDC dc, OsdPoint at, const std::string& text) {
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  const int margin = size.cy / 2 + 2;
  return RECT{at.X - margin, at.Y - margin, at.X + size.cx + margin, at.Y + size.cy + margin};
}

// The desktop DC draws over every window; each visible top-level window
// under the drawing repaints itself.
BOOL CALLBACK RepaintIfCovered(HWND wnd, LPARAM param) {
  const RECT* covered = reinterpret_cast<const RECT*>(param);
  RECT r, overlap;
  if (IsWindowVisible(wnd) && GetWindowRect(wnd, &r) && IntersectRect(&overlap, &r, covered)) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return TRUE;
}

}  // namespace

int DesktopCanvas::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int DesktopCanvas::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void DesktopCanvas::Cover(const RECT& r) { covered_ = Union(covered_, r); }

void DesktopCanvas::DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                             const std::string& text) {
  HWND desktop = GetDesktopWindow();
  common::ScopedDC dc(desktop, GetWindowDC(desktop));
  if (!dc) return;
  const LOGFONTA lf = ToLogFont(font);
  common::ScopedGdiObject hfont(CreateFontIndirectA(&lf));
  if (!hfont) return;
  common::ScopedSelect select(dc.get(), hfont.get());
  SetTextColor(dc.get(), color);
  SetBkMode(dc.get(), TRANSPARENT);
  TextOutA(dc.get(), at.X, at.Y, text.c_str(), static_cast<int>(text.size()));
  Cover(TextBox(dc.get(), at, text));
}

void DesktopCanvas::DrawVolumeBar(const VolumeBarGeometry& bar) {
  HWND desktop = GetDesktopWindow();
  common::ScopedDC dc(desktop, GetWindowDC(desktop));
  if (!dc) return;
  const int bottom = bar.Top + kVolumeBarHeight;
  common::ScopedGdiObject blue(CreateSolidBrush(kVolumeBarBlue));
  common::ScopedGdiObject yellow(CreateSolidBrush(kVolumeBarYellow));
  if (!blue || !yellow) return;
  {
    common::ScopedSelect brush(dc.get(), blue.get());
    Rectangle(dc.get(), 0, bar.Top, bar.Width, bottom);
  }
  if (bar.FillRight > 0) {
    common::ScopedSelect brush(dc.get(), yellow.get());
    Rectangle(dc.get(), 0, bar.Top, bar.FillRight, bottom);
  }
  Cover(RECT{0, bar.Top, bar.Width, bottom});

  // The percentage in the surface's default face at 12 points, white on the
  // blue of the brush.
  const int height = -MulDiv(kVolumeTextPoints, GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
  common::ScopedGdiObject font(CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                           DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif"));
  if (!font) return;
  common::ScopedSelect select(dc.get(), font.get());
  SetTextColor(dc.get(), kVolumeTextWhite);
  SetBkMode(dc.get(), OPAQUE);
  SetBkColor(dc.get(), kVolumeBarBlue);
  TextOutA(dc.get(), bar.TextAt.X, bar.TextAt.Y, bar.Percent.c_str(),
           static_cast<int>(bar.Percent.size()));
  Cover(TextBox(dc.get(), bar.TextAt, bar.Percent));
}

void DesktopCanvas::Wipe() {
  if (IsRectEmpty(&covered_)) return;  // nothing drawn since the last wipe
  if (WipeReappliesWallpaper(GetVersion())) {
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDCHANGE);
  }
  RedrawWindow(GetDesktopWindow(), &covered_, nullptr, RDW_INVALIDATE | RDW_ERASE);
  EnumWindows(RepaintIfCovered, reinterpret_cast<LPARAM>(&covered_));
  SetRectEmpty(&covered_);
}

void WindowTimer::Start(unsigned intervalMs) {
  // SetTimer with the same id replaces the running timer: a restart.
  if (window_) SetTimer(window_, id_, intervalMs, nullptr);
}

void WindowTimer::Stop() {
  if (window_) KillTimer(window_, id_);
}

bool WinOsd::OnTimer(WPARAM timerId) {
  if (timerId != kTimer1Id) return false;
  osd_.Timer1Timer();
  return true;
}

bool RunOsdFontDialog(HWND owner, OsdFont& font) {
  LOGFONTA lf = ToLogFont(DescribeOsdFont(font));
  CHOOSEFONTA cf = {};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  cf.rgbColors = font.Color;
  cf.nFontType = SCREEN_FONTTYPE;
  if (!ChooseFontA(&cf)) return false;
  ApplyFontDescription(FromLogFont(lf), font);
  font.Color = cf.rgbColors;
  return true;
}

}  // namespace kd
