// The Channel Setting window (class "TForm3"): a top-most help window shown
// while the receiver is in its channel-setting mode. It shows one of the
// 26 pictures, chosen at every show by the language the program uses at
// that moment (the menu's and the tray tips', which a reloaded Language
// setting changes): Panel1 holds Image1, which sits 8 pixels left of the
// panel's edge, so the picture's 8 leftmost columns stay hidden.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "common/win/scoped.h"
#include "keydeck/ui/win/form_window.h"

namespace kd {

class ChannelWindow final : public FormWindow {
 public:
  static constexpr int kClientWidth = 481;
  static constexpr int kClientHeight = 394;
  static constexpr int kPanelWidth = 489;
  static constexpr int kPanelHeight = 393;
  static constexpr int kImageLeft = -8;

  // `languageId` gives the language id in use, asked at every show.
  bool Create(HINSTANCE instance, HWND owner, std::function<uint16_t()> languageId);
  // Shows, restored if the user minimised it, and brings to the foreground.
  void ShowToFront();
  void Hide();

  HWND Panel1() const { return panel1_; }
  HWND Image1() const { return image1_; }
  // Offset from IDB_CHANNEL_FIRST of the picture Image1 holds; -1 while
  // it is empty (before the first show).
  int PictureShown() const { return shown_; }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormShow();

  HINSTANCE instance_ = nullptr;
  std::function<uint16_t()> languageId_;
  HWND panel1_ = nullptr;
  HWND image1_ = nullptr;
  common::Scoped<HGDIOBJ, common::GdiObjectTraits> picture_;
  int shown_ = -1;
};

}  // namespace kd
