// The media panel the action engine drives: its MCI device, the drives,
// the TPLAYER and TMovie forms and the panel's logic. The logic comes with
// the engine; the forms (hidden, the panel at the top right of the screen)
// come with Create, which start-up calls once the keyboard hook is in
// place, so that their windows do not hold the hook back. The media keys
// and the setup menu reach it through Control(); Media Player's start
// probes the discs through Scanner().
#pragma once

#include <windows.h>

#include "keydeck/actions/media_targets.h"
#include "keydeck/media/media_panel.h"
#include "keydeck/media/win/movie_form.h"
#include "keydeck/media/win/player_form.h"
#include "keydeck/media/win/win_drives.h"
#include "keydeck/media/win/win_media_device.h"

namespace kd {

class WinMediaPanel final : private PanelControl {
 public:
  WinMediaPanel() = default;
  ~WinMediaPanel() override;
  WinMediaPanel(const WinMediaPanel&) = delete;
  WinMediaPanel& operator=(const WinMediaPanel&) = delete;

  PanelControl& Control() { return *this; }
  DiscScanner& Scanner() { return scanner_; }
  MediaPanel& Panel() { return panel_; }
  PlayerForm& Form() { return form_; }
  MovieForm& Movie() { return movie_; }
  WinMediaDevice& Device() { return device_; }
  // Creates both forms, owned by the application window `owner`. Throws
  // std::runtime_error when a form cannot be created.
  void Create(HWND owner);

 private:
  // PanelControl: the panel's own handlers; the option setters also keep
  // the hidden check boxes showing the panel's options.
  void BtPlayClick() override { panel_.BtPlayClick(); }
  void BtPauseClick() override { panel_.BtPauseClick(); }
  void BtStopClick() override { panel_.BtStopClick(); }
  void BtNextClick() override { panel_.BtNextClick(); }
  void BtPrevClick() override { panel_.BtPrevClick(); }
  void BtEjectClick() override { panel_.BtEjectClick(); }
  void PlayDiscInDrive(int drive) override { panel_.PlayDiscInDrive(drive); }
  int Mode() override { return panel_.Mode(); }
  void SetShowOnPlay(bool on) override { panel_.SetShowOnPlay(on); }
  void SetLoop(bool checked) override;
  void SetAutoPlay(bool checked) override;
  void SetFullScreen(bool on) override { panel_.SetFullScreen(on); }

  WinMediaDevice device_;
  WinDrives drives_;
  DriveDiscScanner scanner_{drives_};
  MovieForm movie_;
  PlayerForm form_{movie_};
  MediaPanel panel_{device_, drives_, form_};
};

}  // namespace kd
