// When to put the low-level hook back. Windows removes a low-level hook
// without notice when it misses the hook timeout a few times (paging, a
// stalled thread), and every hotkey is dead from then on. A slow timer on
// the hook thread compares the system's last-input time with what the hook
// has seen: keyboard input that the hook did not see means the hook is gone.
#pragma once

#include <cstdint>

namespace keyhook {

struct InputSample {
  uint32_t NowMs = 0;        // tick count at the sample
  uint32_t LastInputMs = 0;  // tick count of the last keyboard or mouse input
  int32_t CursorX = 0;       // the cursor's position: the last input may be the mouse's
  int32_t CursorY = 0;
};

class HookWatchdog {
 public:
  // The timer's period: the hook is back within two periods (4 s) of the first
  // key it missed.
  static constexpr uint32_t kPeriodMs = 2000;
  // Input this young may still be on its way to the hook.
  static constexpr uint32_t kGraceMs = 250;

  // The hook was (re)installed at `sample`; input before it is not counted.
  void Installed(const InputSample& sample);
  // The hook procedure ran (for any key, injected ones included).
  void HookCalled(uint32_t nowMs);
  // One timer tick: true when the hook should be installed again.
  //
  // The system's last-input time counts the mouse too, and a low-level
  // keyboard hook sees no mouse. Input up to a tick at which the cursor had
  // moved is taken as the mouse's; input after that which the hook did not
  // see is the keyboard's. A click or wheel turn without a move may cost
  // one needless reinstall, which is harmless.
  bool Tick(const InputSample& sample);

  // Whether a sample with this last-input time needs the cursor's place.
  // Without input since the previous sample the user cannot have moved it,
  // and asking is a round trip to the display under Wine; such a sample
  // carries Cursor() instead.
  bool NeedsCursor(uint32_t lastInputMs) const { return !started_ || lastInputMs != lastInputMs_; }
  int32_t CursorX() const { return cursorX_; }
  int32_t CursorY() const { return cursorY_; }

 private:
  bool started_ = false;
  uint32_t accountedMs_ = 0;  // input up to here is explained
  int32_t cursorX_ = 0;
  int32_t cursorY_ = 0;
  uint32_t lastInputMs_ = 0;  // the previous sample's
};

}  // namespace keyhook
