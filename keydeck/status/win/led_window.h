// The LED strip (class "TRFLed", title "RFLed"): a borderless, top-most
// strip of five lamps near the lower right corner. It can be dragged and
// closed into the tray; a click on the tray icon brings it back.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "keydeck/shell/win/form_window.h"
#include "keydeck/status/led_lamps.h"

namespace kd {

class LedWindow final : public FormWindow {
 public:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 45;
  static constexpr UINT kTrayId = 512;
  static constexpr UINT kTrayMessage = 0x603;

  // Hidden at creation; the lock lamps start from the keyboard state.
  bool Create(HINSTANCE instance, HWND owner);
  // FormShow: place at the lower right, top-most, and show.
  void FormShow();
  void Hide();

  void SetLockFlags(uint8_t flags);
  void SetWarnings(bool keyboard, bool mouse);
  const LedLamps& Lamps() const { return lamps_; }

  // Called when the close box hides the strip (the menu's Led mark follows).
  std::function<void()> OnClosedToTray;
  // The tray tip (the product name in the user's language).
  std::function<std::string()> TrayTip;

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  void Repaint();
  void MouseUp(int x, int y);

  LedLamps lamps_;
  bool dragging_ = false;
  POINT gripScreen_ = {0, 0};  // cursor at mouse down, screen coordinates
  POINT startPos_ = {0, 0};    // window's top-left at mouse down
  HICON trayIcon_ = nullptr;
};

}  // namespace kd
