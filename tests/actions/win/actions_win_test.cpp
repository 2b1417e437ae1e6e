// The Win32 side of the hotkey actions under the Windows versions Wine
// emulates: registry reads, the mixer and endpoint volume, key synthesis
// into a window, program starts and the window tests of the function codes.
#include <windows.h>
#include <endpointvolume.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "keydeck/actions/action_engine.h"
#include "keydeck/actions/launch_targets.h"
#include "keydeck/actions/win/win_actions.h"
#include "keydeck/actions/win/win_services.h"
#include "tests/actions/action_fakes.h"

namespace kd::test {
namespace {

const char* const kTestKey = "Software\\KeydeckActionsTest";
const char* const kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::string VersionName() {
  const char* v = std::getenv("WINE_VERSION_NAME");
  return v ? v : "";
}

bool EndpointExpected() { return UsesEndpointVolume(GetVersion()); }

// Wine says so through an export of its own.
bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ExeDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path);
  return p.substr(0, p.rfind('\\'));
}

std::string TempDir() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  std::string dir = std::string(path) + "kdact";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

// A copy of the helper program under the given name; its marker removed.
std::string PlaceHelper(const std::string& path) {
  const std::string helper = ExeDir() + "\\kd_actions_helper.exe";
  EXPECT_TRUE(CopyFileA(helper.c_str(), path.c_str(), FALSE)) << helper << " -> " << path;
  DeleteFileA((path + ".ran").c_str());
  return path;
}

// The command line the helper at path was started with; nullopt when it
// did not run within the time.
std::optional<std::string> HelperRun(const std::string& path, DWORD waitMs = 10000) {
  const std::string marker = path + ".ran";
  for (DWORD waited = 0; waited <= waitMs; waited += 50) {
    std::ifstream in(marker, std::ios::binary);
    if (in) {
      Sleep(50);  // let the helper finish writing
      std::ifstream again(marker, std::ios::binary);
      std::stringstream text;
      text << again.rdbuf();
      return text.str();
    }
    Sleep(50);
  }
  return std::nullopt;
}

void SetText(HKEY root, const std::string& path, const char* name, const std::string& value,
             DWORD type = REG_SZ, bool terminator = true) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS)
      << path;
  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + (terminator ? 1 : 0)));
  RegCloseKey(key);
}

void SetBytes(HKEY root, const std::string& path, const char* name, DWORD type,
              const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

// ---- a window that records what reaches it -------------------------------

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK RecordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP ||
      m == WM_VSCROLL || m == 0x3D1 || (m == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_CLOSE)) {
    g_seen.push_back({m, wp, lp});
    if (m == WM_SYSCOMMAND) return 0;  // recorded, not closed
  }
  return DefWindowProcA(w, m, wp, lp);
}

class TestWindow {
 public:
  explicit TestWindow(const char* className, const char* title = "Keydeck test window") {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                              300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    g_seen.clear();
  }
  ~TestWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }
  void Activate() {
    SetForegroundWindow(window_);
    SetFocus(window_);
    Pump(200);
    g_seen.clear();
  }
  static void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
  }

 private:
  HWND window_;
};

// ---- registry ------------------------------------------------------------

TEST(WinRegistryTest, TextNumberAndMissingValues) {
  SetText(HKEY_CURRENT_USER, kTestKey, "Text", "hello");
  SetText(HKEY_CURRENT_USER, kTestKey, "Bare", "no terminator", REG_SZ, false);
  SetText(HKEY_CURRENT_USER, kTestKey, "Expand", "%windir%\\x", REG_EXPAND_SZ);
  SetText(HKEY_CURRENT_USER, kTestKey, nullptr, "default");
  const DWORD number = 0x12345678;
  SetBytes(HKEY_CURRENT_USER, kTestKey, "Number", REG_DWORD, &number, 4);
  const BYTE two[2] = {0x34, 0x12};
  SetBytes(HKEY_CURRENT_USER, kTestKey, "Two", REG_BINARY, two, 2);
  const BYTE eight[8] = {};
  SetBytes(HKEY_CURRENT_USER, kTestKey, "Eight", REG_BINARY, eight, 8);

  WinRegistry reg;
  const RegRoot hkcu = RegRoot::CurrentUser;
  EXPECT_EQ(reg.ReadText(hkcu, kTestKey, "Text"), "hello");
  EXPECT_EQ(reg.ReadText(hkcu, kTestKey, "Bare"), "no terminator");
  EXPECT_EQ(reg.ReadText(hkcu, kTestKey, "Expand"), "%windir%\\x") << "left unexpanded";
  EXPECT_EQ(reg.ReadText(hkcu, kTestKey, ""), "default");
  EXPECT_EQ(reg.ReadText(hkcu, kTestKey, "Number"), std::nullopt) << "not text";
  EXPECT_EQ(reg.ReadText(hkcu, kTestKey, "Missing"), std::nullopt);
  EXPECT_EQ(reg.ReadText(hkcu, "Software\\NoSuchKeydeckKey", ""), std::nullopt);
  EXPECT_EQ(reg.ReadNumber(hkcu, kTestKey, "Number"), 0x12345678u);
  EXPECT_EQ(reg.ReadNumber(hkcu, kTestKey, "Two"), 0x1234u);
  EXPECT_EQ(reg.ReadNumber(hkcu, kTestKey, "Eight"), std::nullopt) << "too wide";
  EXPECT_EQ(reg.ReadNumber(hkcu, kTestKey, "Missing"), std::nullopt);
}

