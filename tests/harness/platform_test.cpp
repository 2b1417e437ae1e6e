// Checks that wine-run.sh gives each run the Windows family, display and
// sound device the tests rely on.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string RequestedVersion() {
  const char* v = std::getenv("WINE_VERSION_NAME");
  return v ? v : "";
}

TEST(Platform, VersionFamilyMatchesRequest) {
  const DWORD version = GetVersion();
  const bool nt = (version & 0x80000000u) == 0;
  const std::string requested = RequestedVersion();
  ASSERT_FALSE(requested.empty()) << "WINE_VERSION_NAME not set";
  if (requested == "win95" || requested == "win98" || requested == "winme") {
    EXPECT_FALSE(nt) << std::hex << "GetVersion() = 0x" << version;
  } else {
    EXPECT_TRUE(nt) << std::hex << "GetVersion() = 0x" << version;
  }
  if (requested == "winxp") {
    EXPECT_EQ(0x0A280105u, version);
  }
  if (requested == "win98") {
    EXPECT_EQ(0xC0000A04u, version);
  }
  if (requested == "win7") {
    EXPECT_EQ(0x1DB10106u, version);
  }
}

TEST(Platform, ScreenIsThereAndSized) {
  EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_NE(nullptr, GetDesktopWindow());
}

TEST(Platform, NullSoundDeviceGivesAMixer) {
  EXPECT_GE(mixerGetNumDevs(), 1u);
}

}  // namespace
