// TMovie ("Movie"): the media panel's video window. A single-border window
// without caption buttons, black, hidden at creation; full screen and
// borderless while full-screen video plays.
#pragma once

#include <windows.h>

#include "keydeck/ui/win/form_window.h"

namespace kd {

class MovieForm final : public FormWindow {
 public:
  static constexpr int kLeft = 199;
  static constexpr int kTop = 138;
  static constexpr int kClientWidth = 329;
  static constexpr int kClientHeight = 202;

  bool Create(HINSTANCE instance, HWND owner);
  // Top left corner, the whole screen, no border; shown in front.
  void ShowFullScreen(int width, int height);
  // The single-line border back, hidden.
  void HideWithBorder();

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace kd
