#include "keydeck/shell/language.h"

#include "keydeck/status/channel_languages.h"

namespace kd {
namespace {

// Caption rows are read into 256-byte buffers by the string loader.
void SetFromRow(MenuItem& item, const StringTable& strings, int id) {
  std::string text;
  if (strings.Load(static_cast<unsigned>(id), &text)) item.Caption = text;
}

}  // namespace

std::string TrayTipText(uint16_t languageId, const StringTable& strings) {
  constexpr unsigned kProductNameRow = 44;
  const int base = ChannelLanguageFor(languageId).StringBase;
  std::string tip;
  if (strings.Load(static_cast<unsigned>(base) + kProductNameRow, &tip) && !tip.empty()) return tip;
  tip.clear();
  strings.Load(kProductNameRow, &tip);
  return tip;
}

int MenuBaseFor(uint16_t languageId) {
  switch (languageId) {
    case 0x0404: return 100;
    case 0x0411: return 300;
    case 0x040C: return 400;
    case 0x0407: return 500;
    case 0x040A: return 700;
    default: return -1;
  }
}

void ApplyLocalisedCaptions(SetupMenu& menu, int menuBase, const StringTable& strings) {
  if (menuBase < 0) return;
  MenuItem& root = menu.Root();
  for (int i = 0; i < 5 && i < static_cast<int>(root.Items.size()); ++i)
    SetFromRow(root.Items[i], strings, menuBase + 1 + i);

  MenuItem& setup = menu.Item("Setup");
  SetFromRow(setup.Items[0], strings, menuBase + 11);
  SetFromRow(setup.Items[1], strings, menuBase + 12);
  std::string stem;
  if (strings.Load(static_cast<unsigned>(menuBase + 13), &stem)) {
    for (int i = 2; i <= 6 && i < static_cast<int>(setup.Items.size()); ++i)
      setup.Items[i].Caption = stem + "_" + std::to_string(i - 1);
  }
  for (int sub = 0; sub < 2; ++sub) {
    SetFromRow(setup.Items[sub].Items[0], strings, menuBase + 16);
    SetFromRow(setup.Items[sub].Items[1], strings, menuBase + 17);
  }

  MenuItem& osd = menu.Item("OSD1");
  for (int i = 0; i < 3; ++i) SetFromRow(osd.Items[i], strings, menuBase + 21 + i);
  MenuItem& location = osd.Items[1];
  for (int i = 0; i < 5; ++i) SetFromRow(location.Items[i], strings, menuBase + 24 + i);

  MenuItem& config = menu.Item("Config");
  for (int i = 0; i < 3; ++i) SetFromRow(config.Items[i], strings, menuBase + 41 + i);
}

}  // namespace kd
