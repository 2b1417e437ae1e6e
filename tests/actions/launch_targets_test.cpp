// Launch targets: the start rules, the registry look-ups and the text
// helpers, with the documented examples.
#include <gtest/gtest.h>

#include "keydeck/actions/launch_targets.h"
#include "tests/actions/action_fakes.h"

namespace kd::test {
namespace {

constexpr RegRoot HKCR = RegRoot::ClassesRoot;
constexpr RegRoot HKCU = RegRoot::CurrentUser;
constexpr RegRoot HKLM = RegRoot::LocalMachine;
const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

TEST(RunCommandTest, CountsOnlyResultsAbove32AsSuccess) {
  CallLog log;
  FakeStarter starter(log);
  for (uint32_t result : {0u, 2u, 31u, 32u}) {
    starter.winExecResult = result;
    EXPECT_FALSE(RunCommand(starter, "notepad.exe", 5)) << "WinExec result " << result;
    starter.shellResult = result;
    EXPECT_FALSE(ShellOpen(starter, "C:\\doc.txt")) << "ShellExecute result " << result;
  }
  starter.winExecResult = 33;
  starter.shellResult = 33;
  EXPECT_TRUE(RunCommand(starter, "notepad.exe", 5));
  EXPECT_TRUE(ShellOpen(starter, "C:\\doc.txt"));
  EXPECT_EQ(log.back(), "ShellOpen C:\\doc.txt");
  EXPECT_EQ(log[log.size() - 2], "WinExec notepad.exe show 5");
}

TEST(RunCommandTest, EmptyCommandOrTargetNeverReachesTheSystem) {
  CallLog log;
  FakeStarter starter(log);
  EXPECT_FALSE(RunCommand(starter, "", 5));
  EXPECT_FALSE(ShellOpen(starter, ""));
  EXPECT_TRUE(log.empty());
}

TEST(ShellOpenCommandTest, KeepsOnlyAQuotedProgramPath) {
  FakeRegistry reg;
  reg.SetText(HKCR, ".htm", "", "htmlfile");
  reg.SetText(HKCR, "htmlfile\\Shell\\Open\\Command", "",
              "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" -nohome");
  EXPECT_EQ(ShellOpenCommand(reg, ".htm"),
            "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\"");
}

TEST(ShellOpenCommandTest, UnquotedCommandKeepsItsSwitchesButNoPlaceholder) {
  FakeRegistry reg;
  reg.SetText(HKCR, ".htm", "", "htmlfile");
  const std::string key = "htmlfile\\shell\\open\\command";
  reg.SetText(HKCR, key, "", "C:\\IE\\iexplore.exe -nohome");
  EXPECT_EQ(ShellOpenCommand(reg, ".htm"), "C:\\IE\\iexplore.exe -nohome");
  // The shell's placeholders mean nothing to a command line started as it
  // is: the program would be asked to open a file named "%1".
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\IE\\iexplore.exe -nohome %1", "C:\\IE\\iexplore.exe -nohome"},
      {"C:\\Winamp\\winamp.exe \"%1\"", "C:\\Winamp\\winamp.exe"},
      {"C:\\Winamp\\winamp.exe \"%1\" /add", "C:\\Winamp\\winamp.exe"},
      {"C:\\x.exe /play \"%L\"", "C:\\x.exe /play"},
      {"C:\\x.exe %*", "C:\\x.exe"},
      {"C:\\x.exe\t%1", "C:\\x.exe"},
      {"C:\\x.exe %l %2", "C:\\x.exe"},
      {"%1", ""},
      // Not placeholders: a percent sign within a word, or a variable.
      {"C:\\x.exe /zoom=50%", "C:\\x.exe /zoom=50%"},
      {"C:\\x.exe %LOCALAPPDATA%\\y", "C:\\x.exe %LOCALAPPDATA%\\y"},
  };
  for (const auto& [command, want] : cases) {
    reg.SetText(HKCR, key, "", command);
    EXPECT_EQ(ShellOpenCommand(reg, ".htm"), want) << command;
  }
}

TEST(ShellOpenCommandTest, ExpandableCommandIsExpandedBeforeTheCut) {
  FakeRegistry reg;
  reg.SetText(HKCR, ".mp3", "", "Winamp.File");
  const std::string key = "Winamp.File\\shell\\open\\command";
  reg.SetExpandText(HKCR, key, "", "\"%ProgramFiles%\\Winamp\\winamp.exe\" \"%1\"");
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "\"C:\\Program Files\\Winamp\\winamp.exe\"");
  reg.SetExpandText(HKCR, key, "", "%ProgramFiles%\\Winamp\\winamp.exe %1");
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "C:\\Program Files\\Winamp\\winamp.exe");
  // A plain text is not the system's to expand.
  reg.SetText(HKCR, key, "", "%ProgramFiles%\\Winamp\\winamp.exe");
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "%ProgramFiles%\\Winamp\\winamp.exe");
}

TEST(ShellOpenCommandTest, MissingExtensionTypeOrCommandGivesEmpty) {
  FakeRegistry reg;
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "");
  reg.SetText(HKCR, ".mp3", "", "mp3file");  // type without a command
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "");
  reg.SetText(HKCR, "mp3file\\Shell\\Open\\Command", "", "");
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "");
}

