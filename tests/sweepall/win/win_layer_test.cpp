// The Win32 layer of the uninstaller against the real (Wine) system: the
// registry, files, the log, devices, privileges and the shell's texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/win/scoped.h"
#include "sweepall/system_services.h"
#include "sweepall/win/dialog_window.h"
#include "sweepall/win/win_platform.h"

namespace sweepall::win {
namespace {

constexpr char kTestKey[] = "Software\\SweepallTest";

bool NtFamily() { return (GetVersion() & 0x80000000u) == 0; }

std::string VersionName() {
  char buf[64] = {};
  GetEnvironmentVariableA("WINE_VERSION_NAME", buf, sizeof buf);
  return buf;
}

void CreateKey(HKEY root, const std::string& path) {
  common::ScopedKey key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr),
            ERROR_SUCCESS)
      << path;
}

bool KeyExists(HKEY root, const std::string& path) {
  common::ScopedKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::string TempPath(const char* name) {
  char dir[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  Win32FileSystem files;
  files.ReadWhole(path, 1 << 20, &bytes);
  return bytes;
}

class WinLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    services_.DeleteKeyTree(kCurrentUser, kTestKey);
    services_.DeleteKeyTree(kLocalMachine, kTestKey);
  }
  void TearDown() override { SetUp(); }

  Win32Registry registry_;
  Win32FileSystem files_;
  Win32SystemInfo system_;
  Win32Programs programs_;
  Win32DeviceSetup devices_;
  Win32Power power_;
  SystemServices services_{registry_, files_, system_, programs_, devices_, power_};
};

TEST_F(WinLayer, FamilyFollowsTheWindowsVersion) {
  const std::string version = VersionName();
  std::printf("version %s, GetVersion 0x%08lx\n", version.c_str(), GetVersion());
  if (version == "win98" || version == "win95" || version == "winme") {
    EXPECT_FALSE(system_.IsNtFamily());
  } else if (!version.empty()) {
    EXPECT_TRUE(system_.IsNtFamily());
  }
  EXPECT_FALSE(system_.WindowsDirectory().empty());
  EXPECT_EQ(system_.SystemDirectory().rfind(system_.WindowsDirectory(), 0), 0u)
      << "got " << system_.SystemDirectory();
}

TEST_F(WinLayer, KeyTreeThreeLevelsDeepGoesCompletely) {
  const std::string top = std::string(kTestKey) + "\\Prod";
  CreateKey(HKEY_CURRENT_USER, top + "\\L1\\L2\\L3");
  CreateKey(HKEY_CURRENT_USER, top + "\\Side");
  const long plain = registry_.DeleteKey(kCurrentUser, top);
  std::printf("plain RegDeleteKeyA of a key with subkeys: %ld\n", plain);
  EXPECT_NE(plain, kOk) << "Wine deletes no key that has subkeys, whatever the version";
  EXPECT_EQ(services_.DeleteKeyTree(kCurrentUser, top), kOk);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKey));
  EXPECT_EQ(services_.DeleteKeyTree(kCurrentUser, top), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(services_.DeleteKeyTree(kCurrentUser, ""), ERROR_BADKEY);
}

// A registry link at HKLM\path to an NT registry path.
long CreateLink(const std::string& path, const wchar_t* target) {
  common::ScopedKey key;
  LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                           REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                           KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.put(), nullptr);
  if (r != ERROR_SUCCESS) return r;
  return RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK,
                        reinterpret_cast<const BYTE*>(target),
                        static_cast<DWORD>(wcslen(target) * sizeof(wchar_t)));
}

// The key's discretionary list as bytes, or empty when it can't be read.
std::string DaclBytes(HKEY root, const std::string& path) {
  common::ScopedKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL, key.put()) != ERROR_SUCCESS) return {};
  std::vector<DWORD> sd(256);
  DWORD size = static_cast<DWORD>(sd.size() * sizeof(DWORD));
  if (RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, sd.data(), &size) != ERROR_SUCCESS)
    return {};
  BOOL present = FALSE, defaulted = FALSE;
  PACL acl = nullptr;
  if (!GetSecurityDescriptorDacl(sd.data(), &present, &acl, &defaulted)) return {};
  if (!present || acl == nullptr) return "no list";
  return std::string(reinterpret_cast<const char*>(acl), acl->AclSize);
}

TEST_F(WinLayer, KeyPathsSkipDoubledAndTrailingBackslashes) {
  CreateKey(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\A");
  // What makes "Uninstall=\\" name the Uninstall key itself.
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\\\"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\\\A"));
  common::ScopedKey key;
  std::printf("leading backslash: %ld\n",
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, key.put()));
}

