#include "keydeck/status/win/led_window.h"

#include <windowsx.h>

#include "common/win/scoped.h"
#include "keydeck/resources/resource.h"
#include "keydeck/shell/messages.h"
#include "keydeck/shell/win/tray.h"

namespace kd {
namespace {

constexpr COLORREF kStripBlue = RGB(0, 0, 255);
constexpr int kLampLeft = 8;
constexpr int kLampStep = 32;
constexpr int kLampTop = 33;
constexpr int kLampWidth = 18;
constexpr int kLampHeight = 9;
const RECT kCloseBox = {150, 1, 159, 8};  // pixels 150..158 across, 1..7 down

bool InCloseBox(int x, int y) { return x >= 150 && x <= 158 && y >= 1 && y <= 7; }

void FillBox(HDC dc, const RECT& r, COLORREF color) {
  common::ScopedGdiObject brush(CreateSolidBrush(color));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

}  // namespace

bool LedWindow::Create(HINSTANCE instance, HWND owner) {
  // Lock lamps from the system's key state; the toggle bit is the lock.
  BYTE keys[256] = {};
  if (GetKeyboardState(keys)) {
    if (keys[VK_SCROLL] & 1) lamps_.LockFlags |= kScrollLockBit;
    if (keys[VK_NUMLOCK] & 1) lamps_.LockFlags |= kNumLockBit;
    if (keys[VK_CAPITAL] & 1) lamps_.LockFlags |= kCapsLockBit;
  }
  trayIcon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KEYDECK));
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

void LedWindow::Hide() { ShowWindow(hwnd_, SW_HIDE); }

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

void LedWindow::Paint(HDC dc) {
  RECT all = {0, 0, kWidth, kHeight};
  FillBox(dc, all, kStripBlue);
  // Symbols above the lamps: Num, Caps, Scroll, keyboard, mouse.
  static const char* const kSymbols[5] = {"1", "A", "S", "K", "M"};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  for (int i = 0; i < 5; ++i) {
    const int left = kLampLeft + i * kLampStep;
    RECT label = {left, 12, left + kLampWidth, 30};
    DrawTextA(dc, kSymbols[i], 1, &label, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    RECT lamp = {left, kLampTop, left + kLampWidth, kLampTop + kLampHeight};
    FillBox(dc, lamp, lamps_.Shape[i]);
  }
  FillBox(dc, kCloseBox, RGB(255, 255, 255));
  common::ScopedGdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  common::ScopedSelect use(dc, pen.get());
  MoveToEx(dc, kCloseBox.left + 1, kCloseBox.top + 1, nullptr);
  LineTo(dc, kCloseBox.right - 1, kCloseBox.bottom - 1);
  MoveToEx(dc, kCloseBox.right - 2, kCloseBox.top + 1, nullptr);
  LineTo(dc, kCloseBox.left, kCloseBox.bottom - 1);
}

void LedWindow::MouseUp(int x, int y) {
  dragging_ = false;
  ReleaseCapture();
  if (!InCloseBox(x, y)) return;
  Hide();
  if (OnClosedToTray) OnClosedToTray();
  Tray().SetCallbackMessage(kTrayMessage);
  const std::string tip = TrayTip ? TrayTip() : std::string();
  Tray().Add(hwnd_, kTrayId, trayIcon_, tip.c_str());
}

LRESULT LedWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      // Screen coordinates: a queued move's client coordinates refer to
      // where the window was when the move happened, not where it is now.
      dragging_ = true;
      const DWORD at = GetMessagePos();
      gripScreen_ = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
      RECT r;
      GetWindowRect(hwnd_, &r);
      startPos_ = {r.left, r.top};
      SetCapture(hwnd_);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        const DWORD at = GetMessagePos();
        SetWindowPos(hwnd_, nullptr, startPos_.x + GET_X_LPARAM(at) - gripScreen_.x,
                     startPos_.y + GET_Y_LPARAM(at) - gripScreen_.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      MouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case kTrayMessage:
      if (lParam == WM_LBUTTONUP || lParam == WM_RBUTTONUP) {
        Tray().Delete(hwnd_, kTrayId);
        FormShow();
      }
      return 0;
    case WM_CLOSE:
      // The strip is the main form: closing it ends the program.
      Tray().Delete(hwnd_, kTrayId);
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      Tray().Delete(hwnd_, kTrayId);
      return 0;
    default:
      return FormWindow::Handle(message, wParam, lParam);
  }
}

}  // namespace kd
