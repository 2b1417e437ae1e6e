#include "keydeck/shell/menu_handlers.h"

#include "keydeck/actions/launch_targets.h"

namespace kd {
namespace {

struct PlaceItem {
  const char* Name;
  int Code;  // MsgLoc
};
constexpr PlaceItem kPlaceItems[] = {
    {"Upperleft1", 1}, {"Upperright1", 2}, {"Lowerleft1", 3}, {"Lowerright1", 0}, {"Center1", 4}};

}  // namespace

void MenuHandlers::Click(const std::string& name) {
  for (const PlaceItem& place : kPlaceItems) {
    if (name == place.Name) {
      menu_.SelectRadio(name);
      services_.SetOsdPlace(place.Code);
      return;
    }
  }
  for (int i = 0; i < 5; ++i)
    if (name == "Application" + std::to_string(i + 1)) {
      ChooseFileForRow(kApplicationRows[i]);
      return;
    }
  if (name == "BDefault" || name == "EDefault") return DefaultClick(name == "BDefault");
  if (name == "BCustom" || name == "ECustom") return CustomClick(name == "BCustom");
  if (name == "Font1") {
    if (services_.ChooseOsdFont()) services_.SaveSettings();
    return;
  }
  // The OSD switch: the mark is the switch (bound to the OSD).
  if (name == "Enable1" || name == "CDPanel" || name == "Loop" || name == "AutoPlay") {
    menu_.Toggle(name);
    return;
  }
  if (name == "FullScreen") return services_.SetFullScreen(menu_.Toggle(name));
  if (name == "Led") return services_.LedClick();
  if (name == "Exit1") return services_.Exit1Click();
}

void MenuHandlers::DefaultClick(bool browser) {
  menu_.SetChecked(browser ? "BDefault" : "EDefault", true);
  menu_.SetChecked(browser ? "BCustom" : "ECustom", false);
  services_.RunControlPanel(browser ? "Inetcpl.cpl" : "Inetcpl.cpl,@0,4");
  const int row = browser ? kBrowserRow : kEmailRow;
  HotkeyRow entry = services_.Row(row);  // the link target stays
  entry.Function = browser ? 20 : 21;
  entry.Caption = browser ? "WWW" : "Email";
  services_.SetRow(row, entry);
  services_.SaveSettings();
}

void MenuHandlers::CustomClick(bool browser) {
  ChooseFileForRow(browser ? kBrowserRow : kEmailRow);
  // Marked Custom even after a cancelled dialog.
  menu_.SetChecked(browser ? "BDefault" : "EDefault", false);
  menu_.SetChecked(browser ? "BCustom" : "ECustom", true);
}

bool MenuHandlers::ChooseFileForRow(int row) {
  std::string file;
  int filter = 0;
  if (!services_.ChooseFile(&file, &filter)) return false;
  HotkeyRow entry = services_.Row(row);
  entry.Function = 2;
  if (filter == kUrlAddressFilter) {
    entry.Caption = FileNamePart(file);
    entry.LinkTo = entry.Caption;
  } else {
    entry.Caption = FileTitle(file);
    entry.LinkTo = file;
  }
  services_.SetRow(row, entry);
  services_.SaveSettings();
  return true;
}

}  // namespace kd
