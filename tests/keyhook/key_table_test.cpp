// The hook's decisions: which keys are reported, with which codes, when a
// press counts as auto-repeat, and what is left to the system.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "keyhook/key_table.h"

namespace keyhook {
namespace {

constexpr uint32_t kVkMail = 0xB4;
constexpr uint32_t kVkVolumeUp = 0xAF;

KeyEvent Down(uint32_t vk, uint32_t ms, uint32_t scan = 0) {
  KeyEvent e;
  e.VirtualKey = vk;
  e.ScanCode = scan;
  e.TimeMs = ms;
  return e;
}

KeyEvent Up(uint32_t vk, uint32_t ms, uint32_t scan = 0) {
  KeyEvent e = Down(vk, ms, scan);
  e.Up = true;
  return e;
}

TEST(KeyTable, CodesAreUniqueAndFreeOfTheReleaseBitAndChannelCodes) {
  std::set<uint8_t> vks, codes;
  for (const ExtraKey& k : ExtraKeys()) {
    EXPECT_TRUE(vks.insert(k.VirtualKey).second) << "virtual key twice: " << int(k.VirtualKey);
    EXPECT_TRUE(codes.insert(k.MakeCode).second) << "make code twice: " << int(k.MakeCode);
    EXPECT_EQ(k.MakeCode & kReleaseBit, 0u) << k.Name;
    EXPECT_NE(k.MakeCode, 0) << k.Name;
    EXPECT_FALSE(IsChannelScanCode(k.MakeCode)) << k.Name;
    EXPECT_EQ(MakeCodeForVirtualKey(k.VirtualKey), k.MakeCode) << k.Name;
  }
  EXPECT_GE(ExtraKeys().size(), 19u);
}

TEST(KeyTable, KnownKeysMapToTheirMultimediaMakeCodes) {
  EXPECT_EQ(MakeCodeForVirtualKey(kVkMail), 0x6C);
  EXPECT_EQ(MakeCodeForVirtualKey(0xAC), 0x32);  // browser home
  EXPECT_EQ(MakeCodeForVirtualKey(0xAE), 0x2E);  // volume down
  EXPECT_EQ(MakeCodeForVirtualKey(kVkVolumeUp), 0x30);
  EXPECT_EQ(MakeCodeForVirtualKey(0xAD), 0x20);  // mute
  EXPECT_EQ(MakeCodeForVirtualKey(0xB3), 0x22);  // play/pause
  EXPECT_EQ(MakeCodeForVirtualKey(0x5F), 0x5F);  // sleep
}

TEST(KeyTable, OrdinaryKeysHaveNoCode) {
  for (uint32_t vk : {0x00u, 0x0Du, 0x10u, 0x14u, 0x20u, 0x41u, 0x5Au, 0x5Bu, 0x70u, 0x90u,
                      0xA0u, 0xA5u, 0xB8u, 0xFFu, 0x1B4u}) {
    EXPECT_EQ(MakeCodeForVirtualKey(vk), 0) << "vk " << vk;
  }
}

TEST(ExtraKeyFilter, OrdinaryTypingPassesUntouched) {
  ExtraKeyFilter f;
  // 'A' with its scan code, Enter, Caps Lock, and a VK 0 key as Wine reports
  // some unmapped X keys.
  for (auto [vk, scan] : {std::pair{0x41u, 0x1Eu}, {0x0Du, 0x1Cu}, {0x14u, 0x3Au}, {0u, 0u}}) {
    for (bool up : {false, true}) {
      KeyEvent e = Down(vk, 10, scan);
      e.Up = up;
      const HookDecision d = f.OnKey(e);
      EXPECT_FALSE(d.Post) << vk;
      EXPECT_FALSE(d.Swallow) << vk;
    }
  }
}

TEST(ExtraKeyFilter, ExtraKeyPressIsPostedOnceAndTaken) {
  ExtraKeyFilter f;
  HookDecision d = f.OnKey(Down(kVkMail, 100));
  EXPECT_TRUE(d.Post);
  EXPECT_EQ(d.WParam, 0x6Cu);
  EXPECT_EQ(d.LParam, 0u);
  EXPECT_TRUE(d.Swallow);

  d = f.OnKey(Up(kVkMail, 150));
  EXPECT_FALSE(d.Post) << "only the channel keys report their release";
  EXPECT_TRUE(d.Swallow);
}

TEST(ExtraKeyFilter, AutoRepeatCountsUpUntilTheKeyIsReleased) {
  ExtraKeyFilter f;
  uint32_t t = 1000;
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, t)).LParam, 0u);
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, t += 500)).LParam, 1u);
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, t += 33)).LParam, 2u);
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, t += 33)).LParam, 3u);
  f.OnKey(Up(kVkVolumeUp, t += 10));
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, t += 10)).LParam, 0u) << "after a release: a new press";
}

