#include "keydeck/status/win/led_window.h"

#include <windowsx.h>

#include "common/win/scoped.h"
#include "keydeck/resources/resource.h"
#include "keydeck/ui/win/tray.h"

namespace kd {
namespace {

constexpr COLORREF kStripBlue = RGB(0, 0, 255);
constexpr int kLampLeft = 8;
constexpr int kLampStep = 32;
constexpr int kLampTop = 33;
constexpr int kLampWidth = 18;
constexpr int kLampHeight = 9;
const RECT kCloseBox = {150, 1, 159, 8};  // pixels 150..158 across, 1..7 down

void FillBox(HDC dc, const RECT& r, COLORREF color) {
  common::ScopedGdiObject brush(CreateSolidBrush(color));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

StripPoint CursorOfMessage() {
  // Screen coordinates: a queued move's client coordinates refer to where
  // the window was when the move happened, not where it is now.
  const DWORD at = GetMessagePos();
  return {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}

}  // namespace

LedWindow::~LedWindow() {
  if (picture_) DeleteObject(picture_);
}

bool LedWindow::Create(HINSTANCE instance, HWND owner) {
  // Lock lamps from the system's key state; the toggle bit is the lock.
  BYTE keys[256] = {};
  if (GetKeyboardState(keys)) {
    if (keys[VK_SCROLL] & 1) lamps_.LockFlags |= kScrollLockBit;
    if (keys[VK_NUMLOCK] & 1) lamps_.LockFlags |= kNumLockBit;
    if (keys[VK_CAPITAL] & 1) lamps_.LockFlags |= kCapsLockBit;
  }
  trayIcon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LED_TRAY));
  if (!trayIcon_) trayIcon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KEYDECK));
  picture_ = static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDB_LED_STRIP), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  RegisterFormClass(instance, kRFLedClass, nullptr, trayIcon_);
  return CreateForm(instance, kRFLedClass, kRFLedTitle, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0, 0,
                    kWidth, kHeight, owner);
}

void LedWindow::FormShow() {
  lamps_.Shape[0] = lamps_.Shape[1] = lamps_.Shape[2] = kLampGrey;
  const int left = GetSystemMetrics(SM_CXSCREEN) - kWidth;
  const int top = GetSystemMetrics(SM_CYSCREEN) - kHeight - 35;
  SetWindowPos(hwnd_, HWND_TOPMOST, left, top, kWidth, kHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  lamps_.SetLockLeds();
  Repaint();
}

void LedWindow::HideStrip() {
  if (GetCapture() == hwnd_) ReleaseCapture();
  ShowWindow(hwnd_, SW_HIDE);
}

bool LedWindow::AddTrayIcon() {
  // Read now, not when the strip was shown: a reload may have changed the
  // language since, and the tip speaks the language the rest now shows.
  const std::string tip = TrayTip ? TrayTip() : std::string();
  Tray().SetCallbackMessage(kTrayMessage);
  return Tray().Add(hwnd_, kTrayId, trayIcon_, tip.c_str());
}

void LedWindow::RemoveTrayIcon() { Tray().Delete(hwnd_, kTrayId); }

void LedWindow::SetLockFlags(uint8_t flags) {
  lamps_.LockFlags = flags;
  lamps_.SetLockLeds();
  Repaint();
}

void LedWindow::SetWarnings(bool keyboard, bool mouse) {
  lamps_.SetWarnings(keyboard, mouse);
  Repaint();
}

void LedWindow::Repaint() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// The strip without its picture: blue, a letter above each lamp and the
// close box.
void LedWindow::PaintDrawn(HDC dc) {
  RECT all = {0, 0, kWidth, kHeight};
  FillBox(dc, all, kStripBlue);
  static const char* const kSymbols[5] = {"1", "A", "S", "K", "M"};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  for (int i = 0; i < 5; ++i) {
    const int left = kLampLeft + i * kLampStep;
    RECT label = {left, 12, left + kLampWidth, 30};
    DrawTextA(dc, kSymbols[i], 1, &label, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  }
  FillBox(dc, kCloseBox, RGB(255, 255, 255));
  common::ScopedGdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  common::ScopedSelect use(dc, pen.get());
  MoveToEx(dc, kCloseBox.left + 1, kCloseBox.top + 1, nullptr);
  LineTo(dc, kCloseBox.right - 1, kCloseBox.bottom - 1);
  MoveToEx(dc, kCloseBox.right - 2, kCloseBox.top + 1, nullptr);
  LineTo(dc, kCloseBox.left, kCloseBox.bottom - 1);
}

void LedWindow::Paint(HDC dc) {
  bool drawn = false;
  if (picture_) {
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
      HGDIOBJ old = SelectObject(memory, picture_);
      drawn = BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY) != FALSE;
      SelectObject(memory, old);
      DeleteDC(memory);
    }
  }
  if (!drawn) PaintDrawn(dc);
  // The lamps lie on the picture.
  for (int i = 0; i < 5; ++i) {
    const int left = kLampLeft + i * kLampStep;
    RECT lamp = {left, kLampTop, left + kLampWidth, kLampTop + kLampHeight};
    FillBox(dc, lamp, lamps_.Shape[i]);
  }
}

LRESULT LedWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN: {
      RECT r;
      GetWindowRect(hwnd_, &r);
      strip_.MouseDown(CursorOfMessage(), {r.left, r.top});
      SetCapture(hwnd_);
      return message == WM_XBUTTONDOWN ? TRUE : 0;
    }
    case WM_MOUSEMOVE: {
      StripPoint to;
      if (strip_.MouseMove(CursorOfMessage(), &to))
        SetWindowPos(hwnd_, nullptr, to.X, to.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
      const int x = GET_X_LPARAM(lParam);
      const int y = GET_Y_LPARAM(lParam);
      // The drag ends first, so that losing the capture below finds none.
      strip_.MouseUp(x, y);
      if (GetCapture() == hwnd_) ReleaseCapture();
      return message == WM_XBUTTONUP ? TRUE : 0;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      strip_.CaptureLost();
      if (message == WM_CANCELMODE && GetCapture() == hwnd_) ReleaseCapture();
      return 0;
    case kTrayMessage:
      strip_.TrayCallback(static_cast<uint32_t>(lParam));
      return 0;
    case WM_CLOSE:
      // The strip is the main form: closing it ends the program.
      strip_.Closing();
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      strip_.Closing();
      return 0;
    default:
      if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        strip_.TaskbarCreated();
        return 0;
      }
      return FormWindow::Handle(message, wParam, lParam);
  }
}

}  // namespace kd
