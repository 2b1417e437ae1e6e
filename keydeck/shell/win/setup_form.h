// SetupFrm (class "TSetupFrm"): the hidden control form. It owns the
// settings, the popup menu and the timers, feeds every message it receives
// to the dispatch, and carries out what the dispatch decides.
#pragma once

#include <windows.h>

#include <string>

#include "keydeck/actions/win/win_actions.h"
#include "keydeck/shell/dispatch.h"
#include "keydeck/shell/language.h"
#include "keydeck/shell/menu.h"
#include "keydeck/shell/menu_handlers.h"
#include "keydeck/shell/menu_icon.h"
#include "keydeck/shell/osd/win/win_osd.h"
#include "keydeck/shell/settings.h"
#include "keydeck/shell/win/win_platform.h"
#include "keydeck/status/win/channel_window.h"
#include "keydeck/status/win/led_window.h"
#include "keydeck/ui/win/form_window.h"

namespace kd {

class SetupForm final : public FormWindow,
                        private DispatchTargets,
                        private SettingsServices,
                        private MenuServices,
                        private MenuIconShell {
 public:
  static constexpr UINT_PTR kTimer2 = 2;
  static constexpr UINT_PTR kTimer3 = 3;
  static constexpr UINT kTimer3StartMs = 10000;

  SetupForm(WinActions& actions, LanguageInfo& language, WinOsd& osd, LedWindow& led, HWND application);

  bool Create(HINSTANCE instance, HWND owner);
  void SetChannelWindow(ChannelWindow* form3) { form3_ = form3; }

  void FormCreate();
  void Timer2Timer();
  void Timer3Timer();
  void Exit1Click() override;

  SetupMenu& Menu() { return menu_; }
  SettingsStore& Store() { return store_; }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool LoadAndApply();
  void TellHookActingKeys();
  void FormDestroy();

  // DispatchTargets
  bool EntryFunction(int row, int32_t* function) const override;
  bool RunEntry(int row) override;
  std::string OsdCaption() const override;
  uint32_t MasterVolume() override;
  void MediaStop() override;
  void PlayInsertedDisc(char drive) override;
  void ShowOsdText(const std::string& text) override;
  void ShowVolumeBar(int level) override;
  void ShowChannelSetting() override;
  void HideChannelSetting() override;
  void SetWarningLamps(bool keyboard, bool mouse) override;
  void SetLockFlags(uint8_t flags) override;
  uint32_t GetNumLock() override;
  bool ReloadSettings() override;
  void OpenSetupMenu(int x, int y) override;

  // SettingsServices
  void ClearEntries() override;
  void AddEntry(const HotkeyRow& row) override;
  bool GetEntry(int index, HotkeyRow* row) const override;
  void WriteMciExtension() override;
  void ApplyOsdLocation(int32_t msgLoc) override;
  std::string FileTypeName(const std::string& extension) override;
  int32_t RegisterCdAutoPlay(int32_t player) override;

  // MenuServices
  bool ChooseFile(std::string* file, int* filterIndex) override;
  void RunControlPanel(const std::string& applet) override;
  HotkeyRow Row(int row) const override;
  void SetRow(int row, const HotkeyRow& entry) override;
  void SaveSettings() override;
  bool ChooseOsdFont() override;
  void SetOsdPlace(int msgLoc) override;
  void SetFullScreen(bool on) override;
  void SetPanelOption(const std::string& name, bool on) override;
  void LedClick() override;

  // MenuIconShell
  bool AddMenuIcon(const std::string& tip) override;
  void DeleteMenuIcon() override;

  WinActions& actions_;
  LanguageInfo& language_;
  WinOsd& osd_;
  LedWindow& led_;
  HWND application_;
  ChannelWindow* form3_ = nullptr;
  HINSTANCE instance_ = nullptr;

  SetupMenu menu_;
  ResourceStringTable strings_;
  WinRegistryAccess registry_;
  WinScreenMetrics screen_;
  SettingsStore store_;
  Dispatcher dispatcher_;
  MenuHandlers handlers_;
  MenuIcon menuIcon_;
  UINT taskbarCreated_ = 0;  // "TaskbarCreated", broadcast when a shell starts
};

}  // namespace kd