TEST(ExtraKeyFilter, KeysRepeatIndependently) {
  ExtraKeyFilter f;
  f.OnKey(Down(kVkVolumeUp, 0));
  f.OnKey(Down(kVkVolumeUp, 40));
  EXPECT_EQ(f.OnKey(Down(kVkMail, 60)).LParam, 0u) << "mail while volume is held";
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, 80)).LParam, 2u);
}

TEST(ExtraKeyFilter, PressLongAfterALostReleaseIsANewPress) {
  ExtraKeyFilter f;
  f.OnKey(Down(kVkMail, 5000));
  // The key-up never arrived.
  EXPECT_EQ(f.OnKey(Down(kVkMail, 5000 + kRepeatGapMs - 1)).LParam, 1u);
  EXPECT_EQ(f.OnKey(Down(kVkMail, 5000 + 2 * kRepeatGapMs)).LParam, 0u);
}

TEST(ExtraKeyFilter, RepeatSurvivesTheTickCounterWrap) {
  ExtraKeyFilter f;
  f.OnKey(Down(kVkVolumeUp, 0xFFFFFFF0u));
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, 0x20u)).LParam, 1u);
}

TEST(ExtraKeyFilter, RepeatCountSaturates) {
  ExtraKeyFilter f;
  uint32_t t = 0;
  f.OnKey(Down(kVkVolumeUp, t));
  uint32_t last = 0;
  for (int i = 0; i < 70000; ++i) last = f.OnKey(Down(kVkVolumeUp, t += 30)).LParam;
  EXPECT_EQ(last, 0xFFFFu);
}

TEST(ExtraKeyFilter, ChannelKeysAreKnownByScanCodeAndReportTheirRelease) {
  ExtraKeyFilter f;
  // Whatever virtual key the system gives them, the scan code decides.
  HookDecision d = f.OnKey(Down(0xFF, 10, 0x5A));
  EXPECT_TRUE(d.Post);
  EXPECT_EQ(d.WParam, 0x5Au);
  EXPECT_EQ(d.LParam, 0u);
  EXPECT_TRUE(d.Swallow);
  d = f.OnKey(Up(0xFF, 20, 0x5A));
  EXPECT_TRUE(d.Post);
  EXPECT_EQ(d.WParam, 0xDAu);
  EXPECT_EQ(d.LParam, 0u);

  d = f.OnKey(Down(0, 30, 0x62));
  EXPECT_EQ(d.WParam, 0x62u);
  d = f.OnKey(Down(0, 60, 0x62));
  EXPECT_EQ(d.WParam, 0x62u);
  EXPECT_NE(d.LParam, 0u) << "held channel key repeats";
  d = f.OnKey(Up(0, 90, 0x62));
  EXPECT_EQ(d.WParam, 0xE2u);

  // Scan codes next to them are ordinary keys.
  EXPECT_FALSE(f.OnKey(Down(0x41, 100, 0x59)).Post);
  EXPECT_FALSE(f.OnKey(Down(0x41, 100, 0x5B)).Post);
  EXPECT_FALSE(f.OnKey(Down(0x41, 100, 0xDA)).Post);
}

TEST(ExtraKeyFilter, InjectedKeysAreNeitherReportedNorTaken) {
  ExtraKeyFilter f;
  KeyEvent e = Down(0xB3, 10);  // a player tap Keydeck itself sends
  e.Injected = true;
  HookDecision d = f.OnKey(e);
  EXPECT_FALSE(d.Post);
  EXPECT_FALSE(d.Swallow);
  KeyEvent ch = Down(0, 20, 0x5A);
  ch.Injected = true;
  EXPECT_FALSE(f.OnKey(ch).Post);

  // An injected release does not end a real hold, nor does an injected
  // press start one.
  f.OnKey(Down(kVkVolumeUp, 100));
  KeyEvent up = Up(kVkVolumeUp, 110);
  up.Injected = true;
  f.OnKey(up);
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, 130)).LParam, 1u);
  KeyEvent press = Down(kVkMail, 140);
  press.Injected = true;
  f.OnKey(press);
  EXPECT_EQ(f.OnKey(Down(kVkMail, 150)).LParam, 0u);
}