TEST_F(WinLayer, TreeWalksDeleteAndResetLinksAsLinks) {
  const std::string tree = std::string(kTestKey) + "\\Tree";
  const std::string target = std::string(kTestKey) + "\\Target";
  CreateKey(HKEY_LOCAL_MACHINE, tree + "\\a\\b");
  CreateKey(HKEY_LOCAL_MACHINE, target + "\\keep");
  const long made =
      CreateLink(tree + "\\a\\out", L"\\Registry\\Machine\\Software\\SweepallTest\\Target");
  ASSERT_EQ(made, ERROR_SUCCESS) << "registry links are not available";
  ASSERT_EQ(CreateLink(tree + "\\loop", L"\\Registry\\Machine\\Software\\SweepallTest\\Tree"),
            ERROR_SUCCESS);
  ASSERT_EQ(CreateLink(std::string(kTestKey) + "\\Named",
                       L"\\Registry\\Machine\\Software\\SweepallTest\\Target"),
            ERROR_SUCCESS);
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, tree + "\\a\\out\\keep")) << "the link leads nowhere";
  EXPECT_TRUE(services_.TreeHoldsLink(kLocalMachine, tree + "\\loop"));
  EXPECT_TRUE(services_.TreeHoldsLink(kLocalMachine, tree));
  EXPECT_FALSE(services_.TreeHoldsLink(kLocalMachine, tree + "\\a\\b"));

  if (NtFamily()) {
    // Wine gives a new key two entries already, so compare the whole list.
    const std::string before = DaclBytes(HKEY_LOCAL_MACHINE, target);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(services_.ResetKeySecurityTree(kLocalMachine, tree), kOk);
    EXPECT_EQ(DaclBytes(HKEY_LOCAL_MACHINE, target), before) << "reset through the link";
    EXPECT_NE(DaclBytes(HKEY_LOCAL_MACHINE, tree + "\\a\\b"), before) << "the tree was not reset";
  }
  EXPECT_EQ(services_.DeleteKeyTree(kLocalMachine, tree), kOk);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, tree));
  EXPECT_EQ(services_.DeleteKeyTree(kLocalMachine, std::string(kTestKey) + "\\Named"), kOk);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\Named"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, target + "\\keep")) << "the target went with the link";
}

TEST_F(WinLayer, StringValuesAreStoredWithoutTerminator) {
  CreateKey(HKEY_CURRENT_USER, kTestKey);
  RegKey key = 0;
  ASSERT_EQ(registry_.OpenKey(kCurrentUser, kTestKey, kKeyAllAccess, &key), kOk);
  EXPECT_EQ(registry_.SetString(key, "Path", "C:\\App", false), kOk);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(reinterpret_cast<HKEY>(key), "Path", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  std::printf("stored size of \"C:\\App\": %lu\n", size);
  std::string text;
  bool expandable = true;
  EXPECT_EQ(registry_.QueryString(key, "Path", 260, &text, &expandable), kOk);
  EXPECT_EQ(text, "C:\\App");
  EXPECT_FALSE(expandable);
  // An expandable string keeps its type and its references unexpanded.
  EXPECT_EQ(registry_.SetString(key, "Path", "%ProgramFiles%\\App", true), kOk);
  EXPECT_EQ(RegQueryValueExA(reinterpret_cast<HKEY>(key), "Path", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(registry_.QueryString(key, "Path", 260, &text, &expandable), kOk);
  EXPECT_EQ(text, "%ProgramFiles%\\App");
  EXPECT_TRUE(expandable);
  EXPECT_EQ(registry_.SetString(key, "Long", std::string(300, 'x'), false), kOk);
  EXPECT_EQ(registry_.QueryString(key, "Long", 260, &text, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(registry_.DeleteValue(key, "Path"), kOk);
  EXPECT_EQ(registry_.DeleteValue(key, "Path"), ERROR_FILE_NOT_FOUND);
  registry_.CloseKey(key);
  EXPECT_EQ(registry_.OpenKey(kNoRoot, kTestKey, kKeyAllAccess, &key), ERROR_INVALID_HANDLE);
}

TEST_F(WinLayer, EmptyKeysGoAndKeysWithAnythingInThemStay) {
  const std::string vendor = std::string(kTestKey) + "\\Vendor";
  CreateKey(HKEY_LOCAL_MACHINE, vendor + "\\Other");
  EXPECT_EQ(services_.DeleteEmptyKey(kLocalMachine, vendor), kErrorDirNotEmpty);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, vendor + "\\Other")) << "a subkey keeps it";
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, (vendor + "\\Other").c_str()), ERROR_SUCCESS);
  // Only the default value, set as the sample keymap sets the model's name.
  ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, vendor.c_str(), REG_SZ, "RF2400", 6), ERROR_SUCCESS);
  RegKey key = 0;
  ASSERT_EQ(registry_.OpenKey(kLocalMachine, vendor, kKeyRead, &key), kOk);
  std::uint32_t subkeys = 9;
  std::uint32_t values = 9;
  EXPECT_EQ(registry_.CountEntries(key, &subkeys, &values), kOk);
  registry_.CloseKey(key);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(services_.DeleteEmptyKey(kLocalMachine, vendor), kErrorDirNotEmpty);
  ASSERT_EQ(registry_.OpenKey(kLocalMachine, vendor, kKeyAllAccess, &key), kOk);
  EXPECT_EQ(registry_.DeleteValue(key, ""), kOk);
  registry_.CloseKey(key);
  EXPECT_EQ(services_.DeleteEmptyKey(kLocalMachine, vendor), kOk);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, vendor));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTestKey));
  EXPECT_EQ(services_.DeleteEmptyKey(kLocalMachine, vendor), ERROR_FILE_NOT_FOUND);
}

