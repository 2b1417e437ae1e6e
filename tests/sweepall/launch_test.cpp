// The switches in front of the script name and the run from a temporary
// copy: who is started with what, who waits, and how the copy goes.
#include "sweepall/launch.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/sweepall/fakes.h"

namespace sweepall {
namespace {

using fakes::FakeFileSystem;
using fakes::FakeProgramCopy;
using fakes::FakeSystemInfo;

TEST(LaunchRequest, SwitchesComeOffTheFrontAndTheRestIsTheScript) {
  LaunchRequest r = ParseLaunchRequest("/T /S C:\\Program Files\\Keydeck\\Uninstall.ini");
  EXPECT_TRUE(r.fromTempCopy);
  EXPECT_TRUE(r.silent);
  EXPECT_EQ(r.original, 0u);
  EXPECT_EQ(r.script, "C:\\Program Files\\Keydeck\\Uninstall.ini") << "blanks inside stay";

  r = ParseLaunchRequest("/s\t/p4242  un.ini");
  EXPECT_TRUE(r.silent) << "letters in either case, tabs as blanks";
  EXPECT_EQ(r.original, 4242u);
  EXPECT_FALSE(r.fromTempCopy);
  EXPECT_EQ(r.script, "un.ini");

  r = ParseLaunchRequest("/T");
  EXPECT_TRUE(r.fromTempCopy);
  EXPECT_EQ(r.script, "");
}

TEST(LaunchRequest, AnythingElseIsTheScriptNameUnchanged) {
  for (const std::string line : {"C:\\setup\\un.ini", "/Sweep.ini", "/X un.ini", "/P un.ini",
                                 "/P0 un.ini", "/P12x un.ini", "/P99999999999 un.ini",
                                 " /T un.ini", "/ un.ini", ""}) {
    const LaunchRequest r = ParseLaunchRequest(line);
    EXPECT_EQ(r.script, line);
    EXPECT_FALSE(r.fromTempCopy || r.silent || r.original) << line;
  }
  // A switch stops the scan only where it is not one: the script may then
  // begin with something switch-like.
  EXPECT_EQ(ParseLaunchRequest("/S /Q x").script, "/Q x");
}

TEST(LaunchRequest, TheCopysCommandLineReadsBackAfterItsProgramName) {
  const std::string path = "C:\\WINDOWS\\TEMP\\swp1.exe";
  const std::string line = CopyCommandLine(path, 77, true, "C:\\Program Files\\K\\Uninstall.ini");
  EXPECT_EQ(line, "\"C:\\WINDOWS\\TEMP\\swp1.exe\" /P77 /S C:\\Program Files\\K\\Uninstall.ini");
  const std::string tail = line.substr(path.size() + 3);  // what WinMain gets
  const LaunchRequest r = ParseLaunchRequest(tail);
  EXPECT_EQ(r.original, 77u);
  EXPECT_TRUE(r.silent);
  EXPECT_FALSE(r.fromTempCopy) << "the copy must not copy itself again";
  EXPECT_EQ(r.script, "C:\\Program Files\\K\\Uninstall.ini");
  EXPECT_EQ(CopyCommandLine(path, 5, false, "u.ini"), "\"" + path + "\" /P5 u.ini");
}

TEST(Wininit, RemovalGoesIntoTheRenameSectionKeepingOtherLines) {
  EXPECT_EQ(AddWininitRemoval("", "C:\\WINDOWS\\TEMP\\SWP1.EXE"),
            "[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\SWP1.EXE\r\n");
  EXPECT_EQ(AddWininitRemoval("[other]\r\na=b", "X"), "[other]\r\na=b\r\n[rename]\r\nNUL=X\r\n");
  EXPECT_EQ(AddWininitRemoval("[Rename]\r\nNUL=C:\\OLD.DLL\r\n[x]\r\n", "X"),
            "[Rename]\r\nNUL=X\r\nNUL=C:\\OLD.DLL\r\n[x]\r\n")
      << "a second NUL line beside the first, in a section of any case";
  EXPECT_EQ(AddWininitRemoval("; no [rename] here\r\n", "X"),
            "; no [rename] here\r\n[rename]\r\nNUL=X\r\n")
      << "only a section line counts";
  EXPECT_EQ(AddWininitRemoval("[rename]", "X"), "[rename]\r\nNUL=X\r\n");
  EXPECT_EQ(AddWininitRemoval("[rename]\nA=B\n", "X"), "[rename]\nNUL=X\r\nA=B\n");
}

TEST(Wininit, DirectlyInsideAFolder) {
  EXPECT_TRUE(IsDirectlyInside("C:\\WINDOWS\\TEMP\\swp1.exe", "C:\\WINDOWS\\TEMP"));
  EXPECT_TRUE(IsDirectlyInside("c:\\windows\\temp\\SWP1.EXE", "C:\\WINDOWS\\TEMP\\"));
  EXPECT_FALSE(IsDirectlyInside("C:\\WINDOWS\\TEMP\\sub\\swp1.exe", "C:\\WINDOWS\\TEMP"));
  EXPECT_FALSE(IsDirectlyInside("C:\\WINDOWS\\TEMPX\\swp1.exe", "C:\\WINDOWS\\TEMP"));
  EXPECT_FALSE(IsDirectlyInside("C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\TEMP"));
  EXPECT_FALSE(IsDirectlyInside("C:\\x.exe", ""));
}

class Launch : public ::testing::Test {
 protected:
  Launch() { copy.files = &files; }
  FakeProgramCopy copy;
  FakeFileSystem files;
  FakeSystemInfo system;
  Launcher launcher{copy, files, system};
};

TEST_F(Launch, TheOriginalStartsItsCopyInTheTempFolderAndEnds) {
  const LaunchRequest r = ParseLaunchRequest("/T /S C:\\Program Files\\Keydeck\\Uninstall.ini");
  EXPECT_FALSE(launcher.BeforeDialog(r)) << "the copy carries on";
  ASSERT_EQ(copy.started.size(), 1u);
  EXPECT_EQ(copy.started[0].path, "C:\\WINDOWS\\TEMP\\swp1.exe");
  EXPECT_EQ(copy.started[0].commandLine,
            "\"C:\\WINDOWS\\TEMP\\swp1.exe\" /P77 /S C:\\Program Files\\Keydeck\\Uninstall.ini");
  EXPECT_EQ(copy.started[0].folder, "C:\\WINDOWS\\TEMP")
      << "not the program folder, which the run removes";
  launcher.AfterDialog(r);
  EXPECT_TRUE(copy.deletedAtRestart.empty()) << "the original deletes nothing";
}

TEST_F(Launch, WithoutACopyTheRunGoesOnInPlace) {
  copy.canCopy = false;
  EXPECT_TRUE(launcher.BeforeDialog(ParseLaunchRequest("/T un.ini")));
  EXPECT_TRUE(copy.started.empty());

  copy.canCopy = true;
  copy.canStart = false;
  EXPECT_TRUE(launcher.BeforeDialog(ParseLaunchRequest("/T un.ini")));
  EXPECT_FALSE(files.Exists(copy.copyName)) << "a copy that did not start is removed";

  EXPECT_TRUE(launcher.BeforeDialog(ParseLaunchRequest("un.ini")));
  EXPECT_EQ(copy.started.size(), 1u) << "no /T: no copy";
  EXPECT_TRUE(copy.waits.empty());
}

TEST_F(Launch, TheCopyWaitsForTheOriginalThenIsDeletedAtTheNextStart) {
  copy.self = "C:\\WINDOWS\\TEMP\\swp1.exe";
  const LaunchRequest r = ParseLaunchRequest("/P77 un.ini");
  EXPECT_TRUE(launcher.BeforeDialog(r));
  ASSERT_EQ(copy.waits.size(), 1u);
  EXPECT_EQ(copy.waits[0].first, 77u);
  EXPECT_EQ(copy.waits[0].second, Launcher::kOriginalWaitMs);
  EXPECT_TRUE(copy.started.empty());
  launcher.AfterDialog(r);
  EXPECT_EQ(copy.deletedAtRestart, std::vector<std::string>{"C:\\WINDOWS\\TEMP\\swp1.exe"});
  EXPECT_TRUE(copy.written.empty());
}

TEST_F(Launch, On9xTheCopyIsNamedInWininitBesideEarlierLines) {
  system.nt = false;
  copy.self = "C:\\WINDOWS\\TEMP\\swp1.exe";
  files.AddFile("C:\\WINDOWS\\WININIT.INI", "[rename]\r\nNUL=C:\\OLD.DLL\r\n");
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  EXPECT_TRUE(copy.deletedAtRestart.empty());
  EXPECT_EQ(copy.written["C:\\WINDOWS\\WININIT.INI"],
            "[rename]\r\nNUL=SHORT:C:\\WINDOWS\\TEMP\\swp1.exe\r\nNUL=C:\\OLD.DLL\r\n");
}

TEST_F(Launch, OnlyACopyInTheTempFolderDeletesItself) {
  // "/P" typed at the installed program: its file must stay.
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  system.nt = false;
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  EXPECT_TRUE(copy.deletedAtRestart.empty());
  EXPECT_TRUE(copy.written.empty());
}

TEST_F(Launch, AWininitThatCannotBeReadIsLeftAlone) {
  system.nt = false;
  copy.self = "C:\\WINDOWS\\TEMP\\swp1.exe";
  files.AddDirectory("C:\\WINDOWS\\WININIT.INI");  // there, but no readable file
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  EXPECT_TRUE(copy.written.empty());
}

}  // namespace
}  // namespace sweepall
