#include "keydeck/shell/dispatch.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tests/keydeck/shell_fakes.h"

namespace kd {
namespace {

// Records every call as one line; rows and their results live in maps.
class RecordingTargets : public DispatchTargets, public test::CallRecorder {
 public:
  std::map<int, int32_t> Functions;  // row -> function code of the engine entry
  std::map<int, bool> Results;       // row -> RunEntry result (default true)
  std::map<int, std::string> Captions;
  uint32_t Volume = 0x8000;
  uint32_t Locks = 0;
  std::string LastCaption;

  bool EntryFunction(int row, int32_t* function) const override {
    auto it = Functions.find(row);
    if (it == Functions.end()) return false;
    *function = it->second;
    return true;
  }
  bool RunEntry(int row) override {
    Calls.push_back("RunEntry " + std::to_string(row));
    LastCaption = Captions.count(row) ? Captions[row] : "caption" + std::to_string(row);
    if (!Functions.count(row)) return false;
    return Results.count(row) ? Results[row] : true;
  }
  std::string OsdCaption() const override { return LastCaption; }
  uint32_t MasterVolume() override {
    Calls.push_back("MasterVolume");
    return Volume;
  }
  void MediaStop() override { Calls.push_back("MediaStop"); }
  void PlayInsertedDisc(char drive) override {
    Calls.push_back(std::string("PlayDisc ") + (drive ? std::string(1, drive) : "any"));
  }
  void ShowOsdText(const std::string& text) override { Calls.push_back("Osd " + text); }
  void ShowVolumeBar(int level) override { Calls.push_back("Bar " + std::to_string(level)); }
  void ShowChannelSetting() override { Calls.push_back("ShowForm3"); }
  void HideChannelSetting() override { Calls.push_back("HideForm3"); }
  void SetWarningLamps(bool keyboard, bool mouse) override {
    Calls.push_back(std::string("Lamps ") + (keyboard ? "red" : "grey") + "/" + (mouse ? "red" : "grey"));
  }
  void SetLockFlags(uint8_t flags) override { Calls.push_back("Locks " + std::to_string(flags)); }
  uint32_t GetNumLock() override {
    Calls.push_back("GetNUMLock");
    return Locks;
  }
  bool ReloadSettings() override {
    Calls.push_back("Reload");
    return false;
  }
  void OpenSetupMenu(int x, int y) override {
    Calls.push_back("Menu " + std::to_string(x) + "," + std::to_string(y));
  }
};

using test::Calls;

class DispatchTest : public ::testing::Test {
 protected:
  RecordingTargets t_;
  test::FakeScreen screen_;
  Dispatcher d_{t_, screen_};
  HotkeyTable table_;
  MenuPlacement menu_;

  void SetRows(std::vector<std::pair<uint32_t, int32_t>> rows) {
    table_.HotkeyCount = static_cast<int32_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      table_.ScanCode[i] = rows[i].first;
      t_.Functions[static_cast<int>(i)] = rows[i].second;
    }
  }
  bool Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return d_.Dispatch(message, wParam, lParam, table_, menu_);
  }
  Calls Take() { return t_.Take(); }
};

TEST_F(DispatchTest, UnknownScanCodeDoesNothing) {
  SetRows({{0x32, 20}});
  EXPECT_TRUE(Send(0x500, 0x33, 0));
  EXPECT_EQ(Calls{}, Take());
}

TEST_F(DispatchTest, GeneralCodeRunsOnFirstPressOnly) {
  SetRows({{0x10, 5}, {0x6C, 7}});
  Send(0x500, 0x6C, 1);
  EXPECT_EQ(Calls{}, Take());
  t_.Captions[1] = "Email";
  Send(0x500, 0x6C, 0);
  EXPECT_EQ(Calls({"RunEntry 1", "Osd Email"}), Take());
}

TEST_F(DispatchTest, FailedRunShowsNotAssigned) {
  SetRows({{0x6C, 7}});
  t_.Results[0] = false;
  Send(0x500, 0x6C, 0);
  EXPECT_EQ(Calls({"RunEntry 0", "Osd Hotkey not assigned!"}), Take());
}

