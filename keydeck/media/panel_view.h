// The media panel's window as its logic drives it: the text controls, the
// track list, the timer, the seek arrows, visibility and the video window.
// The Win32 form implements it with real child windows.
#pragma once

#include <cstdint>
#include <string>

namespace kd {

class PanelView {
 public:
  virtual ~PanelView() = default;
  virtual void SetDisplay(const std::string& text) = 0;
  virtual void SetMediaName(const std::string& text) = 0;
  virtual void SetLength(const std::string& text) = 0;

  // PlayList: a drop-down list whose edit text doubles as a status line.
  virtual void ClearPlayList() = 0;  // items and text
  virtual void AddPlayListItem(const std::string& text) = 0;
  virtual int PlayListCount() = 0;
  virtual int PlayListIndex() = 0;  // -1 when none is selected
  virtual void SelectPlayListItem(int index) = 0;  // also sets the text
  virtual void SetPlayListText(const std::string& text) = 0;
  virtual std::string PlayListText() = 0;

  virtual void StartTrackTimer() = 0;  // 1000 ms; restarts when running
  virtual void StopTrackTimer() = 0;

  virtual void SetSeekRange(int minimum, int maximum, int step) = 0;
  virtual void SetSeekPosition(int position) = 0;

  virtual void ShowPanel() = 0;  // shows and brings to the front
  virtual void HidePanel() = 0;
  virtual void MovePanel(int left, int top) = 0;
  virtual void FocusDummy() = 0;

  // The video window: full screen and borderless, or hidden with its
  // border back. Its handle for the device's display window.
  virtual void ShowVideoFullScreen(int width, int height) = 0;
  virtual void HideVideo() = 0;
  virtual uintptr_t VideoWindow() = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;

  // An open failure: the error text in the application's message box.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace kd