TEST(WinRegistryTest, LongTextsAreReadWholeAndLeadingBackslashOpens) {
  const std::string longText(5000, 'k');
  SetText(HKEY_CURRENT_USER, kTestKey, "Long", longText);
  WinRegistry reg;
  EXPECT_EQ(reg.ReadText(RegRoot::CurrentUser, kTestKey, "Long"), longText);

  HKEY raw = nullptr;
  const LONG direct = RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &raw);
  if (direct == ERROR_SUCCESS) RegCloseKey(raw);
  std::printf("RegOpenKeyExA with a leading backslash: %ld\n", direct);
  EXPECT_TRUE(reg.KeyOpens(RegRoot::CurrentUser, std::string("\\") + kTestKey));
  EXPECT_EQ(reg.ReadText(RegRoot::CurrentUser, std::string("\\") + kTestKey, "Text"), "hello");
  EXPECT_TRUE(reg.KeyOpens(RegRoot::LocalMachine, "Software"));
  EXPECT_FALSE(reg.KeyOpens(RegRoot::LocalMachine, "Software\\NoSuchKeydeckKey"));
}

TEST(WinRegistryTest, LookupsAgainstThePrefixRegistry) {
  SetText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "KdProbe.exe", nullptr,
          "C:\\probe\\KdProbe.exe");
  WinRegistry reg;
  EXPECT_EQ(AppPath(reg, "kdprobe.EXE"), "C:\\probe\\KdProbe.exe") << "names ignore case";
  const SearchAddress search = FindSearchAddress(reg);
  std::printf("browser major version %d, search page \"%s\"\n", search.IeMajorVersion,
              search.Address.c_str());
  EXPECT_GE(search.IeMajorVersion, 5) << "Wine registers its browser";
  const std::string personal = FindPersonalFolder(reg);
  std::printf("documents folder \"%s\"\n", personal.c_str());
  EXPECT_FALSE(personal.empty()) << "found through the backslash-led key path";
  SetText(HKEY_CLASSES_ROOT, ".kdt", nullptr, "kdtest.file");
  SetText(HKEY_CLASSES_ROOT, "kdtest.file", nullptr, "Keydeck Test File");
  EXPECT_EQ(FileTypeName(reg, ".kdt"), "Keydeck Test File");
  SetText(HKEY_CLASSES_ROOT, ".kdu", nullptr, "kdtest.untyped");  // a type without a key
  EXPECT_EQ(FileTypeName(reg, ".kdu"), "");
  EXPECT_EQ(FileTypeName(reg, ".kdnone"), "");
  std::printf(".htm type name \"%s\"\n", FileTypeName(reg, ".htm").c_str());
}

// The mail client's command as a Windows of the NT family registers it: an
// expandable text with the Program Files variable.
TEST(WinRegistryTest, MailCommandOfTheRegisteredClient) {
  const std::string clients = "Software\\Clients\\Mail";
  SetText(HKEY_LOCAL_MACHINE, clients, nullptr, "KdMail");
  SetText(HKEY_LOCAL_MACHINE, clients + "\\KdMail\\shell\\open\\command", nullptr,
          "%ProgramFiles%\\KdMail\\kdmail.exe /mail", REG_EXPAND_SZ);
  WinRegistry reg;
  const std::string programFiles =
      reg.ReadText(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir")
          .value_or("");
  ASSERT_FALSE(programFiles.empty());
  EXPECT_EQ(FindMailCommand(reg), programFiles + "\\KdMail\\kdmail.exe /mail");
  SetText(HKEY_LOCAL_MACHINE, clients + "\\KdMail\\shell\\open\\command", nullptr, "");
  EXPECT_EQ(FindMailCommand(reg), kFallbackMailCommand) << "an empty command";
}

// Registered commands as they reach a program start: expanded, without the
// shell's placeholders.
TEST(WinRegistryTest, RegisteredCommandsAreExpandedAndCutCleanly) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  SetText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "KdExpand.exe", nullptr, "%windir%\\kdx.exe",
          REG_EXPAND_SZ);
  SetText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "KdPlain.exe", nullptr, "%windir%\\kdx.exe");
  WinRegistry reg;
  EXPECT_EQ(AppPath(reg, "KdExpand.exe"), std::string(windows) + "\\kdx.exe");
  EXPECT_EQ(AppPath(reg, "KdPlain.exe"), "%windir%\\kdx.exe") << "a plain text is not expanded";
  EXPECT_EQ(reg.ReadExpandedText(RegRoot::LocalMachine, std::string(kAppPaths) + "KdPlain.exe", "x"),
            std::nullopt);

  SetText(HKEY_CLASSES_ROOT, ".kdp", nullptr, "kdtest.player");
  const std::string command = "kdtest.player\\shell\\open\\command";
  SetText(HKEY_CLASSES_ROOT, command, nullptr, "C:\\KdPlayer\\player.exe \"%1\"");
  EXPECT_EQ(ShellOpenCommand(reg, ".kdp"), "C:\\KdPlayer\\player.exe");
  SetText(HKEY_CLASSES_ROOT, command, nullptr, "\"%windir%\\kd player.exe\" /play \"%1\"",
          REG_EXPAND_SZ);
  EXPECT_EQ(ShellOpenCommand(reg, ".kdp"), "\"" + std::string(windows) + "\\kd player.exe\"");
}

// ---- version ---------------------------------------------------------------

