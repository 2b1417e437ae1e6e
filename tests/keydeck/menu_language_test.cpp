#include <gtest/gtest.h>

#include "keydeck/shell/language.h"
#include "keydeck/shell/menu.h"
#include "tests/keydeck/shell_fakes.h"

namespace kd {
namespace {

TEST(SetupMenu, StartStateOfTheForm) {
  SetupMenu menu;
  const auto& top = menu.Root().Items;
  ASSERT_EQ(5u, top.size());
  EXPECT_EQ("Setup", top[0].Name);
  EXPECT_EQ("Exit1", top[4].Name);
  EXPECT_TRUE(menu.IsChecked("BDefault"));
  EXPECT_TRUE(menu.IsChecked("EDefault"));
  EXPECT_TRUE(menu.IsChecked("Lowerright1"));
  EXPECT_TRUE(menu.IsChecked("Enable1"));
  EXPECT_TRUE(menu.IsChecked("Led"));
  EXPECT_TRUE(menu.IsChecked("CDPanel"));
  EXPECT_TRUE(menu.IsChecked("AutoPlay"));
  EXPECT_FALSE(menu.IsVisible("AutoPlay"));
  for (int i = 1; i <= 5; ++i) EXPECT_FALSE(menu.IsVisible("Application" + std::to_string(i)));
  EXPECT_THROW(menu.Item("NoSuchItem"), std::out_of_range);
}

TEST(SetupMenu, RadioSelectionClearsOnlyItsGroup) {
  SetupMenu menu;
  menu.SelectRadio("Center1");
  EXPECT_TRUE(menu.IsChecked("Center1"));
  EXPECT_FALSE(menu.IsChecked("Lowerright1"));
  EXPECT_TRUE(menu.IsChecked("Enable1"));  // a sibling outside the group
  EXPECT_FALSE(menu.Toggle("Enable1"));
  EXPECT_TRUE(menu.Toggle("Enable1"));
}

TEST(SetupMenu, LocationItemsByPlaceCode) {
  EXPECT_STREQ("Upperleft1", LocationItemName(1));
  EXPECT_STREQ("Upperright1", LocationItemName(2));
  EXPECT_STREQ("Lowerleft1", LocationItemName(3));
  EXPECT_STREQ("Center1", LocationItemName(4));
  EXPECT_STREQ("Lowerright1", LocationItemName(5));
  EXPECT_STREQ("Lowerright1", LocationItemName(-1));
}

TEST(MenuBase, OnlyFiveLanguagesHaveMenuBlocks) {
  EXPECT_EQ(100, MenuBaseFor(1028));
  EXPECT_EQ(300, MenuBaseFor(1041));
  EXPECT_EQ(400, MenuBaseFor(1036));
  EXPECT_EQ(500, MenuBaseFor(1031));
  EXPECT_EQ(700, MenuBaseFor(1034));
  EXPECT_EQ(-1, MenuBaseFor(2052));  // Chinese (PRC): block 200 exists but is not used
  EXPECT_EQ(-1, MenuBaseFor(2070));
  EXPECT_EQ(-1, MenuBaseFor(0x0C04));
  EXPECT_EQ(-1, MenuBaseFor(0x0409));
}

TEST(LocalisedCaptions, EveryRowGoesToItsItem) {
  test::FakeStrings strings;
  for (int r : {1, 2, 3, 4, 5, 11, 12, 13, 16, 17, 21, 22, 23, 24, 25, 26, 27, 28, 41, 42, 43})
    strings.Rows[400 + r] = "fr" + std::to_string(r);
  SetupMenu menu;
  ApplyLocalisedCaptions(menu, 400, strings);
  EXPECT_EQ("fr1", menu.Item("Setup").Caption);
  EXPECT_EQ("fr2", menu.Item("OSD1").Caption);
  EXPECT_EQ("fr3", menu.Item("CDPanel").Caption);
  EXPECT_EQ("fr4", menu.Item("Config").Caption);
  EXPECT_EQ("fr5", menu.Item("Exit1").Caption);
  EXPECT_EQ("fr11", menu.Item("Browser").Caption);
  EXPECT_EQ("fr12", menu.Item("Email").Caption);
  EXPECT_EQ("fr13_3", menu.Item("Application3").Caption);
  EXPECT_EQ("fr16", menu.Item("BDefault").Caption);
  EXPECT_EQ("fr17", menu.Item("ECustom").Caption);
  EXPECT_EQ("fr21", menu.Item("Font1").Caption);
  EXPECT_EQ("fr22", menu.Item("Location1").Caption);
  EXPECT_EQ("fr23", menu.Item("Enable1").Caption);
  EXPECT_EQ("fr24", menu.Item("Upperleft1").Caption);
  EXPECT_EQ("fr28", menu.Item("Center1").Caption);
  EXPECT_EQ("fr41", menu.Item("Loop").Caption);
  EXPECT_EQ("fr43", menu.Item("FullScreen").Caption);
  EXPECT_EQ("Led", menu.Item("Led").Caption);
}

TEST(LocalisedCaptions, MissingRowsKeepEnglish) {
  test::FakeStrings strings;
  strings.Rows[744] = "Tessaro";  // the Spanish block holds only the product name
  SetupMenu menu;
  ApplyLocalisedCaptions(menu, MenuBaseFor(1034), strings);
  EXPECT_EQ("&Setup", menu.Item("Setup").Caption);
  EXPECT_EQ("Application 1", menu.Item("Application1").Caption);
  EXPECT_EQ("Full Screen", menu.Item("FullScreen").Caption);
}

TEST(LocalisedCaptions, ResetBringsBackEnglish) {
  test::FakeStrings strings;
  strings.Rows[301] = "ja";
  SetupMenu menu;
  ApplyLocalisedCaptions(menu, 300, strings);
  EXPECT_EQ("ja", menu.Item("Setup").Caption);
  menu.ResetCaptions();
  EXPECT_EQ("&Setup", menu.Item("Setup").Caption);
}

}  // namespace
}  // namespace kd
