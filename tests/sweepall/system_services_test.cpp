#include "sweepall/system_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sweepall/fakes.h"

namespace sweepall {
namespace {

using fakes::FakeSystem;
using Lines = std::vector<std::string>;

std::string IdList(const Lines& ids) {
  std::string list;
  for (const std::string& id : ids) list += id + std::string(1, '\0');
  return list + std::string(1, '\0');
}

class Services : public ::testing::Test {
 protected:
  FakeSystem f;
  SystemServices s{f.registry, f.files, f.system, f.programs, f.devices, f.power};
};

TEST_F(Services, InfPathWithDriveIsUsedAsIs) {
  f.files.AddFile("D:\\drivers\\kd.inf");
  EXPECT_EQ(s.LocateInfFile("D:\\drivers\\kd.inf"), 1);
  EXPECT_EQ(s.located_inf(), "D:\\drivers\\kd.inf");
}

TEST_F(Services, BareInfNameTriesCurrentThenWindowsInfFolder) {
  f.files.AddFile("C:\\WINDOWS\\inf\\kd.inf");
  EXPECT_EQ(s.LocateInfFile("kd.inf"), 1);
  EXPECT_EQ(s.located_inf(), "C:\\WINDOWS\\inf\\kd.inf");
  f.files.AddFile("C:\\setup\\kd.inf");
  EXPECT_EQ(s.LocateInfFile("kd.inf"), 1);
  EXPECT_EQ(s.located_inf(), "C:\\setup\\kd.inf");
}

TEST_F(Services, DriveRootCurrentDirectoryGetsNoSecondBackslash) {
  f.system.current = "C:\\";
  f.files.AddFile("C:\\kd.inf");
  EXPECT_EQ(s.LocateInfFile("kd.inf"), 1);
  EXPECT_EQ(s.located_inf(), "C:\\kd.inf");
}

TEST_F(Services, MissingInfIsNotLocated) {
  EXPECT_EQ(s.LocateInfFile("none.inf"), 0);
  EXPECT_EQ(s.LocateInfFile(std::string(300, 'n')), 0);
  EXPECT_EQ(s.located_inf(), "");
}

TEST_F(Services, DeviceSearchMatchesAnyIdIgnoringCase) {
  f.devices.present = {{IdList({"PCI\\VEN_1"}), kOk},
                       {"", kErrorInvalidData},  // no hardware IDs: skipped
                       {IdList({"USB\\VID_0001", "HID\\VID_1&PID_2&MI_00"}), kOk}};
  DeviceSearch r = s.FindDeviceByHardwareId("hid\\vid_1&pid_2&mi_00");
  EXPECT_TRUE(r.found);
  EXPECT_EQ(f.devices.openSets, 0) << "the device set is released";
  r = s.FindDeviceByHardwareId("HID\\VID_1");
  EXPECT_FALSE(r.found) << "a prefix is no match";
  EXPECT_EQ(r.error, kErrorNoMoreItems);
  EXPECT_EQ(f.devices.openSets, 0);
}

TEST_F(Services, DeviceSearchStopsAtOtherReadFailures) {
  f.devices.present = {{"", kErrorAccessDenied}, {IdList({"X"}), kOk}};
  const DeviceSearch r = s.FindDeviceByHardwareId("X");
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.error, kErrorAccessDenied);
  EXPECT_EQ(f.devices.openSets, 0);
}

TEST_F(Services, PresentDeviceGetsAForcedUpdate) {
  f.files.AddFile("C:\\WINDOWS\\inf\\kd.inf");
  f.devices.present = {{IdList({"HID\\KD"}), kOk}};
  EXPECT_EQ(s.UpdateDeviceDriver("kd.inf", "HID\\KD"), 1);
  EXPECT_EQ(f.devices.calls,
            (Lines{"open-present", "close-present", "update HID\\KD C:\\WINDOWS\\inf\\kd.inf"}));
  f.devices.updateError = kErrorAccessDenied;
  EXPECT_EQ(s.UpdateDeviceDriver("kd.inf", "HID\\KD"), 0);
}

TEST_F(Services, AbsentDeviceIsInstalledAsRootDevice) {
  f.files.AddFile("C:\\WINDOWS\\inf\\kd.inf");
  f.devices.infsWithClass = {"C:\\WINDOWS\\inf\\kd.inf"};
  EXPECT_EQ(s.UpdateDeviceDriver("C:\\WINDOWS\\inf\\kd.inf", "ROOT\\KD"), 1);
  EXPECT_EQ(f.devices.calls,
            (Lines{"open-present", "close-present", "begin C:\\WINDOWS\\inf\\kd.inf",
                   "set-id ROOT\\KD", "register", "update ROOT\\KD C:\\WINDOWS\\inf\\kd.inf",
                   "end"}));
  EXPECT_EQ(f.devices.present.size(), 1u);
  EXPECT_EQ(f.devices.openLists, 0);
}

TEST_F(Services, FailedRootInstallLeavesNoDeviceBehind) {
  f.files.AddFile("C:\\WINDOWS\\inf\\kd.inf");
  f.devices.infsWithClass = {"C:\\WINDOWS\\inf\\kd.inf"};
  f.devices.updateError = 0xE000020B;
  EXPECT_EQ(s.UpdateDeviceDriver("kd.inf", "ROOT\\KD"), 0);
  EXPECT_TRUE(f.devices.present.empty());
  EXPECT_EQ(f.devices.calls[f.devices.calls.size() - 2], "remove");
  EXPECT_EQ(f.devices.openLists, 0);
}

TEST_F(Services, RootInstallStopsAtTheFirstFailure) {
  f.devices.infsWithClass = {"C:\\x.inf"};
  f.devices.registerError = kErrorAccessDenied;
  EXPECT_FALSE(s.InstallRootDevice("ROOT\\KD", "C:\\x.inf"));
  EXPECT_EQ(f.devices.calls, (Lines{"begin C:\\x.inf", "set-id ROOT\\KD", "register", "end"}));
  f.devices.calls.clear();
  EXPECT_FALSE(s.InstallRootDevice("ROOT\\KD", "C:\\noclass.inf"));
  EXPECT_EQ(f.devices.calls, (Lines{"begin C:\\noclass.inf", "end"}));
}

TEST_F(Services, UpdateGivesUpWithoutInfOrOnSearchFailure) {
  EXPECT_EQ(s.UpdateDeviceDriver("none.inf", "HID\\KD"), 0);
  EXPECT_TRUE(f.devices.calls.empty());
  f.files.AddFile("C:\\WINDOWS\\inf\\kd.inf");
  f.devices.infsWithClass = {"C:\\WINDOWS\\inf\\kd.inf"};
  f.devices.openError = kErrorAccessDenied;
  EXPECT_EQ(s.UpdateDeviceDriver("kd.inf", "HID\\KD"), 0);
  EXPECT_EQ(f.devices.calls, (Lines{"open-present"})) << "no install after a failed search";
}

TEST_F(Services, SecurityTreeResetReachesEveryKey) {
  f.registry.AddKey("HKLM\\Enum\\HID\\A\\1");
  f.registry.AddKey("HKLM\\Enum\\HID\\B");
  EXPECT_EQ(s.ResetKeySecurity(kLocalMachine, "Enum\\HID"), 1);
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, "Enum\\HID"), kOk);
  for (const char* key : {"HKLM\\Enum\\HID", "HKLM\\Enum\\HID\\A", "HKLM\\Enum\\HID\\A\\1",
                          "HKLM\\Enum\\HID\\B"})
    EXPECT_GE(f.registry.Find(key)->resets, 1) << key;
  EXPECT_EQ(f.registry.Find("HKLM\\Enum")->resets, 0);
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, SecurityResetFailuresAndThe9xFamily) {
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, ""), kErrorBadKey);
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, "Missing"), kErrorFileNotFound);
  f.registry.AddKey("HKLM\\Locked\\Sub");
  f.registry.Deny("HKLM\\Locked", kWriteDac);
  EXPECT_EQ(s.ResetKeySecurity(kLocalMachine, "Locked"), 0);
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, "Locked"), kErrorAccessDenied)
      << "the tree was not reset";
  EXPECT_GE(f.registry.Find("HKLM\\Locked\\Sub")->resets, 1)
      << "a key that can't be reset doesn't stop the walk";
  // A subkey that can't be reset fails the tree too, with the first error.
  f.registry.AddKey("HKLM\\Open\\A");
  f.registry.AddKey("HKLM\\Open\\B");
  f.registry.Deny("HKLM\\Open\\A", kWriteDac);
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, "Open"), kErrorAccessDenied);
  EXPECT_GE(f.registry.Find("HKLM\\Open\\B")->resets, 1);
  EXPECT_GE(f.registry.Find("HKLM\\Open")->resets, 1);
  f.registry.failEnumWith = kErrorAccessDenied;
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, "Locked"), kErrorAccessDenied);
  f.system.nt = false;
  EXPECT_EQ(s.ResetKeySecurity(kLocalMachine, "Locked\\Sub"), 0);
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, EmptySubkeyNeverResetsTheRoot) {
  EXPECT_EQ(s.ResetKeySecurity(kLocalMachine, ""), 0);
  EXPECT_EQ(s.ResetKeySecurity(kCurrentUser, ""), 0);
  EXPECT_TRUE(f.registry.resets.empty()) << "reset " << f.registry.resets.front();
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, KeyTreeGoesDeepestFirst) {
  f.registry.AddKey("HKCU\\Software\\KD\\L1\\L2\\L3");
  EXPECT_EQ(s.DeleteKeyTree(kCurrentUser, "Software\\KD\\L1"), kOk);
  EXPECT_EQ(f.registry.deleted, (Lines{"hkcu\\software\\kd\\l1\\l2\\l3", "hkcu\\software\\kd\\l1\\l2",
                                       "hkcu\\software\\kd\\l1"}));
  EXPECT_TRUE(f.registry.HasKey("HKCU\\Software\\KD"));
  EXPECT_EQ(s.DeleteKeyTree(kCurrentUser, ""), kErrorBadKey);
  EXPECT_EQ(s.DeleteKeyTree(kCurrentUser, "Software\\KD\\L1"), kErrorFileNotFound);
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, KeyTreeStopsAtASubkeyThatWontGo) {
  f.registry.AddKey("HKCU\\KD\\A\\Locked");
  f.registry.AddKey("HKCU\\KD\\B");
  f.registry.Deny("HKCU\\KD\\A\\Locked", kEnumerateAndDelete);
  EXPECT_EQ(s.DeleteKeyTree(kCurrentUser, "KD"), kErrorAccessDenied);
  EXPECT_TRUE(f.registry.HasKey("HKCU\\KD\\A\\Locked"));
  EXPECT_TRUE(f.registry.HasKey("HKCU\\KD\\B"));
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, KeyTreeWithOverlongSubkeyNameFails) {
  f.registry.AddKey("HKCU\\KD\\" + std::string(200, 'n'));
  f.registry.maxNameLength = 100;
  EXPECT_EQ(s.DeleteKeyTree(kCurrentUser, "KD"), kErrorMoreData);
  EXPECT_TRUE(f.registry.HasKey("HKCU\\KD"));
}