TEST(ExtraKeyFilter, CodesKeydeckDoesNotActOnPassUnreported) {
  ExtraKeyFilter f;
  EXPECT_TRUE(f.OnKey(Down(0xB3, 0)).Swallow) << "before any set, every code acts";
  f.OnKey(Up(0xB3, 5));
  std::array<uint8_t, 256> acting{};
  acting[0x6C] = 1;  // mail
  acting[0x5A] = 1;  // channel key A
  acting[0xFF] = 1;
  f.SetActingCodes(acting.data());
  for (bool up : {false, true}) {
    KeyEvent play = Down(0xB3, 10);  // play/pause, code 0x22: not acting
    play.Up = up;
    const HookDecision d = f.OnKey(play);
    EXPECT_FALSE(d.Post);
    EXPECT_FALSE(d.Swallow) << "the system's own media key";
  }
  HookDecision d = f.OnKey(Down(kVkMail, 20));
  EXPECT_TRUE(d.Post);
  EXPECT_TRUE(d.Swallow);
  EXPECT_TRUE(f.OnKey(Down(0, 30, 0x5A)).Post);
  EXPECT_FALSE(f.OnKey(Down(0, 40, 0x62)).Swallow) << "channel key B has no flag";
  f.SetActingCodes(nullptr);
  EXPECT_TRUE(f.OnKey(Down(0xB3, 50)).Post) << "nullptr: every code acts again";
}

// Keydeck's own taps on the classic hook, which has no injected flag.
KeyEvent Classic(uint32_t vk, bool up, uint32_t ms) {
  return ClassicHookEvent(vk, (up ? 0xC0000001u : 0x00000001u), ms);
}

TEST(OwnKeys, AnnouncedTapPassesUnreportedOnce) {
  ExtraKeyFilter f;
  f.ExpectOwnKey(0xB3, false, 1000);
  f.ExpectOwnKey(0xB3, true, 1000);
  HookDecision d = f.OnKey(Classic(0xB3, false, 1010));
  EXPECT_FALSE(d.Post) << "Keydeck's own play/pause tap must not come back";
  EXPECT_FALSE(d.Swallow) << "it is meant for the system";
  d = f.OnKey(Classic(0xB3, true, 1011));
  EXPECT_FALSE(d.Post);
  EXPECT_FALSE(d.Swallow);
  // The next press is the user's again.
  d = f.OnKey(Classic(0xB3, false, 1500));
  EXPECT_TRUE(d.Post);
  EXPECT_EQ(d.WParam, 0x22u);
  EXPECT_EQ(d.LParam, 0u);
}

TEST(OwnKeys, PressAndReleaseAreCountedApart) {
  ExtraKeyFilter f;
  f.ExpectOwnKey(0xB2, true, 0);  // only a release announced
  EXPECT_TRUE(f.OnKey(Classic(0xB2, false, 10)).Post) << "a press was not announced";
  EXPECT_FALSE(f.OnKey(Classic(0xB2, true, 20)).Swallow);
  // Two taps announced back to back.
  for (int i = 0; i < 2; ++i) {
    f.ExpectOwnKey(0xB0, false, 100);
    f.ExpectOwnKey(0xB0, true, 100);
  }
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(f.OnKey(Classic(0xB0, false, 110)).Post) << i;
    EXPECT_FALSE(f.OnKey(Classic(0xB0, true, 111)).Post) << i;
  }
  EXPECT_TRUE(f.OnKey(Classic(0xB0, false, 120)).Post);
  // Another key is not claimed by an announcement.
  f.ExpectOwnKey(0xB1, false, 200);
  EXPECT_TRUE(f.OnKey(Classic(0xB3, false, 210)).Post);
}

