// The hotkey action engine: owns the per-row texts of the hotkey table and
// turns a row's function code into an effect on the desktop. The shell's
// dispatch calls RunEntry(row) and shows OsdCaption() when it succeeds.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "keydeck/actions/media_targets.h"
#include "keydeck/actions/platform.h"
#include "keydeck/actions/system_services.h"

namespace kd {

constexpr int kMaxActionEntries = 30;
constexpr std::size_t kMaxOsdCaption = 127;

struct ActionEntry {
  std::string Caption;
  std::string LinkTo;
  int32_t Function = 0;
  uint32_t Param = 0;
};

// The system facilities the engine acts through; all outlive the engine.
struct ActionServices {
  Registry& Reg;
  ProgramStarter& Starter;
  Desktop& Windows;
  KeySynth& Keys;
  VolumeControl& Volume;
  PowerControl& Power;
  SystemInfo& System;
  MediaTargets& Media;
};

// Language whose Outlook names the calendar folder in Big5.
constexpr uint16_t kLangChineseTraditional = 0x0404;
// My Computer's shell name space path.
inline constexpr const char* kMyComputerPath = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
// The help file: beside keydeck.exe, else at the fixed place.
inline constexpr const char* kHelpFileName = "Hotkey.hlp";
inline constexpr const char* kDefaultHelpFile = "D:\\product\\TESSARO\\4718\\help\\Hotkey.hlp";
// The command Windows runs when an audio CD is inserted (default value).
inline constexpr const char* kAudioCdPlayCommandKey = "AudioCD\\shell\\play\\command";
// Appended to Keydeck's own quoted path: the copy Windows starts passes
// "/p" with the disc's drive on to the running instance, whose panel then
// plays it.
inline constexpr const char* kAutoPlayArguments = " /p %1";

// Whether a function code does something beyond showing its caption with
// this player choice: a media code for a player that has no target for it
// drives nothing. Every other code counts as acting.
bool FunctionActs(int32_t code, int player);

class ActionEngine {
 public:
  // Discovers the launch commands from the registry, once.
  explicit ActionEngine(const ActionServices& services);
  ActionEngine(const ActionEngine&) = delete;
  ActionEngine& operator=(const ActionEngine&) = delete;

  // Rows, as the settings load and the menu write them.
  void ClearEntries();
  // Appends unless 30 rows exist; returns the row count after the call.
  int AddEntry(const std::string& caption, const std::string& linkTo, int32_t function,
               uint32_t param);
  int EntryCount() const { return count_; }
  // Any of the 30 rows, also those at or beyond EntryCount(); nullptr
  // outside 0..29.
  const ActionEntry* Entry(int index) const;
  bool SetEntry(int index, const ActionEntry& entry);

  // Runs row 0..29 (whatever it holds); false for other rows.
  bool RunEntry(int row);
  const std::string& OsdCaption() const { return osdCaption_; }
  bool ActionBusy() const { return busy_; }

  // Volume bar and suspend.
  uint32_t MasterVolume();
  uint32_t StoredVolume() const { return storedVolume_; }

  // Media keys.
  void MediaPlay();
  void MediaPause();
  void MediaStop();
  void SetPlayer(int player) { media_.Player = player; }
  int Player() const { return media_.Player; }
  bool Playing() const { return media_.Playing; }
  MediaState& Media() { return media_; }
  // An audio CD inserted while the AutoPlay command points at Keydeck: the
  // panel plays the disc in that drive ('A'..'Z'; 0: the first it finds).
  // Refused, like a hotkey, while an action runs.
  void PlayInsertedDisc(char drive);
  // Points the audio-CD AutoPlay command at the chosen player: Keydeck
  // itself for the panel (2), the Windows CD Player for 4, which then acts
  // as 1. Writes only a changed command; a missing key changes nothing.
  void RegisterCdAutoPlay();

  // Helpers the shell's menu and settings load use.
  bool RunControlPanel(const std::string& applet);
  std::string FileTypeName(const std::string& extension);

  // The language that picks the calendar folder's name; the user's
  // default at start, replaced by the settings' language when given.
  void SetLanguageId(uint16_t languageId) { languageId_ = languageId; }
  uint16_t LanguageId() const { return languageId_; }
  // The help file used when there is none beside the program.
  void SetHelpFile(const std::string& path) { helpFile_ = path; }

  // Found at construction.
  int IeMajorVersion() const { return ieMajorVersion_; }
  const std::string& BrowserCommand() const { return browserCommand_; }
  const std::string& MailCommand() const { return mailCommand_; }
  const std::string& PersonalFolder() const { return personalFolder_; }
  const std::string& CommandPrompt() const { return commandPrompt_; }
  const std::string& SearchAddress() const { return searchAddress_; }
  const std::string& Mp3Command() const { return mp3Command_; }
  const std::string& CdPlayerCommand() const { return cdPlayerCommand_; }
  const std::string& WindowsDir() const { return windowsDir_; }
  const WindowsVersion& Version() const { return version_; }
  bool NtPlatform() const { return IsNtPlatform(version_.Packed()); }

  // The command that opens the calendar when Outlook is not running.
  std::string CalendarCommand();

 private:
  // Refuses re-entry (an action's nested message loop delivering another
  // hotkey) with false.
  bool RunFunction(int32_t code, const std::string& linkTo, uint32_t param);
  void Chord(uint8_t modifier, uint8_t key);
  void Tap(uint8_t key);
  bool PostToForeground(uint32_t message, uint32_t wParam);
  bool OpenUnlessRunning(const char* windowClass, const std::string& target);
  void StartVideoPlayer();
  bool VideoPlayerFilesPresent(const std::string& setupDir);
  bool OpenCalendar();
  // The help file that exists, or empty.
  std::string FindHelpFile();
  void MediaNextOrPrevious(bool next);
  void WriteCdAutoPlay(const std::string& current, const std::string& wanted);

  ActionServices sys_;
  std::array<ActionEntry, kMaxActionEntries> rows_{};
  int count_ = 0;
  std::string osdCaption_;
  bool busy_ = false;

  WindowsVersion version_;
  std::string windowsDir_;
  std::string cdPlayerCommand_;
  std::string mp3Command_;
  std::string browserCommand_;
  std::string mailCommand_;
  std::string personalFolder_;
  std::string searchAddress_;
  int ieMajorVersion_ = 3;
  std::string commandPrompt_;
  uint16_t languageId_ = 0;
  std::string helpFile_ = kDefaultHelpFile;

  uint32_t storedVolume_ = 0;
  MediaState media_;
};

}  // namespace kd
