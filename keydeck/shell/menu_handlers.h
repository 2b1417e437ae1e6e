// The handlers of the setup menu's items: which hotkey row an item edits,
// with which function code, caption and link target, and which marks it
// sets. What lies outside the menu (dialogs, the action engine's rows, the
// registry save, the OSD, the LED strip) goes through MenuServices.
#pragma once

#include <string>

#include "keydeck/shell/menu.h"
#include "keydeck/shell/settings.h"

namespace kd {

// The filter entry of the open dialog that takes a web address (1-based,
// as the dialog counts).
constexpr int kUrlAddressFilter = 7;

class MenuServices {
 public:
  virtual ~MenuServices() = default;
  // OpenDialog1 with its file name cleared. False on Cancel; otherwise the
  // returned name and the 1-based index of the chosen filter entry.
  virtual bool ChooseFile(std::string* file, int* filterIndex) = 0;
  // A control-panel applet through rundll32 ("Inetcpl.cpl").
  virtual void RunControlPanel(const std::string& applet) = 0;
  // Row i of the action engine (an empty row when it has none).
  virtual HotkeyRow Row(int row) const = 0;
  virtual void SetRow(int row, const HotkeyRow& entry) = 0;
  virtual void SaveSettings() = 0;
  // FontDialog1 over the OSD font; true on OK (the font has changed).
  virtual bool ChooseOsdFont() = 0;
  virtual void SetOsdPlace(int msgLoc) = 0;
  // The media panel's full-screen flag.
  virtual void SetFullScreen(bool on) = 0;
  // The LED strip's Led item (the strip keeps that mark).
  virtual void LedClick() = 0;
  // Exit1Click: confirm and end.
  virtual void Exit1Click() = 0;
};

// The rows the five Application items edit, in item order.
inline constexpr int kApplicationRows[5] = {0, 1, 2, 5, 6};
constexpr int kBrowserRow = 3;
constexpr int kEmailRow = 4;

class MenuHandlers {
 public:
  MenuHandlers(SetupMenu& menu, MenuServices& services) : menu_(menu), services_(services) {}

  // The item the user chose, by component name. Unknown names and
  // submenus do nothing.
  void Click(const std::string& name);

  void DefaultClick(bool browser);  // BDefaultClick / EDefaultClick
  void CustomClick(bool browser);   // BCustomClick / ECustomClick
  // Choosing a file for row i; false when the dialog was cancelled.
  bool ChooseFileForRow(int row);

 private:
  SetupMenu& menu_;
  MenuServices& services_;
};

}  // namespace kd