TEST(WinVersionTest, ClassOfTheEmulatedVersion) {
  WinSystemInfo system;
  const WindowsVersion v(system.PackedVersion(), system.Build9x());
  std::printf("%s: packed %08lX, 9x build %u, class %d \"%s\"\n", VersionName().c_str(),
              static_cast<unsigned long>(v.Packed()), system.Build9x(), v.VersionClass(),
              v.Name().c_str());
  if (VersionName() == "winxp") {
    EXPECT_EQ(v.VersionClass(), kWindowsXP);
    EXPECT_TRUE(IsNtPlatform(v.Packed()));
  } else if (VersionName() == "win98") {
    EXPECT_EQ(v.VersionClass(), kWindows98SE) << "Wine's 98 is build 2222";
    EXPECT_FALSE(IsNtPlatform(v.Packed()));
  } else if (VersionName() == "win7") {
    EXPECT_EQ(v.VersionClass(), kUnknownWindows);
    EXPECT_EQ(v.Major(), 6u);
  }
  EXPECT_FALSE(system.WindowsDirectory().empty());
}

// ---- volume ----------------------------------------------------------------

void CheckVolumeRoundTrip(VolumeControl& volume) {
  ASSERT_TRUE(volume.SetVolume(0x8000));
  const uint32_t level = volume.GetVolume();
  EXPECT_NEAR(static_cast<double>(level), 0x8000, 1.0) << "read back " << level;
  ASSERT_TRUE(volume.SetVolume(0xFFFF));
  EXPECT_EQ(volume.GetVolume(), 0xFFFFu);
  ASSERT_TRUE(volume.SetVolume(0));
  EXPECT_EQ(volume.GetVolume(), 0u);
  ASSERT_TRUE(volume.SetMute(1));
  EXPECT_EQ(volume.GetMute(), 1);
  ASSERT_TRUE(volume.SetMute(0));
  EXPECT_EQ(volume.GetMute(), 0);
}

TEST(WinVolumeTest, MixerSpeakersVolumeAndMute) {
  std::printf("mixer devices: %u\n", mixerGetNumDevs());
  ASSERT_GT(mixerGetNumDevs(), 0u) << "the null sound device is missing";
  MixerVolume mixer;
  CheckVolumeRoundTrip(mixer);
}

