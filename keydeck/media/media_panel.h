// The media panel's logic (TPLAYER): plays an audio CD, a video CD entry
// or a single file through one MCI device, and finds its source on the
// CD-ROM drives when Play finds nothing open. The window it shows itself
// in is a PanelView; the form forwards every control event here.
#pragma once

#include <cstdint>
#include <string>

#include "keydeck/actions/media_targets.h"
#include "keydeck/media/drives.h"
#include "keydeck/media/media_device.h"
#include "keydeck/media/panel_view.h"

namespace kd {

// Source kinds of the panel.
enum SourceKind { kSourceNone = 0, kSourceAudioCd = 1, kSourceVideoCd = 2, kSourceFile = 3 };

inline constexpr const char* kInitialDisplay = "[00]00:00";
inline constexpr const char* kDoorOpenCommand = "set cdaudio door open";
inline constexpr const char* kDoorClosedCommand = "set cdaudio door closed";
constexpr int kPanelWidth = 200;
constexpr int kPanelHeight = 92;

// The two device buttons MediaPlayerClick serves.
enum class PlayerButton { Play, Pause };

class MediaPanel final : public PanelControl {
 public:
  MediaPanel(MediaDevice& device, Drives& drives, PanelView& view);

  // Buttons (PanelControl) and the rest of the panel's handlers.
  void BtPlayClick() override;
  void BtPauseClick() override;
  void BtStopClick() override;
  void BtNextClick() override;
  void BtPrevClick() override;
  void BtEjectClick() override;
  // Play for the disc in one drive (AutoPlay's), without the search.
  void PlayDiscInDrive(int drive) override;
  void BtForwardClick();
  void BtBackwardClick();
  void PlayListClick();
  void BtnSeekChanging(int pendingOffset);
  void BtnSeekMouseUp(int pendingOffset);
  void MediaPlayerNotify();
  void TrackTimerTimer() { ShowPosition(); }
  void FormActivate();
  void MainDblClick();
  void BtnCloseClick() { MainDblClick(); }
  // Dragging by the background: client coordinates of the press, then of
  // each move with the left button held; the window's current left/top.
  void MainMouseDown(int x, int y);
  void MainMouseMove(int x, int y, int windowLeft, int windowTop);
  void AutoPlayClick(bool checked);
  void LoopClick(bool checked);
  // Button1 sends the device's Previous command. False when no device is
  // open: the form then shows "No MCI device open".
  bool Button1Click();
  void MediaPlayerClick(PlayerButton button);

  int Mode() override;
  void SetShowOnPlay(bool on) override { showOnPlay_ = on; }
  void SetLoop(bool checked) override;
  void SetAutoPlay(bool checked) override;
  void SetFullScreen(bool on) override { fullScreen_ = on; }

  // Sources. PrepareSource is false when there is nothing to play or its
  // open failed; the Open functions are false when the open failed, after
  // showing the device's error text through the view.
  bool PrepareSource();
  int FindSourceDrive();
  int CheckDrive(int drive);  // -1 (no drive) reads no label and no files
  int FindCdDrive(int first);
  bool OpenCdSource();
  bool OpenVcdItem();
  bool OpenFileSource();
  void SetUpVideo();
  void ShowPosition();
  bool AtMediaEnd();

  // State, for the form and the tests.
  int Source() const { return sourceKind_; }
  bool ShowOnPlay() const { return showOnPlay_; }
  bool Loop() const { return loop_; }
  bool AutoPlay() const { return autoPlay_; }
  bool FullScreen() const { return fullScreen_; }
  bool AutoRewind() const { return autoRewind_; }
  bool DoorOpensNext() const { return doorFlag_; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name) { fileName_ = name; }
  const std::string& VcdPrefix() const { return vcdPrefix_; }
  DeviceType Type() const { return type_; }
  bool DeviceOpen() const { return deviceOpen_; }

 private:
  // The device commands that start, halt or move playback. The end
  // handler restarts only a play the panel started and nothing halted or
  // moved since: a report that finds the device stopped at the end after
  // a seek, a stop or a pause is no end of a play. PlayDevice plays from
  // the current position with the device's auto-rewind rule.
  void PlayDevice();
  void PlayDeviceFrom(uint32_t position);
  void SeekDevice(uint32_t position);
  void SeekDeviceToStart();
  void StopDevice();
  void PauseDevice();
  // Closes what is open, then opens; on failure shows the error text.
  bool OpenDevice(DeviceType type, TimeFormat format);
  void StopAndCloseIfPlaying();
  // Next (+1) and Previous (-1) of the buttons.
  void StepTrack(int step);
  // The device's Next and Previous: track steps in TMSF; off a CD,
  // Previous goes to the start.
  void DeviceNext();
  void DevicePrevious();
  void PlayOrSeek(uint32_t target);
  // CD Forward and Backward: seconds within the track, frames 0.
  void StepCdSeconds(int step);
  // The video-CD seek on the arrows' release.
  void SeekBy(int pendingOffset);

  MediaDevice& device_;
  Drives& drives_;
  PanelView& view_;
  int sourceKind_ = kSourceNone;
  bool showOnPlay_ = true;
  bool fullScreen_ = false;
  bool loop_ = true;      // the Loop check box, checked at creation
  bool autoPlay_ = true;  // the AutoPlay check box, checked at creation
  bool autoRewind_ = true;
  bool doorFlag_ = true;
  bool deviceOpen_ = false;
  bool playing_ = false;  // the last playback command was a play
  DeviceType type_ = DeviceType::Automatic;
  std::string fileName_;
  std::string vcdPrefix_ = "M:\\MPEGAV\\";
  int dragX_ = 0;
  int dragY_ = 0;
};

// The first CD-ROM drive from index first (0 = A) up to Z, or -1.
int FindCdDrive(Drives& drives, int first);

// The disc probe Media Player's start uses (not the panel's own).
int ScanDrive(Drives& drives, int drive, DiscContent* content);
int ScanDisc(Drives& drives, DiscContent* content);

class DriveDiscScanner final : public DiscScanner {
 public:
  explicit DriveDiscScanner(Drives& drives) : drives_(drives) {}
  int ScanDisc(DiscContent* content) override { return kd::ScanDisc(drives_, content); }

 private:
  Drives& drives_;
};

}  // namespace kd
