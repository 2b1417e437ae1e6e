#include "keydeck/actions/action_engine.h"

#include "keydeck/actions/launch_targets.h"
#include "keydeck/actions/window_messages.h"

namespace kd {

namespace {

// Virtual keys.
constexpr uint8_t kVkAlt = 0x12;
constexpr uint8_t kVkCtrl = 0x11;
constexpr uint8_t kVkLeftWin = 0x5B;
constexpr uint8_t kVkLeft = 0x25;
constexpr uint8_t kVkRight = 0x27;
constexpr uint8_t kVkEscape = 0x1B;
constexpr uint8_t kVkF5 = 0x74;
constexpr uint8_t kVkMediaNext = 0xB0;
constexpr uint8_t kVkMediaPrev = 0xB1;
constexpr uint8_t kVkMediaStop = 0xB2;
constexpr uint8_t kVkMediaPlayPause = 0xB3;

constexpr unsigned kOutlookSettleMs = 300;

// Outlook's calendar folder; the Chinese (Taiwan) name in Big5.
constexpr const char* kCalendarFolder = "outlook:\\\\Personal Folders\\calendar";
constexpr const char* kCalendarFolderBig5 =
    "outlook:\\\\\xAD\xD3\xA4\x48\xB8\xEA\xAE\xC6\xA7\xA8\\\xA6\xE6\xA8\xC6\xBE\xE4";

}  // namespace

ActionEngine::ActionEngine(const ActionServices& services)
    : sys_(services),
      version_(services.System.PackedVersion(), services.System.Build9x()) {
  // The media panel (when there is one) exists before this engine: it is
  // behind sys_.Media.
  windowsDir_ = sys_.System.WindowsDirectory();
  cdPlayerCommand_ =
      windowsDir_ + (NtPlatform() ? "\\system32" : "") + "\\cdplayer.exe /play ";

  mp3Command_ = ShellOpenCommand(sys_.Reg, ".mp3");
  browserCommand_ = ShellOpenCommand(sys_.Reg, ".htm");
  mailCommand_ = FindMailCommand(sys_.Reg);
  personalFolder_ = FindPersonalFolder(sys_.Reg);
  const kd::SearchAddress search = FindSearchAddress(sys_.Reg);
  searchAddress_ = search.Address;
  ieMajorVersion_ = search.IeMajorVersion;

  commandPrompt_ = windowsDir_ + (NtPlatform() ? "\\system32\\cmd.exe c:" : "\\command.com");
  languageId_ = sys_.System.UserDefaultLangId();

  media_.CdPlayerCommand = cdPlayerCommand_;
  media_.Mp3Command = mp3Command_;
  media_.OsMajor = version_.Major();
  media_.OsMinor = version_.Minor();
  media_.OsBuild = version_.Build();
}

void ActionEngine::ClearEntries() { count_ = 0; }

int ActionEngine::AddEntry(const std::string& caption, const std::string& linkTo,
                           int32_t function, uint32_t param) {
  if (count_ < kMaxActionEntries) {
    rows_[count_] = ActionEntry{caption, linkTo, function, param};
    ++count_;
  }
  return count_;
}

const ActionEntry* ActionEngine::Entry(int index) const {
  if (index < 0 || index >= kMaxActionEntries) return nullptr;
  return &rows_[index];
}

bool ActionEngine::SetEntry(int index, const ActionEntry& entry) {
  if (index < 0 || index >= kMaxActionEntries) return false;
  rows_[index] = entry;
  return true;
}

bool ActionEngine::RunEntry(int row) {
  if (row < 0 || row >= kMaxActionEntries) return false;
  // A refused nested run must not replace the caption the running row
  // shows when it returns.
  if (busy_) return false;
  const ActionEntry& entry = rows_[row];
  // Cut where a character ends: half a double-byte character would be
  // drawn as a garbled last glyph.
  osdCaption_ = CutOnCharacter(entry.Caption, kMaxOsdCaption,
                               [this](uint8_t byte) { return sys_.System.IsLeadByte(byte); });
  // The row may be rewritten while the action runs (a menu in a nested
  // message loop), so hand over copies.
  const std::string linkTo = entry.LinkTo;
  return RunFunction(entry.Function, linkTo, entry.Param);
}

uint32_t ActionEngine::MasterVolume() { return sys_.Volume.GetVolume(); }

void ActionEngine::Chord(uint8_t modifier, uint8_t key) {
  sys_.Keys.KeyDown(modifier);
  sys_.Keys.KeyDown(key);
  sys_.Keys.KeyUp(key);
  sys_.Keys.KeyUp(modifier);
}

void ActionEngine::Tap(uint8_t key) {
  sys_.Keys.KeyDown(key);
  sys_.Keys.KeyUp(key);
}

bool ActionEngine::PostToForeground(uint32_t message, uint32_t wParam) {
  // A null window would turn the post into a message to this thread.
  const WindowRef window = sys_.Windows.ForegroundWindow();
  if (window == 0) return false;
  sys_.Windows.Post(window, message, wParam, 0);
  return true;
}

bool ActionEngine::OpenUnlessRunning(const char* windowClass, const std::string& target) {
  // A running instance is left as it is, not brought forward.
  if (sys_.Windows.ClassWindowExists(windowClass)) return true;
  return ShellOpen(sys_.Starter, target);
}

bool ActionEngine::RunFunction(int32_t code, const std::string& linkTo, uint32_t param) {
  if (busy_) return false;
  busy_ = true;
  bool result = true;
  switch (code) {
    case 1: result = RunCommand(sys_.Starter, linkTo, kSwShow); break;
    case 2: result = ShellOpen(sys_.Starter, linkTo); break;
    case 3: {
      if (const auto level = VolumeDown(sys_.Volume)) storedVolume_ = *level;
      break;
    }
    case 4: {
      if (const auto level = VolumeUp(sys_.Volume)) storedVolume_ = *level;
      break;
    }
    case 5: ToggleMute(sys_.Volume); break;
    case 6: Chord(kVkAlt, kVkLeft); break;
    case 7: Chord(kVkAlt, kVkRight); break;
    case 8:
      if (media_.Player == kPlayerMediaPlayerDisc) {
        sys_.Media.PlayDiscInMediaPlayer();
      } else {
        media_.Playing = true;
        MediaPlay();
      }
      break;
    case 9:
      if (media_.Player == kPlayerMediaPlayerDisc) {
        sys_.Media.PlayDiscInMediaPlayer();
      } else {
        media_.Playing = false;
        MediaPause();
      }
      break;
    case 10:
      if (media_.Player == kPlayerMediaPlayerDisc) {
        sys_.Media.PlayDiscInMediaPlayer();
      } else if (media_.Player == kPlayerSystemKeys) {
        sys_.Media.PlayDiscInMediaPlayer();
        Tap(kVkMediaPlayPause);
      } else if (media_.Playing) {
        MediaPause();
      } else {
        MediaPlay();
      }
      break;
    case 11:
      if (media_.Player == kPlayerMediaPlayerDisc) break;
      if (media_.Player == kPlayerSystemKeys) {
        Tap(kVkMediaStop);
      } else {
        media_.Playing = false;
        MediaStop();
      }
      break;
    case 12: MediaNextOrPrevious(true); break;
    case 13: MediaNextOrPrevious(false); break;
    case 16:
      media_.Playing = false;
      sys_.Media.PanelEject();
      break;
    case 17:
      sys_.Windows.Post(sys_.Windows.DesktopWindow(), kWmSysCommand, kScScreenSave, 0);
      break;
    case 18: Standby(sys_.Power, NtPlatform()); break;
    case 19: PostToForeground(kWmSysCommand, kScClose); break;
    case 20:
      result = sys_.Windows.ClassWindowExists("IEFrame") ||
               RunCommand(sys_.Starter, browserCommand_, kSwShow);
      break;
    case 21: result = RunCommand(sys_.Starter, mailCommand_, kSwShow); break;
    case 22:
      if (ieMajorVersion_ >= 5)
        Chord(kVkCtrl, 'E');
      else
        result = ShellOpen(sys_.Starter, searchAddress_);
      break;
    case 23: result = ShellOpen(sys_.Starter, personalFolder_); break;
    case 24: result = RunCommand(sys_.Starter, commandPrompt_, kSwShow); break;
    case 25: result = ShutDown(sys_.Power, NtPlatform()); break;
    case 26: result = ShellOpen(sys_.Starter, searchAddress_); break;
    case 27: {
      const int cls = version_.VersionClass();
      if (cls == kWindowsMe || cls == kWindows2000 || cls == kWindowsXP)
        result = ShellOpen(sys_.Starter, kMyComputerPath);
      else
        Chord(kVkLeftWin, 'E');
      break;
    }
    case 28: Tap(kVkEscape); break;
    case 29: Tap(kVkF5); break;
    case 31:
      if (ieMajorVersion_ >= 5)
        Chord(kVkCtrl, 'I');
      else
        result = ShellOpen(sys_.Starter, searchAddress_);
      break;
    case 32: result = OpenUnlessRunning("OpusApp", AppPath(sys_.Reg, "WinWord.exe")); break;
    case 33: result = OpenUnlessRunning("XLMAIN", AppPath(sys_.Reg, "Excel.exe")); break;
    case 34: result = ShellOpen(sys_.Starter, AppPath(sys_.Reg, "Wpowerpnt.exe")); break;
    case 35: {
      // Asked for a missing file, the help viewer keeps the call waiting
      // (seen under Wine) and with it every later hotkey: report it instead.
      const std::string help = FindHelpFile();
      result = !help.empty();
      if (result) sys_.Starter.OpenHelpContents(help);
      break;
    }
    case 41: Chord(kVkCtrl, 'C'); break;
    case 42: Chord(kVkCtrl, 'V'); break;
    case 43: Chord(kVkCtrl, 'X'); break;
    case 48: Hibernate(sys_.Power, NtPlatform()); break;
    case 49: Tap(static_cast<uint8_t>(param & 0xFF)); break;
    case 50: PostToForeground(kWmVScroll, kSbLineUp); break;
    case 51: PostToForeground(kWmVScroll, kSbLineDown); break;
    case 52: StartVideoPlayer(); break;
    case 53: result = OpenCalendar(); break;
    default: break;  // codes without an action succeed and do nothing
  }
  busy_ = false;
  return result;
}

std::string ActionEngine::FindHelpFile() {
  // Installed beside the program; the fixed place is where it lies on the
  // product's own machines.
  const std::string program = sys_.System.ProgramPath();
  const std::size_t slash = program.rfind('\\');
  if (slash != std::string::npos) {
    const std::string beside = program.substr(0, slash + 1) + kHelpFileName;
    if (sys_.Starter.FileExists(beside)) return beside;
  }
  return sys_.Starter.FileExists(helpFile_) ? helpFile_ : std::string();
}

void ActionEngine::MediaNextOrPrevious(bool next) {
  switch (media_.Player) {
    case kPlayerCdApp:
      sys_.Media.CdAppCommand(media_, next ? kMediaNext : kMediaPrevious);
      break;
    case kPlayerPanel:
      if (next)
        sys_.Media.PanelNext();
      else
        sys_.Media.PanelPrevious();
      break;
    case kPlayerWinamp:
      sys_.Media.WinampCommand(media_, next ? kMediaNext : kMediaPrevious);
      break;
    case kPlayerSystemKeys: Tap(next ? kVkMediaNext : kVkMediaPrev); break;
    default: break;
  }
}

void ActionEngine::RegisterCdAutoPlay() {
  if (!sys_.Reg.KeyOpens(RegRoot::ClassesRoot, kAudioCdPlayCommandKey)) return;
  // A missing or non-text value compares as empty, so it is written.
  const std::string current =
      sys_.Reg.ReadText(RegRoot::ClassesRoot, kAudioCdPlayCommandKey, "").value_or("");
  if (media_.Player == kPlayerPanel) {
    const std::string program = sys_.System.ProgramPath();
    // Without its own path the command would start nothing. The path is
    // quoted: unquoted, "C:\Program Files\..." would run "C:\Program".
    if (!program.empty()) WriteCdAutoPlay(current, "\"" + program + "\"" + kAutoPlayArguments);
  } else if (media_.Player == kPlayerCdAutoPlay) {
    WriteCdAutoPlay(current, cdPlayerCommand_);
    // Registered once per start; the media keys then drive the CD application.
    media_.Player = kPlayerCdApp;
  }
}

void ActionEngine::WriteCdAutoPlay(const std::string& current, const std::string& wanted) {
  // Rewriting an equal command would only touch the key; a refused write
  // (no rights to the machine's classes) is not reported.
  if (current != wanted)
    sys_.Reg.WriteText(RegRoot::ClassesRoot, kAudioCdPlayCommandKey, "", wanted);
}

void ActionEngine::PlayInsertedDisc(char drive) {
  if (busy_) return;
  if (drive >= 'A' && drive <= 'Z')
    sys_.Media.PanelPlayDrive(media_, drive);
  else
    sys_.Media.PanelPlay(media_);
}

bool FunctionActs(int32_t code, int player) {
  const bool external = player == kPlayerCdApp || player == kPlayerPanel || player == kPlayerWinamp;
  switch (code) {
    case 8:
    case 9: return external || player == kPlayerMediaPlayerDisc;
    case 10: return external || player == kPlayerMediaPlayerDisc || player == kPlayerSystemKeys;
    case 11:
    case 12:
    case 13: return external || player == kPlayerSystemKeys;
    default: return true;  // eject (16) acts on the panel whatever the player
  }
}

void ActionEngine::MediaPlay() { sys_.Media.MediaPlay(media_); }
void ActionEngine::MediaPause() { sys_.Media.MediaPause(media_); }
void ActionEngine::MediaStop() { sys_.Media.MediaStop(media_); }

bool ActionEngine::RunControlPanel(const std::string& applet) {
  return kd::RunControlPanel(sys_.Starter, applet);
}

std::string ActionEngine::FileTypeName(const std::string& extension) {
  return kd::FileTypeName(sys_.Reg, extension);
}

bool ActionEngine::VideoPlayerFilesPresent(const std::string& setupDir) {
  const std::string product =
      sys_.Reg.ReadText(RegRoot::LocalMachine, "SOFTWARE\\Tessaro", "").value_or("");
  const std::string settings = "SOFTWARE\\Tessaro\\" + product + "\\Default";
  // The count is a signed number: a negative one names no files to check.
  const int32_t fileCount = static_cast<int32_t>(
      sys_.Reg.ReadNumber(RegRoot::LocalMachine, settings, "Files").value_or(0));
  const auto names = SplitCommaList(
      sys_.Reg.ReadText(RegRoot::LocalMachine, settings, "FilesName").value_or(""));

  if (!sys_.Starter.FileExists(setupDir + "\\PowerVPR.exe")) return false;
  for (int32_t i = 0; i < fileCount; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    if (!names || at >= names->size()) return false;  // fewer names than files
    if (!sys_.Starter.FileExists(setupDir + "\\" + (*names)[at])) return false;
  }
  return true;
}

void ActionEngine::StartVideoPlayer() {
  const std::string vprKey = "\\SOFTWARE\\VPRMatrix\\PowerVPR";
  if (sys_.Reg.KeyOpens(RegRoot::LocalMachine, vprKey)) {
    const std::string setupDir =
        sys_.Reg.ReadText(RegRoot::LocalMachine, vprKey, "SetupDir").value_or("");
    const std::string target =
        sys_.Reg.ReadText(RegRoot::LocalMachine, vprKey, "VPR_Target").value_or("");
    if (VideoPlayerFilesPresent(setupDir)) {
      sys_.Starter.StartProcess(setupDir + "\\PowerVPR.exe", " " + target);
      return;
    }
  }
  sys_.Starter.StartProcess(windowsDir_ + "\\Discprobe.exe", "");
}

std::string ActionEngine::CalendarCommand() {
  const std::string outlook = AppPath(sys_.Reg, "OUTLOOK.EXE");
  if (outlook.empty()) return std::string();  // not installed: nothing to run
  const char* folder =
      languageId_ == kLangChineseTraditional ? kCalendarFolderBig5 : kCalendarFolder;
  return outlook + " /select \"" + folder + "\"";
}

bool ActionEngine::OpenCalendar() {
  WindowRef outlook = 0;
  for (const TopWindow& w : sys_.Windows.TopLevelWindows()) {
    if (w.Title.find("Microsoft Outlook") != std::string::npos &&
        w.ClassName.find("rctrl_renwnd32") != std::string::npos)
      outlook = w.Window;  // the last match wins
  }
  if (outlook == 0) return RunCommand(sys_.Starter, CalendarCommand(), kSwShow);

  sys_.Windows.Wait(kOutlookSettleMs);
  if (!sys_.Windows.IsMinimized(outlook)) sys_.Windows.Show(outlook, kSwMinimize);
  sys_.Windows.Show(outlook, kSwShowMaximized);
  sys_.Windows.BringToForeground(outlook);
  Chord(kVkAlt, 'V');
  Tap('G');
  Tap('C');
  return true;
}

}  // namespace kd
