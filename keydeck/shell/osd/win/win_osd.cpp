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

RECT ToRect(const OsdRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

// Text drawn on a colour key keeps no smoothed edge: its blend with the key
// would show as a dark fringe, since the key itself is never seen.
BYTE QualityFor(bool colorKeyed) { return colorKeyed ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY; }

LOGFONTA TextFont(const OsdFontDescription& font, bool colorKeyed) {
  LOGFONTA lf = ToLogFont(font);
  lf.lfQuality = QualityFor(colorKeyed);
  return lf;
}

// The percentage's font: the surface's default face at 12 points.
LOGFONTA PercentFont(HDC dc, bool colorKeyed) {
  LOGFONTA lf = {};
  lf.lfHeight = -MulDiv(kVolumeTextPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = QualityFor(colorKeyed);
  common::CopyBounded(lf.lfFaceName, sizeof lf.lfFaceName, "MS Sans Serif");
  return lf;
}

// The extent of `text` in a font, measured on the screen.
SIZE ScreenTextExtent(const LOGFONTA& lf, const std::string& text) {
  SIZE size = {0, 0};
  common::ScopedDC screen(nullptr, GetDC(nullptr));
  common::ScopedGdiObject font(CreateFontIndirectA(&lf));
  if (!screen || !font) return size;
  common::ScopedSelect select(screen.get(), font.get());
  GetTextExtentPoint32A(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// Glyphs only, in `font`, top-left corner at `at`; the text's area.
OsdRect PaintText(HDC dc, const OsdFontDescription& font, uint32_t color, OsdPoint at,
                  const std::string& text, bool colorKeyed) {
  const LOGFONTA lf = TextFont(font, colorKeyed);
  common::ScopedGdiObject hfont(CreateFontIndirectA(&lf));
  if (!hfont) return {};
  common::ScopedSelect select(dc, hfont.get());
  SetTextColor(dc, color);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, at.X, at.Y, text.c_str(), static_cast<int>(text.size()));
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return TextCover(at, size.cx, size.cy);
}

// The bar and its percentage; the area they cover.
OsdRect PaintVolumeBar(HDC dc, const VolumeBarGeometry& bar, bool colorKeyed) {
  const int bottom = bar.Top + kVolumeBarHeight;
  common::ScopedGdiObject blue(CreateSolidBrush(kVolumeBarBlue));
  common::ScopedGdiObject yellow(CreateSolidBrush(kVolumeBarYellow));
  if (!blue || !yellow) return {};
  {
    common::ScopedSelect brush(dc, blue.get());
    Rectangle(dc, 0, bar.Top, bar.Width, bottom);
  }
  if (bar.FillRight > 0) {
    common::ScopedSelect brush(dc, yellow.get());
    Rectangle(dc, 0, bar.Top, bar.FillRight, bottom);
  }
  OsdRect covered = BarCover(bar);

  const LOGFONTA lf = PercentFont(dc, colorKeyed);
  common::ScopedGdiObject font(CreateFontIndirectA(&lf));
  if (!font) return covered;
  common::ScopedSelect select(dc, font.get());
  SetTextColor(dc, kVolumeTextWhite);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, kVolumeBarBlue);
  TextOutA(dc, bar.TextAt.X, bar.TextAt.Y, bar.Percent.c_str(), static_cast<int>(bar.Percent.size()));
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, bar.Percent.c_str(), static_cast<int>(bar.Percent.size()), &size);
  return UnionOf(covered, TextCover(bar.TextAt, size.cx, size.cy));
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

void DesktopCanvas::DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                             const std::string& text) {
  HWND desktop = GetDesktopWindow();
  common::ScopedDC dc(desktop, GetWindowDC(desktop));
  if (!dc) return;
  covered_ = UnionOf(covered_, PaintText(dc.get(), font, color, at, text, false));
}

void DesktopCanvas::DrawVolumeBar(const VolumeBarGeometry& bar) {
  HWND desktop = GetDesktopWindow();
  common::ScopedDC dc(desktop, GetWindowDC(desktop));
  if (!dc) return;
  covered_ = UnionOf(covered_, PaintVolumeBar(dc.get(), bar, false));
}

void DesktopCanvas::Wipe() {
  if (covered_.Empty()) return;  // nothing drawn since the last wipe
  if (WipeReappliesWallpaper(GetVersion())) {
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDCHANGE);
  }
  RECT covered = ToRect(covered_);
  RedrawWindow(GetDesktopWindow(), &covered, nullptr, RDW_INVALIDATE | RDW_ERASE);
  EnumWindows(RepaintIfCovered, reinterpret_cast<LPARAM>(&covered));
  covered_ = {};
}

