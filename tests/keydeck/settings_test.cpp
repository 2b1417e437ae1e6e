#include "keydeck/shell/settings.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "keydeck/shell/reg_key.h"
#include "tests/keydeck/fake_registry.h"
#include "tests/keydeck/shell_fakes.h"

namespace kd {
namespace {

const std::string kR1 = "SOFTWARE\\TessaroVantik";
const std::string kR2 = kR1 + "\\KB100\\Default";
const std::string kW1 = "SOFTWARE\\Tessaro";
const std::string kW2 = kW1 + "\\KB100W\\Default";

std::string Row(const std::string& base, int i) { return base + "\\" + RowKeyName(i); }

class SettingsTest : public ::testing::Test {
 protected:
  test::FakeRegistry reg_;
  test::FakeSettingsServices services_;
  test::FakeStrings strings_;
  SetupMenu menu_;
  LanguageInfo language_{0x0409};
  OsdFont font_;  // the OSD's font, the one the store loads and saves
  SettingsStore store_{reg_, services_, menu_, language_, strings_, font_};

  void AddRow(int i, const std::string& caption, const std::string& link, uint32_t function) {
    reg_.SetText(Row(kR2, i), "Caption", caption);
    reg_.SetText(Row(kR2, i), "LinkTo", link);
    reg_.SetDword(Row(kR2, i), "Function", function);
  }

  // A complete read side with three rows.
  void AddReadSide() {
    reg_.SetText(kR1, "", "KB100");
    reg_.SetDword(kR2, "VendorID", 0x1234ABCD);
    reg_.SetDword(kR2, "ProductID", 0x5678);
    reg_.SetDword(kR2, "Interval", 5000);
    reg_.SetBinary(kR2, "ScanCode", {0x32, 0x6C, 0x21});
    reg_.SetText(kR2, "Font", "Tahoma");
    reg_.SetDword(kR2, "FontColor", 0x0000FF);
    reg_.SetDword(kR2, "MsgLoc", 2);
    reg_.SetDword(kR2, "FontSize", 20);
    reg_.SetDword(kR2, "FontStyle", 8);
    reg_.SetDword(kR2, "FontCharSet", 0x10000 | 136);
    reg_.SetDword(kR2, "OSD", 1);
    reg_.SetDword(kR2, "Player", 0);
    reg_.SetDword(kR2, "FullScreen", 1);
    reg_.SetDword(kR2, "MenuLoc", 0x00280064);
    reg_.SetDword(kR2, "Internet", 1);
    reg_.SetDword(kR2, "Hotkeys", 2);
    AddRow(0, "WWW", "", 20);
    AddRow(1, "Email", "", 21);
    AddRow(2, "Calculator", "calc.exe", 2);
  }

