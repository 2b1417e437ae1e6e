#include "keydeck/shell/menu_icon.h"

namespace kd {

void MenuIcon::Apply(bool menuFlag, const std::string& tip) {
  wanted_ = menuFlag;
  if (!menuFlag) {
    if (present_) shell_.DeleteMenuIcon();
    present_ = false;
    return;
  }
  if (present_ && tip == tip_) return;  // a reload must not make the icon jump
  if (present_) shell_.DeleteMenuIcon();
  tip_ = tip;
  present_ = shell_.AddMenuIcon(tip_);
}

void MenuIcon::TaskbarCreated() {
  if (wanted_) present_ = shell_.AddMenuIcon(tip_);
}

}  // namespace kd