// The two entries every reset key must carry, and nothing else.
void ExpectResetDacl(HKEY root, const std::string& path) {
  SCOPED_TRACE(path);
  common::ScopedKey key;
  ASSERT_EQ(RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL, key.put()), ERROR_SUCCESS);
  std::vector<DWORD> buf(256);
  DWORD size = static_cast<DWORD>(buf.size() * sizeof(DWORD));
  ASSERT_EQ(RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, buf.data(), &size),
            ERROR_SUCCESS);
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(buf.data(), &present, &acl, &defaulted));
  ASSERT_TRUE(present && acl);
  ASSERT_EQ(acl->AceCount, 2) << "got " << acl->AceCount << " entries";
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID interactive = nullptr;
  PSID admins = nullptr;
  AllocateAndInitializeSid(&nt, 1, SECURITY_INTERACTIVE_RID, 0, 0, 0, 0, 0, 0, 0, &interactive);
  AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                           0, 0, 0, &admins);
  const struct {
    PSID sid;
    DWORD mask;
  } want[2] = {{interactive, KEY_READ}, {admins, KEY_ALL_ACCESS}};
  for (DWORD i = 0; i < 2; ++i) {
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(acl, i, &ace));
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Mask, want[i].mask) << "entry " << i << std::hex << " mask 0x" << allowed->Mask;
    EXPECT_TRUE(EqualSid(&allowed->SidStart, want[i].sid)) << "entry " << i;
  }
  FreeSid(interactive);
  FreeSid(admins);
}

