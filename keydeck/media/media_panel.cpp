// The media panel's buttons, end-of-play handling, display and window
// handling. Sources are opened in media_sources.cpp.
#include "keydeck/media/media_panel.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace kd {

namespace {

constexpr uint32_t kFrameStep = 1000;  // Forward and Backward on frames
constexpr int kSecondStep = 10;        // Forward and Backward on a CD track
constexpr int kDragGrid = 10;          // pixels
const char* const kNotReady = "Not Ready";

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

bool StoppedOrPlaying(int mode) { return mode == kModeStopped || mode == kModePlaying; }

}  // namespace

MediaPanel::MediaPanel(MediaDevice& device, Drives& drives, PanelView& view)
    : device_(device), drives_(drives), view_(view) {}

int MediaPanel::Mode() { return device_.Mode(); }

void MediaPanel::PlayDevice() {
  // Auto-rewind: a play from the very end would end at once.
  if (autoRewind_ && device_.Position() == device_.Length()) device_.SeekToStart();
  playing_ = device_.Play() == 0;
}

void MediaPanel::PlayDeviceFrom(uint32_t position) { playing_ = device_.PlayFrom(position) == 0; }

void MediaPanel::SeekDevice(uint32_t position) {
  playing_ = false;
  device_.Seek(position);
}

void MediaPanel::SeekDeviceToStart() {
  playing_ = false;
  device_.SeekToStart();
}

void MediaPanel::StopDevice() {
  playing_ = false;
  device_.Stop();
}

void MediaPanel::PauseDevice() {
  playing_ = false;
  device_.Pause();
}

void MediaPanel::PlayOrSeek(uint32_t target) {
  if (device_.Mode() == kModePlaying)
    PlayDeviceFrom(target);
  else
    SeekDevice(target);
}

void MediaPanel::DeviceNext() {
  const uint32_t track = TmsfTrack(device_.Position());
  const uint32_t tracks = device_.Tracks();
  PlayOrSeek(device_.TrackStart(track < tracks ? track + 1 : tracks));
}

void MediaPanel::DevicePrevious() {
  if (type_ != DeviceType::CdAudio) {
    SeekDeviceToStart();  // no tracks to step by: back to the start
    return;
  }
  const uint32_t position = device_.Position();
  const uint32_t track = TmsfTrack(position);
  const uint32_t start = device_.TrackStart(track);
  const bool inFirstSecond = TmsfMinutes(position) == TmsfMinutes(start) &&
                             TmsfSeconds(position) == TmsfSeconds(start);
  PlayOrSeek(inFirstSecond && track > 1 ? device_.TrackStart(track - 1) : start);
}

void MediaPanel::MediaPlayerClick(PlayerButton button) {
  if (button == PlayerButton::Play) {
    doorFlag_ = true;
    view_.StartTrackTimer();
    if (AtMediaEnd()) SeekDeviceToStart();
    PlayDevice();
  } else {
    view_.StopTrackTimer();
    PauseDevice();
  }
  if (device_.LastError() != 0) {
    view_.StopTrackTimer();
    view_.SetDisplay(kNotReady);
  }
}

void MediaPanel::BtPlayClick() {
  if (showOnPlay_) view_.ShowPanel();
  if (device_.Mode() == kModePlaying) return;
  if (!PrepareSource()) return;
  MediaPlayerClick(PlayerButton::Play);
  if (device_.LastError() != 0) view_.StopTrackTimer();
}

void MediaPanel::BtPauseClick() {
  const int mode = device_.Mode();
  if (mode == kModePlaying) {
    MediaPlayerClick(PlayerButton::Pause);
  } else if (mode == kModeStopped || mode == kModeOpen || mode == kModePaused) {
    MediaPlayerClick(PlayerButton::Play);
    if (device_.LastError() != 0) view_.StopTrackTimer();
  }
}

void MediaPanel::BtStopClick() {
  view_.HidePanel();
  view_.HideVideo();
  const int mode = device_.Mode();
  if (mode != kModePlaying && mode != kModeStopped && mode != kModePaused) return;
  view_.StopTrackTimer();
  StopDevice();
  device_.Close();
  deviceOpen_ = false;
  view_.SetDisplay(kInitialDisplay);
  view_.ClearPlayList();
  sourceKind_ = kSourceNone;
}

