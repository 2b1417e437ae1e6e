// The control form's message map: hotkeys, receiver report words, lock
// and reload requests, the menu request, suspend and mixer notices. The
// handlers only decide; everything they act on is a DispatchTargets call.
#pragma once

#include <cstdint>
#include <string>

#include "keydeck/shell/hotkey_table.h"
#include "keydeck/shell/messages.h"
#include "keydeck/shell/platform.h"

namespace kd {

constexpr uintptr_t kPbtApmSuspend = 4;
constexpr intptr_t kMenuRightButtonDown = 0x204;
inline constexpr const char* kHotkeyNotAssigned = "Hotkey not assigned!";

class DispatchTargets {
 public:
  virtual ~DispatchTargets() = default;
  // The action engine.
  virtual bool EntryFunction(int row, int32_t* function) const = 0;  // false: no entry
  virtual bool RunEntry(int row) = 0;
  virtual std::string OsdCaption() const = 0;
  virtual uint32_t MasterVolume() = 0;  // 0..0xFFFF
  virtual void MediaStop() = 0;
  // The panel plays the disc just inserted (AutoPlay's "/p" with a drive):
  // the one in drive 'A'..'Z', or with 0 the first it finds.
  virtual void PlayInsertedDisc(char drive) = 0;
  // The on-screen display.
  virtual void ShowOsdText(const std::string& text) = 0;
  virtual void ShowVolumeBar(int level) = 0;  // 0..255
  // The Channel Setting window (shown and brought to the foreground).
  virtual void ShowChannelSetting() = 0;
  virtual void HideChannelSetting() = 0;
  // The LED strip.
  virtual void SetWarningLamps(bool keyboard, bool mouse) = 0;
  virtual void SetLockFlags(uint8_t flags) = 0;
  virtual uint32_t GetNumLock() = 0;
  // The settings and the setup menu.
  virtual bool ReloadSettings() = 0;
  virtual void OpenSetupMenu(int x, int y) = 0;
};

struct MenuPlacement {
  uint16_t MenuLocX = 0;
  uint16_t MenuLocY = 0;
  int TopLevelItems = 5;
};

class Dispatcher {
 public:
  Dispatcher(DispatchTargets& targets, const ScreenMetrics& screen)
      : targets_(targets), screen_(screen) {}

  // Handles one message. False when the form's default handling must
  // follow (messages outside the map included).
  bool Dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam, const HotkeyTable& table,
                const MenuPlacement& menu);

  void OnHotkey(uintptr_t wParam, intptr_t lParam, const HotkeyTable& table);
  void OnDriverWord(uintptr_t wParam, intptr_t lParam);
  void OnLocks();
  void OnMenuRequest(intptr_t lParam, const MenuPlacement& menu);

 private:
  void ShowVolume();

  DispatchTargets& targets_;
  const ScreenMetrics& screen_;
};

}  // namespace kd