TEST_F(DispatchTest, RowWithoutEngineEntryShowsNotAssigned) {
  SetRows({{0x32, 20}, {0x21, 2}});
  t_.Functions.erase(1);
  Send(0x500, 0x21, 0);
  EXPECT_EQ(Calls({"RunEntry 1", "Osd Hotkey not assigned!"}), Take());
  Send(0x500, 0x21, 3);  // a repeat of an unknown entry fires nothing
  EXPECT_EQ(Calls{}, Take());
}

TEST_F(DispatchTest, UnreadableRowShowsNotAssignedWithoutRunning) {
  // The load could not read row 1: its engine entry is empty, and running
  // it would "succeed" with an empty caption.
  SetRows({{0x32, 20}, {0x21, 0}, {0x21, 2}});
  table_.Unreadable[1] = true;
  Send(0x500, 0x21, 0);
  EXPECT_EQ(Calls({"Osd Hotkey not assigned!"}), Take());
  Send(0x500, 0x21, 2);  // auto-repeat: no second text
  EXPECT_EQ(Calls{}, Take());
  table_.Unreadable[1] = false;
  Send(0x500, 0x21, 0);
  EXPECT_EQ(Calls({"RunEntry 1", "Osd caption1"}), Take());
}

TEST_F(DispatchTest, VolumeCodesRunAndShowTheBarEvenOnRepeat) {
  SetRows({{0x30, 3}, {0x2E, 4}});
  t_.Volume = 0xFFFF;
  Send(0x500, 0x30, 5);
  t_.Volume = 0x00FF;
  Send(0x500, 0x2E, 0);
  EXPECT_EQ(Calls({"RunEntry 0", "MasterVolume", "Bar 255", "RunEntry 1", "MasterVolume", "Bar 0"}), Take());
}

TEST_F(DispatchTest, CodeThirtyShowsTheBarWithoutRunning) {
  SetRows({{0x20, 30}});
  t_.Volume = 0x8000;
  Send(0x500, 0x20, 0);
  Send(0x500, 0x20, 1);
  EXPECT_EQ(Calls({"MasterVolume", "Bar 128", "MasterVolume", "Bar 128"}), Take());
}

TEST_F(DispatchTest, CodeSeventeenRunsSilentlyEvenOnRepeat) {
  SetRows({{0x5F, 17}});
  Send(0x500, 0x5F, 0);
  Send(0x500, 0x5F, 2);
  EXPECT_EQ(Calls({"RunEntry 0", "RunEntry 0"}), Take());
}

TEST_F(DispatchTest, OnlyTheFirstOfTwoEqualRowsRuns) {
  SetRows({{0x11, 2}, {0x22, 2}, {0x22, 3}});
  Send(0x500, 0x22, 0);
  EXPECT_EQ(Calls({"RunEntry 1", "Osd caption1"}), Take());
}

TEST_F(DispatchTest, RowsAtAndBeyondHotkeyCountAreNotSearched) {
  SetRows({{0x11, 2}, {0x22, 2}});
  table_.HotkeyCount = 1;
  Send(0x500, 0x22, 0);
  table_.HotkeyCount = 999;  // never read past the table
  table_.ScanCode[kMaxHotkeys - 1] = 0x77;
  t_.Functions[kMaxHotkeys - 1] = 2;
  Send(0x500, 0x77, 0);
  EXPECT_EQ(Calls({"RunEntry 29", "Osd caption29"}), Take());
}

TEST_F(DispatchTest, ScanCodeComparesAllBitsOfWParam) {
  SetRows({{0x32, 2}});
  Send(0x500, 0x132, 0);
  EXPECT_EQ(Calls{}, Take());
}

TEST_F(DispatchTest, ChannelKeysShowAndHideForm3AndGoOn) {
  SetRows({{0x62, 2}});
  Send(0x500, 0x5A, 0);  // no row: window only
  Send(0x500, 0x62, 0);
  Send(0x500, 0xDA, 0);
  Send(0x500, 0xE2, 1);
  EXPECT_EQ(Calls({"ShowForm3", "ShowForm3", "RunEntry 0", "Osd caption0", "HideForm3", "HideForm3"}), Take());
}

TEST_F(DispatchTest, DriverWordDrivesForm3AndLamps) {
  EXPECT_TRUE(Send(0x464, 0, 0x0104));
  EXPECT_EQ(Calls({"HideForm3", "Lamps red/grey"}), Take());
  Send(0x464, 0, 0x1C04);
  EXPECT_EQ(Calls({"ShowForm3", "Lamps grey/red"}), Take());
  Send(0x464, 0, 0x0204);  // bit 9 alone
  EXPECT_EQ(Calls({"HideForm3", "Lamps red/grey"}), Take());
}

