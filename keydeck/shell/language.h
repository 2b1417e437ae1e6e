// The user's language and the menu captions taken from the program's
// string table for it.
#pragma once

#include <cstdint>
#include <string>

#include "keydeck/shell/menu.h"

namespace kd {

// The program's string resources. Load gives false for a missing id.
class StringTable {
 public:
  virtual ~StringTable() = default;
  virtual bool Load(unsigned id, std::string* text) const = 0;
};

// The user's default language id, overridden by a non-zero Language
// setting. The override is kept apart so that a later load without it
// brings the user's own language back.
class LanguageInfo {
 public:
  explicit LanguageInfo(uint16_t userDefault) : userDefault_(userDefault) {}
  uint16_t LanguageId() const { return override_ != 0 ? override_ : userDefault_; }
  uint16_t UserDefault() const { return userDefault_; }
  void SetOverride(uint16_t id) { override_ = id; }

 private:
  uint16_t userDefault_;
  uint16_t override_ = 0;
};

// First string id of the menu block for a language; -1 when the menu
// keeps its English captions.
int MenuBaseFor(uint16_t languageId);

// The product name for the tray tips: row 44 of the language's string
// block (the Channel Setting language table's base), or of block 0 when
// that block has no row 44 or an empty one.
std::string TrayTipText(uint16_t languageId, const StringTable& strings);

// Captions from block `menuBase` (see MenuBaseFor); rows missing from the
// block leave the English caption in place.
void ApplyLocalisedCaptions(SetupMenu& menu, int menuBase, const StringTable& strings);

}  // namespace kd