TEST_F(WinLayer, SecurityResetLeavesTheTwoEntriesOnEveryKey) {
  const std::string top = std::string(kTestKey) + "\\Enum";
  CreateKey(HKEY_LOCAL_MACHINE, top + "\\HID\\Dev1");
  CreateKey(HKEY_LOCAL_MACHINE, top + "\\USB");
  if (!NtFamily()) {
    EXPECT_EQ(services_.ResetKeySecurity(kLocalMachine, top), 0) << "nothing to reset on 9x";
    GTEST_SKIP() << "the 9x family keeps no registry security";
  }
  EXPECT_EQ(services_.ResetKeySecurity(kLocalMachine, top), 1);
  EXPECT_EQ(services_.ResetKeySecurityTree(kLocalMachine, top), kOk);
  for (const char* sub : {"", "\\HID", "\\HID\\Dev1", "\\USB"}) ExpectResetDacl(HKEY_LOCAL_MACHINE, top + sub);
  EXPECT_EQ(services_.ResetKeySecurityTree(kLocalMachine, top + "\\Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(services_.DeleteKeyTree(kLocalMachine, top), kOk) << "administrators keep full control";
}

// The discretionary list of a key as bytes, for before-and-after checks.
std::vector<char> DaclBytes(HKEY key) {
  std::vector<char> buf(4096);
  DWORD size = static_cast<DWORD>(buf.size());
  const LONG r = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buf.data(), &size);
  EXPECT_EQ(r, ERROR_SUCCESS);
  buf.resize(r == ERROR_SUCCESS ? size : 0);
  return buf;
}

TEST_F(WinLayer, EmptySubkeyNeverResetsTheRootItself) {
  if (!NtFamily()) GTEST_SKIP() << "the 9x family keeps no registry security";
  // An empty name opens the root itself; resetting it would take every
  // other account (SYSTEM included) off HKEY_LOCAL_MACHINE.
  const std::vector<char> before = DaclBytes(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(services_.ResetKeySecurity(kLocalMachine, ""), 0);
  EXPECT_EQ(services_.ResetKeySecurityTree(kLocalMachine, ""), ERROR_BADKEY);
  EXPECT_TRUE(DaclBytes(HKEY_LOCAL_MACHINE) == before) << "HKEY_LOCAL_MACHINE's list changed";
}

TEST_F(WinLayer, FilesGoEvenWhenReadOnlyDirectoriesOnlyWhenEmpty) {
  const std::string dir = TempPath("sweepall_files");
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string file = dir + "\\ro.txt";
  {
    common::ScopedHandle h(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_READONLY, nullptr));
    ASSERT_TRUE(h.valid());
  }
  EXPECT_EQ(files_.Probe(file), PathKind::kFile);
  EXPECT_EQ(files_.Probe(dir), PathKind::kDirectory);
  EXPECT_EQ(files_.Probe(dir + "\\"), PathKind::kDirectory);
  EXPECT_EQ(files_.Probe(dir + "\\none"), PathKind::kMissing);
  EXPECT_TRUE(files_.AnyMatch(dir + "\\*.txt"));
  EXPECT_FALSE(files_.RemoveEmptyDirectory(dir));
  EXPECT_FALSE(files_.RemoveFile(file)) << "read-only until its attributes are cleared";
  EXPECT_TRUE(files_.ClearAttributes(file));
  EXPECT_TRUE(files_.RemoveFile(file));
  EXPECT_TRUE(files_.RemoveEmptyDirectory(dir + "\\")) << "a trailing backslash names it too";
  EXPECT_EQ(files_.Probe(dir), PathKind::kMissing);
}

TEST_F(WinLayer, LogRunRewritesTheFileFromItsStart) {
  const std::string path = TempPath("sweepall_test.log");
  DeleteFileA(path.c_str());
  Win32LogFile log(path);
  ASSERT_TRUE(log.Open());
  log.Write(std::string(100, 'L') + "\r\n");
  log.Write("second\r\n");
  Win32LogFile other(path);
  EXPECT_FALSE(other.Open()) << "the log is not shared while open";
  log.Close();
  ASSERT_TRUE(log.Open());
  log.Write("short\r\n");
  log.Close();
  EXPECT_EQ(ReadFileBytes(path), "short\r\n");
  DeleteFileA(path.c_str());
}

TEST_F(WinLayer, ScriptIsReadUpToTheLimit) {
  const std::string path = TempPath("sweepall_script.ini");
  {
    common::ScopedHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(h.get(), "[x]\r\nName=N\r\n", 13, &written, nullptr);
  }
  std::string bytes;
  EXPECT_TRUE(files_.ReadWhole(path, 1 << 20, &bytes));
  EXPECT_EQ(bytes, "[x]\r\nName=N\r\n");
  EXPECT_TRUE(files_.ReadWhole(path, 3, &bytes));
  EXPECT_EQ(bytes, "[x]");
  EXPECT_FALSE(files_.ReadWhole(TempPath(""), 100, &bytes)) << "a directory is no script";
  EXPECT_FALSE(files_.ReadWhole("", 100, &bytes));
  DeleteFileA(path.c_str());
}

TEST_F(WinLayer, UnknownHardwareIdEndsWithNoMoreItems) {
  const DeviceSearch r = services_.FindDeviceByHardwareId("SWEEPALL\\NO_SUCH_DEVICE");
  std::printf("search: found %d, error %ld\n", r.found, r.error);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.error, kErrorNoMoreItems);
}

TEST_F(WinLayer, RootDeviceFromAMissingInfFailsCleanly) {
  EXPECT_FALSE(services_.InstallRootDevice("ROOT\\SWEEPALL", TempPath("none.inf")));
  EXPECT_EQ(services_.UpdateDeviceDriver("sweepall_none.inf", "ROOT\\SWEEPALL"), 0);
}

