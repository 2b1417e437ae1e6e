// Loads Keydeck's settings from a fuzzed registry: every setting and every
// row value may be missing or of any type and size, keys may be missing.
// The first byte chooses which keys exist and whether a complete read side
// is laid down first; the rest are records (target, type, size, bytes) that
// set or remove one value. Invariants that must hold for any registry
// abort the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "keydeck/shell/reg_key.h"
#include "keydeck/shell/settings.h"
#include "tests/keydeck/fake_registry.h"
#include "tests/keydeck/shell_fakes.h"

namespace {

using kd::test::FakeRegistry;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "settings fuzz: %s\n", what);
  std::abort();
}

const std::string kRead = kd::kReadRoot;
const std::string kDefault = kRead + "\\KB\\Default";
const std::string kWrite = "SOFTWARE\\Tessaro";
const std::string kWriteDefault = kWrite + "\\KBW\\Default";

const char* const kSettings[] = {"VendorID", "ProductID", "Interval", "ScanCode", "Font",
                                 "FontColor", "MsgLoc", "FontSize", "FontStyle", "FontCharSet",
                                 "OSD", "Player", "FullScreen", "MenuLoc", "Internet",
                                 "Hotkeys", "Language", "Menu"};
constexpr int kSettingCount = sizeof kSettings / sizeof kSettings[0];
const char* const kRowValues[] = {"Caption", "LinkTo", "Function"};

std::string Row(int i) { return kDefault + "\\" + kd::RowKeyName(i); }

std::vector<uint8_t> Dword(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

void LayCompleteReadSide(FakeRegistry& reg) {
  reg.SetText(kRead, "", "KB");
  for (int i = 0; i < kSettingCount; ++i) reg.SetDword(kDefault, kSettings[i], 1);
  reg.SetText(kDefault, "Font", "Tahoma");
  reg.SetBinary(kDefault, "ScanCode", {0x32, 0x6C, 0x21, 0x20});
  for (int i = 0; i < 4; ++i) {
    reg.SetText(Row(i), "Caption", "row");
    reg.SetText(Row(i), "LinkTo", "calc.exe");
    reg.SetDword(Row(i), "Function", 20 + i);
  }
}

// One record: which value, its type (or removal), its bytes.
void ApplyRecord(FakeRegistry& reg, uint8_t target, uint8_t typeByte,
                 std::vector<uint8_t> bytes) {
  std::string path;
  std::string name;
  const int t = target % (1 + kSettingCount + kd::kMaxHotkeys * 3 + 2);
  if (t == 0) {
    path = kRead;
  } else if (t <= kSettingCount) {
    path = kDefault;
    name = kSettings[t - 1];
  } else if (t <= kSettingCount + kd::kMaxHotkeys * 3) {
    const int n = t - kSettingCount - 1;
    path = Row(n / 3);
    name = kRowValues[n % 3];
  } else {
    // A whole row key, or the Default key, goes.
    reg.RemoveKey(t % 2 ? kDefault : Row(typeByte % kd::kMaxHotkeys));
    return;
  }
  const uint32_t type = typeByte % 8;
  if (type == 6) {  // stands for "missing"
    reg.RemoveValue(path, name);
    return;
  }
  if (type == kd::kRegDword && bytes.size() >= 4 && (typeByte & 0x80)) bytes = Dword(0x80000000u);
  reg.SetRaw(path, name, type, std::move(bytes));
}

struct Snapshot {
  int32_t count, interval, msgLoc, player;
  bool menuFlag;
  std::string face;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const kd::Settings& s, const kd::OsdFont& f) {
  return {s.Hotkeys.HotkeyCount, s.Interval, s.MsgLoc, s.Player, s.MenuFlag, f.FaceName};
}

void CheckLoaded(const kd::Settings& s, const kd::test::FakeSettingsServices& services) {
  const int count = s.Hotkeys.HotkeyCount;
  Require(count >= 0 && count <= kd::kMaxHotkeys, "row count outside 0..30");
  Require(static_cast<int>(services.Entries.size()) == count,
          "engine rows differ from the scan codes");
  for (int i = count; i < kd::kMaxHotkeys; ++i)
    Require(s.Hotkeys.ScanCode[i] == 0, "scan code kept past the row count");
  for (int i = 0; i < count; ++i) Require(s.Hotkeys.ScanCode[i] <= 0xFF, "scan code over a byte");
  const std::string& filter = s.OpenDialogFilter;
  Require(!filter.empty() && filter.find("||") == std::string::npos && filter.front() != '|' &&
              filter.back() != '|',
          "open dialog filter with an empty field");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  FakeRegistry reg;
  if (flags & 1) LayCompleteReadSide(reg);
  if (flags & 2) {
    reg.SetText(kWrite, "", "KBW");
    reg.AddKey(kWriteDefault);
  }
  std::size_t pos = 1;
  while (pos + 3 <= size) {
    const uint8_t target = data[pos], type = data[pos + 1], length = data[pos + 2];
    pos += 3;
    const std::size_t n = std::min<std::size_t>(length, size - pos);
    ApplyRecord(reg, target, type, std::vector<uint8_t>(data + pos, data + pos + n));
    pos += n;
  }

  kd::test::FakeSettingsServices services;
  if (flags & 4) services.AutoPlayResults[4] = 1;
  kd::test::FakeStrings strings;
  kd::SetupMenu menu;
  kd::LanguageInfo language{static_cast<uint16_t>(flags & 8 ? 0x0411 : 0x0409)};
  kd::OsdFont font;
  kd::SettingsStore store{reg, services, menu, language, strings, font};

  // A load, and a reload over it (the second sees what the first left).
  for (int round = 0; round < 2; ++round) {
    const Snapshot before = Take(store.Current(), font);
    const int clears = services.Clears;
    const std::size_t registrations = services.AutoPlayRegistrations.size();
    const bool loaded = store.LoadSettings();
    Require(reg.OpenHandles() == 0, "registry key left open by the load");
    if (loaded) {
      CheckLoaded(store.Current(), services);
      Require(services.AutoPlayRegistrations.size() ==
                  registrations + (services.AutoPlayRegistrations.size() > registrations),
              "audio-CD registration run twice");
    } else {
      Require(Take(store.Current(), font) == before, "a failed load changed the settings");
      Require(services.Clears == clears, "a failed load cleared the engine rows");
    }
  }
  store.SaveSettings();
  Require(reg.OpenHandles() == 0, "registry key left open by the save");
  return 0;
}
