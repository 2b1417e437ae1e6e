// RegKey and the settings over Wine's registry: exact statuses, the stored
// bytes, and the write side's leading backslash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "keydeck/shell/reg_key.h"
#include "keydeck/shell/settings.h"
#include "keydeck/shell/win/win_platform.h"
#include "tests/keydeck/shell_fakes.h"

namespace kd {
namespace {

constexpr const char* kTestKey = "SOFTWARE\\KeydeckShellTest";

class WinRegistryTest : public ::testing::Test {
 protected:
  WinRegistryAccess reg_;

  void SetUp() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey); }

  static void Put(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
  }
  static void PutText(const std::string& path, const char* name, const std::string& text) {
    Put(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  static void PutDword(const std::string& path, const char* name, DWORD value) {
    Put(path, name, REG_DWORD, &value, sizeof value);
  }
};

TEST_F(WinRegistryTest, OpenStatusesAsTheSystemGivesThem) {
  RegHandle key = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg_.OpenKey(HKeyRoot::LocalMachine, "SOFTWARE\\KeydeckNoSuchKey", kKeyRead, &key));
  EXPECT_EQ(0u, key);
  // The NT family refuses the leading backslash; measured the same in
  // Wine's win98 mode.
  const long status = reg_.OpenKey(HKeyRoot::LocalMachine, std::string("\\") + kTestKey, kKeyRead, &key);
  EXPECT_EQ(ERROR_BAD_PATHNAME, status) << "got " << status;
  if (status == ERROR_SUCCESS) reg_.CloseKey(key);

  RegKey regKey(reg_, HKeyRoot::LocalMachine, kKeyRead);
  EXPECT_TRUE(regKey.Open(std::string("\\") + kTestKey + "\\")) << "status " << regKey.Status();
}

TEST_F(WinRegistryTest, NumbersAndTexts) {
  PutDword(kTestKey, "Dword", 0xA1B2C3D4);
  PutText(kTestKey, "Text", "12");
  PutText(kTestKey, nullptr, "RF2400");
  PutText(kTestKey, "Long", std::string(300, 'x'));
  PutText(kTestKey, "Fits", std::string(259, 'y'));
  const BYTE four[4] = {1, 2, 3, 4};
  Put(kTestKey, "Bin4", REG_BINARY, four, 4);

  RegKey key(reg_, HKeyRoot::LocalMachine, kKeyRead);
  ASSERT_TRUE(key.Open(kTestKey));
  EXPECT_EQ(0xA1B2C3D4u, key.ReadNumber("Dword"));
  EXPECT_EQ(0u, key.ReadNumber("Text"));
  EXPECT_EQ(kErrInvalidData, key.Status());
  EXPECT_EQ(0x04030201u, key.ReadNumber("Bin4"));
  EXPECT_EQ(0u, key.ReadNumber("Missing"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Status());
  EXPECT_EQ("RF2400", key.ReadText(nullptr));
  EXPECT_EQ("RF2400", key.ReadText(""));
  EXPECT_EQ("", key.ReadText("Long"));
  EXPECT_EQ(ERROR_MORE_DATA, key.Status());
  EXPECT_EQ(std::string(259, 'y'), key.ReadText("Fits"));
  EXPECT_EQ("", key.ReadText("Dword"));
  EXPECT_EQ(kErrInvalidData, key.Status());

  uint32_t type = 0, size = 0;
  EXPECT_EQ(ERROR_SUCCESS, key.ValueInfo("Long", &type, &size));
  EXPECT_EQ(static_cast<uint32_t>(REG_SZ), type);
  EXPECT_EQ(301u, size);
}

TEST_F(WinRegistryTest, ReadBytesReportsMoreDataWithoutOverrun) {
  BYTE codes[40];
  for (int i = 0; i < 40; ++i) codes[i] = static_cast<BYTE>(0x80 + i);
  Put(kTestKey, "ScanCode", REG_BINARY, codes, sizeof codes);
  RegKey key(reg_, HKeyRoot::LocalMachine, kKeyRead);
  ASSERT_TRUE(key.Open(kTestKey));
  uint8_t buf[38];
  memset(buf, 0xEE, sizeof buf);
  uint32_t size = 34;
  EXPECT_EQ(ERROR_MORE_DATA, key.ReadBytes("ScanCode", buf, &size));
  EXPECT_EQ(40u, size);
  EXPECT_EQ(0xEE, buf[34]) << "the system wrote past the size it was given";
}

TEST_F(WinRegistryTest, WritesStoreTheTerminatorAndRespectAccess) {
  RegKey key(reg_);
  ASSERT_TRUE(key.Open(kTestKey));
  EXPECT_TRUE(key.WriteText("Font", "Tahoma"));
  EXPECT_TRUE(key.WriteNumber("FontSize", static_cast<uint32_t>(-16)));
  key.Close();

  HKEY raw = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &raw));
  char text[16] = {};
  DWORD type = 0, size = sizeof text;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(raw, "Font", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(7u, size);
  EXPECT_STREQ("Tahoma", text);
  DWORD value = 0;
  size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(raw, "FontSize", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(0xFFFFFFF0u, value);
  RegCloseKey(raw);

  // The 9x family has no key security: a read handle writes there (and
  // Wine's win98 mode does the same).
  const bool ntFamily = (GetVersion() & 0x80000000u) == 0;
  RegKey readOnly(reg_, HKeyRoot::LocalMachine, kKeyRead);
  ASSERT_TRUE(readOnly.Open(kTestKey));
  EXPECT_EQ(!ntFamily, readOnly.WriteNumber("Denied", 1));
  EXPECT_EQ(ntFamily ? ERROR_ACCESS_DENIED : ERROR_SUCCESS, readOnly.Status())
      << "version " << std::hex << GetVersion();
}

TEST_F(WinRegistryTest, SettingsLoadAndSaveAgainstTheRealRegistry) {
  // The real roots are used by the settings; keep whatever a run left.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TessaroVantik");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tessaro");
  const std::string r2 = "SOFTWARE\\TessaroVantik\\M1\\Default";
  const std::string w2 = "SOFTWARE\\Tessaro\\M2\\Default";
  PutText("SOFTWARE\\TessaroVantik", nullptr, "M1");
  const BYTE codes[2] = {0x6C, 0x30};
  Put(r2, "ScanCode", REG_BINARY, codes, 2);
  PutText(r2, "Font", "Verdana");
  PutDword(r2, "Interval", 2500);
  PutText(r2 + "\\0000000000000000", "Caption", "Email");
  PutDword(r2 + "\\0000000000000000", "Function", 21);
  PutText(r2 + "\\0000000000000001", "Caption", "Volume +");
  PutDword(r2 + "\\0000000000000001", "Function", 4);
  PutText("SOFTWARE\\Tessaro", nullptr, "M2");
  PutText(w2, "Font", "old");
  PutText(w2 + "\\0000000000000001", "Caption", "old");

  test::FakeSettingsServices services;
  test::FakeStrings strings;
  SetupMenu menu;
  LanguageInfo language(0x0409);
  OsdFont font;
  SettingsStore store(reg_, services, menu, language, strings, font);
  ASSERT_TRUE(store.LoadSettings());
  EXPECT_EQ(2, store.Current().Hotkeys.HotkeyCount);
  EXPECT_EQ(0x30u, store.Current().Hotkeys.ScanCode[1]);
  EXPECT_EQ("Verdana", font.FaceName);
  EXPECT_EQ(2500, store.Current().Interval);
  ASSERT_EQ(2u, services.Entries.size());
  EXPECT_EQ("Volume +", services.Entries[1].Caption);

  font.FaceName = "Courier New";
  services.Entries[1].Caption = "Louder";
  store.SaveSettings();
  RegKey w(reg_, HKeyRoot::LocalMachine, kKeyRead);
  ASSERT_TRUE(w.Open(w2));
  EXPECT_EQ("Courier New", w.ReadText("Font"));
  ASSERT_TRUE(w.Open(w2 + "\\0000000000000001"));
  EXPECT_EQ("Louder", w.ReadText("Caption"));
  EXPECT_EQ(4u, w.ReadNumber("Function"));
  EXPECT_FALSE(w.Open(w2 + "\\0000000000000000")) << "the save created a row key";
  w.Close();

  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TessaroVantik");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tessaro");
}

}  // namespace
}  // namespace kd
