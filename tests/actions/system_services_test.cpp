// Version classes, volume arithmetic, power sequences and the Control
// Panel command.
#include <gtest/gtest.h>

#include <limits>

#include "keydeck/actions/system_services.h"
#include "tests/actions/action_fakes.h"

namespace kd::test {
namespace {

struct VersionCase {
  const char* system;
  uint32_t packed;
  uint16_t build9x;
  uint32_t major, minor, build;
  int versionClass;
  int nt;
  const char* name;
};

// Packed values as GetVersion reports them (Wine's and real systems').
const VersionCase kVersions[] = {
    {"Windows 95", 0xC3B60004, 0, 4, 0, 0, 1, 0, "Windows95"},
    {"Windows 98", 0xC0000A04, 1998, 4, 10, 0, 2, 0, "Windows98"},
    {"Windows 98 SE", 0xC0000A04, 2222, 4, 10, 0, 3, 0, "Windows98SE"},
    {"Windows Me", 0xC0005A04, 3000, 4, 90, 0, 4, 0, "WindowsMe"},
    {"NT 4.0", 0x05650004, 0, 4, 0, 1381, 5, 1, "WindowsNT4"},
    {"Windows 2000", 0x08930005, 0, 5, 0, 2195, 6, 1, "Windows2000"},
    {"Windows XP", 0x0A280105, 0, 5, 1, 2600, 7, 1, "WindowsXP"},
    {"NT 3.51", 0x04213303, 0, 3, 51, 1057, 0, 1, "Unknown"},
    {"Windows 7", 0x1DB10106, 0, 6, 1, 7601, 0, 1, "Unknown"},
    {"Windows 10", 0x23F00206, 0, 6, 2, 9200, 0, 1, "Unknown"},
    {"Win32s on 3.1", 0x80000A03, 0, 3, 10, 0, 0, 0, "Unknown"},
    {"Win32s with build", 0x80AB0A03, 0, 3, 10, 0xAB, 0, 1, "Unknown"},
};

TEST(WindowsVersionTest, ClassesNamesAndBuilds) {
  for (const VersionCase& c : kVersions) {
    const WindowsVersion v(c.packed, c.build9x);
    SCOPED_TRACE(c.system);
    EXPECT_EQ(v.Major(), c.major);
    EXPECT_EQ(v.Minor(), c.minor);
    EXPECT_EQ(v.Build(), c.build);
    EXPECT_EQ(v.VersionClass(), c.versionClass);
    EXPECT_EQ(v.NtFlag(), c.nt);
    EXPECT_EQ(v.Name(), c.name);
    EXPECT_EQ(v.Packed(), c.packed);
  }
}

TEST(WindowsVersionTest, NinetyFiveFamilyIgnoresTheHighWord) {
  for (uint32_t high : {0x0000u, 0x4000u, 0x7FFFu, 0x1234u}) {
    const WindowsVersion v(0x80000004u | (high << 16));
    EXPECT_EQ(v.Build(), 0u) << "high word " << high;
    EXPECT_EQ(v.VersionClass(), kWindows95) << "high word " << high;
  }
}

TEST(WindowsVersionTest, ClassNamesIncludingOutOfRange) {
  EXPECT_STREQ(VersionClassName(0), "Unknown");
  EXPECT_STREQ(VersionClassName(6), "Windows2000");
  EXPECT_STREQ(VersionClassName(7), "WindowsXP");
  EXPECT_STREQ(VersionClassName(8), "Unknown ?");
  EXPECT_STREQ(VersionClassName(-1), "Unknown ?");
  for (int c = 0; c <= 8; ++c) EXPECT_LE(std::string(VersionClassName(c)).size(), 11u);
}

TEST(PlatformTest, NtFamilyAndEndpointRoute) {
  EXPECT_TRUE(IsNtPlatform(0x0A280105));
  EXPECT_FALSE(IsNtPlatform(0xC0000A04));
  EXPECT_FALSE(UsesEndpointVolume(0x0A280105)) << "XP keeps the mixer";
  EXPECT_FALSE(UsesEndpointVolume(0xC0000A04)) << "98 keeps the mixer";
  EXPECT_TRUE(UsesEndpointVolume(0x1DB10106)) << "7 uses the endpoint";
  EXPECT_TRUE(UsesEndpointVolume(0x23F00206)) << "10 uses the endpoint";
  EXPECT_TRUE(UsesEndpointVolume(0x17700006)) << "Vista uses the endpoint";
}

TEST(VolumeArithmeticTest, StepsOf0x600ClampedToTheScale) {
  EXPECT_EQ(VolumeStepDown(0x0550), 0u);
  EXPECT_EQ(VolumeStepDown(0x0500), 0u);
  EXPECT_EQ(VolumeStepDown(0x0600), 0u);
  EXPECT_EQ(VolumeStepDown(0x0601), 1u);
  EXPECT_EQ(VolumeStepDown(0xFFFF), 0xF9FFu);
  EXPECT_EQ(VolumeStepUp(0xFC00), 0xFFFFu);
  EXPECT_EQ(VolumeStepUp(0xFA00), 0xFFFFu);
  EXPECT_EQ(VolumeStepUp(0xF9FF), 0xFFFFu);
  EXPECT_EQ(VolumeStepUp(0xF9FE), 0xFFFEu);
  EXPECT_EQ(VolumeStepUp(0), 0x600u);
  EXPECT_EQ(VolumeStepUp(0xFFFF), 0xFFFFu);
  EXPECT_FALSE(VolumeStepUp(0x10000).has_value());
}

TEST(VolumeArithmeticTest, FromSilenceToFullScaleTakes43Presses) {
  uint32_t level = 0;
  int presses = 0;
  while (level < 0xFFFF) {
    level = *VolumeStepUp(level);
    ++presses;
  }
  EXPECT_EQ(presses, 43);
}

TEST(VolumeArithmeticTest, EndpointScalarsMapOntoTheMixerScale) {
  EXPECT_EQ(ScalarToLevel(0.0f), 0u);
  EXPECT_EQ(ScalarToLevel(1.0f), 0xFFFFu);
  EXPECT_EQ(ScalarToLevel(0.5f), 0x8000u);
  EXPECT_EQ(ScalarToLevel(-0.25f), 0u);
  EXPECT_EQ(ScalarToLevel(1.5f), 0xFFFFu);
  EXPECT_EQ(ScalarToLevel(std::numeric_limits<float>::quiet_NaN()), 0u);
  EXPECT_FLOAT_EQ(LevelToScalar(0), 0.0f);
  EXPECT_FLOAT_EQ(LevelToScalar(0xFFFF), 1.0f);
  EXPECT_FLOAT_EQ(LevelToScalar(0x12345), 1.0f);
  for (uint32_t level = 0; level <= 0xFFFF; level += 0x600)
    EXPECT_EQ(ScalarToLevel(LevelToScalar(level)), level) << "level " << level;
}

TEST(VolumeKeysTest, UnmuteThenReadThenWrite) {
  CallLog log;
  FakeVolume volume(log);
  volume.level = 0x0550;
  volume.mute = 1;
  EXPECT_EQ(VolumeDown(volume), 0u);
  EXPECT_EQ(log, (CallLog{"SetMute 0", "SetVolume 0"}));
  log.clear();
  volume.level = 0xFC00;
  EXPECT_EQ(VolumeUp(volume), 0xFFFFu);
  EXPECT_EQ(log, (CallLog{"SetMute 0", "SetVolume FFFF"}));
}

TEST(VolumeKeysTest, LevelAboveFullScaleIsLeftAlone) {
  CallLog log;
  FakeVolume volume(log);
  volume.level = 0x12345;
  EXPECT_FALSE(VolumeUp(volume).has_value());
  EXPECT_EQ(log, (CallLog{"SetMute 0"}));
  EXPECT_EQ(volume.level, 0x12345u);
}

TEST(VolumeKeysTest, MuteToggleAndMissingMixer) {
  CallLog log;
  FakeVolume volume(log);
  ToggleMute(volume);
  EXPECT_EQ(volume.mute, 1);
  ToggleMute(volume);
  EXPECT_EQ(volume.mute, 0);
  volume.present = false;
  log.clear();
  ToggleMute(volume);
  EXPECT_TRUE(log.empty()) << "nothing is written without a mixer";
}

TEST(PowerTest, NtFamilyEnablesThePrivilegeFirst) {
  CallLog log;
  FakePower power(log);
  Standby(power, true);
  Hibernate(power, true);
  EXPECT_TRUE(ShutDown(power, true));
  EXPECT_EQ(log, (CallLog{"Privilege", "PowerState suspend", "Privilege", "PowerState hibernate",
                          "Privilege", "ExitWindows"}));
}

TEST(PowerTest, NinetyFiveFamilyNeedsNoPrivilegeAndRefusalsStillAct) {
  CallLog log;
  FakePower power(log);
  Standby(power, false);
  EXPECT_EQ(log, (CallLog{"PowerState suspend"}));
  log.clear();
  power.privilegeResult = false;
  power.exitResult = false;
  EXPECT_FALSE(ShutDown(power, true));
  EXPECT_EQ(log, (CallLog{"Privilege", "ExitWindows"})) << "a refused privilege still asks";
}

TEST(ControlPanelTest, CommandWithAndWithoutApplet) {
  EXPECT_EQ(ControlPanelCommand(""), "rundll32.exe shell32.dll,Control_RunDLL");
  EXPECT_EQ(ControlPanelCommand("Inetcpl.cpl,@0,4"),
            "rundll32.exe shell32.dll,Control_RunDLL Inetcpl.cpl,@0,4");
  EXPECT_TRUE(ControlPanelCommand(std::string(222, 'a')).has_value());
  EXPECT_FALSE(ControlPanelCommand(std::string(223, 'a')).has_value());
}

TEST(ControlPanelTest, SuccessAbove31AndOverlongAppletRefused) {
  CallLog log;
  FakeStarter starter(log);
  starter.winExecResult = 32;
  EXPECT_TRUE(RunControlPanel(starter, "Inetcpl.cpl"));
  EXPECT_EQ(log.back(), "WinExec rundll32.exe shell32.dll,Control_RunDLL Inetcpl.cpl show 5");
  starter.winExecResult = 31;
  EXPECT_FALSE(RunControlPanel(starter, "Inetcpl.cpl"));
  log.clear();
  starter.winExecResult = 33;
  EXPECT_FALSE(RunControlPanel(starter, std::string(300, 'x')));
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace kd::test
