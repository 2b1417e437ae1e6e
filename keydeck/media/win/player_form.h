// TPLAYER ("PLAYER"): the media panel's window. Borderless, top-most,
// 200 x 92, a painted background with bitmap buttons and text controls
// laid over it; the controls that hold state lie below the client area.
// Every control event goes to the panel's logic; the form does what the
// logic asks through PanelView. A form without a panel (the undriven
// second instance) ignores its events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "keydeck/media/panel_view.h"
#include "keydeck/media/win/movie_form.h"
#include "keydeck/ui/win/form_window.h"

namespace kd {

class MediaPanel;

// Child control ids, also read by the end-to-end tests (GetDlgItem).
enum PlayerControlId : int {
  kIdDisplay = 101,
  kIdBtnSeek,
  kIdBtPlay,
  kIdBtPause,
  kIdBtStop,
  kIdBtPrev,
  kIdBtBackward,
  kIdBtForward,
  kIdBtNext,
  kIdPlayList,
  kIdBtEject,
  kIdMediaName,
  kIdLength,
  kIdBtnClose,
  kIdAutoPlay,
  kIdLoop,
  kIdDummy,
  kIdButton1,
};

class PlayerForm final : public FormWindow, public PanelView {
 public:
  static constexpr UINT_PTR kTrackTimer = 1;
  static constexpr UINT kTrackTimerMs = 1000;

  explicit PlayerForm(MovieForm& movie) : movie_(movie) {}
  ~PlayerForm() override;

  bool Create(HINSTANCE instance, HWND owner, int left, int top);
  void SetPanel(MediaPanel* panel) { panel_ = panel; }
  // The hidden AutoPlay and Loop boxes show the panel's options.
  void ShowOptions(bool autoPlay, bool loop);
  bool TrackTimerRunning() const { return timerRunning_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

  // PanelView
  void SetDisplay(const std::string& text) override;
  void SetMediaName(const std::string& text) override;
  void SetLength(const std::string& text) override;
  void ClearPlayList() override;
  void AddPlayListItem(const std::string& text) override;
  int PlayListCount() override;
  int PlayListIndex() override;
  void SelectPlayListItem(int index) override;
  void SetPlayListText(const std::string& text) override;
  std::string PlayListText() override;
  void StartTrackTimer() override;
  void StopTrackTimer() override;
  void SetSeekRange(int minimum, int maximum, int step) override;
  void SetSeekPosition(int position) override;
  void ShowPanel() override;
  void HidePanel() override;
  void MovePanel(int left, int top) override;
  void FocusDummy() override;
  void ShowVideoFullScreen(int width, int height) override;
  void HideVideo() override;
  uintptr_t VideoWindow() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  void ShowError(const std::string& text) override;

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
  };

  void CreateControls(HINSTANCE instance);
  HWND Child(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h,
             DWORD exStyle = 0);
  void OnCommand(int id, int code);
  void OnSeekChanging();
  void OnSeekReleased();
  void DrawButton(const DRAWITEMSTRUCT& item);
  LRESULT ControlColour(UINT message, HDC dc, HWND control);
  static void DrawPicture(HDC dc, const Picture& picture, int x, int y);

  MovieForm& movie_;
  MediaPanel* panel_ = nullptr;
  bool timerRunning_ = false;
  HFONT font_ = nullptr;
  HFONT labelFont_ = nullptr;
  HBRUSH black_ = nullptr;
  HBRUSH grey_ = nullptr;
  HBRUSH listGrey_ = nullptr;
  HWND tooltip_ = nullptr;
  Picture background_;
  Picture buttons_[8];  // Play .. Eject, in the order of the control ids
};

}  // namespace kd
