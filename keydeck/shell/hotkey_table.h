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
};

}  // namespace kd
