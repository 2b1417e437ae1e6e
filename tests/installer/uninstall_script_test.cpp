// The product's uninstall script (installer/uninstall.ini, as the setup
// program writes it into the folder) run by Sweepall's logic over the
// fakes: what it removes, what it leaves to other products, and in what
// order against a Keydeck that is still running.
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

constexpr char kFolder[] = "C:\\Program Files\\Keydeck";
constexpr char kArp[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Keydeck";
constexpr char kRunKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAutoPlay[] = "HKCR\\AudioCD\\shell\\play\\command";
constexpr char kKeydeckCommand[] = "\"C:\\Program Files\\Keydeck\\keydeck.exe\" /p %1";
const char* const kFiles[] = {"keydeck.exe", "kbdrelay.dll", "keyhook.dll",
                              "qKeymap.reg", "Uninstall.ini", "sweepall.exe"};

// The script with the folder in place of @INSTDIR@, as the setup writes it.
std::string InstalledScript() {
  std::ifstream in(KD_UNINSTALL_SCRIPT, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string script = text.str();
  for (std::size_t at; (at = script.find("@INSTDIR@")) != std::string::npos;)
    script.replace(at, 9, kFolder);
  return script;
}

std::string InFolder(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// An installed Keydeck, running: its files are in use until it has ended,
// and it ends only when asked to and waited for.
class ProductUninstall : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string script = InstalledScript();
    ASSERT_NE(script.find("[Keydeck Uninstall]"), std::string::npos) << KD_UNINSTALL_SCRIPT;
    f.files.AddDirectory(kFolder);
    for (const char* name : kFiles) f.files.AddFile(InFolder(name), name);
    f.files.AddFile(InFolder("Uninstall.ini"), script);
    for (const char* name : {"keydeck.exe", "kbdrelay.dll", "keyhook.dll"}) {
      f.files.Lock(InFolder(name));
    }
    f.programs.onQuit = [this](const std::string& cls, const std::string& title, bool waited) {
      quits.push_back(cls + "|" + title + (waited ? "|waited" : ""));
      if (cls != "TSetupFrm" || title != "WIRELESS KEYBOARD SETUP" || !waited) return;
      for (const char* name : {"keydeck.exe", "kbdrelay.dll", "keyhook.dll"})
        f.files.Unlock(InFolder(name));
    };
    f.registry.SetValue(kRunKey, "Keydeck", "\"C:\\Program Files\\Keydeck\\keydeck.exe\"");
    f.registry.SetValue(kRunKey, "Other", "other.exe");
    f.registry.SetValue(kArp, "DisplayName", "Keydeck");
    f.registry.SetValue(kArp, "UninstallString", "sweepall /T Uninstall.ini");
    // What the sample keymap and Keydeck put under the two vendor keys.
    for (const char* vendor : {"HKLM\\SOFTWARE\\TessaroVantik", "HKLM\\SOFTWARE\\Tessaro"}) {
      f.registry.SetValue(vendor, "", "RF2400");
      f.registry.SetValue(std::string(vendor) + "\\RF2400\\Default", "Font", "Arial");
      f.registry.SetValue(std::string(vendor) + "\\RF2400\\Default\\0000000000000000",
                          "Caption", "Calculator");
    }
    f.registry.SetValue(kAutoPlay, "", kKeydeckCommand);
    f.view.answers = {true};
  }

  void Uninstall() {
    UninstallDialog dialog{f.platform};
    f.system.current = kFolder;
    dialog.Start(InFolder("Uninstall.ini"));
  }

  FakeSystem f;
  std::vector<std::string> quits;
};

TEST_F(ProductUninstall, AsksOnceThenRemovesEveryFileAfterKeydeckHasEnded) {
  Uninstall();
  ASSERT_EQ(f.view.questions.size(), 1u);
  EXPECT_EQ(quits, std::vector<std::string>{"TSetupFrm|WIRELESS KEYBOARD SETUP|waited"});
  for (const char* name : kFiles) EXPECT_FALSE(f.files.Exists(InFolder(name))) << name;
  EXPECT_FALSE(f.files.Exists(kFolder));
  EXPECT_TRUE(f.files.removedAtRestart.empty()) << f.files.removedAtRestart.front();
  EXPECT_FALSE(f.registry.HasKey(kArp));
  EXPECT_FALSE(f.registry.HasValue(kRunKey, "Keydeck"));
  EXPECT_EQ(f.registry.Value(kRunKey, "Other"), "other.exe");
  EXPECT_FALSE(f.registry.HasKey("HKLM\\SOFTWARE\\TessaroVantik")) << "empty vendor keys go";
  EXPECT_FALSE(f.registry.HasKey("HKLM\\SOFTWARE\\Tessaro"));
  EXPECT_EQ(f.log.opens, 0) << "c:\\sweepall.log is not the product's to empty";
}

TEST_F(ProductUninstall, AKeydeckThatWillNotEndLeavesItsFilesToTheNextStart) {
  f.programs.onQuit = nullptr;
  Uninstall();
  EXPECT_EQ(f.files.removedAtRestart,
            (std::vector<std::string>{InFolder("keydeck.exe"), InFolder("kbdrelay.dll"),
                                      InFolder("keyhook.dll"), kFolder}))
      << "the folder goes after its files";
  EXPECT_FALSE(f.registry.HasKey(kArp)) << "nothing is left to do that a retry could";
}

TEST_F(ProductUninstall, OtherProductsUnderTheVendorKeysStay) {
  f.registry.SetValue("HKLM\\SOFTWARE\\TessaroVantik\\Mouse", "Speed", "3");
  f.registry.SetValue("HKLM\\SOFTWARE\\Tessaro\\Mouse\\Buttons", "Count", "5");
  f.registry.SetValue(kArp, "AudioCDCommand", "\"C:\\Players\\disc.exe\" /cd %1");
  Uninstall();
  for (const char* vendor : {"HKLM\\SOFTWARE\\TessaroVantik", "HKLM\\SOFTWARE\\Tessaro"}) {
    EXPECT_FALSE(f.registry.HasValue(vendor, "")) << vendor << ": Keydeck's model name goes";
    EXPECT_FALSE(f.registry.HasKey(std::string(vendor) + "\\RF2400")) << vendor;
  }
  EXPECT_EQ(f.registry.Value("HKLM\\SOFTWARE\\TessaroVantik\\Mouse", "Speed"), "3");
  EXPECT_EQ(f.registry.Value("HKLM\\SOFTWARE\\Tessaro\\Mouse\\Buttons", "Count"), "5");
  EXPECT_EQ(f.registry.Value(kAutoPlay, ""),
            std::string("\"C:\\Players\\disc.exe\" /cd %1") + '\0');
}

}  // namespace
}  // namespace sweepall
