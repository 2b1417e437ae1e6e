#include "keydeck/ui/win/tray.h"

#include "common/text.h"

namespace kd {

static_assert(TrayIcons::kRecordSize <= sizeof(NOTIFYICONDATAA));

TrayIcons::TrayIcons() { ZeroMemory(&record_, sizeof record_); }

UINT TrayIcons::SetCallbackMessage(UINT message) {
  const UINT previous = callback_;
  callback_ = message;
  return previous;
}

bool TrayIcons::Add(HWND window, UINT id, HICON icon, const char* tip) {
  record_.cbSize = kRecordSize;
  record_.hWnd = window;
  record_.uID = id;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = callback_;
  record_.hIcon = icon;
  // The old layout has room for 64 bytes of tip.
  common::CopyBounded(record_.szTip, 64, tip ? tip : "");
  return Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
}

bool TrayIcons::Delete(HWND window, UINT id) {
  record_.cbSize = kRecordSize;
  record_.hWnd = window;
  record_.uID = id;
  return Shell_NotifyIconA(NIM_DELETE, &record_) != FALSE;
}

TrayIcons& Tray() {
  static TrayIcons tray;
  return tray;
}

}  // namespace kd