// An endpoint volume interface that keeps what it is given, or refuses it.
class FakeEndpoint final : public IAudioEndpointVolume {
 public:
  float level = 1.0f;
  BOOL muted = FALSE;
  HRESULT answer = S_OK;  // what the writes answer
  LONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float value, LPCGUID) override {
    if (SUCCEEDED(answer)) level = value;
    return answer;
  }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float* value) override {
    *value = level;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, float, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMute(BOOL value, LPCGUID) override {
    if (SUCCEEDED(answer)) muted = value;
    return answer;
  }
  HRESULT STDMETHODCALLTYPE GetMute(BOOL* value) override {
    *value = muted;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeRange(float*, float*, float*) override { return E_NOTIMPL; }
};

FakeEndpoint g_endpoint;
int g_activations = 0;
HRESULT ActivateFake(IAudioEndpointVolume** volume) {
  ++g_activations;
  g_endpoint.AddRef();
  *volume = &g_endpoint;
  return S_OK;
}
HRESULT ActivateNothing(IAudioEndpointVolume** volume) {
  *volume = nullptr;
  return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

TEST(WinVolumeTest, EndpointVolumeWritesAndReadsTheEndpointsScalar) {
  g_endpoint = FakeEndpoint();
  g_activations = 0;
  EndpointVolume endpoint(ActivateFake);
  EXPECT_TRUE(endpoint.SetVolume(0x8000));
  EXPECT_NEAR(g_endpoint.level, 0.5f, 0.0001f);
  EXPECT_NEAR(static_cast<double>(endpoint.GetVolume()), 0x8000, 1.0);
  EXPECT_TRUE(endpoint.SetVolume(0xFFFF));
  EXPECT_EQ(g_endpoint.level, 1.0f);
  EXPECT_EQ(endpoint.GetVolume(), 0xFFFFu);
  EXPECT_TRUE(endpoint.SetMute(1));
  EXPECT_EQ(endpoint.GetMute(), 1);
  EXPECT_TRUE(endpoint.SetMute(0));
  EXPECT_EQ(endpoint.GetMute(), 0);
  EXPECT_EQ(g_activations, 8) << "one activation per operation";
  EXPECT_EQ(g_endpoint.refs, 1) << "each operation releases what it activated";

  // A refused write is reported, and the level stays.
  g_endpoint.answer = E_NOTIMPL;
  EXPECT_FALSE(endpoint.SetVolume(0x2000));
  EXPECT_FALSE(endpoint.SetMute(1));
  EXPECT_EQ(endpoint.GetVolume(), 0xFFFFu);
  EXPECT_EQ(endpoint.GetMute(), 0);

  EndpointVolume none(ActivateNothing);
  EXPECT_FALSE(none.SetVolume(0x8000));
  EXPECT_EQ(none.GetVolume(), 0u);
  EXPECT_EQ(none.GetMute(), -2) << "no endpoint";
}

TEST(WinVolumeTest, EndpointVolumeOnVistaAndLater) {
  if (!EndpointExpected()) GTEST_SKIP() << "the mixer route serves this version";
  EndpointVolume endpoint;
  const uint32_t level = endpoint.GetVolume();
  const int mute = endpoint.GetMute();
  std::printf("endpoint: level %u, mute %d\n", level, mute);
  EXPECT_NE(mute, -2) << "the default render endpoint did not activate";
  EXPECT_TRUE(endpoint.SetMute(0));
  // Wine 8 activates the endpoint and reads it but does not implement the
  // volume write (E_NOTIMPL): the write must then report failure rather
  // than pretend. Where the system writes, the level reads back.
  const bool written = endpoint.SetVolume(0x8000);
  if (UnderWine()) {
    EXPECT_FALSE(written) << "Wine 8 refuses the write";
    EXPECT_EQ(endpoint.GetVolume(), level);
  } else {
    ASSERT_TRUE(written);
    EXPECT_NEAR(static_cast<double>(endpoint.GetVolume()), 0x8000, 1.0);
    EXPECT_TRUE(endpoint.SetVolume(level));
  }
}

TEST(WinVolumeTest, VolumeKeysThroughTheProcessWideActions) {
  WinActions actions;
  EXPECT_EQ(actions.UsesEndpointVolume(), VersionName() == "win7");
  ActionEngine& engine = actions.Engine();
  engine.SetEntry(0, ActionEntry{"Down", "", 3, 0});
  engine.SetEntry(1, ActionEntry{"Up", "", 4, 0});
  engine.SetEntry(2, ActionEntry{"Mute", "", 5, 0});
  if (actions.UsesEndpointVolume()) {
    // The keys go to the endpoint, not the mixer. Wine cannot write the
    // endpoint's volume (above): the level must then stay what the
    // endpoint reads, not what the key wanted.
    MixerVolume mixer;
    ASSERT_TRUE(mixer.SetVolume(0x3000));
    EndpointVolume endpoint;
    const uint32_t level = endpoint.GetVolume();
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(engine.RunEntry(row)) << row;
    EXPECT_EQ(engine.MasterVolume(), level) << "a refused write reported as a new level";
    EXPECT_EQ(endpoint.GetVolume(), level);
    EXPECT_NEAR(static_cast<double>(mixer.GetVolume()), 0x3000, 1.0) << "a key went to the mixer";
    return;
  }
  MixerVolume volume;
  ASSERT_TRUE(volume.SetVolume(0x0550));
  ASSERT_TRUE(volume.SetMute(1));
  EXPECT_TRUE(engine.RunEntry(0));
  EXPECT_EQ(engine.MasterVolume(), 0u);
  EXPECT_EQ(volume.GetMute(), 0) << "volume keys unmute";
  ASSERT_TRUE(volume.SetVolume(0xFC00));
  EXPECT_TRUE(engine.RunEntry(1));
  EXPECT_EQ(engine.MasterVolume(), 0xFFFFu);
  ASSERT_TRUE(volume.SetVolume(0x3000));
  EXPECT_TRUE(engine.RunEntry(1));
  EXPECT_NEAR(static_cast<double>(engine.MasterVolume()), 0x3600, 1.0);
  EXPECT_TRUE(engine.RunEntry(2));
  EXPECT_EQ(volume.GetMute(), 1);
  EXPECT_TRUE(engine.RunEntry(2));
  EXPECT_EQ(volume.GetMute(), 0);
}

TEST(WinVolumeTest, StartupOpenReportsControlChangesToTheWindow) {
  WinActions actions;
  // The open names its window as the receiver of control changes: a window
  // that is gone can receive nothing, and the open with it is refused.
  HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  actions.OpenMixer(gone);
  EXPECT_FALSE(actions.MixerOpen()) << "opened with a destroyed callback window";

  TestWindow window("KdMixerWindow");
  actions.OpenMixer(window.get());
  ASSERT_TRUE(actions.MixerOpen());
  MixerVolume other;
  ASSERT_TRUE(other.SetVolume(0x4000));
  ASSERT_TRUE(other.SetVolume(0x5000));
  TestWindow::Pump(300);
  // Wine 8 posts no MM_MIXM_CONTROL_CHANGE at all (measured); Windows posts
  // one per change to the open's window. Keydeck ignores them.
  int changes = 0;
  for (const Seen& s : g_seen) changes += s.message == 0x3D1;
  std::printf("MM_MIXM_CONTROL_CHANGE messages seen: %d\n", changes);
  if (UnderWine())
    EXPECT_EQ(changes, 0) << "Wine now reports mixer changes: check what they carry";
  else
    EXPECT_GE(changes, 2);
  actions.CloseMixer();
  EXPECT_FALSE(actions.MixerOpen());
  // Closed: a second open is a fresh one, not refused as already open.
  actions.OpenMixer(window.get());
  EXPECT_TRUE(actions.MixerOpen());
  actions.CloseMixer();
}

// ---- key synthesis ---------------------------------------------------------

TEST(WinKeysTest, KeysReachTheFocusedWindowWithMappedScanCodes) {
  TestWindow window("KdKeyWindow");
  window.Activate();
  ASSERT_EQ(GetForegroundWindow(), window.get()) << "no foreground on this display";
  WinKeySynth keys;
  keys.KeyDown('A');
  keys.KeyUp('A');
  keys.KeyDown(VK_LEFT);
  keys.KeyUp(VK_LEFT);
  TestWindow::Pump(300);
  const UINT expected[] = {WM_KEYDOWN, WM_KEYUP, WM_KEYDOWN, WM_KEYUP};
  const UINT keysSent[] = {'A', 'A', VK_LEFT, VK_LEFT};
  std::printf("scan codes: A %u, Left %u, play/pause %u\n", MapVirtualKeyA('A', 0),
              MapVirtualKeyA(VK_LEFT, 0), MapVirtualKeyA(VK_MEDIA_PLAY_PAUSE, 0));
  ASSERT_EQ(g_seen.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const Seen& s = g_seen[i];
    EXPECT_EQ(s.message, expected[i]) << i;
    EXPECT_EQ(s.wParam, keysSent[i]) << i;
    const UINT scan = (static_cast<UINT>(s.lParam) >> 16) & 0xFF;
    EXPECT_EQ(scan, MapVirtualKeyA(keysSent[i], 0)) << "scan code of event " << i;
    EXPECT_EQ(s.lParam & (1 << 24), 0) << "extended flag of event " << i;
  }
}

TEST(WinKeysTest, ParameterKeyCodeTypesIntoTheForegroundWindow) {
  TestWindow window("KdParamWindow");
  window.Activate();
  ASSERT_EQ(GetForegroundWindow(), window.get());
  CallLog log;
  FakeRegistry reg;
  FakeStarter starter(log);
  WinDesktop desktop;
  WinKeySynth keys;
  FakeVolume volume(log);
  FakePower power(log);
  WinSystemInfo system;
  NoMediaTargets media;
  ActionEngine engine({reg, starter, desktop, keys, volume, power, system, media});
  engine.SetEntry(0, ActionEntry{"Key", "", 49, 0x4B});  // K
  engine.SetEntry(1, ActionEntry{"Down", "", 51, 0});
  engine.SetEntry(2, ActionEntry{"Up", "", 50, 0});
  engine.SetEntry(3, ActionEntry{"Close", "", 19, 0});
  for (int row = 0; row < 4; ++row) EXPECT_TRUE(engine.RunEntry(row)) << row;
  TestWindow::Pump(300);
  // The queue hands out posted messages before input, so each kind is
  // checked in its own order.
  std::vector<std::string> keysSeen, postedSeen;
  for (const Seen& s : g_seen) {
    const std::string text = Hex(s.message) + " " + Hex(static_cast<uint32_t>(s.wParam));
    (s.message == WM_KEYDOWN || s.message == WM_KEYUP ? keysSeen : postedSeen).push_back(text);
  }
  EXPECT_EQ(keysSeen, (std::vector<std::string>{"100 4B", "101 4B"}));
  EXPECT_EQ(postedSeen, (std::vector<std::string>{"115 1", "115 0", "112 F060"}));
}

// ---- launches --------------------------------------------------------------

struct RealStarterRig {
  CallLog log;
  WinRegistry reg;
  WinProgramStarter starter;
  WinDesktop desktop;
  FakeKeys keys{log};
  FakeVolume volume{log};
  FakePower power{log};
  WinSystemInfo system;
  NoMediaTargets media;
  std::unique_ptr<ActionEngine> engine;
  ActionEngine& Build() {
    engine = std::make_unique<ActionEngine>(
        ActionServices{reg, starter, desktop, keys, volume, power, system, media});
    return *engine;
  }
};

TEST(WinLaunchTest, CommandLineAndShellOpenStartTheProgram) {
  const std::string helper = PlaceHelper(TempDir() + "\\runme.exe");
  RealStarterRig rig;
  ActionEngine& engine = rig.Build();
  engine.SetEntry(0, ActionEntry{"Run", helper + " first second", 1, 0});
  EXPECT_TRUE(engine.RunEntry(0));
  const auto ran = HelperRun(helper);
  ASSERT_TRUE(ran.has_value()) << "code 1 did not start " << helper;
  EXPECT_NE(ran->find("first second"), std::string::npos) << *ran;

  DeleteFileA((helper + ".ran").c_str());
  engine.SetEntry(1, ActionEntry{"Open", helper, 2, 0});
  EXPECT_TRUE(engine.RunEntry(1));
  EXPECT_TRUE(HelperRun(helper).has_value()) << "code 2 did not open " << helper;
}

TEST(WinLaunchTest, MissingProgramsReportFalse) {
  WinProgramStarter starter;
  const uint32_t exec = starter.WinExec("C:\\no\\such\\program.exe", SW_SHOW);
  const uint32_t shell = starter.ShellExecuteOpen("C:\\no\\such\\document.txt");
  std::printf("WinExec of a missing program: %u, ShellExecuteA: %u\n", exec, shell);
  EXPECT_FALSE(RunCommand(starter, "C:\\no\\such\\program.exe", SW_SHOW));
  EXPECT_FALSE(ShellOpen(starter, "C:\\no\\such\\document.txt"));
  EXPECT_FALSE(starter.FileExists("C:\\no\\such\\program.exe"));
  EXPECT_TRUE(starter.FileExists(ExeDir() + "\\kd_actions_helper.exe"));
}

TEST(WinLaunchTest, BrowserAndWordStartOnlyWithoutTheirWindows) {
  const std::string dir = TempDir();
  const std::string browser = PlaceHelper(dir + "\\browser.exe");
  const std::string word = PlaceHelper(dir + "\\winword.exe");
  SetText(HKEY_CLASSES_ROOT, ".htm", nullptr, "kdtest.htmlfile");
  SetText(HKEY_CLASSES_ROOT, "kdtest.htmlfile\\shell\\open\\command", nullptr,
          "\"" + browser + "\" -nohome \"%1\"");
  SetText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "WinWord.exe", nullptr, word);

  RealStarterRig rig;
  ActionEngine& engine = rig.Build();
  EXPECT_EQ(engine.BrowserCommand(), "\"" + browser + "\"");
  engine.SetEntry(0, ActionEntry{"WWW", "", 20, 0});
  engine.SetEntry(1, ActionEntry{"Word", "", 32, 0});
  {
    TestWindow ie("IEFrame");
    TestWindow opus("OpusApp");
    EXPECT_TRUE(engine.RunEntry(0));
    EXPECT_TRUE(engine.RunEntry(1));
    EXPECT_FALSE(HelperRun(browser, 1500).has_value()) << "browser started over IEFrame";
    EXPECT_FALSE(HelperRun(word, 0).has_value()) << "Word started over OpusApp";
  }
  EXPECT_TRUE(engine.RunEntry(0));
  EXPECT_TRUE(engine.RunEntry(1));
  EXPECT_TRUE(HelperRun(browser).has_value());
  EXPECT_TRUE(HelperRun(word).has_value());
}

TEST(WinLaunchTest, UnquotedBrowserCommandWithAPlaceholderStartsTheBrowser) {
  // As some browsers register themselves: no quotes around the program,
  // the document's placeholder in quotes after it.
  const std::string browser = PlaceHelper(TempDir() + "\\unquoted.exe");
  ASSERT_EQ(browser.find(' '), std::string::npos) << "the temporary folder has a blank";
  SetText(HKEY_CLASSES_ROOT, ".htm", nullptr, "kdtest.unquoted");
  SetText(HKEY_CLASSES_ROOT, "kdtest.unquoted\\shell\\open\\command", nullptr, browser + " \"%1\"");
  RealStarterRig rig;
  ActionEngine& engine = rig.Build();
  EXPECT_EQ(engine.BrowserCommand(), browser);
  engine.SetEntry(0, ActionEntry{"WWW", "", 20, 0});
  EXPECT_TRUE(engine.RunEntry(0));
  const auto ran = HelperRun(browser);
  ASSERT_TRUE(ran.has_value()) << "the browser did not start";
  EXPECT_EQ(ran->find('%'), std::string::npos) << "a placeholder reached the browser: " << *ran;
}

TEST(WinLaunchTest, VideoPlayerStartAndFallback) {
  const std::string dir = TempDir() + "\\vpr";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string player = PlaceHelper(dir + "\\PowerVPR.exe");
  SetText(HKEY_LOCAL_MACHINE, "Software\\VPRMatrix\\PowerVPR", "SetupDir", dir);
  SetText(HKEY_LOCAL_MACHINE, "Software\\VPRMatrix\\PowerVPR", "VPR_Target", "D:\\MPEGAV");
  SetText(HKEY_LOCAL_MACHINE, "Software\\Tessaro", nullptr, "KdTest");
  const DWORD files = 1;
  SetBytes(HKEY_LOCAL_MACHINE, "Software\\Tessaro\\KdTest\\Default", "Files", REG_DWORD, &files,
           4);
  SetText(HKEY_LOCAL_MACHINE, "Software\\Tessaro\\KdTest\\Default", "FilesName", "codec.dll");
  WinSystemInfo system;
  const std::string fallback = PlaceHelper(system.WindowsDirectory() + "\\Discprobe.exe");

  RealStarterRig rig;
  ActionEngine& engine = rig.Build();
  engine.SetEntry(0, ActionEntry{"Video", "", 52, 0});
  EXPECT_TRUE(engine.RunEntry(0));
  EXPECT_TRUE(HelperRun(fallback).has_value()) << "codec.dll is missing: fallback expected";
  EXPECT_FALSE(HelperRun(player, 0).has_value());

  DeleteFileA((fallback + ".ran").c_str());
  std::ofstream(dir + "\\codec.dll") << "x";
  EXPECT_TRUE(engine.RunEntry(0));
  const auto ran = HelperRun(player);
  ASSERT_TRUE(ran.has_value()) << "the player did not start";
  EXPECT_EQ(*ran, " D:\\MPEGAV") << "a blank in front of the target";
  DeleteFileA(fallback.c_str());
}

TEST(WinLaunchTest, CalendarStartsOutlookOrFindsItsWindow) {
  const std::string outlook = PlaceHelper(TempDir() + "\\outlook.exe");
  SetText(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "OUTLOOK.EXE", nullptr, outlook);
  RealStarterRig rig;
  ActionEngine& engine = rig.Build();
  engine.SetLanguageId(0x0409);
  engine.SetEntry(0, ActionEntry{"Calendar", "", 53, 0});
  EXPECT_TRUE(engine.RunEntry(0));
  const auto ran = HelperRun(outlook);
  ASSERT_TRUE(ran.has_value());
  EXPECT_NE(ran->find("/select \"outlook:\\\\Personal Folders\\calendar\""), std::string::npos)
      << *ran;

  DeleteFileA((outlook + ".ran").c_str());
  TestWindow first("rctrl_renwnd32", "Inbox - Microsoft Outlook");
  TestWindow second("rctrl_renwnd32", "Calendar - Microsoft Outlook");
  TestWindow::Pump(100);
  EXPECT_TRUE(engine.RunEntry(0));
  TestWindow::Pump(200);
  // The walk runs in z-order, topmost first: the last match is the one
  // further down, the window created first.
  EXPECT_TRUE(IsZoomed(first.get()));
  EXPECT_FALSE(IsZoomed(second.get()));
  EXPECT_EQ(GetForegroundWindow(), first.get());
  EXPECT_EQ(rig.log, (CallLog{"Down 12", "Down 56", "Up 56", "Up 12", "Down 47", "Up 47",
                              "Down 43", "Up 43"}));
  EXPECT_FALSE(HelperRun(outlook, 500).has_value()) << "Outlook started although running";
}

TEST(WinLaunchTest, ControlPanelAppletStart) {
  WinProgramStarter starter;
  // An applet that does not exist: rundll32 starts, shows nothing, ends.
  EXPECT_TRUE(RunControlPanel(starter, "kdnone.cpl"));
  EXPECT_FALSE(RunControlPanel(starter, std::string(223, 'a'))) << "longer than the command";
}

// The real file tests, with the help viewer's start only noted.
class NotingHelpStarter final : public ProgramStarter {
 public:
  std::vector<std::string> opened;
  uint32_t WinExec(const std::string& c, int show) override { return real_.WinExec(c, show); }
  uint32_t ShellExecuteOpen(const std::string& t) override { return real_.ShellExecuteOpen(t); }
  bool StartProcess(const std::string& p, const std::string& a) override { return real_.StartProcess(p, a); }
  bool FileExists(const std::string& path) override { return real_.FileExists(path); }
  void OpenHelpContents(const std::string& helpFile) override { opened.push_back(helpFile); }

 private:
  WinProgramStarter real_;
};

TEST(WinLaunchTest, HelpFileBesideTheProgramComesFirst) {
  CallLog log;
  FakeRegistry reg;
  NotingHelpStarter starter;
  WinDesktop desktop;
  FakeKeys keys(log);
  FakeVolume volume(log);
  FakePower power(log);
  WinSystemInfo system;
  NoMediaTargets media;
  ActionEngine engine({reg, starter, desktop, keys, volume, power, system, media});
  const std::string fallback = TempDir() + "\\fallback.hlp";
  std::ofstream(fallback) << "help";
  engine.SetHelpFile(fallback);
  engine.SetEntry(0, ActionEntry{"Help", "", 35, 0});
  const std::string beside = ExeDir() + "\\Hotkey.hlp";
  DeleteFileA(beside.c_str());
  EXPECT_TRUE(engine.RunEntry(0));
  std::ofstream(beside) << "help";
  EXPECT_TRUE(engine.RunEntry(0));
  DeleteFileA(beside.c_str());
  DeleteFileA(fallback.c_str());
  EXPECT_FALSE(engine.RunEntry(0)) << "neither file";
  EXPECT_EQ(starter.opened, (std::vector<std::string>{fallback, beside}));
}

TEST(WinLaunchTest, FileTestOnADriveWithoutADiscLeavesTheErrorModeAsItWas) {
  // A CD-ROM drive letter with no disc behind it. Windows would show a
  // "no disk" box for it unless the probe turns those boxes off; Wine shows
  // none either way, so only the quick false and the restored mode can be
  // seen here.
  SetText(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", "q:", "cdrom");
  const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  WinProgramStarter starter;
  const DWORD start = GetTickCount();
  EXPECT_FALSE(starter.FileExists("Q:\\help\\Hotkey.hlp"));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(SetErrorMode(before), static_cast<UINT>(SEM_NOGPFAULTERRORBOX)) << "the probe changed the mode";
}

TEST(WinLaunchTest, MissingHelpFileStartsNoViewer) {
  // Asked for a missing file, Wine's WinHelpA waits on the viewer's error
  // box and never returns on its own: the code must not get that far.
  RealStarterRig rig;
  ActionEngine& engine = rig.Build();
  engine.SetHelpFile(TempDir() + "\\nohelp.hlp");
  engine.SetEntry(0, ActionEntry{"Help", "", 35, 0});
  const DWORD start = GetTickCount();
  EXPECT_FALSE(engine.RunEntry(0));
  EXPECT_LT(GetTickCount() - start, 1000u);
  Sleep(500);
  EXPECT_EQ(FindWindowA("MS_WINHELP", nullptr), nullptr) << "a help viewer was started";
}

// ---- audio-CD AutoPlay ---------------------------------------------------------

const char* const kAudioCdCommand = "AudioCD\\shell\\play\\command";
const char* const kOtherPlayer = "C:\\Other\\player.exe /cd %1";

struct RawValue {
  LONG status = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  DWORD size = 0;
  std::string text;  // the bytes as stored, terminator included
};

// The command key's default value as the registry holds it.
RawValue ReadAudioCdCommand() {
  RawValue v;
  HKEY key = nullptr;
  v.status = RegOpenKeyExA(HKEY_CLASSES_ROOT, kAudioCdCommand, 0, KEY_READ, &key);
  if (v.status != ERROR_SUCCESS) return v;
  char data[1024] = {};
  v.size = sizeof data;
  v.status = RegQueryValueExA(key, nullptr, nullptr, &v.type, reinterpret_cast<BYTE*>(data),
                              &v.size);
  if (v.status == ERROR_SUCCESS) v.text.assign(data, v.size);
  RegCloseKey(key);
  return v;
}

void RemoveAudioCdKeys() {
  // RegDeleteKeyA removes leaves only on the NT family: go up from the leaf.
  for (const char* path : {"AudioCD\\shell\\play\\command", "AudioCD\\shell\\play",
                           "AudioCD\\shell", "AudioCD"})
    RegDeleteKeyA(HKEY_CLASSES_ROOT, path);
}

class WinAutoPlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveAudioCdKeys();
    SetText(HKEY_CLASSES_ROOT, kAudioCdCommand, nullptr, kOtherPlayer);
  }
  void TearDown() override { RemoveAudioCdKeys(); }
};