TEST_F(DispatchTest, SecondReportWordTouchesNothing) {
  Send(0x464, 1, 0x1004);
  Send(0x464, 1, 0x0F04);
  EXPECT_EQ(Calls{}, Take());
}

TEST_F(DispatchTest, OtherReportKindsLeaveLampsAndForm3) {
  Send(0x464, 0, 0x1F03);
  Send(0x464, 0, 0x0F05);
  EXPECT_EQ(Calls{}, Take());
}

TEST_F(DispatchTest, ReceiverStatusWordsNeverChangeLampsOrForm3) {
  // The receiver's status words (0x201, 0x401, 0x2001, 0x4001, 0x8001)
  // and other words of kind 1, between indicator reports that do change
  // the lamps: only the indicator reports reach them.
  Send(0x464, 0, 0x0104);
  for (intptr_t word : {0x201, 0x401, 0x2001, 0x4001, 0x8001, 0x0301, 0x1F01, 0x0C01}) Send(0x464, 0, word);
  Send(0x464, 0, 0x1804);
  for (intptr_t word : {0x201, 0x8001, 0x0F01}) Send(0x464, 0, word);
  EXPECT_EQ(Calls({"HideForm3", "Lamps red/grey", "ShowForm3", "Lamps grey/red"}), Take());
}

TEST_F(DispatchTest, LockRequestPassesTheLowByte) {
  t_.Locks = 0x105;
  EXPECT_TRUE(Send(0x501, 1, 0));
  EXPECT_EQ(Calls({"GetNUMLock", "Locks 5"}), Take());
}

TEST_F(DispatchTest, ReloadIsHandledWhateverItsResult) {
  EXPECT_TRUE(Send(0x502, 1, 0));
  EXPECT_EQ(Calls({"Reload"}), Take());
}

TEST_F(DispatchTest, InsertedDiscPlaysInTheDriveAutoPlayNamed) {
  EXPECT_TRUE(Send(0x503, 'D', 0));
  EXPECT_TRUE(Send(0x503, 'Z', 0));
  EXPECT_TRUE(Send(0x503, 'e', 0));
  // No drive letter: the disc the panel finds first.
  EXPECT_TRUE(Send(0x503, 0, 0));
  EXPECT_TRUE(Send(0x503, '1', 0));
  EXPECT_TRUE(Send(0x503, 0x144, 0));
  EXPECT_EQ(Calls({"PlayDisc D", "PlayDisc Z", "PlayDisc E", "PlayDisc any", "PlayDisc any", "PlayDisc any"}),
            Take());
}

TEST_F(DispatchTest, MenuOpensOnlyOnRightButtonDown) {
  EXPECT_FALSE(Send(0x602, 0, 0x205));
  EXPECT_EQ(Calls{}, Take());
  EXPECT_FALSE(Send(0x602, 0, 0x204));
  EXPECT_EQ(Calls({"Menu 1004,728"}), Take());
}

TEST_F(DispatchTest, MenuPlacementFromMenuLoc) {
  screen_.W = 800;
  screen_.H = 600;
  menu_.MenuLocX = 100;
  Send(0x602, 0, 0x204);
  menu_.MenuLocX = 0;
  menu_.MenuLocY = 50;
  Send(0x602, 0, 0x204);
  menu_.MenuLocY = 0;
  menu_.TopLevelItems = 3;
  Send(0x602, 0, 0x204);
  EXPECT_EQ(Calls({"Menu 700,600", "Menu 800,550", "Menu 780,576"}), Take());
}

TEST_F(DispatchTest, SuspendStopsMediaAndDefaultHandlingFollows) {
  EXPECT_FALSE(Send(0x218, 4, 0));
  EXPECT_FALSE(Send(0x218, 7, 0));
  EXPECT_FALSE(Send(0x218, 0xA, 0));
  EXPECT_EQ(Calls({"MediaStop"}), Take());
}

TEST_F(DispatchTest, MixerChangeAndOtherMessagesGoToDefault) {
  EXPECT_FALSE(Send(0x3D1, 0, 0));
  EXPECT_FALSE(Send(0x0400, 0, 0));
  EXPECT_EQ(Calls{}, Take());
}

}  // namespace
}  // namespace kd
