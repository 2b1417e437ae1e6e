#include "keydeck/shell/startup.h"

#include <gtest/gtest.h>

#include <vector>

namespace kd {
namespace {

struct PostRecord {
  WindowId Window;
  uint32_t Message;
  uintptr_t WParam;
  intptr_t LParam;
  bool operator==(const PostRecord&) const = default;
};

class FakeWindows : public WindowSystem {
 public:
  std::vector<std::pair<std::string, std::string>> Windows;  // (class, title), id = index + 1
  std::vector<PostRecord> Posts;
  std::vector<std::string> Searches;
  WindowId FindTopLevel(const std::string& className, const std::string& title) override {
    Searches.push_back(className + "/" + title);
    for (size_t i = 0; i < Windows.size(); ++i)
      if (Windows[i].first == className && Windows[i].second == title) return i + 1;
    return 0;
  }
  bool Post(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    Posts.push_back({window, message, wParam, lParam});
    return true;
  }
};

struct Box {
  std::string Text;
  std::string Caption;  // "<default>" for the system's title
  uint32_t Flags;
};

class FakeBoxes : public MessageBoxes {
 public:
  std::vector<Box> Shown;
  int Answer = kIdOk;
  int Show(const std::string& text, const char* caption, uint32_t flags) override {
    Shown.push_back({text, caption ? caption : "<default>", flags});
    return Answer;
  }
};

// The named object of a running copy: taken once, by the first start.
class FakeInstance : public InstanceLock {
 public:
  bool Taken = false;
  int Claims = 0;
  bool Claim() override {
    ++Claims;
    if (Taken) return false;
    Taken = true;
    return true;
  }
};

class FakeRunner : public ProcessRunner {
 public:
  std::vector<std::pair<std::string, std::string>> Runs;
  bool RunAndWait(const std::string& program, const std::string& arguments) override {
    Runs.push_back({program, arguments});
    return true;
  }
};

TEST(CommandTail, SkipsTheProgramNameAndBlanks) {
  EXPECT_EQ("/p", CommandTail("keydeck.exe /p"));
  EXPECT_EQ("/q", CommandTail("\"C:\\Program Files\\Keydeck\\keydeck.exe\"   /q"));
  EXPECT_EQ("", CommandTail("keydeck.exe"));
  EXPECT_EQ("", CommandTail("\"C:\\x y\\keydeck.exe\""));
  EXPECT_EQ("/u extra", CommandTail("C:\\keydeck.exe\t/u extra"));
  EXPECT_EQ("", CommandTail("\"unterminated"));
  EXPECT_EQ("", CommandTail(""));
}

class StartTest : public ::testing::Test {
 protected:
  FakeWindows windows_;
  FakeBoxes boxes_;
  FakeInstance instance_;
  StartKind Decide(const std::string& tail) { return DecideStart(tail, windows_, boxes_, instance_); }
  void AddRunningInstance() {
    windows_.Windows = {{"TApplication", "WIRELESS KEYBOARD"}, {"TSetupFrm", "WIRELESS KEYBOARD SETUP"}};
  }
};

TEST_F(StartTest, CommandsWithoutAnInstancePostNothing) {
  for (const char* tail : {"/p", "/q", "/u", "/x", "/", "/P"}) {
    EXPECT_EQ(StartKind::RemoteCall, Decide(tail)) << tail;
  }
  EXPECT_TRUE(windows_.Posts.empty());
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(StartTest, CommandsReachTheRunningInstance) {
  AddRunningInstance();
  const WindowId setupFrm = 2;
  EXPECT_EQ(StartKind::RemoteCall, Decide("/p"));
  EXPECT_EQ(StartKind::RemoteCall, Decide("/q"));
  EXPECT_EQ(StartKind::RemoteCall, Decide("/u now"));
  const std::vector<PostRecord> expected = {
      {setupFrm, 0x501, 1, 0}, {setupFrm, 0x12, 0, 0}, {setupFrm, 0x502, 1, 0}};
  EXPECT_EQ(expected, windows_.Posts);
  EXPECT_EQ("TSetupFrm/WIRELESS KEYBOARD SETUP", windows_.Searches.at(0));
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST(AutoPlayDrive, ADriveAfterPIsTheInsertedDisc) {
  EXPECT_EQ('D', AutoPlayDrive("/p D:\\"));
  EXPECT_EQ('E', AutoPlayDrive("/p e:"));
  EXPECT_EQ('F', AutoPlayDrive("/p \"F:\\\""));
  EXPECT_EQ('G', AutoPlayDrive("/p\t  G:\\Track01.cda"));
  // Not a drive: the plain "/p" of the lock lamps.
  for (const char* tail : {"/p", "/p ", "/p %1", "/p D", "/p 1:", "/p :", "/q D:", "/P D:", "p D:"})
    EXPECT_EQ(0, AutoPlayDrive(tail)) << tail;
}

TEST_F(StartTest, AutoPlayWithADriveAsksTheInstanceToPlay) {
  AddRunningInstance();
  const WindowId setupFrm = 2;
  // What Windows runs for an inserted audio CD once the command is Keydeck's.
  const std::string tail = CommandTail("\"C:\\Program Files\\Keydeck\\keydeck.exe\" /p D:\\");
  EXPECT_EQ(StartKind::RemoteCall, Decide(tail));
  EXPECT_EQ(StartKind::RemoteCall, Decide("/p"));
  EXPECT_EQ(StartKind::RemoteCall, Decide("/p x"));
  const std::vector<PostRecord> expected = {
      {setupFrm, 0x503, 'D', 0}, {setupFrm, 0x501, 1, 0}, {setupFrm, 0x501, 1, 0}};
  EXPECT_EQ(expected, windows_.Posts);

  FakeWindows none;
  EXPECT_EQ(StartKind::RemoteCall, DecideStart("/p D:\\", none, boxes_, instance_)) << "never starts a copy";
  EXPECT_TRUE(none.Posts.empty());
}

TEST_F(StartTest, OtherLettersAndUpperCasePostNothing) {
  AddRunningInstance();
  for (const char* tail : {"/P", "/Q", "/U", "/x", "/", "//p"})
    EXPECT_EQ(StartKind::RemoteCall, Decide(tail)) << tail;
  EXPECT_TRUE(windows_.Posts.empty());
}

TEST_F(StartTest, SecondPlainStartIsRefused) {
  AddRunningInstance();
  for (const char* tail : {"", "p", " /p", "-q"}) {
    boxes_.Shown.clear();
    EXPECT_EQ(StartKind::AlreadyRunning, Decide(tail)) << tail;
    ASSERT_EQ(1u, boxes_.Shown.size());
    EXPECT_EQ("Program already installed !", boxes_.Shown[0].Text);
    EXPECT_EQ("Message", boxes_.Shown[0].Caption);
    EXPECT_EQ(kMbOk, boxes_.Shown[0].Flags);
  }
  EXPECT_TRUE(windows_.Posts.empty());
}

TEST_F(StartTest, RemoteCallsNeverTakeTheInstance) {
  for (const char* tail : {"/p", "/q", "/u", "/x", "/p D:\\"}) Decide(tail);
  EXPECT_EQ(0, instance_.Claims);
  EXPECT_EQ(StartKind::Run, Decide("")) << "a plain start after them is the first copy";
}

TEST_F(StartTest, SecondStartBeforeTheFirstHasItsWindowsIsRefused) {
  // Two starts at once: neither finds the other's windows, which come late.
  EXPECT_EQ(StartKind::Run, Decide(""));
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(StartKind::AlreadyRunning, Decide(""));
  ASSERT_EQ(1u, boxes_.Shown.size());
  EXPECT_EQ("Program already installed !", boxes_.Shown[0].Text);
  EXPECT_EQ("Message", boxes_.Shown[0].Caption);
  EXPECT_EQ(kMbOk, boxes_.Shown[0].Flags);
  EXPECT_TRUE(windows_.Posts.empty());
}

TEST_F(StartTest, OnlyTheApplicationWindowCountsAsARunningCopy) {
  windows_.Windows = {{"TSetupFrm", "WIRELESS KEYBOARD SETUP"}, {"TApplication", "OTHER"}};
  EXPECT_EQ(StartKind::Run, Decide(""));
  EXPECT_TRUE(boxes_.Shown.empty());
}

class ImportTest : public ::testing::Test {
 protected:
  FakeBoxes boxes_;
  FakeRunner runner_;
  std::vector<bool> results_;
  int loads_ = 0;
  bool Load() { return results_.at(loads_++); }
  bool Run() {
    return LoadWithImport([this] { return Load(); }, "C:\\WINDOWS", runner_, boxes_);
  }
};

TEST_F(ImportTest, LoadedSettingsNeedNoImport) {
  results_ = {true};
  EXPECT_TRUE(Run());
  EXPECT_EQ(1, loads_);
  EXPECT_TRUE(runner_.Runs.empty());
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(ImportTest, MissingSettingsAreImportedOnceAndLoadedAgain) {
  results_ = {false, true};
  EXPECT_TRUE(Run());
  EXPECT_EQ(2, loads_);
  ASSERT_EQ(1u, runner_.Runs.size());
  EXPECT_EQ("C:\\WINDOWS\\regedit.exe", runner_.Runs[0].first);
  EXPECT_EQ(" -s qKeymap.reg ", runner_.Runs[0].second);
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(ImportTest, SecondFailureShowsTheBoxWithTheDefaultTitle) {
  results_ = {false, false};
  EXPECT_FALSE(Run());
  EXPECT_EQ(2, loads_);
  EXPECT_EQ(1u, runner_.Runs.size());
  ASSERT_EQ(1u, boxes_.Shown.size());
  EXPECT_EQ("Registry data not found !", boxes_.Shown[0].Text);
  EXPECT_EQ("<default>", boxes_.Shown[0].Caption);
  EXPECT_EQ(kMbOk, boxes_.Shown[0].Flags);
}

}  // namespace
}  // namespace kd
