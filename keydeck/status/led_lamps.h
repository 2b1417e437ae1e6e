// The five lamps of the LED strip and the lock state they show. Shape1
// Num Lock, Shape2 Caps Lock, Shape3 Scroll Lock, Shape4 keyboard warning,
// Shape5 mouse warning (index 0..4 here).
#pragma once

#include <cstdint>

namespace kd {

constexpr uint32_t kLampLime = 0x00FF00;
constexpr uint32_t kLampRed = 0x0000FF;
constexpr uint32_t kLampGrey = 0x808080;

// Bits of LockFlags, the same layout as GetNUMLock's result.
constexpr uint8_t kScrollLockBit = 0x01;
constexpr uint8_t kNumLockBit = 0x02;
constexpr uint8_t kCapsLockBit = 0x04;

struct LedLamps {
  uint32_t Shape[5] = {kLampLime, kLampLime, kLampLime, kLampGrey, kLampGrey};
  uint8_t LockFlags = 0;

  // Shape1..3 from LockFlags: lime when set, grey when clear.
  void SetLockLeds() {
    Shape[0] = (LockFlags & kNumLockBit) ? kLampLime : kLampGrey;
    Shape[1] = (LockFlags & kCapsLockBit) ? kLampLime : kLampGrey;
    Shape[2] = (LockFlags & kScrollLockBit) ? kLampLime : kLampGrey;
  }
  void SetWarnings(bool keyboard, bool mouse) {
    Shape[3] = keyboard ? kLampRed : kLampGrey;
    Shape[4] = mouse ? kLampRed : kLampGrey;
  }
};

}  // namespace kd
