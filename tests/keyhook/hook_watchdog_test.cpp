// When the hook thread puts a silently removed low-level hook back.
#include <gtest/gtest.h>

#include "keyhook/hook_watchdog.h"

namespace keyhook {
namespace {

InputSample At(uint32_t now, uint32_t lastInput, int32_t x = 500, int32_t y = 400) {
  return InputSample{now, lastInput, x, y};
}

TEST(HookWatchdog, QuietUntilInstalledAndWhileNothingIsTyped) {
  HookWatchdog w;
  EXPECT_FALSE(w.Tick(At(5000, 4000)));
  w.Installed(At(10000, 9000));
  for (uint32_t now = 11000; now <= 20000; now += 1000)
    EXPECT_FALSE(w.Tick(At(now, 9000))) << "input before the install counted, at " << now;
}

TEST(HookWatchdog, KeysTheHookSawKeepItAndKeysItMissedBringItBack) {
  HookWatchdog w;
  w.Installed(At(10000, 9000));
  w.HookCalled(10400);  // a key at 10400 reached the hook
  EXPECT_FALSE(w.Tick(At(11000, 10400)));
  // A key at 11500 that the hook never saw: the hook is gone.
  EXPECT_TRUE(w.Tick(At(12000, 11500)));
  // Put back: the same input does not count again.
  w.Installed(At(12000, 11500));
  EXPECT_FALSE(w.Tick(At(13000, 11500)));
  EXPECT_FALSE(w.Tick(At(14000, 11500)));
}

TEST(HookWatchdog, InputTooRecentIsGivenTimeToReachTheHook) {
  HookWatchdog w;
  w.Installed(At(10000, 9000));
  EXPECT_FALSE(w.Tick(At(11000, 11000 - HookWatchdog::kGraceMs + 1)));
  EXPECT_TRUE(w.Tick(At(12000, 11000 - HookWatchdog::kGraceMs + 1)));
  HookWatchdog edge;
  edge.Installed(At(10000, 9000));
  EXPECT_TRUE(edge.Tick(At(11000, 11000 - HookWatchdog::kGraceMs)));
}

TEST(HookWatchdog, MouseInputIsNotTakenForMissedKeys) {
  HookWatchdog w;
  w.Installed(At(10000, 9000));
  // The mouse moves during the next period and then rests.
  EXPECT_FALSE(w.Tick(At(11000, 10900, 600, 400)));
  EXPECT_FALSE(w.Tick(At(12000, 10900, 600, 400)));
  EXPECT_FALSE(w.Tick(At(13000, 10900, 600, 400)));
  // Moving on and on: still nothing.
  EXPECT_FALSE(w.Tick(At(14000, 13990, 610, 400)));
  EXPECT_FALSE(w.Tick(At(15000, 14990, 610, 420)));
  // Then a key the hook did not see, with the mouse at rest.
  EXPECT_TRUE(w.Tick(At(16000, 15500, 610, 420)));
}

TEST(HookWatchdog, TickCountWrapIsNoInputAndNoSilence) {
  HookWatchdog w;
  w.Installed(At(0xFFFFFC00u, 0xFFFFF000u));
  EXPECT_FALSE(w.Tick(At(0x00000300u, 0xFFFFF000u))) << "old input across the wrap";
  w.HookCalled(0x00000350u);
  EXPECT_FALSE(w.Tick(At(0x00000700u, 0x00000340u))) << "seen input across the wrap";
  EXPECT_TRUE(w.Tick(At(0x00000B00u, 0x00000800u))) << "missed input across the wrap";
}

TEST(HookWatchdog, TheCursorIsAskedForOnlyAfterNewInput) {
  HookWatchdog w;
  EXPECT_TRUE(w.NeedsCursor(9000)) << "the first sample";
  w.Installed(At(10000, 9000, 610, 420));
  EXPECT_FALSE(w.NeedsCursor(9000));
  EXPECT_EQ(w.CursorX(), 610);
  EXPECT_EQ(w.CursorY(), 420);
  EXPECT_TRUE(w.NeedsCursor(10500));
  // A sample without new input carries the kept place and is quiet.
  EXPECT_FALSE(w.Tick(At(11000, 9000, w.CursorX(), w.CursorY())));
  EXPECT_FALSE(w.NeedsCursor(9000));
  // New input: asked for, and a key the hook missed still counts.
  ASSERT_TRUE(w.NeedsCursor(11500));
  EXPECT_TRUE(w.Tick(At(12000, 11500, 610, 420)));
  EXPECT_FALSE(w.NeedsCursor(11500));
}

}  // namespace
}  // namespace keyhook
