#include "keydeck/shell/menu.h"

#include <stdexcept>

namespace kd {
namespace {

MenuItem Leaf(const char* name, const char* caption, bool checked = false, bool visible = true,
              int group = 0) {
  MenuItem m;
  m.Name = name;
  m.Caption = caption;
  m.Checked = checked;
  m.Visible = visible;
  m.RadioGroup = group;
  return m;
}

MenuItem Sub(const char* name, const char* caption, std::vector<MenuItem> items, bool checked = false) {
  MenuItem m = Leaf(name, caption, checked);
  m.Items = std::move(items);
  return m;
}

MenuItem BuildPopupMenu1() {
  MenuItem root;
  root.Name = "PopupMenu1";
  root.Items = {
      Sub("Setup", "&Setup",
          {Sub("Browser", "Browser", {Leaf("BDefault", "Default", true), Leaf("BCustom", "Custom")}),
           Sub("Email", "Email", {Leaf("EDefault", "Default", true), Leaf("ECustom", "Custom")}),
           Leaf("Application1", "Application 1", false, false),
           Leaf("Application2", "Application 2", false, false),
           Leaf("Application3", "Application 3", false, false),
           Leaf("Application4", "Application 4", false, false),
           Leaf("Application5", "Application 5", false, false)}),
      Sub("OSD1", "&OSD",
          {Leaf("Font1", "&Font"),
           Sub("Location1", "&Location",
               {Leaf("Upperleft1", "Upper left", false, true, 1),
                Leaf("Upperright1", "Upper right", false, true, 1),
                Leaf("Lowerleft1", "Lower left", false, true, 1),
                Leaf("Lowerright1", "Lower right", true, true, 1),
                Leaf("Center1", "Center", false, true, 1)}),
           Leaf("Enable1", "Enable", true), Leaf("Led", "Led", true)}),
      Leaf("CDPanel", "&Panel", true),
      Sub("Config", "&Config",
          {Leaf("Loop", "Loop"), Leaf("AutoPlay", "AutoPlay", true, false),
           Leaf("FullScreen", "Full Screen")}),
      Leaf("Exit1", "&Exit"),
  };
  return root;
}

MenuItem* FindParentOf(MenuItem& node, const std::string& name) {
  for (auto& child : node.Items) {
    if (child.Name == name) return &node;
    if (MenuItem* p = FindParentOf(child, name)) return p;
  }
  return nullptr;
}

void CopyCaptions(MenuItem& dst, const MenuItem& src) {
  dst.Caption = src.Caption;
  for (size_t i = 0; i < dst.Items.size() && i < src.Items.size(); ++i) CopyCaptions(dst.Items[i], src.Items[i]);
}

}  // namespace

MenuItem* MenuItem::Find(const std::string& name) {
  if (Name == name) return this;
  for (auto& child : Items)
    if (MenuItem* m = child.Find(name)) return m;
  return nullptr;
}

const MenuItem* MenuItem::Find(const std::string& name) const {
  return const_cast<MenuItem*>(this)->Find(name);
}

SetupMenu::SetupMenu() : root_(BuildPopupMenu1()) {}

MenuItem& SetupMenu::Item(const std::string& name) {
  MenuItem* m = root_.Find(name);
  if (!m) throw std::out_of_range("no menu item " + name);
  return *m;
}

const MenuItem& SetupMenu::Item(const std::string& name) const {
  return const_cast<SetupMenu*>(this)->Item(name);
}

bool SetupMenu::Toggle(const std::string& name) {
  MenuItem& m = Item(name);
  m.SetChecked(!m.IsChecked());
  return m.IsChecked();
}

void SetupMenu::SelectRadio(const std::string& name) {
  MenuItem& item = Item(name);
  if (MenuItem* parent = FindParentOf(root_, name)) {
    for (auto& sibling : parent->Items)
      if (sibling.RadioGroup == item.RadioGroup && sibling.RadioGroup != 0) sibling.SetChecked(false);
  }
  item.SetChecked(true);
}

void SetupMenu::ResetCaptions() { CopyCaptions(root_, BuildPopupMenu1()); }

const char* LocationItemName(int msgLoc) {
  switch (msgLoc) {
    case 1: return "Upperleft1";
    case 2: return "Upperright1";
    case 3: return "Lowerleft1";
    case 4: return "Center1";
    default: return "Lowerright1";
  }
}

}  // namespace kd
