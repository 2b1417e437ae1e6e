// Whole scripts run against the fakes: each section and entry kind, its log
// line, both platform families and the bad-input cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sweepall/uninstall_dialog.h"
#include "tests/sweepall/fakes.h"

namespace sweepall {
namespace {

using fakes::FakeSystem;
using fakes::Script;
using Lines = std::vector<std::string>;

constexpr char kUninstallProduct[] =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prod";

class ScriptRun : public ::testing::Test, protected fakes::DialogRig {
 protected:
  // Starts the dialog on an Option 0 script whose work lines follow the
  // header, ticks the log box and clicks OK; returns the log lines.
  Lines RunLogged(const Lines& work, const Lines& header = {}) {
    Lines all = {"[Header]", "Name=Prod", "Option=0"};
    all.insert(all.end(), header.begin(), header.end());
    all.insert(all.end(), work.begin(), work.end());
    Start(all);
    dialog.OnLogBoxClicked();
    dialog.OnOk();
    return f.log.Lines();
  }
};

TEST_F(ScriptRun, WindowsDirectoryFilesAreDeletedAndLogged) {
  f.files.AddFile("C:\\WINDOWS\\keydeck.ini", "", /*readOnly=*/true);
  f.files.AddDirectory("C:\\WINDOWS\\kdtemp");
  f.files.AddDirectory("C:\\WINDOWS\\full");
  f.files.AddFile("C:\\WINDOWS\\full\\keep.txt");
  const Lines log = RunLogged({"[W", "keydeck.ini", "gone.dll", "kdtemp", "full"});
  EXPECT_EQ(log, (Lines{
                     "Delete File : C:\\WINDOWS\\keydeck.ini-->Remove Successful !",
                     "Not Found : C:\\WINDOWS\\gone.dll",
                     "Remove Directory : C:\\WINDOWS\\kdtemp",
                     "Remove Directory : C:\\WINDOWS\\full",
                 }));
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\keydeck.ini")) << "read-only files go too";
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\kdtemp"));
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\full")) << "only an empty directory goes";
}

TEST_F(ScriptRun, SystemDirectoryFileThatCantGoIsLoggedAsFailed) {
  f.files.AddFile("C:\\WINDOWS\\system32\\kd.sys");
  f.files.AddFile("C:\\WINDOWS\\system32\\kd.dll");
  f.files.Lock("C:\\WINDOWS\\system32\\kd.dll");
  f.files.canMarkForRestart = false;
  const Lines log = RunLogged({"[S", "kd.sys", "kd.sys", "kd.dll"});
  EXPECT_EQ(log, (Lines{
                     "Delete File : C:\\WINDOWS\\system32\\kd.sys-->Remove Successful !",
                     "Not Found : C:\\WINDOWS\\system32\\kd.sys",
                     "Delete File : C:\\WINDOWS\\system32\\kd.dll-->Remove fail !",
                 }));
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\system32\\kd.dll"));
}

TEST_F(ScriptRun, UsSectionTakesItsBaseDirectoryFromTheNextLine) {
  f.files.AddDirectory("D:\\Program Files\\Keydeck");
  f.files.AddFile("D:\\Program Files\\Keydeck\\keydeck.exe");
  const Lines log = RunLogged({"[Us", "D:\\Program Files\\Keydeck", "keydeck.exe", "   "});
  EXPECT_EQ(log, (Lines{
                     "Delete File : D:\\Program Files\\Keydeck\\keydeck.exe-->Remove Successful !",
                     "Remove Directory : D:\\Program Files\\Keydeck\\",
                 }));
  EXPECT_FALSE(f.files.Exists("D:\\Program Files\\Keydeck"))
      << "a blank-only entry names the base directory itself, removed once empty";
}

TEST_F(ScriptRun, ProgramsFolderComesFromShellFoldersPerFamily) {
  f.registry.SetValue("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      "Common Programs", "C:\\All\\Programs");
  f.registry.SetValue(
      "HKU\\.DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
      "Programs", "C:\\WINDOWS\\Start Menu\\Programs");
  f.files.AddDirectory("C:\\All\\Programs\\Keydeck");
  Lines log = RunLogged({"[G", "Keydeck"});
  EXPECT_EQ(log, (Lines{"Remove Directory : C:\\All\\Programs\\Keydeck"}));

  f.system.nt = false;
  dialog.OnOk();
  EXPECT_EQ(f.log.Lines(), (Lines{"Not Found : C:\\WINDOWS\\Start Menu\\Programs\\Keydeck"}));
}

TEST_F(ScriptRun, ProgramsFolderFallsBackWhenShellFoldersIsMissing) {
  Lines log = RunLogged({"[G", "Keydeck"});
  EXPECT_EQ(log, (Lines{"Not Found : c:\\WinNT\\start\\Keydeck"}));
  f.system.nt = false;
  dialog.OnOk();
  EXPECT_EQ(f.log.Lines(), (Lines{"Not Found : c:\\Windows\\start\\Keydeck"}));
}

TEST_F(ScriptRun, EmptyProgramsFolderValueDeletesNothingAtTheDriveRoot) {
  f.registry.AddKey("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  f.files.AddFile("\\Keydeck");
  const Lines log = RunLogged({"[G", "Keydeck"});
  EXPECT_EQ(log, (Lines{"Not Found : \\Keydeck"}));
  EXPECT_TRUE(f.files.Exists("\\Keydeck"));
  EXPECT_TRUE(f.files.probes.empty()) << "the path must not even be looked at";
}

TEST_F(ScriptRun, FullPathDeleteTriesFileThenDirectory) {
  f.files.AddFile("C:\\Temp\\a.tmp", "", true);
  f.files.AddDirectory("C:\\Temp\\dir");
  const Lines log = RunLogged({"[Re", "C:\\Temp\\a.tmp", "C:\\Temp\\dir"});
  EXPECT_EQ(log, (Lines{
                     "Delete File :C:\\Temp\\a.tmp-->Remove Successful !",
                     "Delete File :C:\\Temp\\dirRemove fail !Remove Directory:C:\\Temp\\dir",
                 }));
  EXPECT_FALSE(f.files.Exists("C:\\Temp\\a.tmp"));
  EXPECT_FALSE(f.files.Exists("C:\\Temp\\dir"));
}

TEST_F(ScriptRun, AddValueSetsTheSectionsValueNameToEachEntry) {
  f.registry.AddKey("HKCU\\Software\\Vendor");
  const Lines log = RunLogged({"[A", "2", "Software\\Vendor", "Path", "C:\\Old", "C:\\New",
                               "[Ab", "2", "Software\\Missing", "Path", "C:\\X"});
  EXPECT_EQ(log, (Lines{
                     "Add Key Value: Path--> Successful !",
                     "Add Key Value: Path--> Successful !",
                     "Add Key Value: Path",
                 }));
  EXPECT_EQ(f.registry.Value("HKCU\\Software\\Vendor", "Path"), "C:\\New");
  EXPECT_FALSE(f.registry.HasKey("HKCU\\Software\\Missing")) << "the key must exist already";
}

TEST_F(ScriptRun, DeleteKeyTakesTheTreeOnNt) {
  f.registry.AddKey("HKLM\\Software\\Vendor\\Prod\\Deep\\Deeper");
  f.registry.AddKey("HKLM\\Software\\Vendor\\Prod\\Side");
  const Lines log = RunLogged({"[K", "3", "Software\\Vendor\\Prod", "Software\\None"});
  EXPECT_EQ(log, (Lines{
                     "Delete Key : Software\\Vendor\\Prod--> Successful !",
                     "Delete Key : Software\\None--> Fail !",
                 }));
  EXPECT_FALSE(f.registry.HasKey("HKLM\\Software\\Vendor\\Prod"));
  EXPECT_TRUE(f.registry.HasKey("HKLM\\Software\\Vendor"));
  EXPECT_EQ(f.registry.deleted,
            (Lines{"hklm\\software\\vendor\\prod\\deep\\deeper", "hklm\\software\\vendor\\prod\\deep",
                   "hklm\\software\\vendor\\prod\\side", "hklm\\software\\vendor\\prod"}));
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(ScriptRun, DeleteKeyIsPlainOn9x) {
  f.system.nt = false;
  f.registry.AddKey("HKCU\\Software\\Vendor\\Prod\\Deep");
  const Lines log = RunLogged({"[K", "2", "Software\\Vendor\\Prod", " "});
  EXPECT_EQ(log, (Lines{
                     "Delete Key : Software\\Vendor\\Prod--> Successful !",
                     "Delete Key : --> Fail !",
                 }));
  EXPECT_FALSE(f.registry.HasKey("HKCU\\Software\\Vendor\\Prod\\Deep"));
  EXPECT_TRUE(f.registry.HasKey("HKCU\\Software")) << "an empty entry must not delete the root";
}

TEST_F(ScriptRun, LinksGoAsLinksOnBothFamilies) {
  for (const bool nt : {true, false}) {
    SCOPED_TRACE(nt ? "NT" : "9x");
    FakeSystem g;
    g.system.nt = nt;
    g.registry.SetValue("HKLM\\Software\\Target\\Sub", "v", "1");
    g.registry.AddLink("HKLM\\Software\\Lnk", "HKLM\\Software\\Target");
    // Inside a tree: to a key outside it, and back to the tree's top.
    g.registry.AddKey("HKLM\\Software\\Tree\\a\\b");
    g.registry.AddLink("HKLM\\Software\\Tree\\a\\out", "HKLM\\Software\\Target");
    g.registry.AddLink("HKLM\\Software\\Tree\\loop", "HKLM\\Software\\Tree");
    g.files.AddFile("C:\\setup\\un.ini", Script({"[Header]", "Option=2", "[K", "3", "Software\\Lnk",
                                                  "Software\\Tree"}));
    UninstallDialog d{g.platform};
    d.Start("C:\\setup\\un.ini");
    EXPECT_FALSE(g.registry.HasKey("HKLM\\Software\\Lnk"));
    EXPECT_FALSE(g.registry.HasKey("HKLM\\Software\\Tree"));
    EXPECT_TRUE(g.registry.HasValue("HKLM\\Software\\Target\\Sub", "v"));
    EXPECT_EQ(g.registry.open_handles(), 0);
  }
}

TEST_F(ScriptRun, RefusedPlainDeletionOn9xFallsBackToTheTree) {
  f.system.nt = false;
  f.registry.subtreeGoesOn9x = false;
  f.registry.AddKey("HKCU\\Software\\Vendor\\Prod\\L2\\L3");
  const Lines log = RunLogged({"[K", "2", "Software\\Vendor\\Prod", "Software\\Gone"});
  EXPECT_EQ(log, (Lines{
                     "Delete Key : Software\\Vendor\\Prod--> Successful !",
                     "Delete Key : Software\\Gone--> Fail !",
                 }));
  EXPECT_FALSE(f.registry.HasKey("HKCU\\Software\\Vendor\\Prod"));
}

TEST_F(ScriptRun, TwoDeleteValueEntriesGiveTwoLines) {
  f.registry.SetValue("HKLM\\Software\\Run", "Keydeck", "keydeck.exe");
  f.registry.SetValue("HKLM\\Software\\Run", "Other", "other.exe");
  const Lines log = RunLogged({"[V", "3", "Software\\Run", "Keydeck", "Missing"});
  EXPECT_EQ(log, (Lines{
                     "Delete Key Value :Software\\Run\\Keydeck-->Delete Successful !",
                     "Delete Key Value :Software\\Run\\Missing-->Delete fail !",
                 }));
  EXPECT_FALSE(f.registry.HasValue("HKLM\\Software\\Run", "Keydeck"));
  EXPECT_TRUE(f.registry.HasValue("HKLM\\Software\\Run", "Other"));
}

TEST_F(ScriptRun, RunEntriesStartProgramsAndWaitASecondUnlogged) {
  const Lines log = RunLogged({"[R", "regsvr32 /s /u kd.dll", "  notepad.exe"});
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.programs.started, (Lines{"regsvr32 /s /u kd.dll", "  notepad.exe"}))
      << "entries are used unchanged, leading blanks included";
  EXPECT_EQ(f.programs.pauses, (std::vector<unsigned>{1000, 1000}));
}

TEST_F(ScriptRun, MessageEntriesUseTheSectionTitle) {
  const Lines log = RunLogged({"[M", "Keydeck Setup", "Please unplug the receiver."});
  EXPECT_TRUE(log.empty());
  ASSERT_EQ(f.view.messages.size(), 1u);
  EXPECT_EQ(f.view.messages[0].first, "Please unplug the receiver.");
  EXPECT_EQ(f.view.messages[0].second, "Keydeck Setup");
}

TEST_F(ScriptRun, ControlPanelEntriesOpenAppletsAndLogTheOutcome) {
  Lines log = RunLogged({"[C", "main.cpl,@1", "  "});
  EXPECT_EQ(log, (Lines{"Open Successful !", "Open Successful !"}));
  EXPECT_EQ(f.programs.started, (Lines{"rundll32.exe shell32.dll,Control_RunDLL main.cpl,@1",
                                       "rundll32.exe shell32.dll,Control_RunDLL"}));
  f.programs.startResult = 2;
  dialog.OnOk();
  EXPECT_EQ(f.log.Lines(), (Lines{"Open fail !", "Open fail !"}));
}

TEST_F(ScriptRun, SecurityResetCoversTheTreeOnNtOnly) {
  f.registry.AddKey("HKLM\\System\\CurrentControlSet\\Enum\\HID\\VID_1\\Inst");
  Lines log = RunLogged({"[N", "System\\CurrentControlSet\\Enum\\HID", "Software\\Nothing"});
  EXPECT_EQ(log, (Lines{
                     "Reset Registry SecuritySystem\\CurrentControlSet\\Enum\\HID-->Reset Successful !",
                     "Reset Registry SecuritySoftware\\Nothing-->Reset fail !",
                 }));
  EXPECT_GE(f.registry.Find("HKLM\\System\\CurrentControlSet\\Enum\\HID")->resets, 1);
  EXPECT_GE(f.registry.Find("HKLM\\System\\CurrentControlSet\\Enum\\HID\\VID_1")->resets, 1);
  EXPECT_GE(f.registry.Find("HKLM\\System\\CurrentControlSet\\Enum\\HID\\VID_1\\Inst")->resets, 1);

  f.system.nt = false;
  f.registry.resets.clear();
  dialog.OnOk();
  EXPECT_EQ(f.log.Lines()[0],
            "Reset Registry SecuritySystem\\CurrentControlSet\\Enum\\HID-->Reset fail !");
  EXPECT_TRUE(f.registry.resets.empty());
}

TEST_F(ScriptRun, BlankSecurityResetEntryLeavesHklmItselfAlone) {
  f.registry.AddKey("HKLM\\Software\\Vendor");
  const Lines log = RunLogged({"[N", "   ", "Software\\Vendor"});
  EXPECT_EQ(log, (Lines{
                     "Reset Registry Security-->Reset fail !",
                     "Reset Registry SecuritySoftware\\Vendor-->Reset Successful !",
                 }));
  for (const std::string& key : f.registry.resets)
    EXPECT_NE(key, "hklm") << "the root's own security was replaced";
  EXPECT_GE(f.registry.Find("HKLM\\Software\\Vendor")->resets, 1);
}

TEST_F(ScriptRun, QuitSectionPostsAndKeepsTheSectionKind) {
  f.files.AddFile("C:\\WINDOWS\\a");
  f.files.AddFile("C:\\WINDOWS\\b");
  const Lines log = RunLogged({"[W", "a", "[Q", "KeydeckClass", "WIRELESS KEYBOARD SETUP", "b"});
  ASSERT_EQ(f.programs.quitPosted.size(), 1u);
  EXPECT_EQ(f.programs.quitPosted[0].first, "KeydeckClass");
  EXPECT_EQ(f.programs.quitPosted[0].second, "WIRELESS KEYBOARD SETUP");
  EXPECT_EQ(f.programs.quitWaits, std::vector<unsigned>{30000}) << "waits for the program's end";
  EXPECT_EQ(log.size(), 2u);
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\b"));
}

TEST_F(ScriptRun, UnKeepsTheKindDEndsItCommentsDoNot) {
  for (const char* name : {"a", "b", "c", "d"}) f.files.AddFile(std::string("C:\\WINDOWS\\") + name);
  const Lines log = RunLogged({"[W", "a", "; a comment", "b", "[Un", "c", "[D", "d"});
  EXPECT_EQ(log.size(), 3u);
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\c")) << "[Un keeps the file section";
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\d")) << "[D ends it";
}

TEST_F(ScriptRun, LowerCaseSectionLettersSelectNothing) {
  f.files.AddFile("C:\\WINDOWS\\a");
  const Lines log = RunLogged({"[w", "a"});
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\a"));
}

TEST_F(ScriptRun, RunStartsAtTheSecondSectionLine) {
  f.files.AddFile("C:\\WINDOWS\\a");
  // The header's own "[" is the first; lines before the second are
  // header lines, never entries.
  const Lines log = RunLogged({"a", "[W", "a"});
  EXPECT_EQ(log, (Lines{"Delete File : C:\\WINDOWS\\a-->Remove Successful !"}));
}

TEST_F(ScriptRun, UninstallKeyGoesOnceAtTheEndWithItsTree) {
  f.registry.AddKey(std::string(kUninstallProduct) + "\\Sub");
  f.registry.SetValue(kUninstallProduct, "DisplayName", "Prod");
  std::vector<bool> present;
  f.programs.onStart = [&](const std::string&) {
    present.push_back(f.registry.HasKey(kUninstallProduct));
  };
  RunLogged({"[R", "first", "second", "[W", "x", "[R", "last"}, {"Uninstall=Prod"});
  EXPECT_EQ(present, (std::vector<bool>{true, true, true})) << "the entry stays while the work runs";
  EXPECT_FALSE(f.registry.HasKey(kUninstallProduct));
  const std::string key = fakes::Lower(kUninstallProduct);
  EXPECT_EQ(f.registry.deleteCalls, (Lines{key + "\\sub", key})) << "the tree, once";
}

TEST_F(ScriptRun, UninstallKeyIsPlainDeletedOn9x) {
  f.system.nt = false;
  f.registry.AddKey(std::string(kUninstallProduct) + "\\Sub");
  std::vector<bool> present;
  f.programs.onStart = [&](const std::string&) {
    present.push_back(f.registry.HasKey(kUninstallProduct));
  };
  RunLogged({"[R", "first", "last"}, {"Uninstall=Prod"});
  EXPECT_EQ(present, (std::vector<bool>{true, true}));
  EXPECT_FALSE(f.registry.HasKey(kUninstallProduct));
  EXPECT_EQ(f.registry.deleteCalls, Lines{fakes::Lower(kUninstallProduct)})
      << "one plain deletion takes the subkeys on 9x";
}

TEST_F(ScriptRun, FileInUseIsRemovedAtTheNextStart) {
  f.files.AddFile("C:\\WINDOWS\\in use.dll");
  f.files.Lock("C:\\WINDOWS\\in use.dll");
  f.registry.AddKey(kUninstallProduct);
  const Lines log = RunLogged({"[W", "in use.dll"}, {"Uninstall=Prod"});
  EXPECT_EQ(log, Lines{"Delete File : C:\\WINDOWS\\in use.dll-->Remove at restart !"});
  EXPECT_FALSE(f.registry.HasKey(kUninstallProduct)) << "nothing is left to retry";
}

TEST_F(ScriptRun, FileThatCanNeitherGoNorBeMarkedKeepsTheUninstallKey) {
  f.files.AddFile("C:\\WINDOWS\\in use.dll");
  f.files.Lock("C:\\WINDOWS\\in use.dll");
  f.files.canMarkForRestart = false;
  f.registry.AddKey(kUninstallProduct);
  const Lines log = RunLogged({"[W", "in use.dll", "gone.dll"}, {"Uninstall=Prod"});
  EXPECT_EQ(log, (Lines{"Delete File : C:\\WINDOWS\\in use.dll-->Remove fail !",
                        "Not Found : C:\\WINDOWS\\gone.dll"}));
  EXPECT_TRUE(f.registry.HasKey(kUninstallProduct)) << "the uninstall can be started again";
  // Once the file is free, the next run finishes and the key goes.
  f.files.Unlock("C:\\WINDOWS\\in use.dll");
  dialog.OnOk();
  EXPECT_FALSE(f.registry.HasKey(kUninstallProduct));
}

TEST_F(ScriptRun, FolderOfAFileMarkedForTheNextStartIsMarkedAfterIt) {
  const std::string folder = "C:\\Program Files\\Prod";
  f.files.AddDirectory(folder);
  f.files.AddFile(folder + "\\prod.exe");
  f.files.Lock(folder + "\\prod.exe");
  f.files.AddDirectory("C:\\Program Files\\Prod2");
  f.files.AddFile("C:\\Program Files\\Prod2\\user.txt");
  const Lines log =
      RunLogged({"[Us", folder, "prod.exe", "   ", "[Re", folder, "C:\\Program Files\\Prod2"});
  EXPECT_EQ(log, (Lines{
                     "Delete File : " + folder + "\\prod.exe-->Remove at restart !",
                     "Remove Directory : " + folder + "\\-->Remove at restart !",
                     "Delete File :" + folder + "-->Remove at restart !",
                     "Delete File :C:\\Program Files\\Prod2Remove fail !"
                     "Remove Directory:C:\\Program Files\\Prod2",
                 }));
  EXPECT_EQ(f.files.removedAtRestart, (Lines{folder + "\\prod.exe", folder}))
      << "the folder after its file; a folder of the user's files is not marked";

  // The 9x family's WININIT deletes files only.
  f.system.nt = false;
  f.files.removedAtRestart.clear();
  dialog.OnOk();
  EXPECT_TRUE(f.files.removedAtRestart.empty());
  EXPECT_EQ(f.files.written["C:\\WINDOWS\\WININIT.INI"],
            "[rename]\r\nNUL=SHORT:" + folder + "\\prod.exe\r\n");
  EXPECT_EQ(f.log.Lines()[1], "Remove Directory : " + folder + "\\");
}

TEST_F(ScriptRun, EmptyKeySectionKeepsKeysWithAnythingInThem) {
  f.registry.AddKey("HKLM\\Software\\Vendor\\OtherProduct");
  f.registry.AddKey("HKLM\\Software\\Empty");
  const Lines log = RunLogged({"[P", "3", "Software\\Vendor", "Software\\Empty", "Software\\None",
                               "[P", "7", "Software\\Vendor"});
  EXPECT_EQ(log, (Lines{
                     "Delete Key : Software\\Vendor--> Kept, not empty !",
                     "Delete Key : Software\\Empty--> Successful !",
                     "Delete Key : Software\\None--> Fail !",
                     "Delete Key : Software\\Vendor--> Fail !",
                 }));
  EXPECT_TRUE(f.registry.HasKey("HKLM\\Software\\Vendor\\OtherProduct"));
  EXPECT_FALSE(f.registry.HasKey("HKLM\\Software\\Empty"));
}

TEST_F(ScriptRun, AudioCdCommandKeptInTheUninstallKeyComesBack) {
  const std::string key = "HKCR\\AudioCD\\shell\\play\\command";
  f.registry.SetValue(key, "", "\"C:\\Prod\\prod.exe\" /p %1");
  f.registry.SetValue(kUninstallProduct, "AudioCDCommand", "%ProgramFiles%\\p.exe %1", true);
  RunLogged({"[Au"}, {"Uninstall=Prod"});
  EXPECT_EQ(f.registry.Value(key, ""), std::string("%ProgramFiles%\\p.exe %1") + '\0');
  EXPECT_TRUE(f.registry.IsExpandable(key, ""));
  EXPECT_FALSE(f.registry.HasKey(kUninstallProduct)) << "read before the entry goes";
  // Without an Uninstall header nothing is kept: the CD Player's command.
  FakeSystem g;
  UninstallDialog d{g.platform};
  g.registry.SetValue(key, "", "x");
  g.registry.SetValue(kUninstallProduct, "AudioCDCommand", "kept");
  g.files.AddFile("s.ini", Script({"[H", "Option=2", "[Au"}));
  d.Start("s.ini");
  EXPECT_EQ(g.registry.Value(key, ""), "C:\\WINDOWS\\system32\\cdplayer /play %1");
}

TEST_F(ScriptRun, SecurityResetThatFailsIsLoggedAsFailed) {
  // Nothing of the tree could be reset, then only a subkey could not.
  f.registry.AddKey("HKLM\\Software\\Locked\\Sub");
  f.registry.Deny("HKLM\\Software\\Locked", kWriteDac);
  f.registry.Deny("HKLM\\Software\\Locked\\Sub", kWriteDac);
  f.registry.AddKey("HKLM\\Software\\Half\\Sub");
  f.registry.Deny("HKLM\\Software\\Half\\Sub", kWriteDac);
  const Lines log = RunLogged({"[N", "Software\\Locked", "Software\\Half"});
  EXPECT_EQ(log, (Lines{
                     "Reset Registry SecuritySoftware\\Locked-->Reset fail !",
                     "Reset Registry SecuritySoftware\\Half-->Reset fail !",
                 }));
  EXPECT_GE(f.registry.Find("HKLM\\Software\\Half")->resets, 1) << "the walk went on";
}

TEST_F(ScriptRun, LastLineMayBeASectionWithoutParameters) {
  // Every kind of section line as the script's last line.
  for (const char* last : {"[B", "[C", "[E", "[G", "[N", "[R", "[Re", "[S", "[U", "[W", "[Au",
                           "[x"}) {
    SCOPED_TRACE(last);
    FakeSystem g;
    UninstallDialog d{g.platform};
    g.files.AddFile("s.ini", Script({"[H", "Option=2", "[W", "a", last}));
    g.files.AddFile("C:\\WINDOWS\\a");
    d.Start("s.ini", /*silent=*/true);
    EXPECT_FALSE(g.files.Exists("C:\\WINDOWS\\a"));
  }
}

TEST_F(ScriptRun, UninstallValueThatNamesNoSingleSubkeyIsRefused) {
  // The registry skips trailing and doubled backslashes: "\\" would name
  // the Uninstall key itself, with every product's entry.
  const std::string uninstall = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  for (const bool nt : {true, false}) {
    for (const char* value : {"\\", "\\\\", "Prod\\", "Prod\\Sub", "\\Prod", "\"\\\""}) {
      SCOPED_TRACE(std::string(nt ? "NT " : "9x ") + value);
      FakeSystem g;
      g.system.nt = nt;
      g.registry.AddKey(uninstall + "\\Other\\Details");
      g.registry.AddKey(std::string(kUninstallProduct) + "\\Sub");
      g.files.AddFile("C:\\setup\\un.ini",
                      Script({"[Header]", "Option=2", std::string("Uninstall=") + value, "[R", "x"}));
      UninstallDialog d{g.platform};
      d.Start("C:\\setup\\un.ini");
      EXPECT_EQ(g.programs.started, Lines{"x"}) << "the run itself goes on";
      EXPECT_TRUE(g.registry.HasKey(uninstall + "\\Other\\Details"));
      EXPECT_TRUE(g.registry.HasKey(std::string(kUninstallProduct) + "\\Sub"));
      EXPECT_TRUE(g.registry.deleted.empty()) << g.registry.deleted.front();
    }
  }
}

TEST_F(ScriptRun, OptionThreeReadsNoCommandFromTheUninstallKeyItself) {
  f.registry.SetValue("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "Sweepall",
                      "wrong.exe");
  f.view.answers = {true};
  f.files.AddFile("C:\\setup\\un.ini", Script({"[Header]", "Option=3", "Uninstall=\\", "[R"}));
  dialog.Start("C:\\setup\\un.ini");
  EXPECT_TRUE(f.programs.started.empty()) << f.programs.started.front();
  EXPECT_TRUE(f.view.closed);
}

TEST_F(ScriptRun, ScriptWithOneSectionRunsNothingAndKeepsTheUninstallKey) {
  f.registry.AddKey(kUninstallProduct);
  f.files.AddFile("C:\\WINDOWS\\a");
  RunLogged({"a"}, {"Uninstall=Prod"});
  EXPECT_TRUE(f.registry.HasKey(kUninstallProduct));
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\a"));
  EXPECT_EQ(f.view.status.back(), "Uninstall Successful !");
}

TEST_F(ScriptRun, CurrentRootStaysFromOneRunToTheNext) {
  f.registry.SetValue("HKLM\\Software\\Run", "Keydeck", "x");
  f.registry.SetValue("HKLM\\Software\\Run", "Again", "x");
  // Index 0 is the current root: none yet in the first run.
  Lines log = RunLogged({"[V", "0", "Software\\Run", "Keydeck", "[K", "3"});
  EXPECT_EQ(log, (Lines{"Delete Key Value :Software\\Run\\Keydeck-->Delete fail !"}));
  dialog.OnOk();
  EXPECT_EQ(f.log.Lines(), (Lines{"Delete Key Value :Software\\Run\\Keydeck-->Delete Successful !"}));
}

TEST_F(ScriptRun, RootIndexOutsideTheTableSelectsNoRoot) {
  f.registry.AddKey("HKLM\\Software\\A");
  for (const char* index : {"5", "-1", "99999999999", "x"}) {
    SCOPED_TRACE(index);
    f.log.bytes.clear();
    Lines log = RunLogged({"[K", "3", "[K", index, "Software\\A"});
    EXPECT_EQ(log, (Lines{"Delete Key : Software\\A--> Fail !"}));
    EXPECT_TRUE(f.registry.HasKey("HKLM\\Software\\A"));
  }
}

TEST_F(ScriptRun, RootIndexThatIsNoDecimalNumberSelectsNoRoot) {
  // Read as 0, these would keep the root an earlier section chose.
  f.registry.AddKey("HKLM\\Software\\A");
  f.registry.SetValue("HKLM\\Software\\R", "v", "x");
  for (const char* index : {"HKLM", "3x", "0x3", " ", "+", "3 3"}) {
    SCOPED_TRACE(std::string("[") + index + "]");
    f.log.bytes.clear();
    const Lines log = RunLogged({"[K", "3", "[K", index, "Software\\A", "[V", index, "Software\\R",
                                 "v", "[A", index, "Software\\R", "w", "data"});
    EXPECT_EQ(log, (Lines{"Delete Key : Software\\A--> Fail !",
                          "Delete Key Value :Software\\R\\v-->Delete fail !",
                          "Add Key Value: w"}));
    EXPECT_TRUE(f.registry.HasKey("HKLM\\Software\\A"));
    EXPECT_TRUE(f.registry.HasValue("HKLM\\Software\\R", "v"));
    EXPECT_FALSE(f.registry.HasValue("HKLM\\Software\\R", "w"));
  }
  // Leading blanks and a sign still make a number.
  for (const char* index : {" 3", "+3", "03"}) {
    SCOPED_TRACE(index);
    f.log.bytes.clear();
    f.registry.AddKey("HKLM\\Software\\A");
    EXPECT_EQ(RunLogged({"[K", index, "Software\\A"}),
              (Lines{"Delete Key : Software\\A--> Successful !"}));
  }
}

TEST_F(ScriptRun, EndAfterRunClosesTheDialogAfterOk) {
  RunLogged({"[E"});
  EXPECT_TRUE(f.view.closed);
  EXPECT_EQ(f.view.closeResult, 0);
  EXPECT_EQ(f.view.status.back(), "Uninstall Successful !");
}

TEST_F(ScriptRun, RestartQuestionOnNtUsesThePrivilegeAndForce) {
  f.view.answers = {true};
  RunLogged({"[B", "[R", "after.exe"});
  ASSERT_EQ(f.view.questions.size(), 1u);
  EXPECT_EQ(f.view.questions[0].first, "Restart now?");
  EXPECT_EQ(f.view.questions[0].second, "Prod");
  EXPECT_EQ(f.view.broughtToFront, 1);
  EXPECT_EQ(f.power.exits, (std::vector<unsigned>{6}));
  EXPECT_EQ(f.programs.started, (Lines{"after.exe"})) << "the run goes on either way";
}

TEST_F(ScriptRun, RestartWithoutThePrivilegeDoesNotHappen) {
  f.view.answers = {true};
  f.power.privilegeGranted = false;
  RunLogged({"[B"});
  EXPECT_EQ(f.power.privilegeRequests, 1);
  EXPECT_TRUE(f.power.exits.empty());
}

TEST_F(ScriptRun, RestartOn9xAsksPlainlyAndNoMeansNo) {
  f.system.nt = false;
  f.view.answers = {true, false};
  RunLogged({"[B", "[B"});
  EXPECT_EQ(f.power.privilegeRequests, 0);
  EXPECT_EQ(f.power.exits, (std::vector<unsigned>{2}));
}

TEST_F(ScriptRun, AudioCdCommandPerFamily) {
  const std::string key = "HKCR\\AudioCD\\shell\\play\\command";
  f.registry.AddKey(key);
  RunLogged({"[Au", "ignored entry"});
  EXPECT_EQ(f.registry.Value(key, ""), "C:\\WINDOWS\\system32\\cdplayer /play %1");
  f.system.nt = false;
  dialog.OnOk();
  EXPECT_EQ(f.registry.Value(key, ""), "C:\\WINDOWS\\cdplayer /play");
  EXPECT_TRUE(f.log.Lines().empty());
}

TEST_F(ScriptRun, DriverUpdateUsesTheWindowsInfFolder) {
  f.files.AddFile("C:\\WINDOWS\\inf\\kdhid.inf");
  std::string ids = "HID\\VID_1&PID_2";
  ids += std::string(2, '\0');
  f.devices.present.push_back({ids, kOk});
  const Lines log = RunLogged({"[Up", "kdhid.inf", "hid\\vid_1&pid_2", "entry ignored"});
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.devices.calls.back(), "update hid\\vid_1&pid_2 C:\\WINDOWS\\inf\\kdhid.inf");
}

TEST_F(ScriptRun, ParametersPastTheLastLineAreNeverRead) {
  f.registry.AddKey("HKCU\\Software\\Vendor");
  for (const Lines& work : {Lines{"[A", "2", "Software\\Vendor"}, Lines{"[V", "2"},
                            Lines{"[Q", "Class"}, Lines{"[Up", "x.inf"}, Lines{"[Us"},
                            Lines{"[M"}, Lines{"[K"}}) {
    SCOPED_TRACE(work[0]);
    FakeSystem g;
    UninstallDialog d{g.platform};
    Lines all = {"[H", "Option=0"};
    all.insert(all.end(), work.begin(), work.end());
    g.files.AddFile("s.ini", Script(all));
    d.Start("s.ini");
    d.OnLogBoxClicked();
    d.OnOk();
    EXPECT_TRUE(g.log.Lines().empty());
    EXPECT_TRUE(g.programs.quitPosted.empty());
    EXPECT_TRUE(g.devices.calls.empty());
    EXPECT_EQ(g.view.status.back(), "Uninstall Successful !");
  }
}

TEST_F(ScriptRun, OverlongPathsAreRefusedAndLogLinesCut) {
  const std::string longName(300, 'f');
  f.files.AddFile("C:\\WINDOWS\\" + longName);
  const Lines log = RunLogged({"[W", longName, "[Re", "C:\\" + longName});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], ("Not Found : C:\\WINDOWS\\" + longName).substr(0, 252));
  EXPECT_EQ(log[1].size(), 252u);
  EXPECT_TRUE(f.files.probes.empty()) << "no path longer than its buffer reaches the system";
  EXPECT_TRUE(f.files.Exists("C:\\WINDOWS\\" + longName));
}

TEST_F(ScriptRun, OverlongBaseDirectoryRefusesItsEntries) {
  f.files.AddFile("C:\\a");
  const Lines log = RunLogged({"[Us", "C:\\" + std::string(300, 'd'), "a", "[Us", "C:", "a"});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].substr(0, 12), "Not Found : ");
  EXPECT_EQ(log[1], "Delete File : C:\\a-->Remove Successful !");
}

TEST_F(ScriptRun, OverlongKeyNamesFailCleanly) {
  const std::string longKey(600, 'k');
  f.registry.SetValue("HKLM\\Software\\Run", "v", "x");
  const Lines log = RunLogged({"[K", "3", longKey, "[V", "3", "Software\\" + longKey, "v",
                               "[A", "3", "Software\\" + longKey, longKey, "data"});
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], ("Delete Key : " + longKey).substr(0, 252));
  EXPECT_EQ(log[1].size(), 252u);
  EXPECT_EQ(log[2].size(), 252u);
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(ScriptRun, LongLogLinesAreCutAt252Characters) {
  const std::string entry = "Software\\" + std::string(250, 'x');
  const Lines log = RunLogged({"[K", "3", entry});
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], ("Delete Key : " + entry).substr(0, 252));
}