void MediaPanel::BtNextClick() { StepTrack(+1); }

void MediaPanel::BtPrevClick() { StepTrack(-1); }

void MediaPanel::StepTrack(int step) {
  if (!StoppedOrPlaying(device_.Mode())) return;
  if (type_ == DeviceType::CdAudio) {
    if (step > 0)
      DeviceNext();
    else
      DevicePrevious();
    if (autoPlay_) {
      PlayDevice();
      view_.StartTrackTimer();
    }
    view_.StartTrackTimer();
    ShowPosition();
    return;
  }
  // A video-CD list: no step past either end.
  const int index = view_.PlayListIndex() + step;
  if (index < 0 || index >= view_.PlayListCount()) return;
  view_.SelectPlayListItem(index);
  if (!OpenVcdItem()) return;
  PlayDevice();
  view_.StartTrackTimer();
  ShowPosition();
}

void MediaPanel::StepCdSeconds(int step) {
  StopDevice();
  const uint32_t position = device_.Position();
  int minutes = static_cast<int>(TmsfMinutes(position));
  int seconds = static_cast<int>(TmsfSeconds(position)) + step;
  if (seconds >= 60) {
    seconds -= 60;
    ++minutes;
  } else if (seconds < 0) {
    seconds += 60;
    --minutes;
  }
  if (minutes < 0) minutes = seconds = 0;  // no further back than the track start
  SeekDevice(Tmsf(TmsfTrack(position), static_cast<uint32_t>(minutes),
                  static_cast<uint32_t>(seconds)));
  PlayDevice();
  view_.FocusDummy();
}

void MediaPanel::BtForwardClick() {
  if (!StoppedOrPlaying(device_.Mode())) return;
  if (type_ == DeviceType::CdAudio) {
    StepCdSeconds(kSecondStep);
    return;
  }
  SeekDevice(device_.Position() + kFrameStep);
  if (autoPlay_) PlayDevice();
  view_.StartTrackTimer();
}

void MediaPanel::BtBackwardClick() {
  if (!StoppedOrPlaying(device_.Mode())) return;
  if (type_ == DeviceType::CdAudio) {
    StepCdSeconds(-kSecondStep);
    return;
  }
  // A step back from the first 1000 frames goes to the start, as it does
  // on a CD track, instead of wrapping to a position the device refuses.
  const uint32_t position = device_.Position();
  SeekDevice(position > kFrameStep ? position - kFrameStep : 0);
  if (autoPlay_) PlayDevice();
}

void MediaPanel::PlayListClick() {
  if (type_ == DeviceType::CdAudio) {
    StopDevice();
    SeekDevice(Tmsf(static_cast<uint32_t>(view_.PlayListIndex() + 1), 0, 0));
    PlayDevice();
    view_.FocusDummy();
  } else {
    if (!OpenVcdItem()) return;
    PlayDevice();
  }
  view_.StartTrackTimer();
}

void MediaPanel::BtnSeekChanging(int pendingOffset) {
  if (sourceKind_ != kSourceVideoCd) return;
  view_.SetDisplay(std::to_string(static_cast<int64_t>(device_.Position()) + pendingOffset));
}

void MediaPanel::BtnSeekMouseUp(int pendingOffset) {
  if (sourceKind_ == kSourceVideoCd) SeekBy(pendingOffset);
  // The arrows count on whatever the source: a count left standing would
  // be added to the next video CD's first seek.
  view_.SetSeekPosition(0);
}

void MediaPanel::SeekBy(int pendingOffset) {
  // The up-down control reports its position in a 16-bit word.
  const int64_t target =
      static_cast<int64_t>(device_.Position()) + static_cast<int16_t>(pendingOffset);
  const uint32_t length = device_.Length();
  if (target < 0) {
    SeekDevice(0);
  } else if (target < length) {
    SeekDevice(static_cast<uint32_t>(target));
    if (autoPlay_) PlayDevice();
    view_.StartTrackTimer();
  } else {
    SeekDevice(length);
  }
}

