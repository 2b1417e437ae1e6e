// The switches in front of the script name and the run from a temporary
// copy: who is started with what, who waits, and how the copy goes.
#include "sweepall/launch.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/sweepall/fakes.h"

namespace sweepall {
namespace {

TEST(LaunchRequest, SwitchesComeOffTheFrontOnly) {
  LaunchRequest r = ParseLaunchRequest("/t\t/S C:\\Program Files\\Keydeck\\Uninstall.ini");
  EXPECT_TRUE(r.fromTempCopy && r.silent);
  EXPECT_EQ(r.script, "C:\\Program Files\\Keydeck\\Uninstall.ini") << "blanks inside stay";
  EXPECT_EQ(ParseLaunchRequest("/S /Q x").script, "/Q x");
  for (const std::string line : {"/Sweep.ini", "/X un.ini", "/P un.ini", "/P0 un.ini",
                                 "/P12x un.ini", "/P99999999999 un.ini", " /T un.ini", ""}) {
    r = ParseLaunchRequest(line);
    EXPECT_EQ(r.script, line);
    EXPECT_FALSE(r.fromTempCopy || r.silent || r.original) << line;
  }
  // What the copy's WinMain gets after its own quoted name.
  const std::string line = CopyCommandLine("C:\\T\\swp1.exe", 77, true, "C:\\P F\\un.ini");
  EXPECT_EQ(line, "\"C:\\T\\swp1.exe\" /P77 /S C:\\P F\\un.ini");
  r = ParseLaunchRequest(line.substr(std::string("\"C:\\T\\swp1.exe\" ").size()));
  EXPECT_EQ(r.original, 77u);
  EXPECT_TRUE(r.silent);
  EXPECT_FALSE(r.fromTempCopy) << "the copy must not copy itself again";
  EXPECT_EQ(r.script, "C:\\P F\\un.ini");
}

TEST(LaunchRequest, WininitGetsANulLineInItsRenameSection) {
  EXPECT_EQ(AddWininitRemoval("", "X"), "[rename]\r\nNUL=X\r\n");
  EXPECT_EQ(AddWininitRemoval("[other]\r\na=b", "X"), "[other]\r\na=b\r\n[rename]\r\nNUL=X\r\n");
  EXPECT_EQ(AddWininitRemoval("; [rename]\r\n[Rename]\r\nNUL=C:\\OLD.DLL\r\n", "X"),
            "; [rename]\r\n[Rename]\r\nNUL=X\r\nNUL=C:\\OLD.DLL\r\n")
      << "beside an earlier NUL line, in the section line of any case";
  EXPECT_EQ(AddWininitRemoval("[rename]", "X"), "[rename]\r\nNUL=X\r\n");
}

class Launch : public ::testing::Test {
 protected:
  Launch() { copy.files = &files; }
  fakes::FakeProgramCopy copy;
  fakes::FakeFileSystem files;
  fakes::FakeSystemInfo system;
  Launcher launcher{copy, files, system};
};

TEST_F(Launch, TheOriginalStartsItsCopyInTheTempFolderAndEnds) {
  files.AddFile("C:\\K\\un.ini");
  files.AddFile("C:\\setup\\un.ini");
  EXPECT_FALSE(launcher.BeforeDialog(ParseLaunchRequest("/T /S C:\\K\\un.ini")));
  ASSERT_EQ(copy.started.size(), 1u);
  EXPECT_EQ(copy.started[0].path, "C:\\WINDOWS\\TEMP\\swp1.exe");
  EXPECT_EQ(copy.started[0].commandLine, "\"C:\\WINDOWS\\TEMP\\swp1.exe\" /P77 /S C:\\K\\un.ini");
  EXPECT_EQ(copy.started[0].folder, "C:\\WINDOWS\\TEMP") << "not the folder the run removes";

  // No copy, or one that does not start: the run goes on in place.
  system.current = "C:\\setup";
  copy.canStart = false;
  EXPECT_TRUE(launcher.BeforeDialog(ParseLaunchRequest("/T un.ini")));
  EXPECT_FALSE(files.Exists(copy.copyName)) << "the copy that did not start is removed";
  copy.canCopy = false;
  EXPECT_TRUE(launcher.BeforeDialog(ParseLaunchRequest("/T un.ini")));
  EXPECT_EQ(copy.started.size(), 2u);
  EXPECT_TRUE(copy.waits.empty());
}

TEST_F(Launch, RelativeScriptIsResolvedInTheStartFolderBeforeTheCopy) {
  // Started in the product folder; the copy runs in the temporary folder,
  // where the same name would find a foreign script.
  system.current = "C:\\Program Files\\Keydeck";
  files.AddFile("C:\\Program Files\\Keydeck\\Uninstall.ini", "[x]");
  files.AddFile("C:\\WINDOWS\\TEMP\\Uninstall.ini", "[foreign]");
  files.AddFile("C:\\WINDOWS\\Uninstall.ini", "[foreign]");
  EXPECT_FALSE(launcher.BeforeDialog(ParseLaunchRequest("/T /S Uninstall.ini")));
  ASSERT_EQ(copy.started.size(), 1u);
  EXPECT_EQ(copy.started[0].commandLine,
            "\"C:\\WINDOWS\\TEMP\\swp1.exe\" /P77 /S C:\\Program Files\\Keydeck\\Uninstall.ini");
}

TEST_F(Launch, ScriptIsLookedForAsTheDialogDoesThenMadeFull) {
  // Not in the start folder: the Windows directory's, then Sweepall.ini
  // of the start folder; a drive-relative name takes the start drive.
  system.current = "C:\\Program Files\\Keydeck";
  files.AddFile("C:\\WINDOWS\\kd.ini");
  files.AddFile("C:\\Program Files\\Keydeck\\Sweepall.ini");
  files.AddFile("C:\\kd\\root.ini");
  const struct {
    const char* given;
    const char* used;
  } cases[] = {{"kd.ini", "C:\\WINDOWS\\kd.ini"},
               {"none.ini", "C:\\Program Files\\Keydeck\\Sweepall.ini"},
               {"\\kd\\root.ini", "C:\\kd\\root.ini"},
               {"C:\\kd\\root.ini", "C:\\kd\\root.ini"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    copy.started.clear();
    EXPECT_FALSE(launcher.BeforeDialog(ParseLaunchRequest(std::string("/T ") + c.given)));
    ASSERT_EQ(copy.started.size(), 1u);
    EXPECT_EQ(copy.started[0].commandLine,
              std::string("\"C:\\WINDOWS\\TEMP\\swp1.exe\" /P77 ") + c.used);
  }
}

TEST_F(Launch, NoScriptNoCopySoTheRunInPlaceCanSaySo) {
  EXPECT_TRUE(launcher.BeforeDialog(ParseLaunchRequest("/T /S none.ini")));
  EXPECT_TRUE(copy.started.empty());
  EXPECT_FALSE(files.Exists(copy.copyName)) << "no copy made";
}

TEST_F(Launch, TheCopyWaitsForTheOriginalThenGoesAtTheNextStart) {
  copy.self = "C:\\WINDOWS\\TEMP\\swp1.exe";
  const LaunchRequest r = ParseLaunchRequest("/P77 un.ini");
  EXPECT_TRUE(launcher.BeforeDialog(r));
  ASSERT_EQ(copy.waits.size(), 1u);
  EXPECT_EQ(copy.waits[0].first, 77u);
  launcher.AfterDialog(r);
  EXPECT_EQ(files.removedAtRestart, std::vector<std::string>{copy.self});

  // The 9x family: a line in WININIT.INI, in short form, earlier lines kept.
  system.nt = false;
  files.AddFile("C:\\WINDOWS\\WININIT.INI", "[rename]\r\nNUL=C:\\OLD.DLL\r\n");
  launcher.AfterDialog(r);
  EXPECT_EQ(files.written["C:\\WINDOWS\\WININIT.INI"],
            "[rename]\r\nNUL=SHORT:C:\\WINDOWS\\TEMP\\swp1.exe\r\nNUL=C:\\OLD.DLL\r\n");
}

TEST_F(Launch, OnlyACopyInTheTempFolderDeletesItselfAndNoWininitIsLost) {
  // "/P" typed at the installed program: its file must stay.
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  copy.self = "C:\\WINDOWS\\TEMP\\sub\\swp1.exe";
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  EXPECT_TRUE(files.removedAtRestart.empty());

  // A WININIT.INI that is there but can't be read is not rewritten.
  system.nt = false;
  copy.self = "c:\\windows\\temp\\SWP1.EXE";
  files.AddDirectory("C:\\WINDOWS\\WININIT.INI");
  launcher.AfterDialog(ParseLaunchRequest("/P77 un.ini"));
  EXPECT_TRUE(files.written.empty());
}

}  // namespace
}  // namespace sweepall
