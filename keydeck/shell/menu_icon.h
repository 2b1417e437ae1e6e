// The notification-area icon that opens the setup menu: id 256 on
// SetupFrm's window, callback 0x602 (the menu request, whose right-button
// press opens the menu), present while the Menu setting is on.
#pragma once

#include <string>

namespace kd {

constexpr unsigned kMenuIconId = 256;
constexpr unsigned kMenuIconMessage = 0x602;

class MenuIconShell {
 public:
  virtual ~MenuIconShell() = default;
  // NIM_ADD of icon 256 with callback 0x602, the product icon and `tip`;
  // false when the shell did not take it (none running yet).
  virtual bool AddMenuIcon(const std::string& tip) = 0;
  virtual void DeleteMenuIcon() = 0;
};

class MenuIcon {
 public:
  explicit MenuIcon(MenuIconShell& shell) : shell_(shell) {}

  // After every settings load: adds, removes or renews the icon so that it
  // is there exactly while the Menu flag is set, with the current tip.
  void Apply(bool menuFlag, const std::string& tip);
  // "TaskbarCreated": a new shell has an empty tray, so the icon goes back
  // in while it is wanted.
  void TaskbarCreated();
  bool Present() const { return present_; }

 private:
  MenuIconShell& shell_;
  bool wanted_ = false;
  bool present_ = false;
  std::string tip_;
};

}  // namespace kd