// A tree holding a link to a key outside it and a link to its own top.
class LinkedTree : public Services {
 protected:
  void SetUp() override {
    f.registry.AddKey("HKLM\\Software\\T\\a\\b");
    f.registry.AddLink("HKLM\\Software\\T\\a\\out", "HKLM\\Software\\Target");
    f.registry.AddLink("HKLM\\Software\\T\\loop", "HKLM\\Software\\T");
    f.registry.SetValue("HKLM\\Software\\Target\\keep", "v", "1");
    f.registry.AddLink("HKLM\\Software\\L", "HKLM\\Software\\Target");
  }
  bool TargetIntact() {
    return f.registry.HasKey("HKLM\\Software\\Target") &&
           f.registry.HasValue("HKLM\\Software\\Target\\keep", "v");
  }
};

TEST_F(LinkedTree, KeyTreeDeletesLinksAsLinksAndEnds) {
  EXPECT_EQ(s.DeleteKeyTree(kLocalMachine, "Software\\T"), kOk);
  EXPECT_FALSE(f.registry.HasKey("HKLM\\Software\\T"));
  EXPECT_TRUE(TargetIntact());
  EXPECT_EQ(f.registry.open_handles(), 0u);
  // A named key that is itself a link goes as a link too.
  EXPECT_EQ(s.DeleteKeyTree(kLocalMachine, "Software\\L"), kOk);
  EXPECT_FALSE(f.registry.HasKey("HKLM\\Software\\L"));
  EXPECT_TRUE(TargetIntact());
}

