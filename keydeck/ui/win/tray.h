// The notification-area icon record shared by every tray call of Keydeck:
// one structure in the oldest layout (88 bytes), which every Windows
// version from 95 on accepts.
#pragma once

#include <windows.h>

namespace kd {

class TrayIcons {
 public:
  static constexpr DWORD kRecordSize = 88;

  TrayIcons();
  // Returns the previous callback message.
  UINT SetCallbackMessage(UINT message);
  // NIM_ADD; the tip is cut to 63 characters (empty when null).
  bool Add(HWND window, UINT id, HICON icon, const char* tip);
  // NIM_DELETE; only size, window and id are filled, the rest stays as the
  // last call left it.
  bool Delete(HWND window, UINT id);
  // The tip as the last Add handed it to the system.
  const char* Tip() const { return record_.szTip; }

 private:
  NOTIFYICONDATAA record_;
  UINT callback_ = 0;
};

TrayIcons& Tray();  // the process-wide record

}  // namespace kd