  void AddWriteSide() {
    reg_.SetText(kW1, "", "KB100W");
    reg_.AddKey(kW2);
  }
};

TEST_F(SettingsTest, MissingKeysFailWithoutChangingAnything) {
  EXPECT_FALSE(store_.LoadSettings());  // nothing at all
  reg_.AddKey(kR1);
  EXPECT_FALSE(store_.LoadSettings());  // no default value naming the model
  reg_.SetText(kR1, "", "KB100");
  EXPECT_FALSE(store_.LoadSettings());  // model key missing
  reg_.SetText(kR1, "", "");
  reg_.AddKey(kR1 + "\\Default");
  EXPECT_FALSE(store_.LoadSettings());  // empty model name must not pick R1\Default

  EXPECT_EQ(OsdFont().FaceName, font_.FaceName);
  EXPECT_EQ(10000, store_.Current().Interval);
  EXPECT_EQ(0, store_.Current().Hotkeys.HotkeyCount);
  EXPECT_EQ(0, services_.Clears);
  EXPECT_TRUE(services_.Locations.empty());
  EXPECT_TRUE(menu_.IsChecked("Lowerright1"));
  EXPECT_EQ(0, reg_.OpenHandles());
}

TEST_F(SettingsTest, FailedReloadKeepsThePreviousSettings) {
  AddReadSide();
  ASSERT_TRUE(store_.LoadSettings());
  reg_.RemoveKey(kR2);
  EXPECT_FALSE(store_.LoadSettings());
  EXPECT_EQ("Tahoma", font_.FaceName);
  EXPECT_EQ(3, store_.Current().Hotkeys.HotkeyCount);
  EXPECT_EQ(3u, services_.Entries.size());
}

TEST_F(SettingsTest, LoadReadsEveryValue) {
  AddReadSide();
  ASSERT_TRUE(store_.LoadSettings());
  const Settings& s = store_.Current();
  EXPECT_EQ(0xABCD, s.VendorID);
  EXPECT_EQ(0x5678, s.ProductID);
  EXPECT_EQ(5000, s.Interval);
  EXPECT_EQ("Tahoma", font_.FaceName);
  EXPECT_EQ(0x0000FFu, font_.Color);
  EXPECT_EQ(20, font_.Size);
  EXPECT_EQ(8, font_.Style);
  EXPECT_EQ(136, font_.CharSet);
  EXPECT_EQ(2, s.MsgLoc);
  EXPECT_EQ(std::vector<int32_t>({2}), services_.Locations);
  EXPECT_TRUE(menu_.IsChecked("Upperright1"));
  EXPECT_FALSE(menu_.IsChecked("Lowerright1"));
  EXPECT_TRUE(menu_.IsChecked("Enable1"));
  EXPECT_TRUE(s.FullScreen);
  EXPECT_TRUE(menu_.IsChecked("FullScreen"));
  EXPECT_EQ(100, s.MenuLocX);
  EXPECT_EQ(40, s.MenuLocY);
  EXPECT_TRUE(s.MenuFlag);
  EXPECT_EQ(1, services_.MciWrites);
  EXPECT_TRUE(services_.AutoPlayRegistrations.empty());
  EXPECT_EQ(0, reg_.OpenHandles());
  for (uint32_t access : reg_.OpenAccessLog()) EXPECT_EQ(kKeyRead, access);
}

TEST_F(SettingsTest, HotkeyCountIsTheNumberOfScanCodeBytes) {
  AddReadSide();
  ASSERT_TRUE(store_.LoadSettings());
  const HotkeyTable& t = store_.Current().Hotkeys;
  ASSERT_EQ(3, t.HotkeyCount);
  EXPECT_EQ(0x32u, t.ScanCode[0]);
  EXPECT_EQ(0x6Cu, t.ScanCode[1]);
  EXPECT_EQ(0x21u, t.ScanCode[2]);
  ASSERT_EQ(3u, services_.Entries.size());
  EXPECT_EQ("WWW", services_.Entries[0].Caption);
  EXPECT_EQ(21, services_.Entries[1].Function);
  EXPECT_EQ("calc.exe", services_.Entries[2].LinkTo);
}

TEST_F(SettingsTest, ShorterScanCodeClearsTheRowsOfAnEarlierLoad) {
  AddReadSide();
  reg_.SetBinary(kR2, "ScanCode", {1, 2, 3, 4, 5});
  ASSERT_TRUE(store_.LoadSettings());
  reg_.SetBinary(kR2, "ScanCode", {0x30});
  ASSERT_TRUE(store_.LoadSettings());
  const HotkeyTable& t = store_.Current().Hotkeys;
  EXPECT_EQ(1, t.HotkeyCount);
  EXPECT_EQ(0x30u, t.ScanCode[0]);
  for (int i = 1; i < kMaxHotkeys; ++i) EXPECT_EQ(0u, t.ScanCode[i]) << "row " << i;
  EXPECT_EQ(1u, services_.Entries.size());
  EXPECT_EQ(2, services_.Clears);
}

TEST_F(SettingsTest, OverlongScanCodeIsCutAtThirtyRows) {
  AddReadSide();
  std::vector<uint8_t> codes(40);
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<uint8_t>(0x80 + i);
  reg_.SetBinary(kR2, "ScanCode", codes);
  for (int i = 3; i < 40; ++i) AddRow(i, "Row" + std::to_string(i), "", 2);
  ASSERT_TRUE(store_.LoadSettings());
  const HotkeyTable& t = store_.Current().Hotkeys;
  ASSERT_EQ(30, t.HotkeyCount);
  EXPECT_EQ(0x80u, t.ScanCode[0]);
  EXPECT_EQ(0x80u + 29, t.ScanCode[29]);
  ASSERT_EQ(30u, services_.Entries.size());
  EXPECT_EQ("Row29", services_.Entries[29].Caption);
}

TEST_F(SettingsTest, ScanCodeOfTheWrongTypeGivesNoRows) {
  AddReadSide();
  reg_.SetText(kR2, "ScanCode", "2l!");
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(0, store_.Current().Hotkeys.HotkeyCount);
  EXPECT_TRUE(services_.Entries.empty());
}

TEST_F(SettingsTest, MissingRowKeyKeepsLaterRowsAtTheirIndex) {
  AddReadSide();
  reg_.RemoveKey(Row(kR2, 1));
  ASSERT_TRUE(store_.LoadSettings());
  ASSERT_EQ(3u, services_.Entries.size());
  EXPECT_EQ("WWW", services_.Entries[0].Caption);
  EXPECT_EQ("", services_.Entries[1].Caption);
  EXPECT_EQ(0, services_.Entries[1].Function);
  EXPECT_EQ("Calculator", services_.Entries[2].Caption);
  // Marked, so that its key says "Hotkey not assigned!" instead of
  // running an empty entry.
  const HotkeyTable& t = store_.Current().Hotkeys;
  EXPECT_FALSE(t.Unreadable[0]);
  EXPECT_TRUE(t.Unreadable[1]);
  EXPECT_FALSE(t.Unreadable[2]);
}

TEST_F(SettingsTest, RowWithAnUnreadableValueIsLoadedEmptyAsAWhole) {
  AddReadSide();
  reg_.SetText(Row(kR2, 0), "Caption", std::string(300, 'c'));  // longer than the buffer
  reg_.SetText(Row(kR2, 1), "Function", "21");                 // number stored as text
  reg_.SetRaw(Row(kR2, 2), "LinkTo", kRegDword, {1, 0, 0, 0});  // text stored as number
  AddRow(3, "Mute", "", 5);
  reg_.SetBinary(kR2, "ScanCode", {1, 2, 3, 4});
  ASSERT_TRUE(store_.LoadSettings());
  ASSERT_EQ(4u, services_.Entries.size());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ("", services_.Entries[i].Caption) << "row " << i;
    EXPECT_EQ("", services_.Entries[i].LinkTo) << "row " << i;
    EXPECT_EQ(0, services_.Entries[i].Function) << "row " << i;
  }
  EXPECT_EQ("Mute", services_.Entries[3].Caption);
  EXPECT_EQ(5, services_.Entries[3].Function);
  const HotkeyTable& t = store_.Current().Hotkeys;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(t.Unreadable[i]) << "row " << i;
  EXPECT_FALSE(t.Unreadable[3]);