TEST_F(LinkedTree, SecurityResetNeverReachesThroughALink) {
  EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, "Software\\T"), kOk);
  for (const std::string& key : f.registry.resets)
    EXPECT_EQ(key.rfind("hklm\\software\\t", 0), 0u) << key;
  // Each subkey is reset before its own tree, which resets it again.
  EXPECT_EQ(f.registry.Find("HKLM\\Software\\T\\a\\b")->resets, 2);
  EXPECT_EQ(f.registry.Find("HKLM\\Software\\Target")->resets, 0);
  EXPECT_EQ(f.registry.open_handles(), 0u);
  EXPECT_EQ(s.ResetKeySecurity(kLocalMachine, "Software\\L"), 1) << "the link's own list";
  EXPECT_EQ(f.registry.Find("HKLM\\Software\\Target")->resets, 0);
}

TEST_F(Services, KeyPathsOfBackslashesOnlyNameNoKey) {
  f.registry.AddKey("HKLM\\Software\\A");
  for (const char* path : {"\\", "\\\\"}) {
    EXPECT_EQ(s.DeleteKeyTree(kLocalMachine, path), kErrorBadKey) << path;
    EXPECT_EQ(s.ResetKeySecurityTree(kLocalMachine, path), kErrorBadKey) << path;
    EXPECT_EQ(s.ResetKeySecurity(kLocalMachine, path), 0) << path;
  }
  EXPECT_TRUE(f.registry.resets.empty());
  EXPECT_TRUE(f.registry.HasKey("HKLM\\Software\\A"));
}

