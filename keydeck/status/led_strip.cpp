#include "keydeck/status/led_strip.h"

namespace kd {

bool InCloseBox(int x, int y) { return x >= 150 && x <= 158 && y >= 1 && y <= 7; }

void LedStrip::Show() {
  // An icon left in the tray would stand for a strip that is not hidden.
  if (trayIcon_) {
    view_.RemoveTrayIcon();
    trayIcon_ = false;
  }
  view_.ShowStrip();
  state_ = StripState::Shown;
}

void LedStrip::LedClick() {
  ledMark_ = !ledMark_;
  if (ledMark_) {
    Show();
    return;
  }
  if (trayIcon_) {
    view_.RemoveTrayIcon();
    trayIcon_ = false;
  }
  view_.HideStrip();
  state_ = StripState::HiddenByMenu;
}

void LedStrip::MouseDown(StripPoint cursor, StripPoint window) {
  dragging_ = true;
  grip_ = cursor;
  start_ = window;
}

bool LedStrip::MouseMove(StripPoint cursor, StripPoint* window) const {
  if (!dragging_) return false;
  *window = {start_.X + cursor.X - grip_.X, start_.Y + cursor.Y - grip_.Y};
  return true;
}

bool LedStrip::MouseUp(int x, int y) {
  dragging_ = false;
  if (state_ != StripState::Shown || !InCloseBox(x, y)) return false;
  view_.HideStrip();
  // The strip is no longer shown, so the mark goes off whatever it was: a
  // plain toggle would check it after a restore from the tray.
  ledMark_ = false;
  trayIcon_ = view_.AddTrayIcon();
  state_ = StripState::InTray;
  return true;
}

void LedStrip::TrayCallback(uint32_t mouseMessage) {
  if (mouseMessage != kTrayLeftUp && mouseMessage != kTrayRightUp) return;
  Show();  // the Led mark stays as it is
}

void LedStrip::TaskbarCreated() {
  if (state_ == StripState::InTray) trayIcon_ = view_.AddTrayIcon();
}

void LedStrip::Closing() {
  view_.RemoveTrayIcon();
  trayIcon_ = false;
}

}  // namespace kd