TEST(OwnKeys, AnnouncementThatNoKeyFollowsIsForgotten) {
  ExtraKeyFilter f;
  f.ExpectOwnKey(0xB3, false, 5000);
  // The tap reached no hook; the user presses the key much later.
  EXPECT_TRUE(f.OnKey(Classic(0xB3, false, 5000 + kOwnKeyWaitMs + 1)).Post);
  f.OnKey(Classic(0xB3, true, 5000 + kOwnKeyWaitMs + 2));
  EXPECT_TRUE(f.OnKey(Classic(0xB3, false, 5000 + kOwnKeyWaitMs + 3)).Post)
      << "forgotten, not just skipped once";
  // Within the wait, across the tick counter's wrap.
  f.ExpectOwnKey(0xB3, false, 0xFFFFFF00u);
  EXPECT_FALSE(f.OnKey(Classic(0xB3, false, 0x10)).Post);
  // A key stamped before the announcement is not Keydeck's.
  f.ExpectOwnKey(0xB2, false, 800);
  EXPECT_TRUE(f.OnKey(Classic(0xB2, false, 790)).Post);
  EXPECT_FALSE(f.OnKey(Classic(0xB2, false, 810)).Post) << "still waiting for its own";
}

TEST(ExtraKeyFilter, ResetForgetsHeldKeys) {
  ExtraKeyFilter f;
  f.OnKey(Down(kVkVolumeUp, 0));
  f.Reset();
  EXPECT_EQ(f.OnKey(Down(kVkVolumeUp, 30)).LParam, 0u);
}

TEST(LockTracker, EachPressOfALockKeyFlipsItsBit) {
  LockTracker t;
  t.Seed(0);
  t.OnKey(Down(0x14, 0));  // Caps Lock
  EXPECT_EQ(t.Bits(), 4);
  t.OnKey(Up(0x14, 10));
  t.OnKey(Down(0x90, 20));  // Num Lock
  t.OnKey(Up(0x90, 30));
  EXPECT_EQ(t.Bits(), 6);
  t.OnKey(Down(0x91, 40));  // Scroll Lock
  t.OnKey(Up(0x91, 50));
  EXPECT_EQ(t.Bits(), 7);
  t.OnKey(Down(0x14, 60));
  t.OnKey(Up(0x14, 70));
  EXPECT_EQ(t.Bits(), 3);
}

TEST(LockTracker, AutoRepeatAndOtherKeysChangeNothing) {
  LockTracker t;
  t.Seed(2);
  t.OnKey(Down(0x14, 0));
  t.OnKey(Down(0x14, 500));
  t.OnKey(Down(0x14, 530));
  EXPECT_EQ(t.Bits(), 6) << "held Caps Lock toggles once";
  t.OnKey(Up(0x14, 600));
  for (uint32_t vk : {0x41u, 0xAFu, 0x10u, 0x13u}) {
    t.OnKey(Down(vk, 700));
    t.OnKey(Up(vk, 710));
  }
  EXPECT_EQ(t.Bits(), 6);
}

TEST(LockTracker, SynthesizedPressesToggleToo) {
  LockTracker t;
  t.Seed(0);
  KeyEvent e = Down(0x90, 0);
  e.Injected = true;
  t.OnKey(e);
  EXPECT_EQ(t.Bits(), 2);
}

TEST(LockTracker, SeedKeepsOnlyTheThreeLockBitsAndForgetsHeldKeys) {
  LockTracker t;
  t.Seed(0);
  t.OnKey(Down(0x14, 0));  // held when the seed comes
  t.Seed(0xFF);
  EXPECT_EQ(t.Bits(), 7);
  t.OnKey(Down(0x14, 100));
  EXPECT_EQ(t.Bits(), 3) << "a press after a reseed is a fresh press";
}

TEST(LockTracker, ResyncTakesTheSystemsStateAndSaysWhetherItChanged) {
  LockTracker t;
  t.Seed(0);
  // A Caps Lock the hook never saw: the system has it on, the hook not.
  EXPECT_TRUE(t.Resync(4));
  EXPECT_EQ(t.Bits(), 4);
  EXPECT_FALSE(t.Resync(4)) << "nothing new: no lamp refresh";
  EXPECT_TRUE(t.Resync(0x102)) << "only bits 0 to 2 count";
  EXPECT_EQ(t.Bits(), 2);
  // Followed on from there.
  t.OnKey(Down(0x91, 10));
  t.OnKey(Up(0x91, 20));
  EXPECT_EQ(t.Bits(), 3);
}