TEST_F(Services, AudioCdCommandNeedsItsKey) {
  EXPECT_EQ(s.RestoreAudioCdPlayCommand(nullptr), kErrorFileNotFound);
  f.registry.AddKey("HKCR\\AudioCD\\shell\\play\\command");
  f.registry.Deny("HKCR\\AudioCD\\shell\\play\\command", kKeyAllAccess);
  EXPECT_EQ(s.RestoreAudioCdPlayCommand(nullptr), kErrorAccessDenied);
  f.registry.Deny("HKCR\\AudioCD\\shell\\play\\command", 0);
  f.system.system = "C:\\" + std::string(250, 's');
  EXPECT_EQ(s.RestoreAudioCdPlayCommand(nullptr), kErrorFilenameTooLong);
  const KeptCommand tooLong{"C:\\" + std::string(260, 'k'), false};
  EXPECT_EQ(s.RestoreAudioCdPlayCommand(&tooLong), kErrorFilenameTooLong);
  EXPECT_EQ(f.registry.Value("HKCR\\AudioCD\\shell\\play\\command", ""), "<no value>");
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, KeptAudioCdCommandComesBackWithItsType) {
  const std::string key = "HKCR\\AudioCD\\shell\\play\\command";
  f.registry.SetValue(key, "", "\"C:\\Keydeck\\keydeck.exe\" /p %1");
  const KeptCommand expandable{"\"%ProgramFiles%\\Player\\p.exe\" /cd %1", true};
  EXPECT_EQ(s.RestoreAudioCdPlayCommand(&expandable), kOk);
  EXPECT_EQ(f.registry.Value(key, ""), expandable.text + '\0') << "stored with its terminator";
  EXPECT_TRUE(f.registry.IsExpandable(key, ""));
  const KeptCommand plain{"C:\\Player\\p.exe %1", false};
  EXPECT_EQ(s.RestoreAudioCdPlayCommand(&plain), kOk);
  EXPECT_EQ(f.registry.Value(key, ""), plain.text + '\0');
  EXPECT_FALSE(f.registry.IsExpandable(key, ""));
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, EmptyKeysOnlyAreDeleted) {
  for (const bool nt : {true, false}) {
    SCOPED_TRACE(nt ? "NT" : "9x");
    f.system.nt = nt;
    f.registry.AddKey("HKLM\\V\\Other");
    f.registry.SetValue("HKLM\\W", "", "RF2400");
    f.registry.AddKey("HKLM\\E");
    f.registry.AddLink("HKLM\\L", "HKLM\\E");
    EXPECT_EQ(s.DeleteEmptyKey(kLocalMachine, "V"), kErrorDirNotEmpty) << "a subkey";
    EXPECT_EQ(s.DeleteEmptyKey(kLocalMachine, "W"), kErrorDirNotEmpty) << "a default value";
    EXPECT_EQ(s.DeleteEmptyKey(kLocalMachine, "L"), kErrorDirNotEmpty) << "a link";
    EXPECT_EQ(s.DeleteEmptyKey(kLocalMachine, "E"), kOk);
    EXPECT_EQ(s.DeleteEmptyKey(kLocalMachine, "E"), kErrorFileNotFound);
    EXPECT_EQ(s.DeleteEmptyKey(kLocalMachine, ""), kErrorBadKey) << "never the root";
    EXPECT_EQ(s.DeleteEmptyKey(kNoRoot, "V"), kErrorInvalidHandle);
    EXPECT_TRUE(f.registry.HasKey("HKLM\\V\\Other"));
    EXPECT_TRUE(f.registry.HasKey("HKLM\\W"));
    EXPECT_TRUE(f.registry.HasKey("HKLM\\L"));
    EXPECT_FALSE(f.registry.HasKey("HKLM\\E"));
    EXPECT_EQ(f.registry.open_handles(), 0u);
  }
}