void MediaPanel::BtEjectClick() {
  BtStopClick();
  view_.StopTrackTimer();
  view_.SetDisplay(kInitialDisplay);
  device_.SendString(doorFlag_ ? kDoorOpenCommand : kDoorClosedCommand);
  view_.SetMediaName(doorFlag_ ? "" : "?");
  view_.SetPlayListText(doorFlag_ ? "OPEN" : "UNKNOWN");
  doorFlag_ = !doorFlag_;
}

void MediaPanel::MediaPlayerNotify() {
  // The report may be of an earlier play: only the mode now counts.
  const int mode = device_.Mode();
  if (mode == kModeStopped) {
    ShowPosition();
    if (playing_ && AtMediaEnd() && loop_) {
      view_.StartTrackTimer();
      SeekDeviceToStart();
      PlayDevice();
    } else {
      playing_ = false;  // whatever ended, nothing plays now
      view_.StopTrackTimer();
    }
  } else if (mode == kModePlaying) {
    doorFlag_ = true;
    view_.StartTrackTimer();
  }
}

bool MediaPanel::AtMediaEnd() {
  if (sourceKind_ == kSourceAudioCd) {
    const uint32_t position = device_.Position();
    const uint32_t track = TmsfTrack(position);
    if (track != device_.Tracks()) return false;
    const uint32_t length = device_.TrackLength(track);
    return TmsfMinutes(position) == MsfMinutes(length) &&
           TmsfSeconds(position) == MsfSeconds(length);
  }
  if (sourceKind_ == kSourceVideoCd) return device_.Position() >= device_.Length();
  return false;
}

void MediaPanel::ShowPosition() {
  if (sourceKind_ == kSourceAudioCd) {
    const uint32_t position = device_.Position();
    const uint32_t track = TmsfTrack(position);
    view_.SetDisplay(Format("[%02u]%02u:%02u", track, TmsfMinutes(position), TmsfSeconds(position)));
    view_.SetPlayListText("Track " + std::to_string(track));
    const uint32_t length = device_.TrackLength(track);
    view_.SetLength(Format("Total Length: %02u:%02u", MsfMinutes(length), MsfSeconds(length)));
  } else if (sourceKind_ == kSourceVideoCd) {
    view_.SetDisplay(Format("%08u", device_.Position()));
  } else {
    view_.SetDisplay(kInitialDisplay);
  }
}

void MediaPanel::FormActivate() {
  if (device_.Mode() != kModePlaying || type_ != DeviceType::CdAudio) return;
  const uint32_t position = device_.Position();
  view_.SetDisplay(Format("[%2u]%2u:%2u", TmsfTrack(position), TmsfMinutes(position),
                          TmsfSeconds(position)));
}

void MediaPanel::MainDblClick() {
  view_.StopTrackTimer();
  view_.HidePanel();
}

void MediaPanel::MainMouseDown(int x, int y) {
  dragX_ = x;
  dragY_ = y;
}

void MediaPanel::MainMouseMove(int x, int y, int windowLeft, int windowTop) {
  // Integer division truncates toward zero, which is the grid wanted here.
  const int left = (windowLeft + x - dragX_) / kDragGrid * kDragGrid;
  const int top = (windowTop + y - dragY_) / kDragGrid * kDragGrid;
  if (left != windowLeft || top != windowTop) view_.MovePanel(left, top);
}

void MediaPanel::AutoPlayClick(bool checked) {
  autoPlay_ = checked;
  autoRewind_ = checked;
}

void MediaPanel::LoopClick(bool checked) {
  loop_ = checked;
  autoRewind_ = checked;
}

void MediaPanel::SetLoop(bool checked) {
  if (checked != loop_) LoopClick(checked);
}

void MediaPanel::SetAutoPlay(bool checked) {
  if (checked != autoPlay_) AutoPlayClick(checked);
}

bool MediaPanel::Button1Click() {
  if (!deviceOpen_) return false;
  DevicePrevious();
  return true;
}

}  // namespace kd
