#include "keydeck/shell/win/setup_form.h"

#include <commdlg.h>

#include <cstddef>
#include <vector>

#include "common/win/scoped.h"
#include "kbdrelay/kbdrelay.h"
#include "keydeck/resources/resource.h"
#include "keydeck/shell/messages.h"
#include "keydeck/shell/startup.h"
#include "keydeck/ui/win/tray.h"
#include "keyhook/keyhook.h"

namespace kd {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kClientWidth = 124;
constexpr int kClientHeight = 89;
constexpr UINT kDriverUsagePage = 0xFF02;
constexpr UINT kFeatureUsagePage = 0xFF01;
constexpr UINT kFeatureUsage = 1;
constexpr UINT kFirstMenuCommand = 100;
constexpr const char* kExitFallbackText = "Do you want to exit?";

// Adds the visible items of `parent` to a new popup menu; `commands` maps
// command id - kFirstMenuCommand to the item's name.
HMENU BuildPopup(const MenuItem& parent, std::vector<std::string>& commands) {
  HMENU menu = CreatePopupMenu();
  UINT position = 0;
  for (const MenuItem& item : parent.Items) {
    if (!item.Visible) continue;
    // The structure as Windows 95 and NT 4 know it (without hbmpItem),
    // with the masks they understand.
    MENUITEMINFOA info = {};
    info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
    info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID;
    info.fType = MFT_STRING | (item.RadioGroup != 0 ? MFT_RADIOCHECK : 0);
    info.fState = item.IsChecked() ? MFS_CHECKED : MFS_UNCHECKED;
    info.wID = kFirstMenuCommand + static_cast<UINT>(commands.size());
    commands.push_back(item.Name);
    std::string caption = item.Caption;
    info.dwTypeData = caption.data();
    if (!item.Items.empty()) {
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = BuildPopup(item, commands);
    }
    InsertMenuItemA(menu, position++, TRUE, &info);
  }
  return menu;
}

// The open dialog's filter: the settings' "|"-separated text with NULs.
std::vector<char> DialogFilter(const std::string& text) {
  std::vector<char> filter(text.begin(), text.end());
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

}  // namespace

SetupForm::SetupForm(WinActions& actions, LanguageInfo& language, WinOsd& osd, LedWindow& led,
                     HWND application)
    : actions_(actions),
      language_(language),
      osd_(osd),
      led_(led),
      application_(application),
      store_(registry_, *this, menu_, language_, strings_, osd_->Font),
      dispatcher_(*this, screen_),
      handlers_(menu_, *this),
      menuIcon_(*this) {
  // Each of these marks is the state of the object it switches.
  menu_.BindMark("Enable1", &osd_->Enabled);
  menu_.BindMark("Led", &led_.Strip().LedMark());
}

bool SetupForm::Create(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  RegisterFormClass(instance, kSetupFrmClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, kStyle, FALSE, 0);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  if (!CreateForm(instance, kSetupFrmClass, kSetupFrmTitle, kStyle, 0, x, y, kClientWidth, kClientHeight,
                  owner))
    return false;
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  // Timer3 runs from creation with its design-time interval.
  SetTimer(hwnd_, kTimer3, kTimer3StartMs, nullptr);
  return true;
}

void SetupForm::FormCreate() {
  LoadHookProcedure(hwnd_);
  // The engine's panel only now: its two forms and some twenty controls
  // would otherwise delay the hook, and nothing uses them before the
  // settings load below.
  actions_.Panel().Create(application_);
  osd_->OsdX = screen_.Width() - 200;
  osd_->OsdY = screen_.Height() - 100;
  osd_.SetWindow(hwnd_);
  actions_.OpenMixer(hwnd_);
  ShowWindow(application_, SW_HIDE);

  WinProcessRunner runner;
  WinMessageBoxes boxes;
  if (!LoadWithImport([this] { return LoadAndApply(); }, WindowsDirectory(), runner, boxes)) {
    ShowWindow(hwnd_, SW_HIDE);
    PostQuitMessage(0);  // the steps below still run before the loop sees it
  }
  InitDriver(hwnd_, kWmKdDriver, kDriverUsagePage);
  SetTimer(hwnd_, kTimer2, 2000, nullptr);
}

bool SetupForm::LoadAndApply() {
  if (!store_.LoadSettings()) return false;
  const Settings& s = store_.Current();
  actions_.Panel().Control().SetFullScreen(s.FullScreen);
  ActionEngine& engine = actions_.Engine();
  engine.SetPlayer(s.Player);
  engine.SetLanguageId(language_.LanguageId());
  TellHookActingKeys();
  menuIcon_.Apply(s.MenuFlag, TrayTipText(language_.LanguageId(), strings_));
  return true;
}

void SetupForm::TellHookActingKeys() {
  // Keys that would do nothing here (a media key without a player, a key
  // without a row) keep their meaning for the rest of the system.
  const ActionEngine& engine = actions_.Engine();
  const KeyCodeSet acting = ActingKeyCodes(store_.Current().Hotkeys, [&](int row) {
    int32_t function = 0;
    if (!EntryFunction(row, &function)) function = 0;
    return FunctionActs(function, engine.Player());
  });
  SetActingKeys(acting.data());
}

void SetupForm::Timer2Timer() {
  led_.Strip().Show();
  KillTimer(hwnd_, kTimer2);
}

void SetupForm::Timer3Timer() {
  KillTimer(hwnd_, kTimer3);
  BYTE report[5] = {3, 4, 0, 0, 0};
  SetKbdFeatures(kFeatureUsagePage, kFeatureUsage, report);
  const auto interval = static_cast<UINT>(store_.Current().Interval);
  if (interval != 0) SetTimer(hwnd_, kTimer3, interval, nullptr);
}

void SetupForm::Exit1Click() {
  std::string text;
  {
    common::ScopedLibrary comdlg(LoadLibraryA("ComDlg32.dll"));
    char buf[128] = {};
    if (comdlg && LoadStringA(comdlg.get(), 259, buf, sizeof buf) > 0) text = buf;
  }
  if (text.empty()) text = kExitFallbackText;
  if (MessageBoxA(hwnd_, text.c_str(), "Message", MB_YESNO) == IDYES) {
    ShowWindow(hwnd_, SW_HIDE);
    PostQuitMessage(0);
  }
}

void SetupForm::FormDestroy() {
  HWND led = FindWindowA(kRFLedClass, kRFLedTitle);
  if (store_.Current().MenuFlag) Tray().Delete(hwnd_, kMenuIconId);
  Tray().Delete(hwnd_, LedWindow::kTrayId);
  if (led) PostMessageA(led, WM_QUIT, 0, 0);
  UnLoadHookProcedure();
  actions_.CloseMixer();
}

LRESULT SetupForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (osd_.OnTimer(wParam)) {
        // The OSD draws over every window; the wipe repaints the desktop,
        // and the LED strip repaints itself.
        if (led_.Window()) RedrawWindow(led_.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return 0;
      }
      if (wParam == kTimer2) Timer2Timer();
      if (wParam == kTimer3) Timer3Timer();
      return 0;
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);  // closing a secondary form only hides it
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    default: {
      if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        menuIcon_.TaskbarCreated();
        return 0;
      }
      const Settings& s = store_.Current();
      MenuPlacement placement{s.MenuLocX, s.MenuLocY, static_cast<int>(menu_.Root().Items.size())};
      if (dispatcher_.Dispatch(message, wParam, lParam, s.Hotkeys, placement)) return 0;
      return FormWindow::Handle(message, wParam, lParam);
    }
  }
}