TEST_F(Services, ProgramsFolderNeedsFullAccessToShellFolders) {
  const std::string key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  f.registry.SetValue(key, "Common Programs", "C:\\Documents and Settings\\All Users\\Programs");
  EXPECT_EQ(s.GetProgramsFolder(), "C:\\Documents and Settings\\All Users\\Programs");
  f.registry.Deny(key, 0x2);  // KEY_SET_VALUE: a user who may not write there
  EXPECT_EQ(s.GetProgramsFolder(), "c:\\WinNT\\start");
  f.registry.Deny(key, 0);
  f.registry.SetValue(key, "Common Programs", std::string(300, 'p'));
  EXPECT_EQ(s.GetProgramsFolder(), "") << "a value longer than the buffer is not used";
  EXPECT_EQ(f.registry.open_handles(), 0u);
}

TEST_F(Services, ControlPanelLaunchCountsFrom32) {
  f.programs.startResult = 32;
  EXPECT_TRUE(s.OpenControlPanelApplet("joy.cpl"));
  f.programs.startResult = 31;
  EXPECT_FALSE(s.OpenControlPanelApplet(""));
  EXPECT_EQ(f.programs.started, (Lines{"rundll32.exe shell32.dll,Control_RunDLL joy.cpl",
                                       "rundll32.exe shell32.dll,Control_RunDLL"}));
  f.programs.startResult = 33;
  EXPECT_FALSE(s.OpenControlPanelApplet(std::string(230, 'c')));
  EXPECT_EQ(f.programs.started.size(), 2u) << "an overlong command is not started cut";
}

}  // namespace
}  // namespace sweepall