  // Repaired rows load whole again, and the marks go with them.
  AddRow(0, "WWW", "", 20);
  AddRow(1, "Email", "", 21);
  AddRow(2, "Calculator", "calc.exe", 2);
  ASSERT_TRUE(store_.LoadSettings());
  for (int i = 0; i < kMaxHotkeys; ++i) EXPECT_FALSE(t.Unreadable[i]) << "row " << i;
  EXPECT_EQ("Email", services_.Entries[1].Caption);
}

TEST_F(SettingsTest, MissingRowValuesReadAsEmptyAndZero) {
  AddReadSide();
  reg_.RemoveKey(Row(kR2, 2));
  reg_.SetText(Row(kR2, 2), "Caption", "Only caption");
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ("Only caption", services_.Entries[2].Caption);
  EXPECT_EQ("", services_.Entries[2].LinkTo);
  EXPECT_EQ(0, services_.Entries[2].Function);
}

TEST_F(SettingsTest, BadValuesReadAsZeroOrEmpty) {
  AddReadSide();
  reg_.SetText(kR2, "Interval", "5000");
  reg_.SetText(kR2, "Font", std::string(400, 'F'));
  reg_.SetBinary(kR2, "FontSize", {9});
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(0, store_.Current().Interval);
  EXPECT_EQ("", font_.FaceName);
  EXPECT_EQ(0, font_.Size);
}

TEST_F(SettingsTest, MissingValuesReadAsZeroNotAsStartValues) {
  reg_.SetText(kR1, "", "KB100");
  reg_.AddKey(kR2);
  ASSERT_TRUE(store_.LoadSettings());
  const Settings& s = store_.Current();
  EXPECT_EQ(0, s.Interval);
  EXPECT_EQ("", font_.FaceName);
  EXPECT_EQ(0, font_.Size);
  EXPECT_EQ(0u, font_.Color);
  EXPECT_EQ(0, font_.CharSet);
  EXPECT_FALSE(menu_.IsChecked("Enable1"));
  EXPECT_TRUE(menu_.IsChecked("Lowerright1"));
  EXPECT_EQ(std::vector<int32_t>({0}), services_.Locations);
  EXPECT_EQ(0, s.Hotkeys.HotkeyCount);
}

TEST_F(SettingsTest, InternetMissingAndNoHotkeysHidesOnlySetup) {
  AddReadSide();
  reg_.RemoveKey(kR2);
  reg_.AddKey(kR2);
  reg_.SetDword(kR2, "Hotkeys", 0);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_TRUE(menu_.IsVisible("Browser"));
  EXPECT_TRUE(menu_.IsVisible("Email"));
  EXPECT_FALSE(menu_.IsVisible("Setup"));
}

TEST_F(SettingsTest, InternetOffWithThreeHotkeys) {
  AddReadSide();
  reg_.SetDword(kR2, "Internet", 0);
  reg_.SetDword(kR2, "Hotkeys", 3);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_FALSE(menu_.IsVisible("Browser"));
  EXPECT_FALSE(menu_.IsVisible("Email"));
  EXPECT_TRUE(menu_.IsVisible("Application1"));
  EXPECT_TRUE(menu_.IsVisible("Application3"));
  EXPECT_FALSE(menu_.IsVisible("Application4"));
  EXPECT_TRUE(menu_.IsVisible("Setup"));
}

TEST_F(SettingsTest, InternetOnWithNoHotkeysKeepsSetup) {
  AddReadSide();
  reg_.SetDword(kR2, "Hotkeys", 0);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_TRUE(menu_.IsVisible("Setup"));
  EXPECT_FALSE(menu_.IsVisible("Application1"));
}

TEST_F(SettingsTest, AtMostFiveApplicationItems) {
  AddReadSide();
  reg_.SetDword(kR2, "Hotkeys", 9);
  ASSERT_TRUE(store_.LoadSettings());
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(menu_.IsVisible("Application" + std::to_string(i)));
  EXPECT_EQ(7u, menu_.Item("Setup").Items.size());
}

TEST_F(SettingsTest, ReloadSetsVisibilityBothWays) {
  AddReadSide();
  reg_.SetDword(kR2, "Internet", 0);
  reg_.SetDword(kR2, "Hotkeys", 4);
  reg_.SetDword(kR2, "Player", 2);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_TRUE(menu_.IsVisible("Config"));
  EXPECT_TRUE(menu_.IsVisible("CDPanel"));
  reg_.SetDword(kR2, "Internet", 1);
  reg_.SetDword(kR2, "Hotkeys", 1);
  reg_.SetDword(kR2, "Player", 1);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_TRUE(menu_.IsVisible("Browser"));
  EXPECT_TRUE(menu_.IsVisible("Application1"));
  EXPECT_FALSE(menu_.IsVisible("Application2"));
  EXPECT_FALSE(menu_.IsVisible("Application4"));
  EXPECT_FALSE(menu_.IsVisible("Config"));
  EXPECT_FALSE(menu_.IsVisible("CDPanel"));
}

TEST_F(SettingsTest, NegativeHotkeysShowsNoApplication) {
  AddReadSide();
  reg_.SetDword(kR2, "Hotkeys", 0xFFFFFFFF);
  reg_.SetDword(kR2, "Internet", 0);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_FALSE(menu_.IsVisible("Application1"));
  EXPECT_FALSE(menu_.IsVisible("Setup"));
}

TEST_F(SettingsTest, PlayerChoiceRegistersAutoPlayAfterTheRows) {
  AddReadSide();
  reg_.SetDword(kR2, "Player", 2);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(std::vector<int32_t>({2}), services_.AutoPlayRegistrations);
  EXPECT_EQ(3u, services_.RowsAtAutoPlay) << "rows are in the engine before the registration";
  EXPECT_EQ(2, store_.Current().Player);
  EXPECT_TRUE(menu_.IsVisible("Config"));
}

TEST_F(SettingsTest, ChoiceTheRegistrationLeavesIsKept) {
  AddReadSide();
  reg_.SetDword(kR2, "Player", 4);
  services_.AutoPlayResults[4] = 1;
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(std::vector<int32_t>({4}), services_.AutoPlayRegistrations);
  EXPECT_EQ(1, store_.Current().Player) << "the shell's copy follows the engine's 4 -> 1";
  EXPECT_FALSE(menu_.IsVisible("Config"));
}

TEST_F(SettingsTest, ChoiceKeptWhenTheRegistrationChangesNothing) {
  AddReadSide();
  reg_.SetDword(kR2, "Player", 4);
  ASSERT_TRUE(store_.LoadSettings());  // the fake leaves the choice as it is
  EXPECT_EQ(std::vector<int32_t>({4}), services_.AutoPlayRegistrations);
  EXPECT_EQ(4, store_.Current().Player);
}

TEST_F(SettingsTest, PlaceCodesSelectTheirRadioItem) {
  AddReadSide();
  const std::pair<uint32_t, const char*> cases[] = {
      {1, "Upperleft1"}, {2, "Upperright1"}, {3, "Lowerleft1"}, {4, "Center1"}, {0, "Lowerright1"}, {7, "Lowerright1"}};
  for (const auto& [code, item] : cases) {
    reg_.SetDword(kR2, "MsgLoc", code);
    ASSERT_TRUE(store_.LoadSettings());
    int checked = 0;
    for (const auto& place : menu_.Item("Location1").Items) checked += place.Checked;
    EXPECT_EQ(1, checked) << "code " << code;
    EXPECT_TRUE(menu_.IsChecked(item)) << "code " << code;
    EXPECT_EQ(static_cast<int32_t>(code), services_.Locations.back());
  }
}

TEST_F(SettingsTest, MenuFlagClearedOnlyByAStoredZero) {
  AddReadSide();
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_TRUE(store_.Current().MenuFlag);
  reg_.SetDword(kR2, "Menu", 0);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_FALSE(store_.Current().MenuFlag);
  reg_.SetDword(kR2, "Menu", 1);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_TRUE(store_.Current().MenuFlag);
}

TEST_F(SettingsTest, LanguageOverrideAndCaptions) {
  AddReadSide();
  reg_.SetDword(kR2, "Hotkeys", 5);
  strings_.Rows = {{501, "&Einrichten"}, {513, "Anwendung"}, {521, "&Schrift"}, {528, "Mitte"}};
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(0x0409, language_.LanguageId());
  EXPECT_EQ("&Setup", menu_.Item("Setup").Caption);

  reg_.SetDword(kR2, "Language", 1031);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(1031, language_.LanguageId());
  EXPECT_EQ("&Einrichten", menu_.Item("Setup").Caption);
  EXPECT_EQ("Anwendung_1", menu_.Item("Application1").Caption);
  EXPECT_EQ("Anwendung_5", menu_.Item("Application5").Caption);
  EXPECT_EQ("Mitte", menu_.Item("Center1").Caption);
  EXPECT_EQ("&OSD", menu_.Item("OSD1").Caption);  // row missing: English stays

  // Language 0 brings the user's own language and its captions back.
  reg_.SetDword(kR2, "Language", 0);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ(0x0409, language_.LanguageId());
  EXPECT_EQ("&Setup", menu_.Item("Setup").Caption);
  EXPECT_EQ("Application 1", menu_.Item("Application1").Caption);
}

// Each caption's row in a block, by item (the stem row 13 gives the
// Application items their numbered captions).
const std::pair<const char*, int> kCaptionRows[] = {
    {"Setup", 1},      {"OSD1", 2},        {"CDPanel", 3},      {"Config", 4},      {"Exit1", 5},
    {"Browser", 11},   {"Email", 12},      {"BDefault", 16},    {"BCustom", 17},    {"EDefault", 16},
    {"ECustom", 17},   {"Font1", 21},      {"Location1", 22},   {"Enable1", 23},    {"Upperleft1", 24},
    {"Upperright1", 25}, {"Lowerleft1", 26}, {"Lowerright1", 27}, {"Center1", 28},  {"Loop", 41},
    {"AutoPlay", 42},  {"FullScreen", 43}};

TEST_F(SettingsTest, EveryLanguageOfTheMenuTableGetsItsBlock) {
  AddReadSide();
  reg_.SetDword(kR2, "Hotkeys", 5);
  // Every block the string table has, each caption row marked with its id;
  // the Spanish block holds the product name only.
  for (int block : {0, 100, 200, 300, 400, 500, 900}) {
    for (const auto& [name, row] : kCaptionRows) strings_.Rows[block + row] = std::to_string(block + row);
    strings_.Rows[block + 13] = block == 500 ? "Anwendung" : "stem" + std::to_string(block);
    strings_.Rows[block + 44] = "product" + std::to_string(block);
  }
  strings_.Rows[744] = "producto";
  const SetupMenu english;

  const std::pair<uint32_t, int> languages[] = {{1028, 100}, {1041, 300}, {1036, 400}, {1031, 500},
                                                {1034, -1},  {2052, -1},  {2070, -1},  {0x0409, -1}};
  for (const auto& [language, base] : languages) {
    SCOPED_TRACE("Language " + std::to_string(language));
    reg_.SetDword(kR2, "Language", language);
    ASSERT_TRUE(store_.LoadSettings());
    for (const auto& [name, row] : kCaptionRows) {
      const std::string want = base < 0 ? english.Item(name).Caption : std::to_string(base + row);
      EXPECT_EQ(want, menu_.Item(name).Caption) << name;
    }
    for (int i = 1; i <= 5; ++i) {
      const std::string item = "Application" + std::to_string(i);
      const std::string want =
          base < 0 ? "Application " + std::to_string(i) : strings_.Rows[base + 13] + "_" + std::to_string(i);
      EXPECT_EQ(want, menu_.Item(item).Caption);
    }
    EXPECT_EQ("Led", menu_.Item("Led").Caption);
  }
  // German as the description spells it.
  reg_.SetDword(kR2, "Language", 1031);
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ("Anwendung_1", menu_.Item("Application1").Caption);
  EXPECT_EQ("Anwendung_5", menu_.Item("Application5").Caption);
}

TEST_F(SettingsTest, OpenDialogFilterHasEightEntriesEvenWithoutTypeNames) {
  AddReadSide();
  services_.FileTypes = {{".exe", "Application"}, {".bmp", "Bitmap Image"}};
  ASSERT_TRUE(store_.LoadSettings());
  const std::string filter = store_.Current().OpenDialogFilter;
  EXPECT_EQ("Application|*.exe|*.lnk|*.lnk|*.url|*.url|*.hlp|*.hlp|*.doc|*.doc|Bitmap Image|*.bmp|"
            "URL Address|*.url|*.*|*.*",
            filter);
  EXPECT_EQ(std::string::npos, filter.find("||")) << "an empty half ends the dialog's filter list";
}

// A choice from the menu: the OSD font and a program for row 0
// (Application 1), as the font dialog and the menu leave them.
void ChooseFontAndProgram(OsdFont& font, test::FakeSettingsServices& services) {
  font.FaceName = "Courier New";
  font.Size = -16;
  font.Color = 0x123456;
  font.Style = 5;
  font.CharSet = 0xFFFF;
  services.Entries[0] = {"notepad", "C:\\WINDOWS\\notepad.exe", 2};
}

TEST_F(SettingsTest, ChoicesSurviveAReloadWithoutAWriteSide) {
  AddReadSide();
  ASSERT_TRUE(store_.LoadSettings());
  ChooseFontAndProgram(font_, services_);
  EXPECT_TRUE(store_.SaveSettings());
  EXPECT_FALSE(reg_.HasKey(kW1)) << "the write side is never made";

  // What the load reads now holds the choice...
  EXPECT_EQ("Courier New", reg_.Text(kR2, "Font"));
  EXPECT_EQ(0xFFFFFFF0u, reg_.Dword(kR2, "FontSize"));
  EXPECT_EQ(0x123456u, reg_.Dword(kR2, "FontColor"));
  EXPECT_EQ(5u, reg_.Dword(kR2, "FontStyle"));
  EXPECT_EQ(0xFFFFu, reg_.Dword(kR2, "FontCharSet"));
  EXPECT_EQ("notepad", reg_.Text(Row(kR2, 0), "Caption"));
  // ...and nothing the menu does not store.
  EXPECT_EQ(2u, reg_.Dword(kR2, "MsgLoc"));
  EXPECT_EQ(1u, reg_.Dword(kR2, "OSD"));
  EXPECT_EQ(0u, reg_.Dword(kR2, "Player"));

  // A reload (and so a restart) keeps it.
  font_ = OsdFont();
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ("Courier New", font_.FaceName);
  EXPECT_EQ(-16, font_.Size);
  EXPECT_EQ(0x123456u, font_.Color);
  EXPECT_EQ(5, font_.Style);
  EXPECT_EQ(0xFFFF, font_.CharSet);
  ASSERT_EQ(3u, services_.Entries.size());
  EXPECT_EQ("notepad", services_.Entries[0].Caption);
  EXPECT_EQ("C:\\WINDOWS\\notepad.exe", services_.Entries[0].LinkTo);
  EXPECT_EQ(2, services_.Entries[0].Function);
  EXPECT_EQ("Email", services_.Entries[1].Caption);
  EXPECT_EQ(0, reg_.OpenHandles());
}

TEST_F(SettingsTest, SaveWritesBothSidesWhereTheyExist) {
  AddReadSide();
  AddWriteSide();
  reg_.AddKey(Row(kW2, 0));
  reg_.AddKey(Row(kW2, 2));
  ASSERT_TRUE(store_.LoadSettings());
  ChooseFontAndProgram(font_, services_);
  services_.Entries[2] = {"Notepad", "notepad.exe", 2};
  EXPECT_TRUE(store_.SaveSettings());

  for (const std::string& side : {kR2, kW2}) {
    SCOPED_TRACE(side);
    EXPECT_EQ("Courier New", reg_.Text(side, "Font"));
    EXPECT_EQ(0xFFFFFFF0u, reg_.Dword(side, "FontSize"));
    EXPECT_EQ(0x123456u, reg_.Dword(side, "FontColor"));
    EXPECT_EQ(5u, reg_.Dword(side, "FontStyle"));
    EXPECT_EQ(0xFFFFu, reg_.Dword(side, "FontCharSet"));
    EXPECT_EQ("notepad", reg_.Text(Row(side, 0), "Caption"));
    EXPECT_EQ(2u, reg_.Dword(Row(side, 0), "Function"));
    EXPECT_EQ("Notepad", reg_.Text(Row(side, 2), "Caption"));
    EXPECT_EQ("notepad.exe", reg_.Text(Row(side, 2), "LinkTo"));
  }
  EXPECT_EQ("Email", reg_.Text(Row(kR2, 1), "Caption"));
  EXPECT_FALSE(reg_.HasKey(Row(kW2, 1))) << "the write side gets no new keys";
  EXPECT_EQ(nullptr, reg_.Value(kW2, "MsgLoc"));
  EXPECT_EQ(nullptr, reg_.Value(kW2, "OSD"));
  EXPECT_EQ(0, reg_.OpenHandles());
}

TEST_F(SettingsTest, RowChosenForAMissingRowKeyIsWrittenToANewKey) {
  AddReadSide();
  reg_.RemoveKey(Row(kR2, 1));
  ASSERT_TRUE(store_.LoadSettings());
  services_.Entries[1] = {"Mail", "mail.exe", 2};
  store_.RowChanged(1);
  EXPECT_FALSE(store_.Current().Hotkeys.Unreadable[1]) << "the menu gave it an action";
  EXPECT_TRUE(store_.SaveSettings());
  ASSERT_TRUE(reg_.HasKey(Row(kR2, 1)));
  EXPECT_EQ("mail.exe", reg_.Text(Row(kR2, 1), "LinkTo"));
  ASSERT_TRUE(store_.LoadSettings());
  EXPECT_EQ("Mail", services_.Entries[1].Caption);
  EXPECT_FALSE(store_.Current().Hotkeys.Unreadable[1]);
}

TEST_F(SettingsTest, UnreadableRowTheMenuDidNotTouchIsLeftAsStored) {
  AddReadSide();
  AddWriteSide();
  reg_.AddKey(Row(kW2, 1));
  reg_.SetText(Row(kR2, 1), "Function", "21");  // a number stored as text
  reg_.RemoveKey(Row(kR2, 2));
  ASSERT_TRUE(store_.LoadSettings());
  ASSERT_TRUE(store_.Current().Hotkeys.Unreadable[1]);
  EXPECT_TRUE(store_.SaveSettings());
  // Blanks over what could not be read would lose it for good.
  EXPECT_EQ("Email", reg_.Text(Row(kR2, 1), "Caption"));
  EXPECT_EQ("21", reg_.Text(Row(kR2, 1), "Function"));
  EXPECT_FALSE(reg_.HasKey(Row(kR2, 2))) << "no empty key for a missing row";
  EXPECT_EQ(nullptr, reg_.Value(Row(kW2, 1), "Caption"));
}

TEST_F(SettingsTest, SaveThatCannotWriteWhatTheLoadReadsFails) {
  AddReadSide();
  AddWriteSide();
  ASSERT_TRUE(store_.LoadSettings());
  ChooseFontAndProgram(font_, services_);
  reg_.ReadOnly = true;  // no rights to the machine's keys
  EXPECT_FALSE(store_.SaveSettings());
  EXPECT_EQ("Tahoma", reg_.Text(kR2, "Font"));
  EXPECT_EQ(0, reg_.OpenHandles());

  reg_.ReadOnly = false;
  reg_.RemoveKey(kR1);  // the settings are gone since the load
  EXPECT_FALSE(store_.SaveSettings());
  EXPECT_FALSE(reg_.HasKey(kR2)) << "the save makes no settings of its own";
  EXPECT_EQ(0, reg_.OpenHandles());
}

TEST_F(SettingsTest, WriteSideWithoutItsModelKeyGetsNothing) {
  AddReadSide();
  ASSERT_TRUE(store_.LoadSettings());
  reg_.AddKey(kW1);  // no model name
  EXPECT_TRUE(store_.SaveSettings());
  reg_.SetText(kW1, "", "KB100W");  // model key missing
  EXPECT_TRUE(store_.SaveSettings());
  EXPECT_FALSE(reg_.HasKey(kW2));
  EXPECT_EQ(0, reg_.OpenHandles());
}

// The codes the keyboard hook is told Keydeck acts on.
TEST(ActingKeyCodes, FirstRowOfACodeDecidesAndChannelKeysAlwaysAct) {
  HotkeyTable table;
  const uint32_t codes[] = {0x6C, 0x22, 0x24, 0x22, 0x6C, 0x130, 0x19};
  table.HotkeyCount = 7;
  for (int i = 0; i < 7; ++i) table.ScanCode[i] = codes[i];
  // Rows 1 (play/pause) and 2 (stop) drive nothing; the later 0x22 row would.
  const std::set<int> idle = {1, 2, 4};
  std::vector<int> asked;
  const KeyCodeSet acting = ActingKeyCodes(table, [&](int row) {
    asked.push_back(row);
    return idle.count(row) == 0;
  });
  std::vector<int> set;
  for (int c = 0; c < 256; ++c)
    if (acting[c]) set.push_back(c);
  EXPECT_EQ(set, (std::vector<int>{0x19, 0x5A, 0x62, 0x6C, 0xDA, 0xE2}));
  EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 6})) << "one question per code that can arrive";
}

TEST(ActingKeyCodes, OnlyRowsBelowTheCountUpToThirty) {
  HotkeyTable table;
  for (int i = 0; i < kMaxHotkeys; ++i) table.ScanCode[i] = 0x80 + i;
  table.HotkeyCount = 3;
  KeyCodeSet acting = ActingKeyCodes(table, [](int) { return true; });
  EXPECT_TRUE(acting[0x82]);
  EXPECT_FALSE(acting[0x83]);
  table.HotkeyCount = 40;  // never more than the table holds
  acting = ActingKeyCodes(table, [](int row) { return row < kMaxHotkeys; });
  EXPECT_TRUE(acting[0x80 + kMaxHotkeys - 1]);
  table.HotkeyCount = 0;
  acting = ActingKeyCodes(table, [](int) { return true; });
  int count = 0;
  for (uint8_t flag : acting) count += flag ? 1 : 0;
  EXPECT_EQ(count, 4) << "the channel keys and their releases only";
}

}  // namespace
}  // namespace kd
