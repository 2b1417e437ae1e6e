#include "keydeck/shell/settings.h"

#include <algorithm>
#include <vector>

#include "keydeck/shell/reg_key.h"

namespace kd {
namespace {

constexpr uint32_t kScanCodeBufferSize = 34;

// A row value that is present but unusable (wrong type, longer than its
// buffer) spoils the whole row; a missing one reads as 0 or empty.
bool ReadRowText(RegKey& key, const char* name, std::string* out) {
  *out = key.ReadText(name);
  return key.Status() == kErrSuccess || key.Status() == kErrFileNotFound;
}

bool ReadRowNumber(RegKey& key, const char* name, int32_t* out) {
  *out = static_cast<int32_t>(key.ReadNumber(name));
  return key.Status() == kErrSuccess || key.Status() == kErrFileNotFound;
}

}  // namespace

std::string WriteSideDefaultPath(const std::string& model) {
  return std::string(kWriteRoot) + model + "\\Default";
}

SettingsStore::SettingsStore(RegistryAccess& registry, SettingsServices& services, SetupMenu& menu,
                             LanguageInfo& language, const StringTable& strings, OsdFont& font)
    : registry_(registry),
      services_(services),
      menu_(menu),
      language_(language),
      strings_(strings),
      font_(font) {}

bool SettingsStore::LoadSettings() {
  RegKey key(registry_, HKeyRoot::LocalMachine, kKeyRead);
  services_.WriteMciExtension();

  if (!key.Open(kReadRoot)) return false;
  const std::string model = key.ReadText(nullptr);
  key.Close();
  // Without a model name the path would name another key; treat it as
  // missing data so that the import can supply it.
  if (model.empty()) return false;
  const std::string defaultKey = std::string(kReadRoot) + "\\" + model + "\\Default";
  if (!key.Open(defaultKey)) return false;

  Settings next = settings_;
  OsdFont font = font_;
  next.VendorID = static_cast<uint16_t>(key.ReadNumber("VendorID"));
  next.ProductID = static_cast<uint16_t>(key.ReadNumber("ProductID"));
  next.Interval = static_cast<int32_t>(key.ReadNumber("Interval"));

  // One scan code per stored byte; rows beyond 30 have no engine entry.
  int count = 0;
  uint32_t type = kRegNone;
  uint32_t size = 0;
  if (key.ValueInfo("ScanCode", &type, &size) == kErrSuccess && type == kRegBinary)
    count = static_cast<int>(std::min<uint32_t>(size, kMaxHotkeys));
  std::vector<uint8_t> codes(std::max<uint32_t>(size, kScanCodeBufferSize), 0);
  uint32_t got = static_cast<uint32_t>(codes.size());
  if (count > 0 && key.ReadBytes("ScanCode", codes.data(), &got) != kErrSuccess) count = 0;
  next.Hotkeys.HotkeyCount = count;
  for (int i = 0; i < kMaxHotkeys; ++i) next.Hotkeys.ScanCode[i] = i < count ? codes[i] : 0;

  font.FaceName = key.ReadText("Font");
  font.Color = key.ReadNumber("FontColor");
  next.MsgLoc = static_cast<int32_t>(key.ReadNumber("MsgLoc"));
  menu_.SelectRadio(LocationItemName(next.MsgLoc));
  services_.ApplyOsdLocation(next.MsgLoc);
  font.Size = static_cast<int32_t>(key.ReadNumber("FontSize"));
  font.Style = static_cast<int32_t>(key.ReadNumber("FontStyle"));
  font.CharSet = static_cast<uint16_t>(key.ReadNumber("FontCharSet"));
  menu_.SetChecked("Enable1", key.ReadNumber("OSD") != 0);
  next.Player = static_cast<int32_t>(key.ReadNumber("Player"));
  next.FullScreen = key.ReadNumber("FullScreen") != 0;
  const uint32_t menuLoc = key.ReadNumber("MenuLoc");
  next.MenuLocX = static_cast<uint16_t>(menuLoc & 0xFFFF);
  next.MenuLocY = static_cast<uint16_t>(menuLoc >> 16);
  const uint32_t internet = key.ReadNumber("Internet");
  const bool internetRead = key.Status() == kErrSuccess;
  const int32_t hotkeys = static_cast<int32_t>(key.ReadNumber("Hotkeys"));
  ApplyMenuRules(internetRead, internet, hotkeys, next.Player);
  menu_.SetChecked("FullScreen", next.FullScreen);

  language_.SetOverride(static_cast<uint16_t>(key.ReadNumber("Language")));
  const uint32_t menuValue = key.ReadNumber("Menu");
  next.MenuFlag = !(key.Status() == kErrSuccess && menuValue == 0);
  key.Close();

  settings_ = next;
  font_ = font;
  LoadRows(defaultKey, count);
  // The registration may turn choice 4 into 1; keep what it leaves so the
  // shell and the engine agree on the media target.
  if (settings_.Player != 0) settings_.Player = services_.RegisterCdAutoPlay(settings_.Player);

  menu_.ResetCaptions();
  ApplyLocalisedCaptions(menu_, MenuBaseFor(language_.LanguageId()), strings_);
  settings_.OpenDialogFilter = BuildOpenDialogFilter();
  return true;
}

void SettingsStore::ApplyMenuRules(bool internetRead, uint32_t internet, int32_t hotkeys,
                                   int32_t player) {
  // Every load sets each rule's items both ways, so a reload with other
  // values does not keep what an earlier load hid or showed.
  const bool internetOff = internetRead && internet == 0;
  menu_.SetVisible("Browser", !internetOff);
  menu_.SetVisible("Email", !internetOff);

  MenuItem& setup = menu_.Item("Setup");
  const int slots = static_cast<int>(setup.Items.size()) - 2;
  const int shown = std::clamp<int32_t>(hotkeys, 0, slots);
  for (int i = 0; i < slots; ++i) setup.Items[2 + i].Visible = i < shown;
  // A missing Internet value counts as 0 here (unlike the rule above).
  setup.Visible = !(shown == 0 && internet == 0);

  menu_.SetVisible("Config", player == 2);
  menu_.SetVisible("CDPanel", player == 2);
}

void SettingsStore::LoadRows(const std::string& defaultKey, int count) {
  services_.ClearEntries();
  HotkeyTable& table = settings_.Hotkeys;
  for (bool& unreadable : table.Unreadable) unreadable = false;
  RegKey row(registry_, HKeyRoot::LocalMachine, kKeyRead);
  for (int i = 0; i < count; ++i) {
    HotkeyRow entry;
    bool ok = false;
    // A missing or unreadable row still takes its index, so that every
    // later row keeps the engine entry that matches its scan code; the
    // mark makes its key say so rather than run an empty entry.
    if (row.Open(defaultKey + "\\" + RowKeyName(i))) {
      HotkeyRow read;
      ok = ReadRowText(row, "Caption", &read.Caption) && ReadRowText(row, "LinkTo", &read.LinkTo) &&
           ReadRowNumber(row, "Function", &read.Function);
      if (ok) entry = read;
      row.Close();
    }
    table.Unreadable[i] = !ok;
    services_.AddEntry(entry);
  }
}

void SettingsStore::RowChanged(int row) {
  if (row >= 0 && row < kMaxHotkeys) settings_.Hotkeys.Unreadable[row] = false;
}

std::string SettingsStore::BuildOpenDialogFilter() {
  static const char* const kExtensions[] = {".exe", ".lnk", ".url", ".hlp", ".doc", ".bmp"};
  std::string filter;
  for (const char* ext : kExtensions) {
    const std::string pattern = std::string("*") + ext;
    std::string name = services_.FileTypeName(ext);
    // An empty name would end the dialog's list of filters early (two NULs
    // in a row), taking "URL Address" and its index with it.
    if (name.empty()) name = pattern;
    if (!filter.empty()) filter += "|";
    filter += name + "|" + pattern;
  }
  filter += "|URL Address|*.url|*.*|*.*";
  return filter;
}

bool SettingsStore::SaveSettings() {
  // Where the load reads, so that the choice lasts; rows get a key of
  // their own there if they have none yet.
  RegKey root(registry_, HKeyRoot::LocalMachine, kKeyRead);
  if (!root.Open(kReadRoot)) return false;
  const std::string model = root.ReadText(nullptr);
  root.Close();
  const bool saved = !model.empty() &&
                     SaveTo(std::string(kReadRoot) + "\\" + model + "\\Default", true);

  // The other side too, where an installation made it: other programs of
  // the product read it. It gets no new keys.
  RegKey write(registry_, HKeyRoot::LocalMachine, kKeyRead);
  if (write.Open(kWriteRoot)) {
    const std::string writeModel = write.ReadText(nullptr);
    write.Close();
    if (!writeModel.empty()) SaveTo(WriteSideDefaultPath(writeModel), false);
  }
  return saved;
}

bool SettingsStore::SaveTo(const std::string& defaultKey, bool createRows) {
  RegKey key(registry_, HKeyRoot::LocalMachine, kKeySetValue);
  if (!key.Open(defaultKey)) return false;
  bool ok = key.WriteText("Font", font_.FaceName);
  ok = key.WriteNumber("FontSize", static_cast<uint32_t>(font_.Size)) && ok;
  ok = key.WriteNumber("FontColor", font_.Color) && ok;
  ok = key.WriteNumber("FontStyle", static_cast<uint32_t>(font_.Style)) && ok;
  ok = key.WriteNumber("FontCharSet", font_.CharSet) && ok;
  key.Close();

  RegKey row(registry_, HKeyRoot::LocalMachine, kKeySetValue);
  const HotkeyTable& table = settings_.Hotkeys;
  const int count = std::min<int>(table.HotkeyCount, kMaxHotkeys);
  for (int i = 0; i < count; ++i) {
    // A row the load could not read and the menu did not set is left as
    // stored: blanks over it would lose it for good.
    if (table.Unreadable[i]) continue;
    HotkeyRow entry;
    if (!services_.GetEntry(i, &entry)) continue;
    const std::string path = defaultKey + "\\" + RowKeyName(i);
    if (!(createRows ? row.Create(path) : row.Open(path))) {
      ok = ok && !createRows;
      continue;
    }
    ok = row.WriteText("Caption", entry.Caption) && ok;
    ok = row.WriteText("LinkTo", entry.LinkTo) && ok;
    ok = row.WriteNumber("Function", static_cast<uint32_t>(entry.Function)) && ok;
    row.Close();
  }
  return ok;
}

KeyCodeSet ActingKeyCodes(const HotkeyTable& table, const std::function<bool(int row)>& rowActs) {
  KeyCodeSet acting{};
  for (uint8_t channel : {0x5A, 0x62, 0xDA, 0xE2}) acting[channel] = 1;
  std::array<bool, 256> decided{};
  const int count = table.HotkeyCount < kMaxHotkeys ? table.HotkeyCount : kMaxHotkeys;
  for (int row = 0; row < count; ++row) {
    const uint32_t code = table.ScanCode[row];
    // A code beyond a byte never arrives; a later row with a code already
    // seen is never run.
    if (code > 0xFF || decided[code]) continue;
    decided[code] = true;
    if (rowActs(row)) acting[code] = 1;
  }
  return acting;
}

}  // namespace kd
