// The shell's half of the hotkey table: the key code of each row. The
// caption, link target and function code of row i live in entry i of the
// ActionEngine.
#pragma once

#include <cstdint>

namespace kd {

constexpr int kMaxHotkeys = 30;

struct HotkeyTable {
  int32_t HotkeyCount = 0;
  uint32_t ScanCode[kMaxHotkeys] = {};
  // Rows whose key the load could not read (missing, or a value of the
  // wrong kind): their engine entry is empty, and their key says "Hotkey
  // not assigned!" until the menu gives the row an action.
  bool Unreadable[kMaxHotkeys] = {};
};

}  // namespace kd
