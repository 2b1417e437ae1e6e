// The dialog's start: finding the script, reading its header and acting on
// its Option; and the OK button.
#include "sweepall/uninstall_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sweepall/fakes.h"

namespace sweepall {
namespace {

using fakes::FakeSystem;
using fakes::Script;
using Lines = std::vector<std::string>;

class Dialog : public ::testing::Test, protected fakes::DialogRig {};

TEST_F(Dialog, MissingScriptSaysSoWithTheCommandLine) {
  dialog.Start("C:\\nowhere\\un.ini");
  EXPECT_EQ(f.view.caption, "Sweepall Ver 2.51");
  EXPECT_EQ(f.view.status, (Lines{"INI file missing !", "C:\\nowhere\\un.ini"}));
  EXPECT_EQ(f.files.reads, (Lines{"C:\\nowhere\\un.ini", "C:\\WINDOWS\\C:\\nowhere\\un.ini",
                                  "Sweepall.ini"}));
  EXPECT_FALSE(f.view.closed);
  EXPECT_FALSE(f.view.boxesTicked) << "no header was read";
  dialog.OnOk();
  EXPECT_EQ(f.view.status.back(), "Uninstall Successful !");
}

TEST_F(Dialog, SilentStartWithoutAScriptEndsAtOnceWithAFailure) {
  dialog.Start("C:\\nowhere\\un.ini", /*silent=*/true);
  EXPECT_EQ(f.view.status, (Lines{"INI file missing !", "C:\\nowhere\\un.ini"}));
  EXPECT_TRUE(f.view.closed) << "nobody is there to click Exit";
  EXPECT_EQ(f.view.closeResult, 2) << "the exit code says the script was not found";
}

TEST_F(Dialog, ScriptIsFoundInTheWindowsDirectoryThenTheCurrentOne) {
  f.files.AddFile("C:\\WINDOWS\\kd.ini", Script({"[x]", "Name=FromWindows"}));
  dialog.Start("kd.ini");
  EXPECT_EQ(dialog.header().name, "FromWindows");

  FakeSystem g;
  UninstallDialog other{g.platform};
  g.files.AddFile("Sweepall.ini", Script({"[x]", "Name=FromCurrent"}));
  other.Start("kd.ini");
  EXPECT_EQ(other.header().name, "FromCurrent");
}

TEST_F(Dialog, OverlongCommandLineSkipsTheWindowsDirectory) {
  const std::string name(300, 'a');
  f.files.AddFile("Sweepall.ini", Script({"[x]", "Name=Fallback"}));
  dialog.Start(name);
  EXPECT_EQ(f.files.reads, (Lines{name, "Sweepall.ini"}));
  EXPECT_EQ(dialog.header().name, "Fallback");
}

TEST_F(Dialog, HeaderKeysIgnoreCaseAndEndAtTheNextSection) {
  Start({"Name=NotHeader", "NAME = My App", "option=4", "UnInstall=\"Key Deck\"", "Other=1",
         "[W", "Name=Late"});
  EXPECT_EQ(dialog.header().name, "MyApp");
  EXPECT_EQ(f.view.groupCaption, "MyApp");
  EXPECT_EQ(dialog.header().option, 4);
  EXPECT_EQ(dialog.header().uninstall, "Key Deck");
}

TEST_F(Dialog, LongNameEndsWhereTheHeaderLineIsCut) {
  // Only the line's first 256 characters are parsed: 'Name="' and 250 more.
  Start({"[x]", "Name=\"" + std::string(240, 'n') + std::string(20, 'm') + "\""});
  EXPECT_EQ(dialog.header().name, std::string(240, 'n') + std::string(10, 'm'));
  EXPECT_EQ(f.view.groupCaption, dialog.header().name);
}

TEST_F(Dialog, OptionZeroWaitsForOkWithTheTaskBoxesTicked) {
  f.files.AddFile("C:\\WINDOWS\\a");
  Start({"[x]", "Name=N", "[W", "a"});
  EXPECT_EQ(f.view.status, (Lines{"Normal Uninstall !"}));
  EXPECT_TRUE(f.view.boxesTicked);
  EXPECT_FALSE(f.view.closed);
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\a"));
  dialog.OnOk();
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\a"));
  EXPECT_EQ(f.view.status.back(), "Uninstall Successful !");
  EXPECT_FALSE(f.view.closed);
}

TEST_F(Dialog, OptionOneAsksFirstAndClosesEitherWay) {
  f.files.AddFile("C:\\WINDOWS\\a");
  f.view.answers = {false};
  Start({"[x]", "Name=Keydeck", "Option=1", "[W", "a"});
  ASSERT_EQ(f.view.questions.size(), 1u);
  EXPECT_EQ(f.view.questions[0].first, "Remove the program?");
  EXPECT_EQ(f.view.questions[0].second, "Keydeck");
  EXPECT_TRUE(f.view.closed);
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\a"));

  FakeSystem g;
  UninstallDialog yes{g.platform};
  g.files.AddFile("C:\\WINDOWS\\a");
  g.files.AddFile("s.ini", Script({"[x]", "Option=1", "[W", "a"}));
  g.view.answers = {true};
  yes.Start("s.ini");
  EXPECT_FALSE(g.files.Exists("C:\\WINDOWS\\a"));
  EXPECT_TRUE(g.view.closed);
  EXPECT_EQ(g.view.closeResult, 0);
}

TEST_F(Dialog, OptionTwoRunsAtOnceWithoutQuestionOrLog) {
  f.files.AddFile("C:\\WINDOWS\\temp.txt");
  Start({"[x]", "Name=N", "Option=2", "[W", "temp.txt"});
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\temp.txt"));
  EXPECT_TRUE(f.view.questions.empty());
  EXPECT_EQ(f.log.opens, 0);
  EXPECT_TRUE(f.view.closed);
  EXPECT_TRUE(f.view.status.empty());
}

TEST_F(Dialog, OptionThreeStartsTheFollowUpCommandAfterTheRun) {
  const std::string key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KD";
  f.registry.SetValue(key, "Sweepall", "C:\\setup\\cleanup.exe /quiet");
  f.view.answers = {true};
  Start({"[x]", "Option=3", "Uninstall=KD", "[R", "first.exe"});
  EXPECT_EQ(f.view.status, (Lines{"C:\\setup\\cleanup.exe /quiet"}));
  EXPECT_EQ(f.programs.started, (Lines{"first.exe", "C:\\setup\\cleanup.exe /quiet"}));
  EXPECT_FALSE(f.registry.HasKey(key)) << "the run still removes the Uninstall key";
  EXPECT_TRUE(f.view.closed);
}

TEST_F(Dialog, OptionThreeWithoutTheValueStartsNothing) {
  f.view.answers = {true};
  Start({"[x]", "Option=3", "Uninstall=KD", "[R", "first.exe"});
  EXPECT_EQ(f.programs.started, (Lines{"first.exe"}));
  EXPECT_TRUE(f.view.status.empty());

  FakeSystem g;
  UninstallDialog no{g.platform};
  g.registry.SetValue("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KD",
                      "Sweepall", "cleanup.exe");
  g.files.AddFile("s.ini", Script({"[x]", "Option=3", "Uninstall=KD", "[R", "first.exe"}));
  no.Start("s.ini");
  EXPECT_TRUE(g.programs.started.empty()) << "No runs nothing and starts nothing";
  EXPECT_TRUE(g.view.closed);
}

TEST_F(Dialog, OptionFiveNeedsTheRightToChangeDeviceSecurity) {
  f.registry.AddKey("HKLM\\System\\CurrentControlSet\\Enum");
  f.registry.Deny("HKLM\\System\\CurrentControlSet\\Enum", kWriteDac);
  f.view.answers = {true};
  Start({"[x]", "Option=5", "[R", "x.exe"});
  EXPECT_TRUE(f.view.questions.empty());
  EXPECT_TRUE(f.programs.started.empty());
  EXPECT_TRUE(f.view.closed);

  FakeSystem g;
  UninstallDialog allowed{g.platform};
  g.registry.AddKey("HKLM\\System\\CurrentControlSet\\Enum");
  g.view.answers = {true};
  g.files.AddFile("s.ini", Script({"[x]", "Option=5", "[R", "x.exe"}));
  allowed.Start("s.ini");
  EXPECT_EQ(g.view.questions.size(), 1u);
  EXPECT_EQ(g.programs.started, (Lines{"x.exe"}));
  EXPECT_TRUE(g.view.closed);
  EXPECT_EQ(g.registry.open_handles(), 0u);
}

TEST_F(Dialog, OtherOptionsWaitForOkWithoutTicking) {
  for (const char* option : {"4", "6", "-1", "x2"}) {
    SCOPED_TRACE(option);
    FakeSystem g;
    UninstallDialog d{g.platform};
    g.files.AddFile("s.ini", Script({"[x]", std::string("Option=") + option, "[R", "x.exe"}));
    d.Start("s.ini");
    const bool readsAsZero = std::string(option) == "x2";
    EXPECT_EQ(g.view.boxesTicked, readsAsZero);
    EXPECT_FALSE(g.view.closed);
    EXPECT_TRUE(g.programs.started.empty());
  }
}

TEST_F(Dialog, OkRunsTheWholeScriptEachTime) {
  Start({"[x]", "[R", "again.exe"});
  dialog.OnOk();
  dialog.OnOk();
  EXPECT_EQ(f.programs.started, (Lines{"again.exe", "again.exe"}));
  EXPECT_EQ(f.view.status,
            (Lines{"Normal Uninstall !", "Uninstall Successful !", "Uninstall Successful !"}));
}

TEST_F(Dialog, LoggingStaysOnOnceClicked) {
  Start({"[x]", "[C", "x.cpl"});
  EXPECT_FALSE(dialog.logging());
  dialog.OnLogBoxClicked();
  dialog.OnLogBoxClicked();  // unticking does not turn it off
  EXPECT_TRUE(dialog.logging());
  dialog.OnOk();
  EXPECT_EQ(f.log.Lines(), (Lines{"Open Successful !"}));
}

TEST_F(Dialog, ALogHeaderLogsRunsThatNeverShowTheDialog) {
  f.files.AddFile("C:\\WINDOWS\\a");
  Start({"[x]", "Option=2", "Log=1", "[W", "a"});
  EXPECT_TRUE(dialog.logging());
  EXPECT_EQ(f.log.Lines(), (Lines{"Delete File : C:\\WINDOWS\\a-->Remove Successful !"}));

  FakeSystem g;
  UninstallDialog off{g.platform};
  g.files.AddFile("s.ini", Script({"[x]", "Option=2", "Log=0", "[W", "a"}));
  off.Start("s.ini");
  EXPECT_FALSE(off.logging());
  EXPECT_EQ(g.log.opens, 0);
}

TEST_F(Dialog, SilentStartAsksNothingAndShowsNothing) {
  f.files.AddFile("C:\\WINDOWS\\a");
  f.view.answers = {false, false};  // would refuse, were anything asked
  f.files.AddFile("C:\\setup\\un.ini",
                  Script({"[x]", "Name=Keydeck", "Option=1", "[W", "a", "[M", "Title", "Hello",
                          "[B", "[R", "after.exe"}));
  dialog.Start("C:\\setup\\un.ini", /*silent=*/true);
  EXPECT_TRUE(f.view.questions.empty());
  EXPECT_TRUE(f.view.messages.empty());
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\a")) << "the uninstall question counts as Yes";
  EXPECT_EQ(f.power.privilegeRequests, 0);
  EXPECT_TRUE(f.power.exits.empty()) << "a silent run never restarts";
  EXPECT_EQ(f.programs.started, (Lines{"after.exe"})) << "the run goes on after [B";
  EXPECT_TRUE(f.view.closed);
}

TEST_F(Dialog, SilentStartRunsTheOptionsThatWouldWaitForOk) {
  for (const char* option : {"0", "4", "6", "3"}) {
    SCOPED_TRACE(option);
    FakeSystem g;
    UninstallDialog d{g.platform};
    g.files.AddFile("s.ini", Script({"[x]", std::string("Option=") + option, "[R", "x.exe"}));
    d.Start("s.ini", true);
    EXPECT_EQ(g.programs.started, (Lines{"x.exe"}));
    EXPECT_TRUE(g.view.questions.empty());
    EXPECT_TRUE(g.view.closed);
  }
}

}  // namespace
}  // namespace sweepall