// ---- Menu ----

void SetupForm::OpenSetupMenu(int x, int y) {
  std::vector<std::string> commands;
  HMENU menu = BuildPopup(menu_.Root(), commands);
  // The menu closes properly only when its owner is the foreground window,
  // and the WM_NULL afterwards lets a second open work at once.
  SetForegroundWindow(hwnd_);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, hwnd_, nullptr));
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (command >= kFirstMenuCommand && command - kFirstMenuCommand < commands.size())
    handlers_.Click(commands[command - kFirstMenuCommand]);
}

bool SetupForm::ChooseFile(std::string* chosen, int* filterIndex) {
  char file[MAX_PATH] = {};
  std::vector<char> filter = DialogFilter(store_.Current().OpenDialogFilter);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // accepted by every version
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.data();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.Flags = OFN_NOVALIDATE | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return false;
  *chosen = file;
  *filterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

void SetupForm::RunControlPanel(const std::string& applet) { actions_.Engine().RunControlPanel(applet); }

HotkeyRow SetupForm::Row(int row) const {
  HotkeyRow out;
  GetEntry(row, &out);
  return out;
}

void SetupForm::SetRow(int row, const HotkeyRow& entry) {
  ActionEngine& engine = actions_.Engine();
  ActionEntry e = engine.Entry(row) ? *engine.Entry(row) : ActionEntry{};
  e.Caption = entry.Caption;
  e.LinkTo = entry.LinkTo;
  e.Function = entry.Function;
  engine.SetEntry(row, e);
  store_.RowChanged(row);
}

void SetupForm::SaveSettings() {
  // The choice holds until the next load either way; the user is told that
  // it will not outlast it.
  if (!store_.SaveSettings()) MessageBoxA(hwnd_, kSettingsNotSaved, "Message", MB_OK | MB_ICONWARNING);
  TellHookActingKeys();  // a menu choice may have given a row its first action
}
bool SetupForm::ChooseOsdFont() { return RunOsdFontDialog(hwnd_, osd_->Font); }

void SetupForm::SetOsdPlace(int msgLoc) { osd_->SetLocation(msgLoc, screen_.Width(), screen_.Height()); }
void SetupForm::SetFullScreen(bool on) {
  store_.Current().FullScreen = on;
  actions_.Panel().Control().SetFullScreen(on);
}

// A check box set to a different state runs its click handler there.
void SetupForm::SetPanelOption(const std::string& name, bool on) {
  PanelControl& panel = actions_.Panel().Control();
  if (name == "CDPanel") panel.SetShowOnPlay(on);
  if (name == "Loop") panel.SetLoop(on);
  if (name == "AutoPlay") panel.SetAutoPlay(on);
}
void SetupForm::LedClick() { led_.Strip().LedClick(); }

// ---- The menu's tray icon ----

bool SetupForm::AddMenuIcon(const std::string& tip) {
  Tray().SetCallbackMessage(kMenuIconMessage);
  return Tray().Add(hwnd_, kMenuIconId, LoadIconA(instance_, MAKEINTRESOURCEA(IDI_KEYDECK)), tip.c_str());
}

void SetupForm::DeleteMenuIcon() { Tray().Delete(hwnd_, kMenuIconId); }

// ---- Dispatch targets ----

bool SetupForm::EntryFunction(int row, int32_t* function) const {
  ActionEngine& engine = actions_.Engine();
  const ActionEntry* entry = engine.Entry(row);
  if (!entry || row >= engine.EntryCount()) return false;
  *function = entry->Function;
  return true;
}

bool SetupForm::RunEntry(int row) { return actions_.Engine().RunEntry(row); }

std::string SetupForm::OsdCaption() const { return actions_.Engine().OsdCaption(); }
uint32_t SetupForm::MasterVolume() { return actions_.Engine().MasterVolume(); }
void SetupForm::MediaStop() { actions_.Engine().MediaStop(); }
void SetupForm::PlayInsertedDisc(char drive) { actions_.Engine().PlayInsertedDisc(drive); }
void SetupForm::ShowOsdText(const std::string& text) { osd_->ShowOsdText(text); }
void SetupForm::ShowVolumeBar(int level) { osd_->ShowVolumeBar(level); }

void SetupForm::ShowChannelSetting() {
  if (form3_) form3_->ShowToFront();
}

void SetupForm::HideChannelSetting() {
  if (form3_) form3_->Hide();
}

void SetupForm::SetWarningLamps(bool keyboard, bool mouse) { led_.SetWarnings(keyboard, mouse); }
void SetupForm::SetLockFlags(uint8_t flags) { led_.SetLockFlags(flags); }
uint32_t SetupForm::GetNumLock() { return static_cast<uint32_t>(GetNUMLock()); }
bool SetupForm::ReloadSettings() { return LoadAndApply(); }

// ---- Settings services ----

void SetupForm::ClearEntries() { actions_.Engine().ClearEntries(); }

void SetupForm::AddEntry(const HotkeyRow& row) {
  actions_.Engine().AddEntry(row.Caption, row.LinkTo, row.Function, 0);
}

bool SetupForm::GetEntry(int index, HotkeyRow* row) const {
  const ActionEngine& engine = actions_.Engine();
  const ActionEntry* entry = engine.Entry(index);
  if (!entry) return false;
  *row = {entry->Caption, entry->LinkTo, entry->Function};
  return true;
}

void SetupForm::WriteMciExtension() {
  WriteProfileStringA("mci extensions", "dat", "MPEGVideo");
  // The NT family's MCI reads its extension list from the registry: Windows
  // maps the win.ini section there, Wine does not. Without the entry a
  // video-CD file opens as CD audio. A refused write (no rights) is left be.
  common::ScopedKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) == ERROR_SUCCESS) {
    static const char kDevice[] = "MPEGVideo";
    RegSetValueExA(key.get(), "dat", 0, REG_SZ, reinterpret_cast<const BYTE*>(kDevice), sizeof kDevice);
  }
}

void SetupForm::ApplyOsdLocation(int32_t msgLoc) {
  osd_->SetLocation(msgLoc, screen_.Width(), screen_.Height());
}

std::string SetupForm::FileTypeName(const std::string& extension) {
  return actions_.Engine().FileTypeName(extension);
}

int32_t SetupForm::RegisterCdAutoPlay(int32_t player) {
  // The load calls this before LoadAndApply hands the engine its player
  // choice, and the registration decides by the engine's own choice.
  ActionEngine& engine = actions_.Engine();
  engine.SetPlayer(player);
  engine.RegisterCdAutoPlay();
  return engine.Player();
}

}  // namespace kd
