// What the media keys act on. The engine decides which operation a key
// means for the chosen player; carrying it out on the external players and
// the built-in panel is done behind this interface.
#pragma once

#include <cstdint>
#include <string>

namespace kd {

// What ScanDisc finds on the first CD-ROM drive that holds something.
enum DiscKind { kDiscNothing = 0, kDiscAudioCd = 1, kDiscVideoCd = 2, kDiscData = 3 };
struct DiscContent {
  int Kind = kDiscNothing;
  std::string FileName;  // at most 259 characters
  std::string Folder;    // "E:" or "E:\MPEGAV"
};

class DiscScanner {
 public:
  virtual ~DiscScanner() = default;
  virtual int ScanDisc(DiscContent* content) = 0;
};

// The panel's device mode while it plays.
constexpr int kPanelPlaying = 2;

// The built-in media panel as the media keys and the setup menu drive it:
// its own button handlers, its device mode and its four options.
class PanelControl {
 public:
  virtual ~PanelControl() = default;
  virtual void BtPlayClick() = 0;
  virtual void BtPauseClick() = 0;
  virtual void BtStopClick() = 0;
  virtual void BtNextClick() = 0;
  virtual void BtPrevClick() = 0;
  virtual void BtEjectClick() = 0;
  // Plays the disc in one drive (0 = A:), the one AutoPlay named, instead
  // of the first disc Play finds; nothing when that drive holds no disc the
  // panel plays.
  virtual void PlayDiscInDrive(int drive) = 0;
  virtual int Mode() = 0;  // kPanelPlaying = playing
  virtual void SetShowOnPlay(bool on) = 0;
  // A check box set to a different state runs its click handler.
  virtual void SetLoop(bool checked) = 0;
  virtual void SetAutoPlay(bool checked) = 0;
  virtual void SetFullScreen(bool on) = 0;
};

// Player choices of the media keys.
enum PlayerChoice {
  kPlayerNone = 0,
  kPlayerCdApp = 1,        // the CD application of the running Windows
  kPlayerPanel = 2,        // the built-in media panel
  kPlayerCdAutoPlay = 4,   // as 1 once the AutoPlay command is registered
  kPlayerWinamp = 5,
  kPlayerMediaPlayerDisc = 6,
  kPlayerSystemKeys = 7,   // the system's own media keys
};

// The engine's state that the media operations read and change, and what
// the engine found at start that they use.
struct MediaState {
  int Player = kPlayerNone;
  bool Playing = false;  // believed playing: drives the play/pause toggle
  std::string CdPlayerCommand;  // started for the CD applications
  std::string Mp3Command;       // starts Winamp
  uint32_t OsMajor = 0;
  uint32_t OsMinor = 0;
  uint32_t OsBuild = 0;  // 0 on the 9x family
};

// Commands of CdAppCommand and WinampCommand.
enum MediaCommand { kMediaPlay = 1, kMediaPause = 2, kMediaStop = 3, kMediaPrevious = 4, kMediaNext = 5 };

class MediaTargets {
 public:
  virtual ~MediaTargets() = default;
  virtual void MediaPlay(MediaState& state) = 0;
  virtual void MediaPause(MediaState& state) = 0;
  virtual void MediaStop(MediaState& state) = 0;
  virtual void CdAppCommand(MediaState& state, int command) = 0;
  virtual void WinampCommand(MediaState& state, int command) = 0;
  virtual void PlayDiscInMediaPlayer() = 0;
  // The panel's buttons.
  virtual void PanelPlay(MediaState& state) = 0;  // Play, then Playing as the panel's mode says
  // The disc in drive 'A'..'Z' (AutoPlay's), then Playing as for PanelPlay.
  virtual void PanelPlayDrive(MediaState& state, char drive) = 0;
  virtual void PanelNext() = 0;
  virtual void PanelPrevious() = 0;
  virtual void PanelEject() = 0;
};

// Media targets that act on nothing: every player choice then behaves as
// choice 0 (tests of the engine's other codes use it).
class NoMediaTargets final : public MediaTargets {
 public:
  void MediaPlay(MediaState&) override {}
  void MediaPause(MediaState&) override {}
  void MediaStop(MediaState&) override {}
  void CdAppCommand(MediaState&, int) override {}
  void WinampCommand(MediaState&, int) override {}
  void PlayDiscInMediaPlayer() override {}
  void PanelPlay(MediaState&) override {}
  void PanelPlayDrive(MediaState&, char) override {}
  void PanelNext() override {}
  void PanelPrevious() override {}
  void PanelEject() override {}
};

}  // namespace kd
