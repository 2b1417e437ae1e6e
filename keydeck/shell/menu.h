// The setup popup menu as plain objects: names, captions, visibility,
// check marks and radio groups. The settings load and the handlers change
// this model; the window layer draws it when the menu is opened.
#pragma once

#include <string>
#include <vector>

namespace kd {

struct MenuItem {
  std::string Name;
  std::string Caption;
  bool Visible = true;
  bool Checked = false;  // the check mark, unless it is bound (below)
  int RadioGroup = 0;    // 0 = an ordinary item
  std::vector<MenuItem> Items;
  // A mark that is the state of another object (the OSD switch, the LED
  // strip's Led mark) lives there only; the item reads and writes it.
  bool* BoundMark = nullptr;

  bool IsChecked() const { return BoundMark ? *BoundMark : Checked; }
  void SetChecked(bool on) { (BoundMark ? *BoundMark : Checked) = on; }

  MenuItem* Find(const std::string& name);
  const MenuItem* Find(const std::string& name) const;
};

class SetupMenu {
 public:
  SetupMenu();  // the tree and start state of PopupMenu1

  MenuItem& Root() { return root_; }
  const MenuItem& Root() const { return root_; }
  // The named item; throws std::out_of_range for a name not in the tree.
  MenuItem& Item(const std::string& name);
  const MenuItem& Item(const std::string& name) const;

  bool IsChecked(const std::string& name) const { return Item(name).IsChecked(); }
  bool IsVisible(const std::string& name) const { return Item(name).Visible; }
  void SetChecked(const std::string& name, bool on) { Item(name).SetChecked(on); }
  // From now on the named item's mark is *state (which keeps its value);
  // `state` must outlive the menu.
  void BindMark(const std::string& name, bool* state) { Item(name).BoundMark = state; }
  void SetVisible(const std::string& name, bool on) { Item(name).Visible = on; }
  bool Toggle(const std::string& name);  // returns the new mark
  // Marks the named item and clears the other items of its radio group.
  void SelectRadio(const std::string& name);

  // Puts every caption back to the English text of the form.
  void ResetCaptions();

 private:
  MenuItem root_;
};

// Names of the five OSD place items, indexed by the place code 1..4 and
// 0 for lower right (the place every other code selects).
const char* LocationItemName(int msgLoc);

}  // namespace kd
