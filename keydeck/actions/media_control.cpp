#include "keydeck/actions/media_control.h"

#include "keydeck/actions/launch_targets.h"
#include "keydeck/actions/window_messages.h"

namespace kd {

namespace {

// One external player: its window class and the message each command posts.
// WM_COMMAND carries the command in wParam and a fixed lParam; WM_APPCOMMAND
// a fixed wParam and the command in lParam's high word.
struct Target {
  const char* ClassName;
  uint32_t Message;
  uint32_t Fixed;
  uint32_t Codes[5];  // commands 1..5: play, pause, stop, previous, next
};

constexpr Target kCdPlayer{
    "SJE_CdPlayerClass", kWmCommand, 0, {1000, 1001, 1002, 1003, 1006}};
constexpr Target kMediaPlayer{
    "WMPlayerApp", kWmAppCommand, 0, {0xE0000, 0xE0000, 0xD0000, 0xC0000, 0xB0000}};
constexpr Target kMmFrame{
    "MMFRAME_MAIN", kWmCommand, 0x40292, {104, 104, 105, 109, 110}};
constexpr Target kWinamp{
    "Winamp v1.x", kWmCommand, 0, {40045, 40046, 40047, 40044, 40048}};

const Target& CdApplication(uint32_t major, uint32_t minor, uint32_t build) {
  if (build == 0) return major == 4 && minor < 90 ? kCdPlayer : kMediaPlayer;
  if (major == 4) return kCdPlayer;
  if (major == 5) return kMmFrame;
  return kMediaPlayer;
}

bool ValidCommand(int command) { return command >= kMediaPlay && command <= kMediaNext; }

void PostCommand(Desktop& windows, WindowRef window, const Target& target, int command) {
  const uint32_t code = target.Codes[command - 1];
  if (target.Message == kWmAppCommand)
    windows.Post(window, target.Message, target.Fixed, code);
  else
    windows.Post(window, target.Message, code, target.Fixed);
  // A stopped player is closed, so the next play starts it afresh.
  if (command == kMediaStop) windows.Post(window, kWmSysCommand, kScClose, 0);
}

}  // namespace

const char* CdApplicationClass(uint32_t osMajor, uint32_t osMinor, uint32_t osBuild) {
  return CdApplication(osMajor, osMinor, osBuild).ClassName;
}

MediaControl::MediaControl(Desktop& windows, ProgramStarter& starter, Registry& registry,
                           AlertBox& alerts)
    : windows_(windows), starter_(starter), registry_(registry), alerts_(alerts) {}

void MediaControl::SetPanel(PanelControl* panel, DiscScanner* discs) {
  panel_ = panel;
  discs_ = discs;
}

void MediaControl::CdAppCommand(MediaState& state, int command) {
  if (!ValidCommand(command)) return;
  const Target& app = CdApplication(state.OsMajor, state.OsMinor, state.OsBuild);
  const WindowRef window = windows_.FindClassWindow(app.ClassName);
  if (window != 0) {
    PostCommand(windows_, window, app, command);
    if (command == kMediaPause) state.Playing = false;
    return;
  }
  // Not running: only play and pause start it; a failed start is not shown.
  if (command == kMediaPlay || command == kMediaPause) {
    RunCommand(starter_, state.CdPlayerCommand, kSwShow);
    if (command == kMediaPause) state.Playing = true;
  }
}

void MediaControl::WinampCommand(MediaState& state, int command) {
  if (!ValidCommand(command)) return;
  const WindowRef window = windows_.FindClassWindow(kWinamp.ClassName);
  if (window != 0) {
    PostCommand(windows_, window, kWinamp, command);
    if (command == kMediaPause) state.Playing = false;
    return;
  }
  if (command == kMediaPlay) {
    if (!RunCommand(starter_, state.Mp3Command, kSwShow)) alerts_.Show(kInstallWinamp);
    state.Playing = false;
  } else if (command == kMediaPause) {
    RunCommand(starter_, state.Mp3Command, kSwShow);
    state.Playing = true;
  }
}

bool MediaControl::PanelPlays() { return panel_ && panel_->Mode() == kPanelPlaying; }

void MediaControl::PanelPlay(MediaState& state) {
  if (!panel_) return;
  panel_->BtPlayClick();
  state.Playing = PanelPlays();
}

void MediaControl::PanelPlayDrive(MediaState& state, char drive) {
  if (!panel_) return;
  panel_->PlayDiscInDrive(drive - 'A');
  state.Playing = PanelPlays();
}

void MediaControl::MediaPlay(MediaState& state) {
  switch (state.Player) {
    case kPlayerCdApp:
      CdAppCommand(state, kMediaPlay);
      state.Playing = true;
      break;
    case kPlayerPanel: PanelPlay(state); break;
    case kPlayerWinamp:
      WinampCommand(state, kMediaPlay);
      state.Playing = true;
      break;
    default: break;
  }
}

void MediaControl::MediaPause(MediaState& state) {
  switch (state.Player) {
    case kPlayerCdApp: CdAppCommand(state, kMediaPause); break;
    case kPlayerPanel:
      if (PanelPlays()) {
        panel_->BtPauseClick();
        state.Playing = false;
      } else {
        MediaPlay(state);
        state.Playing = true;
      }
      break;
    case kPlayerWinamp: WinampCommand(state, kMediaPause); break;
    default: break;
  }
}

void MediaControl::MediaStop(MediaState& state) {
  switch (state.Player) {
    case kPlayerCdApp: CdAppCommand(state, kMediaStop); break;
    case kPlayerPanel:
      if (panel_) panel_->BtStopClick();
      break;
    case kPlayerWinamp: WinampCommand(state, kMediaStop); break;
    default: break;
  }
}

void MediaControl::PanelNext() {
  if (panel_) panel_->BtNextClick();
}

void MediaControl::PanelPrevious() {
  if (panel_) panel_->BtPrevClick();
}

void MediaControl::PanelEject() {
  if (panel_) panel_->BtEjectClick();
}

void MediaControl::StartMediaPlayer(const std::string& arguments) {
  std::string program = AppPath(registry_, "wmplayer.exe");
  if (program.empty()) return;  // not installed: nothing to start
  // Unquoted, "C:\Program Files\..." would first run "C:\Program".
  if (program.front() != '"' && program.find(' ') != std::string::npos)
    program = "\"" + program + "\"";
  RunCommand(starter_, program + " " + arguments, kSwShow);
}

void MediaControl::PlayDiscInMediaPlayer() {
  if (!discs_) return;
  DiscContent disc;
  discs_->ScanDisc(&disc);
  switch (disc.Kind) {
    case kDiscAudioCd: StartMediaPlayer("/device:AudioCD"); break;
    case kDiscVideoCd: StartMediaPlayer(disc.Folder + "\\" + disc.FileName); break;
    // A data disc: the file name is empty, so the root folder opens.
    case kDiscData: ShellOpen(starter_, disc.Folder + "\\" + disc.FileName); break;
    default: break;
  }
}

}  // namespace kd
