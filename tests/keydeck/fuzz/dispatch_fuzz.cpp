// Feeds arbitrary (message, wParam, lParam) sequences into Keydeck's
// dispatch. The first 40 bytes lay out the hotkey table (row count, scan
// codes, each row's function code and result), the menu placement and the
// screen; then come 9-byte messages: a selector (one of the mapped
// messages, or any other number), wParam and lParam. The targets check
// each call against what the message may cause and abort on a breach.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keydeck/shell/dispatch.h"
#include "tests/keydeck/shell_fakes.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "dispatch fuzz: %s\n", what);
  std::abort();
}

uint32_t Word(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// What the message being dispatched allows, and what it caused.
struct Current {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  int runs = 0, bars = 0, texts = 0, menus = 0, lamps = 0, locks = 0, reloads = 0, stops = 0, discs = 0;
  int shows = 0, hides = 0;
  bool result = false;
};

class CheckingTargets : public kd::DispatchTargets {
 public:
  const kd::HotkeyTable* table = nullptr;
  int32_t functions[kd::kMaxHotkeys] = {};
  bool hasEntry[kd::kMaxHotkeys] = {};
  bool results[kd::kMaxHotkeys] = {};
  uint32_t volume = 0;
  uint32_t numLock = 0;
  Current now;

  int Rows() const {
    const int n = table->HotkeyCount;
    return n < 0 ? 0 : (n > kd::kMaxHotkeys ? kd::kMaxHotkeys : n);
  }

  bool EntryFunction(int row, int32_t* function) const override {
    Require(row >= 0 && row < Rows(), "function asked for a row outside the table");
    if (!hasEntry[row]) return false;
    *function = functions[row];
    return true;
  }
  bool RunEntry(int row) override {
    Require(now.message == kd::kWmKdHotkey, "a row run by another message");
    Require(row >= 0 && row < Rows(), "a row outside the table run");
    Require(table->ScanCode[row] == now.wParam, "a row of another key run");
    for (int i = 0; i < row; ++i)
      Require(table->ScanCode[i] != now.wParam, "a later row run for a key an earlier row has");
    ++now.runs;
    Require(now.runs == 1, "one hotkey ran two rows");
    now.result = results[row];
    return results[row];
  }
  std::string OsdCaption() const override { return "caption"; }
  uint32_t MasterVolume() override { return volume; }
  void MediaStop() override {
    Require(now.message == kd::kWmPowerBroadcast && now.wParam == kd::kPbtApmSuspend,
            "media stopped without a suspend");
    ++now.stops;
  }
  void PlayInsertedDisc(char) override {
    Require(now.message == kd::kWmKdPlayDisc, "a disc played by another message");
    ++now.discs;
  }
  void ShowOsdText(const std::string& text) override {
    Require(now.message == kd::kWmKdHotkey && !text.empty(), "OSD text without a hotkey");
    Require(now.runs == 1, "OSD text without the row's run");
    Require(text == (now.result ? "caption" : kd::kHotkeyNotAssigned), "OSD text not the run's");
    ++now.texts;
  }
  void ShowVolumeBar(int level) override {
    Require(now.message == kd::kWmKdHotkey, "volume bar without a hotkey");
    Require(level >= 0 && level <= 255, "volume bar level outside 0..255");
    Require(level == static_cast<int>((volume & 0xFFFF) / 256) || volume > 0xFFFF,
            "volume bar not the master volume");
    ++now.bars;
  }
  void ShowChannelSetting() override { ++now.shows; }
  void HideChannelSetting() override { ++now.hides; }
  void SetWarningLamps(bool, bool) override {
    Require(now.message == kd::kWmKdDriver && now.wParam == 0, "lamps set by another message");
    ++now.lamps;
  }
  void SetLockFlags(uint8_t flags) override {
    Require(now.message == kd::kWmKdLocks, "lock lamps set by another message");
    Require(flags == (numLock & 0xFF), "lock lamps not GetNUMLock's");
    ++now.locks;
  }
  uint32_t GetNumLock() override { return numLock; }
  bool ReloadSettings() override {
    Require(now.message == kd::kWmKdReload, "reload by another message");
    ++now.reloads;
    return false;
  }
  void OpenSetupMenu(int x, int y) override {
    Require(now.message == kd::kWmKdMenu && now.lParam == kd::kMenuRightButtonDown,
            "menu opened without a right click");
    (void)x;
    (void)y;
    ++now.menus;
  }
};

constexpr uint32_t kMapped[] = {kd::kWmKdHotkey, kd::kWmKdDriver,      kd::kWmKdLocks,
                                kd::kWmKdReload, kd::kWmKdMenu,        kd::kWmPowerBroadcast,
                                kd::kMmMixmControlChange, kd::kWmKdPlayDisc};
constexpr std::size_t kMappedCount = sizeof kMapped / sizeof kMapped[0];
constexpr std::size_t kHeader = 1 + kd::kMaxHotkeys + 9;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) return 0;
  kd::HotkeyTable table;
  CheckingTargets t;
  t.table = &table;
  // The count may be negative or past 30: the dispatch must clamp it.
  table.HotkeyCount = static_cast<int8_t>(data[0]);
  for (int i = 0; i < kd::kMaxHotkeys; ++i) {
    table.ScanCode[i] = data[1 + i] & 0x7F;
    // Three function codes matter apart; the rest behave alike.
    static constexpr int32_t kCodes[] = {3, 4, 17, 30, 0, 20, 21, 54};
    t.functions[i] = kCodes[(data[1 + i] >> 4) & 7];
    t.hasEntry[i] = (data[1 + i] & 0x80) == 0 || (i & 1);
    t.results[i] = (data[1 + i] & 0x08) != 0;
  }
  const uint8_t* extra = data + 1 + kd::kMaxHotkeys;
  kd::MenuPlacement menu;
  menu.MenuLocX = static_cast<uint16_t>(extra[0] | extra[1] << 8);
  menu.MenuLocY = static_cast<uint16_t>(extra[2] | extra[3] << 8);
  menu.TopLevelItems = extra[4] % 8;
  kd::test::FakeScreen screen;
  screen.W = 640 + extra[5] * 8;
  screen.H = 480 + extra[6] * 8;
  t.volume = static_cast<uint32_t>(extra[7]) << 8 | extra[8];
  t.numLock = extra[7];
  kd::Dispatcher dispatcher{t, screen};

  for (std::size_t pos = kHeader; pos + 9 <= size; pos += 9) {
    const uint8_t selector = data[pos];
    const uint32_t message = selector < 0xF0 ? kMapped[selector % kMappedCount] : Word(data + pos + 1);
    t.now = Current{};
    t.now.message = message;
    t.now.wParam = selector < 0xF0 ? Word(data + pos + 1) : data[pos + 1];
    t.now.lParam = static_cast<intptr_t>(static_cast<int32_t>(Word(data + pos + 5)));
    const bool handled = dispatcher.Dispatch(message, t.now.wParam, t.now.lParam, table, menu);
    const Current& c = t.now;
    const bool mine = message == kd::kWmKdHotkey || message == kd::kWmKdDriver ||
                      message == kd::kWmKdLocks || message == kd::kWmKdReload ||
                      message == kd::kWmKdPlayDisc;
    Require(handled == mine, "default handling chosen wrongly");
    Require(c.shows + c.hides <= 2 && (c.shows == 0 || c.hides == 0),
            "Channel Setting window shown and hidden by one message");
    if (message == kd::kWmKdHotkey) {
      const bool channelKey = c.wParam == 0x5A || c.wParam == 0x62;
      const bool channelRelease = c.wParam == 0xDA || c.wParam == 0xE2;
      Require(c.shows == (channelKey ? 1 : 0) && c.hides == (channelRelease ? 1 : 0),
              "Channel Setting window not following the channel keys");
      Require(c.bars <= 1 && c.texts <= 1 && c.bars + c.texts <= 1, "two displays for one key");
      // Auto-repeat never starts a row twice, except the volume rows.
      if (c.lParam != 0 && c.runs == 1) {
        int row = 0;
        while (table.ScanCode[row] != c.wParam) ++row;
        const int32_t f = t.hasEntry[row] ? t.functions[row] : 0;
        Require(f == 3 || f == 4 || f == 17, "an auto-repeat started a program again");
      }
    }
    if (message == kd::kWmKdMenu)
      Require(c.menus == (c.lParam == kd::kMenuRightButtonDown ? 1 : 0), "menu not opened");
    if (message == kd::kWmKdLocks) Require(c.locks == 1, "lock lamps not repainted");
    if (message == kd::kWmKdReload) Require(c.reloads == 1, "settings not reloaded");
    if (message == kd::kWmKdPlayDisc) Require(c.discs == 1, "the inserted disc not played");
  }
  return 0;
}
