#include "keydeck/shell/dispatch.h"

namespace kd {
namespace {

constexpr uint32_t kChannelKeyA = 0x5A;
constexpr uint32_t kChannelKeyB = 0x62;
constexpr uint32_t kReleaseBit = 0x80;

bool IsIndicatorReport(uint32_t word) { return (word & 0x7) == 4; }

char DriveLetter(uintptr_t wParam) {
  if (wParam >= 'a' && wParam <= 'z') return static_cast<char>(wParam - 'a' + 'A');
  return wParam >= 'A' && wParam <= 'Z' ? static_cast<char>(wParam) : 0;
}

}  // namespace

bool Dispatcher::Dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam,
                          const HotkeyTable& table, const MenuPlacement& menu) {
  switch (message) {
    case kWmKdHotkey:
      OnHotkey(wParam, lParam, table);
      return true;
    case kWmKdDriver:
      OnDriverWord(wParam, lParam);
      return true;
    case kWmKdLocks:
      OnLocks();
      return true;
    case kWmKdReload:
      targets_.ReloadSettings();  // a failed reload keeps the previous settings
      return true;
    case kWmKdPlayDisc:
      // The drive AutoPlay named; without a letter, the first disc found.
      targets_.PlayInsertedDisc(DriveLetter(wParam));
      return true;
    case kWmKdMenu:
      OnMenuRequest(lParam, menu);
      return false;
    case kWmPowerBroadcast:
      if (wParam == kPbtApmSuspend) targets_.MediaStop();
      return false;
    case kMmMixmControlChange:
      return false;  // nothing shows the level outside a volume key
    default:
      return false;
  }
}

void Dispatcher::ShowVolume() { targets_.ShowVolumeBar(static_cast<int>(targets_.MasterVolume() / 256)); }

void Dispatcher::OnHotkey(uintptr_t wParam, intptr_t lParam, const HotkeyTable& table) {
  if (wParam == kChannelKeyA || wParam == kChannelKeyB) targets_.ShowChannelSetting();
  if (wParam == (kChannelKeyA | kReleaseBit) || wParam == (kChannelKeyB | kReleaseBit))
    targets_.HideChannelSetting();

  const int count = table.HotkeyCount < kMaxHotkeys ? table.HotkeyCount : kMaxHotkeys;
  int row = 0;
  while (row < count && static_cast<uintptr_t>(table.ScanCode[row]) != wParam) ++row;
  if (row >= count) return;

  if (table.Unreadable[row]) {
    // Its entry is empty: running it would "succeed" and show nothing.
    if (lParam == 0) targets_.ShowOsdText(kHotkeyNotAssigned);
    return;
  }
  int32_t function = 0;
  if (!targets_.EntryFunction(row, &function)) function = 0;
  switch (function) {
    case 3:
    case 4:
      targets_.RunEntry(row);
      ShowVolume();
      return;
    case 30:
      ShowVolume();
      return;
    case 17:
      targets_.RunEntry(row);
      return;
    default:
      // Auto-repeat must not start programs twice.
      if (lParam != 0) return;
      if (targets_.RunEntry(row))
        targets_.ShowOsdText(targets_.OsdCaption());
      else
        targets_.ShowOsdText(kHotkeyNotAssigned);
      return;
  }
}

void Dispatcher::OnDriverWord(uintptr_t wParam, intptr_t lParam) {
  const uint32_t word = static_cast<uint32_t>(lParam);
  if (wParam == 0 && IsIndicatorReport(word)) {
    if (word & 0x1000)
      targets_.ShowChannelSetting();
    else
      targets_.HideChannelSetting();
  }
  // The receiver's status words (0x201, 0x401, 0x2001, 0x4001, 0x8001)
  // are of kind 1: the kind test keeps them, like every word but an
  // indicator report, off the lamps.
  if (wParam != 0) return;
  if (IsIndicatorReport(word)) targets_.SetWarningLamps((word & 0x300) != 0, (word & 0xC00) != 0);
}

void Dispatcher::OnLocks() { targets_.SetLockFlags(static_cast<uint8_t>(targets_.GetNumLock() & 0xFF)); }

void Dispatcher::OnMenuRequest(intptr_t lParam, const MenuPlacement& menu) {
  if (lParam != kMenuRightButtonDown) return;
  const int w = screen_.Width();
  const int h = screen_.Height();
  if (menu.MenuLocX != 0 || menu.MenuLocY != 0)
    targets_.OpenSetupMenu(w - menu.MenuLocX, h - menu.MenuLocY);
  else
    targets_.OpenSetupMenu(w - 20, h - 8 * menu.TopLevelItems);
}

}  // namespace kd
