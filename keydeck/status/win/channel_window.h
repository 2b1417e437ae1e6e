// The Channel Setting window (class "TForm3"): a top-most help window shown
// while the receiver is in its channel-setting mode.
#pragma once

#include <windows.h>

#include <cstdint>

#include "keydeck/shell/win/form_window.h"

namespace kd {

class ChannelWindow final : public FormWindow {
 public:
  static constexpr int kClientWidth = 481;
  static constexpr int kClientHeight = 394;

  bool Create(HINSTANCE instance, HWND owner, uint16_t languageId);
  void ShowToFront();  // shows and brings to the foreground
  void Hide();

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  uint16_t languageId_ = 0;
};

}  // namespace kd
