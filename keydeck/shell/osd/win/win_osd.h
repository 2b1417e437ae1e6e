// The OSD on Windows: draws on the desktop window's DC (95 to XP) or into a
// layered window of its own (Vista and later), and runs Timer1 as a window
// timer of a window the shell hands over (the shell forwards that window's
// WM_TIMER here).
#pragma once

#include <windows.h>

#include "keydeck/shell/osd/osd.h"

namespace kd {

// Draws on GetWindowDC(GetDesktopWindow()) and remembers the covered area.
class DesktopCanvas : public OsdCanvas {
 public:
  int ScreenWidth() override;
  int ScreenHeight() override;
  void DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                const std::string& text) override;
  void DrawVolumeBar(const VolumeBarGeometry& bar) override;
  void Wipe() override;

 private:
  OsdRect covered_;
};

// Draws into a topmost, click-through, never activated, colour-keyed
// layered window without a task-bar button, placed over what it shows; the
// wipe hides it. Owned by the thread that creates it (the GUI thread).
class OsdWindowCanvas : public OsdCanvas {
 public:
  OsdWindowCanvas() = default;
  ~OsdWindowCanvas() override;
  OsdWindowCanvas(const OsdWindowCanvas&) = delete;
  OsdWindowCanvas& operator=(const OsdWindowCanvas&) = delete;

  // Creates the (hidden) window; false where the system has no layered windows.
  bool Create();
  HWND Window() const { return window_; }

  int ScreenWidth() override;
  int ScreenHeight() override;
  void DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                const std::string& text) override;
  void DrawVolumeBar(const VolumeBarGeometry& bar) override;
  void Wipe() override;

 private:
  void Show();
  void Paint(HDC dc);
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l);

  HWND window_ = nullptr;
  void* setAttributes_ = nullptr;  // SetLayeredWindowAttributes
  uint32_t key_ = kOsdColorKey;
  OsdScene scene_;
};

// Timer1 as SetTimer on a window; Start before a window is attached is a no-op.
class WindowTimer : public OsdTimer {
 public:
  explicit WindowTimer(UINT_PTR id) : id_(id) {}
  void Attach(HWND window) { window_ = window; }
  HWND Window() const { return window_; }
  UINT_PTR Id() const { return id_; }
  void Start(unsigned intervalMs) override;
  void Stop() override;

 private:
  HWND window_ = nullptr;
  UINT_PTR id_;
};

class WinOsd {
 public:
  static constexpr UINT_PTR kTimer1Id = 0x0510;

  WinOsd() : timer_(kTimer1Id), osd_(ChooseCanvas(), timer_) {}
  WinOsd(const WinOsd&) = delete;
  WinOsd& operator=(const WinOsd&) = delete;

  // FormCreate: the window whose timer is Timer1 and which owns the font dialog.
  void SetWindow(HWND window) { timer_.Attach(window); }
  HWND Window() const { return timer_.Window(); }

  Osd& Display() { return osd_; }
  Osd* operator->() { return &osd_; }

  // Forward WM_TIMER here; true when it was Timer1 (then it has been handled).
  bool OnTimer(WPARAM timerId);

  // The OSD's own window, or null when it draws on the desktop.
  HWND OwnWindow() const { return window_.Window(); }

 private:
  OsdCanvas& ChooseCanvas();

  DesktopCanvas desktop_;
  OsdWindowCanvas window_;
  WindowTimer timer_;
  Osd osd_;
};

// Font1Click: the font dialog (ChooseFontA) owned by `owner`, started from
// `font`. On OK the font and colour are updated and true is returned (the
// caller then saves the settings); on Cancel `font` is untouched.
bool RunOsdFontDialog(HWND owner, OsdFont& font);

}  // namespace kd