TEST_F(ScriptRun, LogIsPlainTextAndEachRunRewritesIt) {
  f.files.AddFile("C:\\WINDOWS\\a");
  RunLogged({"[W", "a", "b", "c"});
  EXPECT_EQ(f.log.bytes.find('\0'), std::string::npos);
  EXPECT_EQ(f.log.Lines().size(), 3u);
  dialog.OnOk();
  EXPECT_EQ(f.log.opens, 2);
  EXPECT_EQ(f.log.Lines(), (Lines{"Not Found : C:\\WINDOWS\\a", "Not Found : C:\\WINDOWS\\b",
                                  "Not Found : C:\\WINDOWS\\c"}));
}

TEST_F(ScriptRun, NoLogUntilTheBoxIsClicked) {
  f.files.AddFile("C:\\WINDOWS\\a");
  f.files.AddFile("s.ini", Script({"[x]", "Option=0", "[W", "a"}));
  dialog.Start("s.ini");
  dialog.OnOk();
  EXPECT_EQ(f.log.opens, 0);
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\a")) << "the run itself still happens";
}

TEST_F(ScriptRun, LogThatCantBeOpenedLeavesTheRunGoing) {
  f.log.canOpen = false;
  f.files.AddFile("C:\\WINDOWS\\a");
  RunLogged({"[W", "a"});
  EXPECT_TRUE(f.log.bytes.empty());
  EXPECT_FALSE(f.files.Exists("C:\\WINDOWS\\a"));
}

}  // namespace
}  // namespace sweepall
