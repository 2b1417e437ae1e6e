// Keydeck's settings: loaded from HKEY_LOCAL_MACHINE at start and on a
// reload request, and the font and hotkey rows written back after a menu
// change. Everything the load touches outside this object goes through
// SettingsServices, so that the load runs unchanged against fakes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "keydeck/shell/hotkey_table.h"
#include "keydeck/shell/language.h"
#include "keydeck/shell/menu.h"
#include "keydeck/shell/osd/osd.h"
#include "keydeck/shell/registry.h"

namespace kd {

// The OSD font is not here: the load and the save work on the OSD's own
// (OsdFont), so that the font dialog and the registry never disagree.
struct Settings {
  int32_t MsgLoc = 0;  // the place last applied; any code but 1..4 is lower right
  int32_t Interval = 10000;
  int32_t Player = 0;
  bool FullScreen = false;
  uint16_t MenuLocX = 0;
  uint16_t MenuLocY = 0;
  bool MenuFlag = true;
  uint16_t VendorID = 0;
  uint16_t ProductID = 0;
  HotkeyTable Hotkeys;
  std::string OpenDialogFilter;
};

// One hotkey row's texts as the action engine holds them.
struct HotkeyRow {
  std::string Caption;
  std::string LinkTo;
  int32_t Function = 0;
};

class SettingsServices {
 public:
  virtual ~SettingsServices() = default;
  // The row columns kept by the action engine.
  virtual void ClearEntries() = 0;
  virtual void AddEntry(const HotkeyRow& row) = 0;
  virtual bool GetEntry(int index, HotkeyRow* row) const = 0;
  // "dat" = "MPEGVideo" in the "mci extensions" section of the system's
  // initialisation file.
  virtual void WriteMciExtension() = 0;
  // The OSD place for a MsgLoc code (OsdX, OsdY).
  virtual void ApplyOsdLocation(int32_t msgLoc) = 0;
  // Description of a file type by its extension (".exe"); empty if none.
  virtual std::string FileTypeName(const std::string& extension) = 0;
  // The audio-CD AutoPlay registration for the loaded player choice;
  // returns the choice it leaves (4 is registered once and becomes 1).
  virtual int32_t RegisterCdAutoPlay(int32_t player) = 0;
};

inline constexpr const char* kReadRoot = "SOFTWARE\\TessaroVantik";
// Shown when a choice from the menu could not be stored.
inline constexpr const char* kSettingsNotSaved =
    "The setting could not be saved; it holds only until Keydeck reads its settings again.";
inline constexpr const char* kWriteRoot = "\\SOFTWARE\\Tessaro\\";

class SettingsStore {
 public:
  SettingsStore(RegistryAccess& registry, SettingsServices& services, SetupMenu& menu,
                LanguageInfo& language, const StringTable& strings, OsdFont& font);

  // True when both keys were found; a failed load changes nothing.
  bool LoadSettings();
  // Writes the OSD font and the rows where the load reads them (making a
  // row key that is missing), and to the write side where its keys exist.
  // False when the values the load reads could not all be written (no
  // rights to the machine's keys, the settings gone): the choice would
  // not last. The place, the OSD switch, the player and the menu marks
  // are never stored.
  bool SaveSettings();
  // The menu gave row `row` its texts and function: it is saved from now
  // on, even if the load could not read it.
  void RowChanged(int row);

  Settings& Current() { return settings_; }
  const Settings& Current() const { return settings_; }

 private:
  void LoadRows(const std::string& defaultKey, int count);
  bool SaveTo(const std::string& defaultKey, bool createRows);
  void ApplyMenuRules(bool internetRead, uint32_t internet, int32_t hotkeys, int32_t player);
  std::string BuildOpenDialogFilter();

  RegistryAccess& registry_;
  SettingsServices& services_;
  SetupMenu& menu_;
  LanguageInfo& language_;
  const StringTable& strings_;
  OsdFont& font_;
  Settings settings_;
};

// The key codes (wParam of 0x500) that Keydeck acts on, as the keyboard
// hook takes them: entry c non-zero when code c acts. A code acts when the
// first row with that code (the one the dispatch runs) does something:
// rowActs(row) decides. The channel keys and their releases always act
// (they show and hide Channel Setting). The hook passes the rest to the
// system.
using KeyCodeSet = std::array<uint8_t, 256>;
KeyCodeSet ActingKeyCodes(const HotkeyTable& table, const std::function<bool(int row)>& rowActs);

// Path of the write side's key for the model M: "\SOFTWARE\Tessaro\M\Default".
std::string WriteSideDefaultPath(const std::string& model);

}  // namespace kd