std::string ThisProgram() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

TEST_F(WinAutoPlayTest, PanelChoiceWritesThisProgramWithSlashP) {
  WinActions actions;
  ActionEngine& engine = actions.Engine();
  engine.SetPlayer(2);
  engine.RegisterCdAutoPlay();
  const std::string wanted = "\"" + ThisProgram() + "\" /p %1";
  const RawValue v = ReadAudioCdCommand();
  std::printf("%s: status %ld, type %lu, size %lu, \"%s\"\n", VersionName().c_str(), v.status,
              v.type, v.size, v.text.c_str());
  ASSERT_EQ(v.status, ERROR_SUCCESS);
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(v.size, wanted.size() + 1) << "terminator counted";
  EXPECT_EQ(v.text, wanted + std::string(1, '\0'));
  EXPECT_EQ(engine.Player(), 2);
}

TEST_F(WinAutoPlayTest, EqualCommandIsLeftAsStored) {
  // Stored as REG_EXPAND_SZ: a rewrite would turn it into REG_SZ.
  const std::string wanted = "\"" + ThisProgram() + "\" /p %1";
  SetText(HKEY_CLASSES_ROOT, kAudioCdCommand, nullptr, wanted, REG_EXPAND_SZ);
  WinActions actions;
  actions.Engine().SetPlayer(2);
  actions.Engine().RegisterCdAutoPlay();
  const RawValue v = ReadAudioCdCommand();
  std::printf("type after the registration %lu\n", v.type);
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(v.text, wanted + std::string(1, '\0'));
}

