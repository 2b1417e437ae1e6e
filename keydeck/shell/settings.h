// Keydeck's settings: loaded from HKEY_LOCAL_MACHINE at start and on a
// reload request, and the font and hotkey rows written back after a menu
// change. Everything the load touches outside this object goes through
// SettingsServices, so that the load runs unchanged against fakes.
#pragma once

#include <cstdint>
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
inline constexpr const char* kWriteRoot = "\\SOFTWARE\\Tessaro\\";

class SettingsStore {
 public:
  SettingsStore(RegistryAccess& registry, SettingsServices& services, SetupMenu& menu,
                LanguageInfo& language, const StringTable& strings, OsdFont& font);

  // True when both keys were found; a failed load changes nothing.
  bool LoadSettings();
  // Writes the OSD font and the rows to the write side when its keys
  // exist; creates nothing.
  void SaveSettings();

  Settings& Current() { return settings_; }
  const Settings& Current() const { return settings_; }

 private:
  void LoadRows(const std::string& defaultKey, int count);
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

// Path of the write side's key for the model M: "\SOFTWARE\Tessaro\M\Default".
std::string WriteSideDefaultPath(const std::string& model);

}  // namespace kd