TEST(ShellOpenCommandTest, QuoteAtTheVeryStartIsNotTheCut) {
  FakeRegistry reg;
  reg.SetText(HKCR, ".mp3", "", "mp3file");
  reg.SetText(HKCR, "mp3file\\Shell\\Open\\Command", "", "\"");
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "\"");
  reg.SetText(HKCR, "mp3file\\Shell\\Open\\Command", "", "\"\" x");
  EXPECT_EQ(ShellOpenCommand(reg, ".mp3"), "\"\"");
}

TEST(FileTypeNameTest, DescriptionOfTheRegisteredType) {
  FakeRegistry reg;
  reg.SetText(HKCR, ".exe", "", "exefile");
  reg.SetText(HKCR, "exefile", "", "Application");
  reg.SetText(HKCR, ".bmp", "", "Paint.Picture");  // type without a key
  EXPECT_EQ(FileTypeName(reg, ".exe"), "Application");
  EXPECT_EQ(FileTypeName(reg, ".bmp"), "");
  EXPECT_EQ(FileTypeName(reg, ".doc"), "");
}

TEST(FindMailCommandTest, FallbackWithoutClientKeyOrCommand) {
  const std::string fallback = "C:\\PROGRAM FILES\\OUTLOOK EXPRESS\\MSIMN.EXE /mail";
  FakeRegistry reg;
  EXPECT_EQ(FindMailCommand(reg), fallback);
  reg.SetText(HKLM, "Software\\Clients\\Mail", "", "Outlook Express");
  EXPECT_EQ(FindMailCommand(reg), fallback) << "client without a command key";
  reg.SetText(HKLM, "Software\\Clients\\Mail\\Outlook Express\\shell\\open\\command", "", "");
  EXPECT_EQ(FindMailCommand(reg), fallback) << "empty command";
}

