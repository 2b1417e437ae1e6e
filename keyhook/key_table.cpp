#include "keyhook/key_table.h"

#include <algorithm>

namespace keyhook {
namespace {

// Make codes are those of the E0-prefixed set-1 codes that PS/2 multimedia
// keyboards send for the same keys; Keydeck's key maps store them.
constexpr ExtraKey kExtraKeys[] = {
    {0x5F, 0x5F, "Sleep"},
    {0xA6, 0x6A, "Browser Back"},
    {0xA7, 0x69, "Browser Forward"},
    {0xA8, 0x67, "Browser Refresh"},
    {0xA9, 0x68, "Browser Stop"},
    {0xAA, 0x65, "Browser Search"},
    {0xAB, 0x66, "Browser Favorites"},
    {0xAC, 0x32, "Browser Home"},
    {0xAD, 0x20, "Volume Mute"},
    {0xAE, 0x2E, "Volume Down"},
    {0xAF, 0x30, "Volume Up"},
    {0xB0, 0x19, "Next Track"},
    {0xB1, 0x10, "Previous Track"},
    {0xB2, 0x24, "Stop"},
    {0xB3, 0x22, "Play/Pause"},
    {0xB4, 0x6C, "Mail"},
    {0xB5, 0x6D, "Media Select"},
    {0xB6, 0x6B, "Launch App 1 (My Computer)"},
    {0xB7, 0x21, "Launch App 2 (Calculator)"},
};

}  // namespace

std::span<const ExtraKey> ExtraKeys() { return kExtraKeys; }

uint8_t MakeCodeForVirtualKey(uint32_t virtualKey) {
  const auto* end = std::end(kExtraKeys);
  const auto* it = std::find_if(std::begin(kExtraKeys), end, [&](const ExtraKey& k) {
    return k.VirtualKey == virtualKey;
  });
  return it == end ? 0 : it->MakeCode;
}

bool IsChannelScanCode(uint32_t scanCode) {
  return scanCode == kChannelKeyA || scanCode == kChannelKeyB;
}

uint32_t ExtraKeyFilter::PressCount(uint8_t code, const KeyEvent& event) {
  Held& h = held_[code];
  const bool repeat = event.PreviousKnown ? event.PreviousDown
                                          : h.Down && event.TimeMs - h.LastMs < kRepeatGapMs;
  h.Down = true;
  h.LastMs = event.TimeMs;
  if (!repeat) {
    h.Repeats = 0;
  } else if (h.Repeats < 0xFFFF) {
    ++h.Repeats;
  }
  return h.Repeats;
}

void ActingCodes::Set(const uint8_t* flags) {
  if (!flags) {
    known_.store(false);
    return;
  }
  for (std::size_t w = 0; w < words_.size(); ++w) {
    uint32_t bits = 0;
    for (unsigned b = 0; b < 32; ++b)
      if (flags[w * 32 + b] != 0) bits |= 1u << b;
    words_[w].store(bits);
  }
  known_.store(true);
}

bool ActingCodes::Acts(uint8_t code) const {
  if (!known_.load()) return true;
  return (words_[code / 32].load() >> (code % 32) & 1u) != 0;
}

void OwnKeys::Expect(uint8_t virtualKey, bool up, uint32_t nowMs) {
  Pending& p = pending_[virtualKey];
  if (nowMs - p.SinceMs > kOwnKeyWaitMs) p = Pending{};
  uint8_t& count = up ? p.Ups : p.Downs;
  if (count < 0xFF) ++count;
  p.SinceMs = nowMs;
}

bool OwnKeys::Claim(const KeyEvent& event) {
  Pending& p = pending_[event.VirtualKey & 0xFF];
  if (p.Downs == 0 && p.Ups == 0) return false;
  const int32_t age = static_cast<int32_t>(event.TimeMs - p.SinceMs);
  if (age < 0) return false;  // a key from before the announcement
  if (age > static_cast<int32_t>(kOwnKeyWaitMs)) {
    p = Pending{};  // announced but never seen: stale
    return false;
  }
  uint8_t& count = event.Up ? p.Ups : p.Downs;
  if (count == 0) return false;
  --count;
  return true;
}

HookDecision ExtraKeyFilter::OnKey(const KeyEvent& event) {
  HookDecision d;
  // Keys that software synthesizes (Keydeck itself taps media keys for some
  // players and any key for a parameter row) go on to the system unseen:
  // reporting them back would loop. The low-level hook knows them by their
  // injected flag, the classic hook only by Keydeck's announcement.
  if (event.Injected) return d;
  if (own_.Claim(event)) return d;

  uint8_t code = 0;
  bool channel = false;
  if (IsChannelScanCode(event.ScanCode)) {
    code = static_cast<uint8_t>(event.ScanCode);
    channel = true;
  } else {
    code = MakeCodeForVirtualKey(event.VirtualKey);
  }
  if (code == 0) return d;  // ordinary typing
  if (!acting_.Acts(code)) return d;  // the system's own meaning stays

  d.Swallow = true;
  if (event.Up) {
    held_[code].Down = false;
    if (channel) {
      d.Post = true;
      d.WParam = code | kReleaseBit;
    }
    return d;
  }
  d.Post = true;
  d.WParam = code;
  d.LParam = PressCount(code, event);
  return d;
}

void ExtraKeyFilter::Reset() { held_.fill(Held{}); }

bool UsesClassicHook(uint32_t windowsVersion) { return (windowsVersion & 0x80000000u) != 0; }

KeyEvent ClassicHookEvent(uint32_t virtualKey, uint32_t lParam, uint32_t timeMs) {
  KeyEvent e;
  e.VirtualKey = virtualKey & 0xFF;
  e.ScanCode = (lParam >> 16) & 0xFF;
  e.Up = (lParam & 0x80000000u) != 0;
  e.TimeMs = timeMs;
  e.PreviousKnown = true;
  e.PreviousDown = (lParam & 0x40000000u) != 0;
  return e;
}

int LockBits(bool scrollLock, bool numLock, bool capsLock) {
  return (scrollLock ? 1 : 0) | (numLock ? 2 : 0) | (capsLock ? 4 : 0);
}

void LockTracker::Seed(int bits) {
  bits_ = bits & 7;
  held_[0] = held_[1] = held_[2] = false;
}

bool LockTracker::Resync(int systemBits) {
  const int before = bits_;
  bits_ = systemBits & 7;
  return bits_ != before;
}

bool IsLockKeyPress(const KeyEvent& event) {
  return !event.Up && (event.VirtualKey == 0x91 || event.VirtualKey == 0x90 || event.VirtualKey == 0x14);
}

bool LockTracker::OnKey(const KeyEvent& event) {
  int index;
  switch (event.VirtualKey) {
    case 0x91: index = 0; break;  // VK_SCROLL
    case 0x90: index = 1; break;  // VK_NUMLOCK
    case 0x14: index = 2; break;  // VK_CAPITAL
    default: return true;
  }
  if (event.Up) {
    // A hook that stalled can be skipped for the press and get the release.
    const bool pressSeen = held_[index];
    held_[index] = false;
    return pressSeen;
  }
  if (held_[index]) return true;  // auto-repeat
  if (event.PreviousKnown && event.PreviousDown) return false;  // auto-repeat, press not seen
  held_[index] = true;
  bits_ ^= 1 << index;
  return true;
}

}  // namespace keyhook