TEST_F(WinAutoPlayTest, ChoiceFourWritesTheCdPlayerCommandAndBecomesOne) {
  WinActions actions;
  ActionEngine& engine = actions.Engine();
  engine.SetPlayer(4);
  engine.RegisterCdAutoPlay();
  const RawValue v = ReadAudioCdCommand();
  std::printf("%s: \"%s\"\n", VersionName().c_str(), v.text.c_str());
  EXPECT_EQ(v.text, engine.CdPlayerCommand() + std::string(1, '\0'));
  EXPECT_NE(engine.CdPlayerCommand().find("\\cdplayer.exe /play "), std::string::npos);
  EXPECT_EQ(engine.Player(), 1);
}

TEST_F(WinAutoPlayTest, MissingKeyIsNotCreated) {
  RemoveAudioCdKeys();
  SetText(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play", nullptr, "Play");
  WinActions actions;
  ActionEngine& engine = actions.Engine();
  engine.SetPlayer(4);
  engine.RegisterCdAutoPlay();
  const RawValue v = ReadAudioCdCommand();
  EXPECT_EQ(v.status, ERROR_FILE_NOT_FOUND) << "got " << v.status << " \"" << v.text << "\"";
  EXPECT_EQ(engine.Player(), 4);
}

// ---- power -----------------------------------------------------------------

// Whether the process token has the shutdown privilege enabled (NT family).
bool ShutdownPrivilegeEnabled() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  PRIVILEGE_SET set = {};
  set.PrivilegeCount = 1;
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &set.Privilege[0].Luid);
  BOOL enabled = FALSE;
  PrivilegeCheck(token, &set, &enabled);
  CloseHandle(token);
  return enabled != FALSE;
}

void DisableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  CloseHandle(token);
}

// The real power calls, each noted with whether the shutdown privilege was
// enabled when it was made. The shutdown itself is never made: under Wine
// ExitWindowsEx ends every process of the prefix.
class NotingPower final : public PowerControl {
 public:
  CallLog log;
  bool EnableShutdownPrivilege() override {
    const bool enabled = real_.EnableShutdownPrivilege();
    log.push_back(enabled ? "privilege enabled" : "privilege refused");
    return enabled;
  }
  void SetSystemPowerState(bool suspend) override {
    log.push_back(std::string(suspend ? "standby" : "hibernate") +
                  (ShutdownPrivilegeEnabled() ? " with the privilege" : " without the privilege"));
    real_.SetSystemPowerState(suspend);  // a stub under Wine
  }
  bool ExitWindowsShutdown() override {
    log.push_back(std::string("shut down") +
                  (ShutdownPrivilegeEnabled() ? " with the privilege" : " without the privilege"));
    return true;
  }

 private:
  WinPowerControl real_;
};

TEST(WinPowerTest, PowerActionsEnableTheShutdownPrivilegeFirstOnTheNtFamily) {
  const bool nt = IsNtPlatform(GetVersion());
  std::printf("%s: the NT family %d\n", VersionName().c_str(), nt);
  NotingPower power;
  DisableShutdownPrivilege();
  ASSERT_FALSE(nt && ShutdownPrivilegeEnabled()) << "the privilege could not be turned off first";
  Standby(power, nt);
  DisableShutdownPrivilege();
  Hibernate(power, nt);
  DisableShutdownPrivilege();
  EXPECT_TRUE(ShutDown(power, nt));
  if (nt) {
    EXPECT_EQ(power.log, (CallLog{"privilege enabled", "standby with the privilege", "privilege enabled",
                                  "hibernate with the privilege", "privilege enabled",
                                  "shut down with the privilege"}));
  } else {
    // The 9x family has no privileges to ask for.
    EXPECT_EQ(power.log, (CallLog{"standby without the privilege", "hibernate without the privilege",
                                  "shut down without the privilege"}));
  }
}

}  // namespace
}  // namespace kd::test
