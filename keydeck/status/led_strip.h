// The LED strip's behaviour without its window: where its close box is,
// how a drag moves it, and whether it is shown, hidden by the menu or
// hidden into the tray, together with the menu item Led's check mark.
#pragma once

#include <cstdint>

namespace kd {

// The close box "X" of the strip picture: pixels 150..158 across and 1..7
// down, both ends included.
bool InCloseBox(int x, int y);

struct StripPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const StripPoint&) const = default;
};

// What the strip's decisions act on; the LED window implements it.
class LedStripView {
 public:
  virtual ~LedStripView() = default;
  // FormShow: placed at the lower right, top-most, lock lamps repainted.
  virtual void ShowStrip() = 0;
  virtual void HideStrip() = 0;
  // Tray icon 512 with callback 0x603, Image2's icon and the tray tip; false
  // when the shell did not take it (none running yet).
  virtual bool AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;
};

enum class StripState {
  Created,       // hidden until Timer2 first shows it
  Shown,
  HiddenByMenu,  // the Led item hid it; no tray icon
  InTray,        // the close box hid it; the tray icon brings it back
};

class LedStrip {
 public:
  static constexpr uint32_t kTrayLeftUp = 0x202;
  static constexpr uint32_t kTrayRightUp = 0x205;

  explicit LedStrip(LedStripView& view) : view_(view) {}

  StripState State() const { return state_; }
  // The check mark of the menu item Led; the menu reads and writes it here.
  bool& LedMark() { return ledMark_; }
  bool LedMarked() const { return ledMark_; }

  // Timer2, and every other way the strip is shown.
  void Show();
  // The menu item Led: toggles the mark; shows the strip when marked, hides
  // it otherwise.
  void LedClick();

  // Any mouse button pressed or released over the picture. Cursor and
  // window positions are in screen coordinates, the release point in
  // picture coordinates.
  void MouseDown(StripPoint cursor, StripPoint window);
  // The window's new top-left corner while a drag is on.
  bool MouseMove(StripPoint cursor, StripPoint* window) const;
  // Ends the drag; a release on the close box hides the strip into the tray
  // (and clears the Led mark). True when it did.
  bool MouseUp(int x, int y);
  // The window lost the mouse capture (another window took it, a menu or a
  // system dialog opened): the drag is over, whatever the buttons do next.
  void CaptureLost() { dragging_ = false; }
  bool Dragging() const { return dragging_; }

  // The tray icon's callback with the mouse message it carries.
  void TrayCallback(uint32_t mouseMessage);
  // The shell (re)started: its tray is empty.
  void TaskbarCreated();
  // FormClose / FormDestroy.
  void Closing();

 private:
  LedStripView& view_;
  StripState state_ = StripState::Created;
  bool ledMark_ = true;
  bool trayIcon_ = false;  // whether the shell holds our icon
  bool dragging_ = false;
  StripPoint grip_;         // cursor at mouse down
  StripPoint start_;        // window at mouse down
};

}  // namespace kd
