// The media keys' real targets: the CD application of the running Windows
// and Winamp, found by their window class and driven with posted messages;
// Windows Media Player started on the inserted disc; the built-in panel
// through its own buttons.
#pragma once

#include <cstdint>
#include <string>

#include "keydeck/actions/media_targets.h"
#include "keydeck/actions/platform.h"

namespace kd {

inline constexpr const char* kInstallWinamp = "Please install WINAMP first !";

// The CD-playing application that fits a Windows version: the CD Player
// up to 98 and on NT 4, the "MMFRAME_MAIN" player on 2000 and XP, Media
// Player on Me and from Vista on. Its top-level window class.
const char* CdApplicationClass(uint32_t osMajor, uint32_t osMinor, uint32_t osBuild);

class MediaControl final : public MediaTargets {
 public:
  MediaControl(Desktop& windows, ProgramStarter& starter, Registry& registry, AlertBox& alerts);

  // The engine's panel and the disc probe of Media Player's start. Until
  // they are given, the panel's keys and the disc start do nothing.
  void SetPanel(PanelControl* panel, DiscScanner* discs);

  void MediaPlay(MediaState& state) override;
  void MediaPause(MediaState& state) override;
  void MediaStop(MediaState& state) override;
  void CdAppCommand(MediaState& state, int command) override;
  void WinampCommand(MediaState& state, int command) override;
  void PlayDiscInMediaPlayer() override;
  void PanelPlay(MediaState& state) override;
  void PanelPlayDrive(MediaState& state, char drive) override;
  void PanelNext() override;
  void PanelPrevious() override;
  void PanelEject() override;

 private:
  bool PanelPlays();
  void StartMediaPlayer(const std::string& arguments);

  Desktop& windows_;
  ProgramStarter& starter_;
  Registry& registry_;
  AlertBox& alerts_;
  PanelControl* panel_ = nullptr;
  DiscScanner* discs_ = nullptr;
};

}  // namespace kd
