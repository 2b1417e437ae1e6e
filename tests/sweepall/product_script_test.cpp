// Keydeck's own uninstall script (installer/uninstall.ini, as the installer
// writes it) run against an installed system: what goes, what stays, what
// it logs, that a silent start asks nothing, and that a second run harms
// nothing. On both platform families.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sweepall/uninstall_dialog.h"
#include "tests/sweepall/fakes.h"

namespace sweepall {
namespace {

using fakes::FakeSystem;
using Lines = std::vector<std::string>;

const std::string kDir = "C:\\Program Files\\Keydeck";
const std::string kScript = kDir + "\\Uninstall.ini";
constexpr char kRun[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kArp[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Keydeck";
constexpr char kAudioCd[] = "HKCR\\AudioCD\\shell\\play\\command";
const Lines kFiles = {"keydeck.exe", "kbdrelay.dll", "keyhook.dll",
                      "qKeymap.reg", "Uninstall.ini", "sweepall.exe"};

// The script as the installer writes it: @INSTDIR@ replaced by the folder.
std::string InstalledScript() {
  std::ifstream in(KD_UNINSTALL_SCRIPT, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  for (std::size_t at; (at = s.find("@INSTDIR@")) != std::string::npos;)
    s.replace(at, 9, kDir);
  return s;
}

class ProductScript : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    f.system.nt = GetParam();
    f.files.AddDirectory(kDir);
    for (const std::string& name : kFiles) f.files.AddFile(kDir + "\\" + name);
    f.files.AddFile(kScript, InstalledScript());
    f.registry.SetValue(kRun, "Keydeck", "\"" + kDir + "\\keydeck.exe\"");
    f.registry.SetValue(kRun, "Other", "other.exe");
    f.registry.SetValue("HKLM\\SOFTWARE\\TessaroVantik", "", "RF2400");
    f.registry.SetValue("HKLM\\SOFTWARE\\TessaroVantik\\RF2400\\Default\\0000000000000000",
                        "Caption", "Calculator");
    f.registry.SetValue("HKLM\\SOFTWARE\\Tessaro", "", "RF2400");
    f.registry.AddKey("HKLM\\SOFTWARE\\Tessaro\\RF2400\\Default\\0000000000000012");
    f.registry.AddKey("HKLM\\SOFTWARE\\TessaroOther");
    f.registry.SetValue(kArp, "DisplayName", "Keydeck");
    // Keydeck with the panel as player has taken the audio-CD command.
    f.registry.SetValue(kAudioCd, "", "\"" + kDir + "\\keydeck.exe\" /p %1");
  }

  FakeSystem f;
};

TEST_P(ProductScript, SilentRunRemovesTheProductAndNothingElse) {
  UninstallDialog dialog{f.platform};
  dialog.Start(kScript, /*silent=*/true);

  EXPECT_TRUE(f.view.questions.empty());
  EXPECT_TRUE(f.view.closed);
  EXPECT_EQ(f.programs.started, Lines{"\"" + kDir + "\\keydeck.exe\" /q"})
      << "Keydeck is ended before its files";
  for (const std::string& name : kFiles) EXPECT_FALSE(f.files.Exists(kDir + "\\" + name)) << name;
  EXPECT_FALSE(f.files.Exists(kDir));
  EXPECT_FALSE(f.registry.HasValue(kRun, "Keydeck"));
  EXPECT_EQ(f.registry.Value(kRun, "Other"), "other.exe");
  EXPECT_FALSE(f.registry.HasKey("HKLM\\SOFTWARE\\TessaroVantik"));
  EXPECT_FALSE(f.registry.HasKey("HKLM\\SOFTWARE\\Tessaro"));
  EXPECT_TRUE(f.registry.HasKey("HKLM\\SOFTWARE\\TessaroOther"));
  EXPECT_FALSE(f.registry.HasKey(kArp));
  EXPECT_EQ(f.registry.Value(kAudioCd, ""), GetParam() ? "C:\\WINDOWS\\system32\\cdplayer /play %1"
                                                       : "C:\\WINDOWS\\cdplayer /play");
  EXPECT_EQ(f.registry.open_handles(), 0u);

  // The script asks for the log itself.
  EXPECT_EQ(f.log.Lines(),
            (Lines{
                "Delete Key Value :Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Keydeck"
                "-->Delete Successful !",
                "Delete Key : SOFTWARE\\TessaroVantik--> Successful !",
                "Delete Key : SOFTWARE\\Tessaro--> Successful !",
                "Delete File : " + kDir + "\\keydeck.exe-->Remove Successful !",
                "Delete File : " + kDir + "\\kbdrelay.dll-->Remove Successful !",
                "Delete File : " + kDir + "\\keyhook.dll-->Remove Successful !",
                "Delete File : " + kDir + "\\qKeymap.reg-->Remove Successful !",
                "Delete File : " + kDir + "\\Uninstall.ini-->Remove Successful !",
                "Delete File : " + kDir + "\\sweepall.exe-->Remove Successful !",
                "Delete File :" + kDir + "Remove fail !Remove Directory:" + kDir,
            }));
}

TEST_P(ProductScript, AskedFirstWhenStartedFromAddRemovePrograms) {
  f.view.answers = {false};
  UninstallDialog dialog{f.platform};
  dialog.Start(kScript);
  ASSERT_EQ(f.view.questions.size(), 1u);
  EXPECT_EQ(f.view.questions[0].second, "Keydeck");
  EXPECT_TRUE(f.programs.started.empty()) << "No: Keydeck keeps running";
  EXPECT_TRUE(f.files.Exists(kDir + "\\keydeck.exe"));
  EXPECT_TRUE(f.registry.HasKey(kArp));
  EXPECT_TRUE(f.view.closed);
}

TEST_P(ProductScript, ASecondRunFindsNothingAndChangesNothing) {
  UninstallDialog first{f.platform};
  first.Start(kScript, true);
  const std::string audioCd = f.registry.Value(kAudioCd, "");

  f.files.AddFile("C:\\kept\\Uninstall.ini", InstalledScript());
  f.registry.deleted.clear();
  UninstallDialog second{f.platform};
  second.Start("C:\\kept\\Uninstall.ini", true);
  EXPECT_TRUE(f.registry.deleted.empty());
  EXPECT_EQ(f.registry.Value(kRun, "Other"), "other.exe");
  EXPECT_TRUE(f.registry.HasKey("HKLM\\SOFTWARE\\TessaroOther"));
  EXPECT_EQ(f.registry.Value(kAudioCd, ""), audioCd);
  const Lines log = f.log.Lines();
  ASSERT_EQ(log.size(), 10u);
  EXPECT_EQ(log[1], "Delete Key : SOFTWARE\\TessaroVantik--> Fail !");
  EXPECT_EQ(log[3], "Not Found : " + kDir + "\\keydeck.exe");
  EXPECT_EQ(log[9], "Delete File :" + kDir + "Remove fail !Remove Directory:" + kDir);
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, ProductScript, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "NT" : "Win9x"; });

}  // namespace
}  // namespace sweepall
