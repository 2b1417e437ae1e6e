// The LED strip (class "TRFLed", title "RFLed"): a borderless, top-most
// strip of five lamps near the lower right corner. It can be dragged with
// any mouse button and closed into the tray; a click on the tray icon
// brings it back. The decisions are LedStrip's; this is its window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "keydeck/status/led_lamps.h"
#include "keydeck/status/led_strip.h"
#include "keydeck/ui/win/form_window.h"

namespace kd {

inline constexpr const char* kRFLedClass = "TRFLed";
inline constexpr const char* kRFLedTitle = "RFLed";

class LedWindow final : public FormWindow, private LedStripView {
 public:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 45;
  static constexpr UINT kTrayId = 512;
  static constexpr UINT kTrayMessage = 0x603;

  LedWindow() : strip_(*this) {}
  ~LedWindow() override;

  // Hidden at creation; the lock lamps start from the keyboard state.
  bool Create(HINSTANCE instance, HWND owner);
  LedStrip& Strip() { return strip_; }
  // FormShow: place at the lower right, top-most, and show.
  void FormShow();

  void SetLockFlags(uint8_t flags);
  void SetWarnings(bool keyboard, bool mouse);
  const LedLamps& Lamps() const { return lamps_; }

  // The tray tip (the product name in the language in use), read each time
  // the icon is added.
  std::function<std::string()> TrayTip;

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  // LedStripView
  void ShowStrip() override { FormShow(); }
  void HideStrip() override;
  bool AddTrayIcon() override;
  void RemoveTrayIcon() override;

  void Repaint();
  void PaintDrawn(HDC dc);

  LedStrip strip_;
  LedLamps lamps_;
  HICON trayIcon_ = nullptr;     // Image2's icon
  HBITMAP picture_ = nullptr;    // Image1's picture; drawn by hand when missing
  UINT taskbarCreated_ = 0;
};

}  // namespace kd
