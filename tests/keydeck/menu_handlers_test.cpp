#include "keydeck/shell/menu_handlers.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "keydeck/shell/menu_icon.h"
#include "tests/keydeck/shell_fakes.h"

namespace kd {
namespace {

// Records what the handlers ask for as lines; rows live in a map.
class RecordingServices : public MenuServices, public test::CallRecorder {
 public:
  std::map<int, HotkeyRow> Rows;
  bool DialogOk = true;
  std::string DialogFile;
  int DialogFilter = 1;
  bool FontOk = true;

  bool ChooseFile(std::string* file, int* filterIndex) override {
    Calls.push_back("ChooseFile");
    if (!DialogOk) return false;
    *file = DialogFile;
    *filterIndex = DialogFilter;
    return true;
  }
  void RunControlPanel(const std::string& applet) override { Calls.push_back("ControlPanel " + applet); }
  HotkeyRow Row(int row) const override {
    auto it = Rows.find(row);
    return it == Rows.end() ? HotkeyRow{} : it->second;
  }
  void SetRow(int row, const HotkeyRow& entry) override {
    Calls.push_back("SetRow " + std::to_string(row));
    Rows[row] = entry;
  }
  void SaveSettings() override { Calls.push_back("Save"); }
  bool ChooseOsdFont() override {
    Calls.push_back("FontDialog");
    return FontOk;
  }
  void SetOsdPlace(int msgLoc) override { Calls.push_back("Place " + std::to_string(msgLoc)); }
  void SetFullScreen(bool on) override { Calls.push_back(std::string("FullScreen ") + (on ? "on" : "off")); }
  void SetPanelOption(const std::string& name, bool on) override {
    Calls.push_back(name + (on ? " on" : " off"));
  }
  void LedClick() override { Calls.push_back("Led"); }
  void Exit1Click() override { Calls.push_back("Exit"); }
};

using test::Calls;

class MenuHandlersTest : public ::testing::Test {
 protected:
  SetupMenu menu_;
  RecordingServices s_;
  MenuHandlers h_{menu_, s_};
};

TEST_F(MenuHandlersTest, DefaultBrowserAndMailSetTheirRowsAndKeepTheTarget) {
  s_.Rows[3] = {"Opera", "C:\\opera.exe", 2};
  menu_.SetChecked("BDefault", false);
  menu_.SetChecked("BCustom", true);
  h_.Click("BDefault");
  EXPECT_EQ((Calls{"ControlPanel Inetcpl.cpl", "SetRow 3", "Save"}), s_.Calls);
  EXPECT_EQ("WWW", s_.Rows[3].Caption);
  EXPECT_EQ(20, s_.Rows[3].Function);
  EXPECT_EQ("C:\\opera.exe", s_.Rows[3].LinkTo);
  EXPECT_TRUE(menu_.IsChecked("BDefault"));
  EXPECT_FALSE(menu_.IsChecked("BCustom"));

  s_.Calls.clear();
  h_.Click("EDefault");
  EXPECT_EQ((Calls{"ControlPanel Inetcpl.cpl,@0,4", "SetRow 4", "Save"}), s_.Calls);
  EXPECT_EQ("Email", s_.Rows[4].Caption);
  EXPECT_EQ(21, s_.Rows[4].Function);
  EXPECT_TRUE(menu_.IsChecked("EDefault"));
}

TEST_F(MenuHandlersTest, CustomMarksCustomEvenWhenCancelled) {
  s_.DialogOk = false;
  s_.Rows[4] = {"Email", "", 21};
  h_.Click("ECustom");
  EXPECT_EQ((Calls{"ChooseFile"}), s_.Calls);  // nothing changed, nothing saved
  EXPECT_EQ(21, s_.Rows[4].Function);
  EXPECT_FALSE(menu_.IsChecked("EDefault"));
  EXPECT_TRUE(menu_.IsChecked("ECustom"));
  EXPECT_TRUE(menu_.IsChecked("BDefault"));  // the other pair is untouched
}

TEST_F(MenuHandlersTest, ChosenFileGivesCodeTwoCaptionAndTarget) {
  s_.DialogFile = "C:\\Program Files\\Opera\\opera.exe";
  h_.Click("BCustom");
  EXPECT_EQ((Calls{"ChooseFile", "SetRow 3", "Save"}), s_.Calls);
  EXPECT_EQ("opera", s_.Rows[3].Caption);
  EXPECT_EQ("C:\\Program Files\\Opera\\opera.exe", s_.Rows[3].LinkTo);
  EXPECT_EQ(2, s_.Rows[3].Function);
  EXPECT_TRUE(menu_.IsChecked("BCustom"));
  EXPECT_FALSE(menu_.IsChecked("BDefault"));
}

TEST_F(MenuHandlersTest, UrlAddressFilterTakesTheLastPathComponentForBoth) {
  s_.DialogFile = "C:\\Links\\Homepage";
  s_.DialogFilter = kUrlAddressFilter;
  h_.Click("BCustom");
  EXPECT_EQ("Homepage", s_.Rows[3].Caption);
  EXPECT_EQ("Homepage", s_.Rows[3].LinkTo);
  // Entry 6 is an ordinary one: the base name and the full name.
  s_.DialogFile = "C:\\Links\\page.url";
  s_.DialogFilter = 6;
  h_.Click("Application1");
  EXPECT_EQ("page", s_.Rows[0].Caption);
  EXPECT_EQ("C:\\Links\\page.url", s_.Rows[0].LinkTo);
}

TEST_F(MenuHandlersTest, ApplicationItemsEditRowsZeroOneTwoFiveSix) {
  s_.DialogFile = "C:\\a.exe";
  for (int i = 1; i <= 5; ++i) h_.Click("Application" + std::to_string(i));
  std::vector<int> edited;
  for (const auto& [row, entry] : s_.Rows) edited.push_back(row);
  EXPECT_EQ((std::vector<int>{0, 1, 2, 5, 6}), edited);
  EXPECT_EQ(0u, s_.Rows.count(3));  // Application 4 edits row 5, not row 3
}

TEST_F(MenuHandlersTest, PlaceItemsAreARadioGroupWithTheirCodes) {
  const std::pair<const char*, int> places[] = {
      {"Upperleft1", 1}, {"Upperright1", 2}, {"Lowerleft1", 3}, {"Center1", 4}, {"Lowerright1", 0}};
  for (const auto& [name, code] : places) {
    s_.Calls.clear();
    h_.Click(name);
    EXPECT_EQ((Calls{"Place " + std::to_string(code)}), s_.Calls) << name;
    int marked = 0;
    for (const MenuItem& item : menu_.Item("Location1").Items) marked += item.IsChecked();
    EXPECT_EQ(1, marked) << name;
    EXPECT_TRUE(menu_.IsChecked(name));
  }
}

TEST_F(MenuHandlersTest, TogglesAndTheirEffects) {
  h_.Click("FullScreen");
  h_.Click("FullScreen");
  h_.Click("CDPanel");
  h_.Click("Loop");
  h_.Click("AutoPlay");
  EXPECT_EQ((Calls{"FullScreen on", "FullScreen off", "CDPanel off", "Loop on", "AutoPlay off"}),
            s_.Calls);
  EXPECT_FALSE(menu_.IsChecked("CDPanel"));
  EXPECT_TRUE(menu_.IsChecked("Loop"));
  EXPECT_FALSE(menu_.IsChecked("AutoPlay"));
  s_.Calls.clear();
  h_.Click("Led");
  h_.Click("Exit1");
  h_.Click("Setup");  // a submenu: nothing
  h_.Click("NoSuchItem");
  EXPECT_EQ((Calls{"Led", "Exit"}), s_.Calls);
  EXPECT_TRUE(menu_.IsChecked("Led"));  // the strip keeps that mark, not the handler
}

TEST_F(MenuHandlersTest, FontIsSavedOnlyAfterOk) {
  s_.FontOk = false;
  h_.Click("Font1");
  s_.FontOk = true;
  h_.Click("Font1");
  EXPECT_EQ((Calls{"FontDialog", "FontDialog", "Save"}), s_.Calls);
}

TEST_F(MenuHandlersTest, TheOsdSwitchIsTheMarkOfEnable) {
  bool osdEnabled = true;  // the OSD's own switch
  menu_.BindMark("Enable1", &osdEnabled);
  h_.Click("Enable1");
  EXPECT_FALSE(osdEnabled);
  EXPECT_FALSE(menu_.IsChecked("Enable1"));
  osdEnabled = true;  // switched elsewhere: the menu shows it
  EXPECT_TRUE(menu_.IsChecked("Enable1"));
  menu_.SetChecked("Enable1", false);  // as a settings load does
  EXPECT_FALSE(osdEnabled);
}

// ---- the menu's tray icon ----

class RecordingShell : public MenuIconShell, public test::CallRecorder {
 public:
  bool Accepts = true;
  bool AddMenuIcon(const std::string& tip) override {
    Calls.push_back("Add " + tip);
    return Accepts;
  }
  void DeleteMenuIcon() override { Calls.push_back("Delete"); }
};

TEST(MenuIcon, PresentExactlyWhileTheMenuFlagIsSet) {
  RecordingShell shell;
  MenuIcon icon(shell);
  icon.Apply(true, "Keydeck");
  icon.Apply(true, "Keydeck");  // a reload with nothing new keeps it in place
  icon.Apply(true, "Tastatur");
  icon.Apply(false, "Tastatur");
  icon.Apply(false, "Tastatur");
  icon.TaskbarCreated();  // not wanted: stays away
  EXPECT_EQ((Calls{"Add Keydeck", "Delete", "Add Tastatur", "Delete"}), shell.Calls);
  EXPECT_FALSE(icon.Present());
}

TEST(MenuIcon, ComesBackWithANewShell) {
  RecordingShell shell;
  MenuIcon icon(shell);
  shell.Accepts = false;  // no shell yet at start-up
  icon.Apply(true, "Keydeck");
  EXPECT_FALSE(icon.Present());
  shell.Accepts = true;
  icon.TaskbarCreated();
  EXPECT_TRUE(icon.Present());
  icon.TaskbarCreated();  // the old shell's tray went with it: added again
  icon.Apply(true, "Keydeck");
  EXPECT_EQ((Calls{"Add Keydeck", "Add Keydeck", "Add Keydeck"}), shell.Calls);
}

TEST(TrayTip, RowFortyFourOfTheLanguagesBlockElseBlockZero) {
  test::FakeStrings strings;
  strings.Rows[44] = "Keydeck";
  strings.Rows[544] = "Keydeck Funktastatur";
  strings.Rows[1044] = "";  // present but empty: no tip of its own
  EXPECT_EQ("Keydeck Funktastatur", TrayTipText(0x0407, strings));
  EXPECT_EQ("Keydeck", TrayTipText(0x0409, strings));   // not in the table: block 0
  EXPECT_EQ("Keydeck", TrayTipText(0x0411, strings));   // block 300 without row 44
  EXPECT_EQ("Keydeck", TrayTipText(0x0C01, strings));   // Arabic, empty row 1044
  strings.Rows.erase(44);
  EXPECT_EQ("", TrayTipText(0x0411, strings));
}

}  // namespace
}  // namespace kd
