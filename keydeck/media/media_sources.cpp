// What the media panel plays: the CD-ROM probe, the three kinds of source
// and how each is opened, the video window, and the simpler disc probe of
// Media Player's start.
#include <string>
#include <vector>

#include "keydeck/media/media_panel.h"

namespace kd {

namespace {

constexpr int kFirstHardDrive = 2;  // C: floppies are never probed
constexpr int kLastDrive = 25;      // Z:
constexpr int kSeekRange = 20000;   // frames either way
constexpr int kSeekStep = 100;
constexpr std::size_t kMaxFileName = 259;  // DiscContent's 260-byte buffer
constexpr std::size_t kMaxPath = 259;      // the longest path the ANSI file calls take
constexpr uint32_t kFileNotFound = 275;    // MCIERR_FILE_NOT_FOUND
const char* const kAudioCdLabel = "Audio CD";  // compared with case

bool IsDrive(int drive) { return drive >= 0 && drive <= kLastDrive; }

// A template with its first letter replaced by the drive's letter. An
// index outside A..Z has no letter: callers never get this far with one.
std::string OnDrive(const char* pattern, int drive, bool upper) {
  std::string text(pattern);
  text[0] = static_cast<char>((upper ? 'A' : 'a') + drive);
  return text;
}

std::string Label(Drives& drives, int drive) {
  return IsDrive(drive) ? drives.VolumeLabel(OnDrive("a:\\", drive, true)) : std::string();
}

std::vector<std::string> VideoCdFiles(Drives& drives, int drive) {
  if (!IsDrive(drive)) return {};
  return drives.PlainFiles(OnDrive("a:\\MPEGAV\\*.*", drive, false));
}

}  // namespace

int FindCdDrive(Drives& drives, int first) {
  for (int drive = first < 0 ? 0 : first; drive <= kLastDrive; ++drive)
    if (drives.DriveType(OnDrive("c:\\", drive, false)) == kDriveCdRom) return drive;
  return -1;
}

int MediaPanel::FindCdDrive(int first) { return kd::FindCdDrive(drives_, first); }

bool MediaPanel::PrepareSource() {
  const int mode = device_.Mode();
  if (mode == kModeOpen || mode == kModePaused || mode == kModeStopped) return true;
  device_.Close();
  deviceOpen_ = false;
  sourceKind_ = FindSourceDrive();
  switch (sourceKind_) {
    case kSourceAudioCd: return OpenCdSource();
    case kSourceVideoCd: return OpenVcdItem();
    case kSourceFile: return OpenFileSource();
    default: return false;
  }
}

int MediaPanel::FindSourceDrive() {
  int drive = FindCdDrive(kFirstHardDrive);
  if (drive < 0) return kSourceNone;
  int kind = CheckDrive(drive);
  if (kind == kSourceNone || kind == kSourceFile) {
    // A second drive may hold the disc; with none, the check below reads
    // nothing and only the remembered file can still give a source.
    drive = FindCdDrive(drive + 1);
    kind = CheckDrive(drive);
  }
  // The prefix names the drive the disc was found on; with no second
  // drive it keeps the last real letter rather than one before 'a'.
  if (IsDrive(drive)) vcdPrefix_[0] = static_cast<char>('a' + drive);
  return kind;
}

void MediaPanel::PlayDiscInDrive(int drive) {
  if (showOnPlay_) view_.ShowPanel();
  if (!IsDrive(drive) || drives_.DriveType(OnDrive("c:\\", drive, false)) != kDriveCdRom) return;
  // The disc just inserted replaces whatever was open; a drive without a
  // disc to play leaves it, and the remembered file, alone.
  const int kind = CheckDrive(drive);
  if (kind != kSourceAudioCd && kind != kSourceVideoCd) return;
  sourceKind_ = kind;
  vcdPrefix_[0] = static_cast<char>('a' + drive);
  if (!(kind == kSourceAudioCd ? OpenCdSource() : OpenVcdItem())) return;
  MediaPlayerClick(PlayerButton::Play);
  if (device_.LastError() != 0) view_.StopTrackTimer();
}

int MediaPanel::CheckDrive(int drive) {
  if (Label(drives_, drive) == kAudioCdLabel) {
    fileName_.clear();
    view_.ClearPlayList();
    view_.SetPlayListText("CDAUDIO");
    view_.SetMediaName("CD");
    return kSourceAudioCd;
  }
  const std::vector<std::string> files = VideoCdFiles(drives_, drive);
  if (!files.empty()) {
    view_.ClearPlayList();
    for (const std::string& name : files) view_.AddPlayListItem(name);
    view_.SelectPlayListItem(0);
    return kSourceVideoCd;
  }
  // A video-CD entry's path is no file to fall back on once the disc is gone.
  if (sourceKind_ == kSourceVideoCd) fileName_.clear();
  if (fileName_.empty()) {
    view_.SetPlayListText("CDROM");
    return kSourceNone;
  }
  view_.ClearPlayList();
  view_.SetPlayListText("FILES");
  return kSourceFile;
}

bool MediaPanel::OpenDevice(DeviceType type, TimeFormat format) {
  // Opening over an open device would leave the old one open for good.
  if (deviceOpen_) device_.Close();
  deviceOpen_ = false;
  playing_ = false;
  type_ = type;
  // A longer path (a long entry name after the prefix) names no file the
  // system can open; it is refused here rather than handed to the drivers.
  const uint32_t error =
      fileName_.size() > kMaxPath ? kFileNotFound : device_.Open(type, fileName_);
  if (error != 0) {
    view_.ShowError(device_.ErrorText(error));
    return false;
  }
  deviceOpen_ = true;
  device_.SetTimeFormat(format);
  view_.StartTrackTimer();
  return true;
}

void MediaPanel::StopAndCloseIfPlaying() {
  if (device_.Mode() != kModePlaying) return;
  StopDevice();
  device_.Close();
  deviceOpen_ = false;
}

bool MediaPanel::OpenCdSource() {
  fileName_ = std::string(1, vcdPrefix_[0]) + ":";
  view_.SetMediaName("CD");
  StopAndCloseIfPlaying();
  if (!OpenDevice(DeviceType::CdAudio, TimeFormat::Tmsf)) return false;
  const uint32_t tracks = device_.Tracks();
  view_.SetLength("Total Length: " + std::to_string(tracks));
  view_.ClearPlayList();
  for (uint32_t track = 1; track <= tracks; ++track)
    view_.AddPlayListItem("Track " + std::to_string(track));
  view_.SetPlayListText("Track 1");
  return true;
}

bool MediaPanel::OpenVcdItem() {
  view_.SetMediaName("VCD");
  StopAndCloseIfPlaying();
  SetUpVideo();
  fileName_ = vcdPrefix_ + view_.PlayListText();
  if (!OpenDevice(DeviceType::Automatic, TimeFormat::Frames)) return false;
  SetUpVideo();  // now the open device takes the window
  view_.SetLength("Total Length: " + std::to_string(device_.Length()));
  view_.SetSeekRange(-kSeekRange, kSeekRange, kSeekStep);
  return true;
}

bool MediaPanel::OpenFileSource() {
  view_.SetMediaName("FILE");
  StopAndCloseIfPlaying();
  if (!OpenDevice(DeviceType::Automatic, TimeFormat::Frames)) return false;
  PlayDevice();
  return true;
}

void MediaPanel::SetUpVideo() {
  if (!fullScreen_) {
    view_.HideVideo();
    device_.SetDisplayWindow(0);  // the device's own window
    return;
  }
  const int width = view_.ScreenWidth();
  const int height = view_.ScreenHeight();
  view_.ShowVideoFullScreen(width, height);
  device_.SetDisplayWindow(view_.VideoWindow());
  device_.SetDisplayRect(0, 0, width, height);
}

int ScanDrive(Drives& drives, int drive, DiscContent* content) {
  DiscContent found;
  if (Label(drives, drive) == kAudioCdLabel) {
    found = {kDiscAudioCd, "Track01.cda", OnDrive("a:", drive, true)};
  } else if (std::vector<std::string> files = VideoCdFiles(drives, drive); !files.empty()) {
    found = {kDiscVideoCd, files.front().substr(0, kMaxFileName),
             OnDrive("a:\\MPEGAV", drive, true)};
  } else if (IsDrive(drive) && !drives.PlainFiles(OnDrive("a:\\*.*", drive, true)).empty()) {
    found = {kDiscData, std::string(), OnDrive("a:", drive, true)};
  }
  if (content) *content = found;
  return found.Kind;
}

int ScanDisc(Drives& drives, DiscContent* content) {
  const int drive = FindCdDrive(drives, kFirstHardDrive);
  int kind = ScanDrive(drives, drive, content);
  // With no CD-ROM drive at all there is no second one to try (the search
  // would otherwise start again at A:).
  if (kind == kDiscNothing && drive >= 0)
    kind = ScanDrive(drives, FindCdDrive(drives, drive + 1), content);
  return kind;
}

}  // namespace kd