TEST_F(WinLayer, InfIsFoundInTheWindowsInfFolder) {
  const std::string inf = system_.WindowsDirectory() + "\\inf\\sweepall_t.inf";
  CreateDirectoryA((system_.WindowsDirectory() + "\\inf").c_str(), nullptr);
  { common::ScopedHandle h(CreateFileA(inf.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  EXPECT_EQ(services_.LocateInfFile("sweepall_t.inf"), 1);
  EXPECT_EQ(services_.located_inf(), inf);
  DeleteFileA(inf.c_str());
}

TEST_F(WinLayer, AbsentDeviceGetsARootDeviceFromTheInf) {
  const std::string inf = system_.WindowsDirectory() + "\\inf\\sweepall_dev.inf";
  CreateDirectoryA((system_.WindowsDirectory() + "\\inf").c_str(), nullptr);
  {
    common::ScopedHandle h(CreateFileA(inf.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const char text[] =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
        "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Keydeck\r\n";
    DWORD written = 0;
    WriteFile(h.get(), text, sizeof text - 1, &written, nullptr);
  }
  // Wine runs the whole sequence (INF class, new device, hardware ID,
  // registration); its driver update itself is a stub that reports success.
  const char id[] = "ROOT\\SWEEPALL_TEST";
  EXPECT_FALSE(services_.FindDeviceByHardwareId(id).found);
  EXPECT_EQ(services_.UpdateDeviceDriver(inf, id), 1);
  const DeviceSearch after = services_.FindDeviceByHardwareId("root\\sweepall_test");
  EXPECT_TRUE(after.found) << "search error " << after.error;
  EXPECT_EQ(services_.UpdateDeviceDriver(inf, id), 1) << "now as an update of a present device";
  DeleteFileA(inf.c_str());
}

TEST_F(WinLayer, ShutdownPrivilegeCanBeEnabled) {
  // Only the privilege: a real restart would end every program of the prefix.
  const bool enabled = power_.EnableShutdownPrivilege();
  std::printf("shutdown privilege enabled: %d\n", enabled);
  if (NtFamily()) {
    EXPECT_TRUE(enabled);
  }
}

TEST_F(WinLayer, ShellTextsForTheQuestions) {
  Win32DialogView view;
  const std::string shell65 = ShellString(65);
  std::printf("shell string 65: \"%s\"\nshell string 4274: \"%s\"\n", shell65.c_str(),
              ShellString(4274).c_str());
  // Wine has the uninstall question's text but not the restart one's.
  EXPECT_FALSE(shell65.empty());
  EXPECT_EQ(view.UninstallQuestion(), shell65);
  EXPECT_TRUE(ShellString(4274).empty());
  EXPECT_EQ(view.RestartQuestion(), "Do you want to restart your computer now?");
  EXPECT_EQ(FormatRestartQuestion("Restart%1now?%2"), "Restart now? ");
  EXPECT_EQ(FormatRestartQuestion("No inserts"), "No inserts");
}

TEST_F(WinLayer, ProgramsStartAndWindowsGetTheirQuit) {
  EXPECT_GE(programs_.Start("cmd.exe /c exit"), 32u);
  EXPECT_EQ(programs_.Start("sweepall_no_such_program.exe"), 2u);

  // A window on a thread of its own; WM_QUIT ends that thread's loop.
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool gotQuit = false;
  std::thread owner([&] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SweepallQuitTest";
    RegisterClassA(&wc);
    HWND w = CreateWindowA("SweepallQuitTest", "Quit me", 0, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
    SetEvent(ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    gotQuit = msg.message == WM_QUIT;
    SetEvent(ended);
    DestroyWindow(w);
  });
  WaitForSingleObject(ready, 5000);
  EXPECT_TRUE(programs_.PostQuitTo("SweepallQuitTest", "Other title", 5000)) << "no such window";
  EXPECT_EQ(WaitForSingleObject(ended, 300), static_cast<DWORD>(WAIT_TIMEOUT))
      << "a window of another title got the quit";
  // This program's own window: posted, never waited for.
  const DWORD before = GetTickCount();
  EXPECT_TRUE(programs_.PostQuitTo("SweepallQuitTest", "Quit me", 20000));
  EXPECT_LT(GetTickCount() - before, 5000u);
  owner.join();
  EXPECT_TRUE(gotQuit);
  CloseHandle(ended);
  CloseHandle(ready);
}

TEST_F(WinLayer, QuitWaitsUntilAnotherProgramHasEnded) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  char line[] = "notepad.exe";
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  common::ScopedHandle notepad(process.hProcess);
  CloseHandle(process.hThread);
  WaitForInputIdle(notepad.get(), 10000);
  HWND window = nullptr;
  for (int i = 0; i < 100 && !window; ++i, Sleep(100)) window = FindWindowA("Notepad", nullptr);
  ASSERT_NE(window, nullptr);
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  std::printf("notepad's title: \"%s\"\n", title);
  EXPECT_TRUE(programs_.PostQuitTo("Notepad", title, 20000));
  EXPECT_EQ(WaitForSingleObject(notepad.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
      << "returned before notepad had ended";
  if (WaitForSingleObject(notepad.get(), 0) != WAIT_OBJECT_0) TerminateProcess(notepad.get(), 1);
}

}  // namespace
}  // namespace sweepall::win