TEST(LockTracker, ResyncWhileALockKeyIsHeldKeepsItsRepeatsQuiet) {
  LockTracker t;
  t.Seed(0);
  t.OnKey(Down(0x14, 0));  // Caps Lock held
  EXPECT_FALSE(t.Resync(4)) << "the system agrees with the press";
  t.OnKey(Down(0x14, 500));  // auto-repeat after the resync
  EXPECT_EQ(t.Bits(), 4);
  t.OnKey(Up(0x14, 600));
  t.OnKey(Down(0x14, 700));
  EXPECT_EQ(t.Bits(), 0);
}

TEST(LockTracker, AReleaseWithoutItsPressSaysTheBitsAreUnsure) {
  LockTracker t;
  t.Seed(0);
  EXPECT_TRUE(t.OnKey(Down(0x14, 0)));
  EXPECT_TRUE(t.OnKey(Down(0x14, 400))) << "auto-repeat of a press seen";
  EXPECT_TRUE(t.OnKey(Up(0x14, 500)));
  // The press went to the system without the hook (a stalled hook thread
  // is skipped for a key, and called again for the next).
  EXPECT_FALSE(t.OnKey(Up(0x90, 600)));
  EXPECT_EQ(t.Bits(), 4) << "nothing flipped on a guess";
  EXPECT_TRUE(t.OnKey(Up(0x41, 700))) << "other keys say nothing";
  // The classic hook knows a repeat of a press it never saw.
  EXPECT_FALSE(t.OnKey(ClassicHookEvent(0x91, 0x40000000u | (0x46u << 16), 800)));
  EXPECT_EQ(t.Bits(), 4);
}

TEST(LockTracker, LockKeyPressesAreKnown) {
  for (uint32_t vk : {0x14u, 0x90u, 0x91u}) {
    EXPECT_TRUE(IsLockKeyPress(Down(vk, 0))) << vk;
    EXPECT_FALSE(IsLockKeyPress(Up(vk, 0))) << vk;
  }
  for (uint32_t vk : {0x41u, 0x10u, 0x13u, 0xB3u}) EXPECT_FALSE(IsLockKeyPress(Down(vk, 0))) << vk;
}

}  // namespace
}  // namespace keyhook

