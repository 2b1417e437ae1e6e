#include "keyhook/hook_watchdog.h"

namespace keyhook {

namespace {

// Tick counts wrap after 49.7 days.
bool Later(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }

}  // namespace

void HookWatchdog::Installed(const InputSample& sample) {
  started_ = true;
  accountedMs_ = sample.NowMs;
  lastInputMs_ = sample.LastInputMs;
  cursorX_ = sample.CursorX;
  cursorY_ = sample.CursorY;
}

void HookWatchdog::HookCalled(uint32_t nowMs) {
  if (Later(nowMs, accountedMs_)) accountedMs_ = nowMs;
}

bool HookWatchdog::Tick(const InputSample& sample) {
  if (!started_) return false;
  lastInputMs_ = sample.LastInputMs;
  if (sample.CursorX != cursorX_ || sample.CursorY != cursorY_) {
    cursorX_ = sample.CursorX;
    cursorY_ = sample.CursorY;
    if (Later(sample.NowMs, accountedMs_)) accountedMs_ = sample.NowMs;
    return false;
  }
  return Later(sample.LastInputMs, accountedMs_) &&
         sample.NowMs - sample.LastInputMs >= kGraceMs;
}

}  // namespace keyhook
