// Fakes of the media panel's seams: a scripted MCI device that logs the
// commands it is sent, drives holding discs, and a view keeping what it shows.
#pragma once

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "keydeck/media/media_panel.h"

namespace kd::test {

inline std::string Pos(uint32_t p) {  // TMSF as "T4 2:05"
  const uint32_t s = TmsfSeconds(p);
  return "T" + std::to_string(TmsfTrack(p)) + " " + std::to_string(TmsfMinutes(p)) +
         (s < 10 ? ":0" : ":") + std::to_string(s);
}

class FakeDevice : public MediaDevice {
 public:
  static constexpr uint32_t kNotOpen = 263, kNoMedia = 276;
  std::vector<std::string> log;
  bool open = false;
  int mode = kModeNotReady;  // read while open
  uint32_t openError = 0, position = 0, length = 0;
  std::vector<uint32_t> trackLengths;  // MSF, track 1 first
  TimeFormat format = TimeFormat::Frames;

  uint32_t Open(DeviceType type, const std::string& name) override {
    log.push_back((type == DeviceType::CdAudio ? "open cdaudio " : "open ") + name);
    if (!openError) open = true, mode = kModeStopped, position = 0;
    return error_ = openError;
  }
  uint32_t Close() override {
    if (open) log.push_back("close");
    open = false;
    return error_ = 0;
  }
  uint32_t SetTimeFormat(TimeFormat f) override { format = f; return Status(0); }
  uint32_t Play() override { return Run("play", kModePlaying); }
  uint32_t PlayFrom(uint32_t p) override { return Run("play from " + Text(p), kModePlaying, p); }
  uint32_t Stop() override { return Run("stop", kModeStopped); }
  uint32_t Pause() override { return Run("pause", kModePaused); }
  uint32_t Resume() override { return Run("resume", kModePlaying); }
  uint32_t Seek(uint32_t p) override { return Run("seek " + Text(p), kModeStopped, p); }
  uint32_t SeekToStart() override {
    return Run("seek start", kModeStopped, format == TimeFormat::Tmsf ? Tmsf(1, 0, 0) : 0);
  }
  int Mode() override { return open ? mode : kModeNotReady; }
  uint32_t Position() override { return Status(position); }
  uint32_t Length() override { return Status(length); }
  uint32_t Tracks() override { return Status(static_cast<uint32_t>(trackLengths.size())); }
  uint32_t TrackStart(uint32_t t) override { return Status(Tmsf(t, 0, 0)); }
  uint32_t TrackLength(uint32_t t) override {
    return Status(t >= 1 && t <= trackLengths.size() ? trackLengths[t - 1] : 0);
  }
  void SetDisplayWindow(uintptr_t w) override { log.push_back("window " + std::to_string(w)); }
  void SetDisplayRect(int l, int t, int w, int h) override {
    log.push_back("rect " + std::to_string(l + t) + " " + std::to_string(w) + "x" + std::to_string(h));
  }
  uint32_t LastError() const override { return error_; }
  std::string ErrorText(uint32_t code) override {
    return code == kNotOpen ? "The specified device is not open." : "Unknown error code";
  }
  uint32_t SendString(const std::string& command) override {
    log.push_back(command);
    return 0;
  }

 private:
  uint32_t error_ = 0;
  std::string Text(uint32_t p) const { return format == TimeFormat::Tmsf ? Pos(p) : std::to_string(p); }
  uint32_t Status(uint32_t value) { return (error_ = open ? 0 : kNotOpen) ? 0 : value; }
  uint32_t Run(const std::string& text, int after, std::optional<uint32_t> to = {}) {
    log.push_back(text);
    error_ = !open ? kNotOpen : mode == kModeOpen ? kNoMedia : 0;  // door open: no medium
    if (!error_) mode = after, position = to.value_or(position);
    return error_;
  }
};

// Drives by capital letter; a disc's files by folder in capitals ("" = root).
class FakeDrives : public Drives {
 public:
  struct Disc {
    int type = kDriveCdRom;
    std::string label;
    std::map<std::string, std::vector<std::string>> files;
  };
  std::map<char, Disc> drives;
  std::vector<std::string> asked;  // labels and listings, as passed

  int DriveType(const std::string& root) override { return Find(root) ? Find(root)->type : 1; }
  std::string VolumeLabel(const std::string& root) override {
    asked.push_back("label " + root);
    return Find(root) ? Find(root)->label : std::string();
  }
  std::vector<std::string> PlainFiles(const std::string& pattern) override {
    asked.push_back("files " + pattern);
    std::string folder = pattern.substr(3, pattern.size() - 6);  // between "x:\" and "*.*"
    if (!folder.empty()) folder.pop_back();
    for (char& c : folder) c = static_cast<char>(toupper(c));
    const Disc* disc = Find(pattern);
    return disc && disc->files.count(folder) ? disc->files.at(folder) : std::vector<std::string>{};
  }

 private:
  const Disc* Find(const std::string& path) const {
    auto it = drives.find(static_cast<char>(toupper(path[0])));
    return it == drives.end() ? nullptr : &it->second;
  }
};

class FakeView : public PanelView {
 public:
  std::string display = kInitialDisplay, mediaName = "CD", length, listText, seekRange;
  std::vector<std::string> items, moves, errors;
  int index = -1, seekPos = 0;
  bool timer = false, visible = false, video = false, focusDummy = false;

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
  // The four text controls at a glance.
  std::string Texts() const { return display + " | " + mediaName + " | " + length + " | " + listText; }
};

}  // namespace kd::test
