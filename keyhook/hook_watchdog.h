// When to put the low-level hook back. Windows removes a low-level hook
// without notice when it misses the hook timeout a few times (paging, a
// stalled thread), and every hotkey is dead from then on. Where the system
// reports raw keyboard input, each key it reports must reach the hook
// within a grace time, or the hook is gone; that costs nothing while the
// keyboard is idle. Elsewhere a slow timer on the hook thread compares the
// system's last-input time with what the hook has seen.
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
  // The hook runs for a key just before the same thread reads that key's
  // raw input: a hook call this much earlier still counts for it.
  static constexpr uint32_t kOrderSlackMs = 50;

  // The hook was (re)installed at `sample`; input before it is not counted.
  void Installed(const InputSample& sample);
  void Installed(uint32_t nowMs);  // the same, where only the time counts
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

  // Raw keyboard input: the system reported a key at `nowMs`. True when the
  // caller is to call CheckKey kGraceMs later (no check is pending yet; a
  // pending check answers for the newest key).
  bool KeyReported(uint32_t nowMs);
  // The check after KeyReported, at `nowMs`: true when the hook has not run
  // for the newest reported key and should be installed again. A key too
  // young to judge keeps the check pending (KeyCheckPending) for another try
  // kOrderSlackMs later.
  bool CheckKey(uint32_t nowMs);
  bool KeyCheckPending() const { return keyPending_; }

 private:
  bool started_ = false;
  uint32_t accountedMs_ = 0;  // input up to here is explained
  int32_t cursorX_ = 0;
  int32_t cursorY_ = 0;
  bool keyPending_ = false;
  uint32_t keyMs_ = 0;  // when the newest key was reported
};

}  // namespace keyhook