// The OSD window. SetLayeredWindowAttributes came with Windows 2000: looked
// up at run time, so that keydeck.exe still loads on 95, 98 and NT 4.
namespace {

constexpr char kOsdWindowClass[] = "TKeydeckOsd";
using SetLayeredAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredAttributesFn LayeredAttributes() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<SetLayeredAttributesFn>(
                      reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")))
                : nullptr;
}

}  // namespace

OsdWindowCanvas::~OsdWindowCanvas() {
  if (window_) DestroyWindow(window_);
}

bool OsdWindowCanvas::Create() {
  if (window_) return true;
  setAttributes_ = reinterpret_cast<void*>(LayeredAttributes());
  if (!setAttributes_) return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kOsdWindowClass;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // Topmost, clicks pass through (transparent + layered), never activated,
  // no task-bar button.
  window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_NOACTIVATE |
                                WS_EX_TOOLWINDOW,
                            kOsdWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                            this);
  if (!window_) return false;
  key_ = scene_.ColorKey();
  reinterpret_cast<SetLayeredAttributesFn>(setAttributes_)(window_, key_, 0, LWA_COLORKEY);
  return true;
}

int OsdWindowCanvas::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int OsdWindowCanvas::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void OsdWindowCanvas::DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                               const std::string& text) {
  // Measured before painting: the window is sized to what it shows.
  const SIZE size = ScreenTextExtent(TextFont(font, true), text);
  scene_.SetText({font, color, at, text, TextCover(at, size.cx, size.cy)});
  Show();
}

void OsdWindowCanvas::DrawVolumeBar(const VolumeBarGeometry& bar) {
  common::ScopedDC screen(nullptr, GetDC(nullptr));
  if (!screen) return;
  const SIZE size = ScreenTextExtent(PercentFont(screen.get(), true), bar.Percent);
  scene_.SetBar({bar, UnionOf(BarCover(bar), TextCover(bar.TextAt, size.cx, size.cy))});
  Show();
}

void OsdWindowCanvas::Wipe() {
  scene_.Clear();
  if (window_) ShowWindow(window_, SW_HIDE);
}

void OsdWindowCanvas::Show() {
  if (!window_) return;
  const uint32_t key = scene_.ColorKey();
  if (key != key_) {
    key_ = key;
    reinterpret_cast<SetLayeredAttributesFn>(setAttributes_)(window_, key_, 0, LWA_COLORKEY);
  }
  const OsdRect b = scene_.Bounds();
  // Above every other topmost window too, placed over the drawing only.
  SetWindowPos(window_, HWND_TOPMOST, b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top,
               SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, FALSE);
  if (!IsWindowVisible(window_)) ShowWindow(window_, SW_SHOWNOACTIVATE);
  // Painted now, not when the message loop comes round to it.
  UpdateWindow(window_);
}

void OsdWindowCanvas::Paint(HDC dc) {
  RECT client;
  GetClientRect(window_, &client);
  common::ScopedGdiObject key(CreateSolidBrush(key_));
  if (key) FillRect(dc, &client, static_cast<HBRUSH>(key.get()));
  // The scene is in screen coordinates; the window sits at its bounds.
  const OsdRect b = scene_.Bounds();
  SetViewportOrgEx(dc, -b.Left, -b.Top, nullptr);
  if (const OsdScene::Bar* bar = scene_.CurrentBar()) PaintVolumeBar(dc, bar->Geometry, true);
  if (const OsdScene::Text* t = scene_.CurrentText()) PaintText(dc, t->Font, t->Color, t->At, t->Chars, true);
  SetViewportOrgEx(dc, 0, 0, nullptr);
}

LRESULT CALLBACK OsdWindowCanvas::Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<OsdWindowCanvas*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills the key colour itself
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      if (dc && self) self->Paint(dc);
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCDESTROY:
      if (self) self->window_ = nullptr;
      break;
  }
  return DefWindowProcA(wnd, msg, w, l);
}

void WindowTimer::Start(unsigned intervalMs) {
  // SetTimer with the same id replaces the running timer: a restart.
  if (window_) SetTimer(window_, id_, intervalMs, nullptr);
}

void WindowTimer::Stop() {
  if (window_) KillTimer(window_, id_);
}

OsdCanvas& WinOsd::ChooseCanvas() {
  if (DrawsInOwnWindow(GetVersion()) && window_.Create()) return window_;
  return desktop_;
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