TEST(FindMailCommandTest, ExpandsTheClientCommandAndKeepsItsSwitches) {
  FakeRegistry reg;
  reg.SetText(HKLM, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
  reg.SetText(HKLM, "Software\\Clients\\Mail", "", "Outlook Express");
  reg.SetText(HKLM, "Software\\Clients\\Mail\\Outlook Express\\shell\\open\\command", "",
              "%ProgramFiles%\\Outlook Express\\msimn.exe /mail");
  EXPECT_EQ(FindMailCommand(reg), "C:\\Program Files\\Outlook Express\\msimn.exe /mail");
}

TEST(ExpandProgramFilesTest, DocumentedExamples) {
  FakeRegistry reg;
  reg.SetText(HKLM, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
  EXPECT_EQ(ExpandProgramFiles(reg, "%ProgramFiles%\\Outlook Express\\msimn.exe /mail"),
            "C:\\Program Files\\Outlook Express\\msimn.exe /mail");
  EXPECT_EQ(ExpandProgramFiles(reg, "%SystemDrive%\\x.exe"), "C:\\x.exe");
  EXPECT_EQ(ExpandProgramFiles(reg, "run %ProgramFiles%"), "run C:\\Program Files");
  EXPECT_EQ(ExpandProgramFiles(reg, "100% sure"), "100% sure");
  EXPECT_EQ(ExpandProgramFiles(reg, ""), "");
}

TEST(ExpandProgramFilesTest, OnlyTheFirstVariableAndOnlyUpperCaseS) {
  FakeRegistry reg;
  reg.SetText(HKLM, kCurrentVersion, "ProgramFilesDir", "D:\\Apps");
  EXPECT_EQ(ExpandProgramFiles(reg, "%A%\\%SystemDrive%"), "D:\\Apps\\%SystemDrive%");
  EXPECT_EQ(ExpandProgramFiles(reg, "%systemdrive%\\x"), "D:\\Apps\\x");
  EXPECT_EQ(ExpandProgramFiles(reg, "a%%b"), "aD:\\Appsb");
}

TEST(ExpandProgramFilesTest, MissingOrShortProgramFilesValue) {
  FakeRegistry reg;
  EXPECT_EQ(ExpandProgramFiles(reg, "x%ProgramFiles%y"), "xy");
  reg.SetText(HKLM, kCurrentVersion, "ProgramFilesDir", "C");
  EXPECT_EQ(ExpandProgramFiles(reg, "%SystemDrive%\\a"), "C\\a");
}

TEST(FindPersonalFolderTest, UserKeyFirstThenMachineKey) {
  const char* user = "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders";
  const char* machine =
      "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\User Shell Folders";
  FakeRegistry reg;
  EXPECT_EQ(FindPersonalFolder(reg), "");
  reg.SetText(HKLM, machine, "Personal", "C:\\Docs");
  EXPECT_EQ(FindPersonalFolder(reg), "C:\\Docs");
  // As the system stores it: an expandable text, opened expanded.
  reg.SetExpandText(HKLM, machine, "Personal", "%USERPROFILE%\\My Documents");
  EXPECT_EQ(FindPersonalFolder(reg), "C:\\Documents and Settings\\kd\\My Documents");
  reg.AddKey(HKCU, user);  // the user key decides even without the value
  EXPECT_EQ(FindPersonalFolder(reg), "");
  reg.SetText(HKCU, user, "Personal", "C:\\My Documents");
  EXPECT_EQ(FindPersonalFolder(reg), "C:\\My Documents");
}

TEST(FindSearchAddressTest, BrowserVersionAndSearchPage) {
  FakeRegistry reg;
  SearchAddress none = FindSearchAddress(reg);
  EXPECT_EQ(none.IeMajorVersion, 3);
  EXPECT_EQ(none.Address, kDefaultSearchAddress);

  reg.SetText(HKLM, "Software\\Microsoft\\Internet Explorer", "Version", "5.50.4134.0100");
  reg.SetText(HKLM, "SOFTWARE\\Microsoft\\Internet Explorer\\Main", "Search Page",
              "http://search.example/");
  SearchAddress found = FindSearchAddress(reg);
  EXPECT_EQ(found.IeMajorVersion, 5);
  EXPECT_EQ(found.Address, "http://search.example/");
}

TEST(FindSearchAddressTest, VersionEdges) {
  FakeRegistry reg;
  reg.AddKey(HKLM, "Software\\Microsoft\\Internet Explorer");
  EXPECT_EQ(FindSearchAddress(reg).IeMajorVersion, 0) << "key without a version";
  reg.SetText(HKLM, "Software\\Microsoft\\Internet Explorer", "Version", "beta 6");
  EXPECT_EQ(FindSearchAddress(reg).IeMajorVersion, 0) << "no leading digit";
  reg.SetText(HKLM, "Software\\Microsoft\\Internet Explorer", "Version", "  11.0");
  EXPECT_EQ(FindSearchAddress(reg).IeMajorVersion, 11);
  reg.AddKey(HKLM, "SOFTWARE\\Microsoft\\Internet Explorer\\Main");
  EXPECT_EQ(FindSearchAddress(reg).Address, "") << "Main key without a search page";
}

TEST(LeadingIntegerTest, ReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(LeadingInteger("6.0.2800"), 6);
  EXPECT_EQ(LeadingInteger(" \t-12x"), -12);
  EXPECT_EQ(LeadingInteger("+7"), 7);
  EXPECT_EQ(LeadingInteger(""), 0);
  EXPECT_EQ(LeadingInteger("-"), 0);
  EXPECT_EQ(LeadingInteger("99999999999999999999"), 2147483647);
  EXPECT_EQ(LeadingInteger("-99999999999999999999"), -2147483647 - 1);
}

TEST(AppPathTest, DefaultValueOfTheProgramsKey) {
  FakeRegistry reg;
  reg.SetText(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinWord.exe", "",
              "C:\\Office\\WINWORD.EXE");
  EXPECT_EQ(AppPath(reg, "WinWord.exe"), "C:\\Office\\WINWORD.EXE");
  EXPECT_EQ(AppPath(reg, "Excel.exe"), "");
  EXPECT_EQ(AppPath(reg, ""), "") << "the App Paths key itself is no program";
  reg.SetExpandText(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Excel.exe", "",
                    "%ProgramFiles%\\Office\\EXCEL.EXE");
  EXPECT_EQ(AppPath(reg, "Excel.exe"), "C:\\Program Files\\Office\\EXCEL.EXE");
}

TEST(FileTitleTest, DocumentedExamples) {
  EXPECT_EQ(FileTitle("C:\\dir\\my.file.txt"), "my");
  EXPECT_EQ(FileTitle("C:\\abc"), "abc");
  EXPECT_EQ(FileTitle("C:\\abc."), "abc.");
  EXPECT_EQ(FileTitle("notes.txt"), "notes");
  EXPECT_EQ(FileTitle(""), "");
}

TEST(FileTitleTest, DotsOutsideTheFileNameAndEmptyTitles) {
  EXPECT_EQ(FileTitle("C:\\my.dir\\readme"), "readme");
  EXPECT_EQ(FileTitle("C:\\dir\\.profile"), "");
  EXPECT_EQ(FileTitle("C:\\dir\\"), "");
  EXPECT_EQ(FileTitle("a.b."), "a");
}

TEST(FileNamePartTest, DocumentedExamples) {
  EXPECT_EQ(FileNamePart("C:\\dir\\a.txt"), "a.txt");
  EXPECT_EQ(FileNamePart("a.txt"), "a.txt");
  EXPECT_EQ(FileNamePart(""), "");
  EXPECT_EQ(FileNamePart("C:\\dir\\"), "");
}

TEST(SplitCommaListTest, DocumentedExamples) {
  EXPECT_FALSE(SplitCommaList("").has_value());
  EXPECT_EQ(SplitCommaList("a,,b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitCommaList("a,"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(SplitCommaList(" a , b"), (std::vector<std::string>{" a ", " b"}));
  EXPECT_EQ(SplitCommaList(","), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(SplitCommaList("one"), (std::vector<std::string>{"one"}));
}

}  // namespace
}  // namespace kd::test