namespace keyhook {
namespace {

// lParam of the classic keyboard hook: scan code in bits 16-23, previous
// key state in bit 30, transition in bit 31.
uint32_t ClassicParam(uint32_t scan, bool wasDown, bool up) {
  return 1u | (scan << 16) | (wasDown ? 0x40000000u : 0u) | (up ? 0x80000000u : 0u);
}

TEST(ClassicHook, ChosenForThe9xFamilyOnly) {
  // GetVersion() values: 95, 98, Me, then NT 4, 2000, XP, 7, 10.
  for (uint32_t v : {0xC0000004u, 0xC0000A04u, 0xC0005A04u}) {
    EXPECT_TRUE(UsesClassicHook(v)) << std::hex << v;
  }
  for (uint32_t v : {0x05650004u, 0x08930005u, 0x0A280105u, 0x1DB10106u, 0x23F00206u}) {
    EXPECT_FALSE(UsesClassicHook(v)) << std::hex << v;
  }
}

TEST(ClassicHook, LParamIsDecoded) {
  KeyEvent e = ClassicHookEvent(kVkMail, 0x416C0001u, 1234);
  EXPECT_EQ(e.VirtualKey, kVkMail);
  EXPECT_EQ(e.ScanCode, 0x6Cu);
  EXPECT_FALSE(e.Up);
  EXPECT_TRUE(e.PreviousKnown);
  EXPECT_TRUE(e.PreviousDown);
  EXPECT_FALSE(e.Injected);
  EXPECT_EQ(e.TimeMs, 1234u);
  e = ClassicHookEvent(0x41, 0x801E0001u, 5);
  EXPECT_EQ(e.VirtualKey, 0x41u);
  EXPECT_EQ(e.ScanCode, 0x1Eu);
  EXPECT_TRUE(e.Up);
  EXPECT_FALSE(e.PreviousDown);
}

TEST(ClassicHook, RepeatFollowsThePreviousKeyState) {
  ExtraKeyFilter f;
  HookDecision d = f.OnKey(ClassicHookEvent(kVkVolumeUp, ClassicParam(0, false, false), 100));
  EXPECT_TRUE(d.Post);
  EXPECT_TRUE(d.Swallow);
  EXPECT_EQ(d.WParam, 0x30u);
  EXPECT_EQ(d.LParam, 0u);
  // The system says the key is held: a repeat, however long the gap.
  d = f.OnKey(ClassicHookEvent(kVkVolumeUp, ClassicParam(0, true, false), 150));
  EXPECT_EQ(d.LParam, 1u);
  d = f.OnKey(ClassicHookEvent(kVkVolumeUp, ClassicParam(0, true, false), 150 + 3 * kRepeatGapMs));
  EXPECT_EQ(d.LParam, 2u);
  // Not held before: a first press, even right after without a key-up seen.
  d = f.OnKey(ClassicHookEvent(kVkVolumeUp, ClassicParam(0, false, false), 150 + 3 * kRepeatGapMs + 10));
  EXPECT_EQ(d.LParam, 0u);
  d = f.OnKey(ClassicHookEvent(kVkVolumeUp, ClassicParam(0, true, true), 150 + 3 * kRepeatGapMs + 20));
  EXPECT_FALSE(d.Post) << "no release report for a table key";
  EXPECT_TRUE(d.Swallow);
}

TEST(ClassicHook, RepeatOfAPressNotSeenIsStillARepeat) {
  // The hook was installed while the key was held.
  ExtraKeyFilter f;
  HookDecision d = f.OnKey(ClassicHookEvent(kVkMail, ClassicParam(0, true, false), 10));
  EXPECT_TRUE(d.Post);
  EXPECT_NE(d.LParam, 0u);
}

TEST(ClassicHook, ChannelKeysByScanCodeWithRelease) {
  ExtraKeyFilter f;
  HookDecision d = f.OnKey(ClassicHookEvent(0xE5, ClassicParam(kChannelKeyB, false, false), 10));
  EXPECT_TRUE(d.Post);
  EXPECT_EQ(d.WParam, kChannelKeyB);
  EXPECT_EQ(d.LParam, 0u);
  d = f.OnKey(ClassicHookEvent(0xE5, ClassicParam(kChannelKeyB, true, false), 40));
  EXPECT_EQ(d.WParam, kChannelKeyB);
  EXPECT_EQ(d.LParam, 1u);
  d = f.OnKey(ClassicHookEvent(0xE5, ClassicParam(kChannelKeyB, true, true), 60));
  EXPECT_TRUE(d.Post);
  EXPECT_EQ(d.WParam, kChannelKeyB | kReleaseBit);
  d = f.OnKey(ClassicHookEvent(0, ClassicParam(kChannelKeyA, false, false), 80));
  EXPECT_EQ(d.WParam, kChannelKeyA);
}

TEST(ClassicHook, OrdinaryTypingPasses) {
  ExtraKeyFilter f;
  for (uint32_t vk : {0x41u, 0x0Du, 0x14u, 0x90u}) {
    HookDecision d = f.OnKey(ClassicHookEvent(vk, ClassicParam(0x1E, false, false), 10));
    EXPECT_FALSE(d.Post) << vk;
    EXPECT_FALSE(d.Swallow) << vk;
  }
}

TEST(ClassicHook, LockBitsIgnoreRepeatsEvenOfAPressNotSeen) {
  LockTracker t;
  t.Seed(0);
  t.OnKey(ClassicHookEvent(0x14, ClassicParam(0x3A, false, false), 10));
  EXPECT_EQ(t.Bits(), 4);
  t.OnKey(ClassicHookEvent(0x14, ClassicParam(0x3A, true, false), 40));
  EXPECT_EQ(t.Bits(), 4);
  t.OnKey(ClassicHookEvent(0x14, ClassicParam(0x3A, true, true), 50));
  t.OnKey(ClassicHookEvent(0x90, ClassicParam(0x45, true, false), 60));  // held since before
  EXPECT_EQ(t.Bits(), 4);
  t.OnKey(ClassicHookEvent(0x90, ClassicParam(0x45, true, true), 70));
  t.OnKey(ClassicHookEvent(0x90, ClassicParam(0x45, false, false), 80));
  EXPECT_EQ(t.Bits(), 6);
}

}  // namespace
}  // namespace keyhook
