// What the keyboard hook reports, decided without Windows: the table from a
// key's virtual key to its set-1 make code, and the filter that turns raw
// low-level key events into the (wParam, lParam) pairs Keydeck expects.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

namespace keyhook {

struct ExtraKey {
  uint8_t VirtualKey;  // Windows virtual key the system reports
  uint8_t MakeCode;    // set-1 make code (without the E0 prefix) posted as wParam
  const char* Name;
};

// Every extra key the hook reports by virtual key, in virtual-key order.
std::span<const ExtraKey> ExtraKeys();

// Make code for a virtual key, or 0 when the key is ordinary typing.
uint8_t MakeCodeForVirtualKey(uint32_t virtualKey);

// The two channel keys of the receiver are told apart by scan code: they
// have no virtual key of their own.
constexpr uint8_t kChannelKeyA = 0x5A;
constexpr uint8_t kChannelKeyB = 0x62;
constexpr uint32_t kReleaseBit = 0x80;
bool IsChannelScanCode(uint32_t scanCode);

// Auto-repeat arrives as further key-downs without a key-up. A key-down later
// than this after the previous event of the same key is a new press: the
// key-up was lost (a reinstalled hook, a secure desktop in between), and a
// launch key must not stay silenced for good.
constexpr uint32_t kRepeatGapMs = 2000;

struct KeyEvent {
  uint32_t VirtualKey = 0;
  uint32_t ScanCode = 0;
  bool Up = false;
  bool Injected = false;  // synthesized by software (keybd_event, SendInput)
  uint32_t TimeMs = 0;    // event time stamp, wraps
  // Whether the system says the key was already down (auto-repeat). Only the
  // classic keyboard hook knows this; the low-level hook does not, and its
  // repeats are told by the held-key bookkeeping instead.
  bool PreviousKnown = false;
  bool PreviousDown = false;
};

// The Windows 9x family (top bit of GetVersion() set) has no low-level
// hooks; there the classic system-wide keyboard hook is used instead.
bool UsesClassicHook(uint32_t windowsVersion);

// A key as the classic keyboard hook reports it: the virtual key as wParam,
// and lParam with the scan code in bits 16-23, the previous key state in
// bit 30 and the transition (set for a release) in bit 31.
KeyEvent ClassicHookEvent(uint32_t virtualKey, uint32_t lParam, uint32_t timeMs);

// The make codes Keydeck acts on. A key of the table whose code is not
// among them passes to the system unreported, so that the system's own
// meaning of the key (a media key for the focused player) stays. Until
// Keydeck gives a set, every code acts. Set and read from different
// threads (and, for the classic hook, processes), one word at a time.
class ActingCodes {
 public:
  // flags: 256 entries, non-zero = acts; nullptr: every code acts again.
  void Set(const uint8_t* flags);
  bool Acts(uint8_t code) const;

 private:
  std::array<std::atomic<uint32_t>, 8> words_{};
  std::atomic<bool> known_{false};
};

// Keys that Keydeck is about to synthesize, announced just before each
// one. The classic hook has no injected flag, so without this list
// Keydeck's own media-key tap came back as a hotkey and tapped again. An
// announcement that no key follows within kOwnKeyWaitMs is forgotten, so
// that a later press of the same key is not mistaken for Keydeck's.
constexpr uint32_t kOwnKeyWaitMs = 2000;

class OwnKeys {
 public:
  void Expect(uint8_t virtualKey, bool up, uint32_t nowMs);
  // True (and the announcement used up) when the event is an announced key.
  bool Claim(const KeyEvent& event);

 private:
  struct Pending {
    uint8_t Downs = 0;
    uint8_t Ups = 0;
    uint32_t SinceMs = 0;
  };
  std::array<Pending, 256> pending_{};
};

struct HookDecision {
  bool Post = false;     // post 0x500 with WParam/LParam
  uint32_t WParam = 0;
  uint32_t LParam = 0;   // 0 first press, repeat count for auto-repeat
  bool Swallow = false;  // keep the key from the rest of the system
};

class ExtraKeyFilter {
 public:
  HookDecision OnKey(const KeyEvent& event);
  // Forgets held keys; used when the hook is (re)installed.
  void Reset();
  void SetActingCodes(const uint8_t* flags) { acting_.Set(flags); }
  void ExpectOwnKey(uint8_t virtualKey, bool up, uint32_t nowMs) {
    own_.Expect(virtualKey, up, nowMs);
  }

 private:
  struct Held {
    bool Down = false;
    uint16_t Repeats = 0;
    uint32_t LastMs = 0;
  };
  uint32_t PressCount(uint8_t code, const KeyEvent& event);
  std::array<Held, 256> held_{};
  ActingCodes acting_;
  OwnKeys own_;
};

// Lock bits as GetNUMLock returns them: bit 0 Scroll, 1 Num, 2 Caps.
int LockBits(bool scrollLock, bool numLock, bool capsLock);

// Whether the event is a press of Caps Lock, Num Lock or Scroll Lock.
bool IsLockKeyPress(const KeyEvent& event);

// The lock state as the hook sees it change. The hook is called before
// the system applies a key, so the hook follows the lock keys itself and
// knows the new state at once: each press of Caps Lock, Num Lock or Scroll
// Lock (synthesized ones too: they toggle as well) flips its bit;
// auto-repeat does not. A key the hook never saw (the hook was gone, the
// session suspended) would leave a bit inverted for good, so whenever the
// hook cannot be sure it takes the system's state again (Resync).
class LockTracker {
 public:
  void Seed(int bits);
  // Follows one key. False when the key shows that a lock key's press went
  // by unseen (its release came without it): the bits are unsure then.
  bool OnKey(const KeyEvent& event);
  // The system's lock bits replace the followed ones; a lock key held down
  // stays held, so its auto-repeat still flips nothing. True when the bits
  // changed: the lamps must be told.
  bool Resync(int systemBits);
  int Bits() const { return bits_; }

 private:
  int bits_ = 0;
  bool held_[3] = {};
};

}  // namespace keyhook
