// Fakes of the media panel's seams: a scripted MCI device that records the
// commands it is sent, drives with discs, and a view that keeps what it
// shows. One shared log holds the device commands in order.
#pragma once

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "keydeck/media/media_panel.h"

namespace kd::test {

inline std::string Pos(uint32_t p) {  // "T4 2:00" in TMSF, the number otherwise
  return "T" + std::to_string(TmsfTrack(p)) + " " + std::to_string(TmsfMinutes(p)) + ":" +
         (TmsfSeconds(p) < 10 ? "0" : "") + std::to_string(TmsfSeconds(p));
}

class FakeDevice : public MediaDevice {
 public:
  static constexpr uint32_t kNotOpen = 263, kNoMedia = 276;
  std::vector<std::string> log;
  bool open = false;
  int mode = kModeNotReady;    // read while open
  uint32_t openError = 0;      // what the next Open fails with
  uint32_t position = 0, length = 0;
  std::vector<uint32_t> trackLengths;  // MSF, track 1 first
  TimeFormat format = TimeFormat::Frames;
  std::string element;

  uint32_t Open(DeviceType type, const std::string& name) override {
    log.push_back(std::string("open ") + (type == DeviceType::CdAudio ? "cdaudio " : "") + name);
    if (openError) return error_ = openError;
    open = true, element = name, mode = kModeStopped, position = 0;
    return error_ = 0;
  }
  uint32_t Close() override {
    if (open) log.push_back("close");
    open = false;
    return error_ = 0;
  }
  uint32_t SetTimeFormat(TimeFormat f) override { format = f; return Done(); }
  uint32_t Play() override { return Playing("play"); }
  uint32_t PlayFrom(uint32_t p) override {
    position = p;
    return Playing("play from " + Text(p));
  }
  uint32_t Stop() override { return Command("stop", kModeStopped); }
  uint32_t Pause() override { return Command("pause", kModePaused); }
  uint32_t Resume() override { return Playing("resume"); }
  uint32_t Seek(uint32_t p) override {
    if (open && (format == TimeFormat::Tmsf || p <= length)) position = p;
    return Command("seek " + Text(p), kModeStopped);
  }
  uint32_t SeekToStart() override {
    if (open) position = format == TimeFormat::Tmsf ? Tmsf(1, 0, 0) : 0;
    return Command("seek start", kModeStopped);
  }
  int Mode() override { return open ? mode : kModeNotReady; }
  uint32_t Position() override { return Status(position); }
  uint32_t Length() override { return Status(length); }
  uint32_t Tracks() override { return Status(static_cast<uint32_t>(trackLengths.size())); }
  uint32_t TrackStart(uint32_t track) override { return Status(Tmsf(track, 0, 0)); }
  uint32_t TrackLength(uint32_t t) override {
    return Status(t >= 1 && t <= trackLengths.size() ? trackLengths[t - 1] : 0);
  }
  void SetDisplayWindow(uintptr_t window) override {
    log.push_back("window " + std::to_string(window));
  }
  void SetDisplayRect(int l, int t, int w, int h) override {
    log.push_back("rect " + std::to_string(l) + "," + std::to_string(t) + " " +
                  std::to_string(w) + "x" + std::to_string(h));
  }
  uint32_t LastError() const override { return error_; }
  std::string ErrorText(uint32_t code) override {
    return code == kNotOpen ? "The specified device is not open." : "Unknown error code";
  }
  void SendString(const std::string& command) override { log.push_back(command); }

 private:
  uint32_t error_ = 0;
  std::string Text(uint32_t p) const {
    return format == TimeFormat::Tmsf ? Pos(p) : std::to_string(p);
  }
  uint32_t Done() { return error_ = open ? 0 : kNotOpen; }
  uint32_t Status(uint32_t value) { return Done() ? 0 : value; }
  uint32_t Command(const std::string& text, int after) {
    log.push_back(text);
    if (Done() == 0 && mode != kModeOpen) mode = after;
    return error_;
  }
  uint32_t Playing(const std::string& text) {
    log.push_back(text);
    if (Done() == 0 && mode == kModeOpen) error_ = kNoMedia;  // door open
    if (error_ == 0) mode = kModePlaying;
    return error_;
  }
};

// Drives by letter; a disc is its label and files by folder ("" = root).
class FakeDrives : public Drives {
 public:
  struct Disc {
    int type = kDriveCdRom;
    std::string label;
    std::map<std::string, std::vector<std::string>> files;  // folder in capitals
  };
  std::map<char, Disc> drives;  // by capital letter
  std::vector<std::string> asked;

  int DriveType(const std::string& root) override {
    const Disc* disc = Find(root);
    return disc ? disc->type : 1;  // DRIVE_NO_ROOT_DIR
  }
  std::string VolumeLabel(const std::string& root) override {
    asked.push_back("label " + root);
    const Disc* disc = Find(root);
    return disc ? disc->label : std::string();
  }
  std::vector<std::string> PlainFiles(const std::string& pattern) override {
    asked.push_back("files " + pattern);
    const Disc* disc = Find(pattern);
    std::string folder = pattern.substr(3, pattern.size() - 3 - 3);  // "x:\" ... "*.*"
    if (!folder.empty()) folder.pop_back();
    for (char& c : folder) c = static_cast<char>(toupper(c));
    if (!disc || !disc->files.count(folder)) return {};
    return disc->files.at(folder);
  }

 private:
  const Disc* Find(const std::string& path) const {
    auto it = drives.find(static_cast<char>(toupper(path[0])));
    return it == drives.end() ? nullptr : &it->second;
  }
};

class FakeView : public PanelView {
 public:
  std::string display = kInitialDisplay, mediaName = "CD", length = "Total Length: 00";
  std::vector<std::string> items;
  int index = -1;
  std::string listText;
  bool timer = false, visible = false, video = false, focusDummy = false;
  std::string seekRange;
  int seekPos = 0;
  std::vector<std::string> moves, errors;

  void SetDisplay(const std::string& t) override { display = t; }
  void SetMediaName(const std::string& t) override { mediaName = t; }
  void SetLength(const std::string& t) override { length = t; }
  void ClearPlayList() override { items.clear(), index = -1, listText.clear(); }
  void AddPlayListItem(const std::string& t) override { items.push_back(t); }
  int PlayListCount() override { return static_cast<int>(items.size()); }
  int PlayListIndex() override { return index; }
  void SelectPlayListItem(int i) override { index = i, listText = items.at(i); }
  void SetPlayListText(const std::string& t) override { listText = t; }
  std::string PlayListText() override { return listText; }
  void StartTrackTimer() override { timer = true; }
  void StopTrackTimer() override { timer = false; }
  void SetSeekRange(int lo, int hi, int step) override {
    seekRange = std::to_string(lo) + ".." + std::to_string(hi) + " by " + std::to_string(step);
  }
  void SetSeekPosition(int p) override { seekPos = p; }
  void ShowPanel() override { visible = true; }
  void HidePanel() override { visible = false; }
  void MovePanel(int l, int t) override { moves.push_back(std::to_string(l) + "," + std::to_string(t)); }
  void FocusDummy() override { focusDummy = true; }
  void ShowVideoFullScreen(int, int) override { video = true; }
  void HideVideo() override { video = false; }
  uintptr_t VideoWindow() override { return 0x1234; }
  int ScreenWidth() override { return 1024; }
  int ScreenHeight() override { return 768; }
  void ShowError(const std::string& t) override { errors.push_back(t); }
};

}  // namespace kd::test
