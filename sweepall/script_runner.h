// The interpreter of the uninstall script: runs the lines from the second
// section line on, one section kind at a time, and logs each entry.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sweepall/platform.h"
#include "sweepall/system_services.h"
#include "sweepall/uninstall_log.h"

namespace sweepall {

// The header values the dialog keeps.
struct ScriptHeader {
  std::string name;
  int option = 0;
  std::string uninstall;
  // "Log": non-zero turns logging on from the start, so that runs started
  // without the dialog (Options 1, 2, 3 and 5) are logged too.
  bool log = false;
};

// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" under
// HKEY_LOCAL_MACHINE: the Add/Remove Programs entries.
extern const char kUninstallKeyPrefix[];
// The value of the product's Add/Remove Programs key that keeps the audio-CD
// play command from before the product changed it.
extern const char kKeptAudioCdValue[];

enum class SectionKind {
  kNone,
  kFiles,           // G, S, Us, W: below the base directory
  kFullPathDelete,  // Re
  kAddValue,        // A
  kDeleteKey,       // K
  kDeleteEmptyKey,  // P
  kDeleteValue,     // V
  kRun,             // R
  kMessage,         // M
  kControlPanel,    // C
  kSecurityReset,   // N
};

class ScriptRunner {
 public:
  ScriptRunner(Platform& platform, SystemServices& services, UninstallLog& log)
      : p_(platform), services_(services), log_(log) {}

  // Dialog start: no root chosen, no end-after-run request.
  void Reset();
  void Run(const std::vector<std::string>& lines, const ScriptHeader& header);
  // How long a "[Q" section waits for the window's program to end.
  static constexpr unsigned kQuitWaitMs = 30000;

  // A silent run shows no message boxes and never asks to restart.
  void SetSilent(bool silent) { silent_ = silent; }

  bool end_after_run() const { return endAfterRun_; }
  long last_registry_result() const { return lastRegistryResult_; }
  RegKey current_root() const { return currentRoot_; }

 private:
  // What lives for one run only.
  struct RunState {
    SectionKind kind = SectionKind::kNone;
    std::string baseDirectory;
    std::string keyPath;
    bool keyPathFits = true;
    std::string valueName;
    std::string messageTitle;
  };

  // Returns the index of the line after the section's parameters.
  std::size_t RunSectionLine(const std::vector<std::string>& lines, std::size_t at,
                             const ScriptHeader& header, RunState& s);
  void RunEntry(const std::string& entry, RunState& s);
  void AskRestart(const ScriptHeader& header);
  void ChooseRoot(const std::string& indexText);
  void SetKeyPath(const std::string& text, RunState& s);
  void SetBaseDirectory(const std::string& text, RunState& s);
  long OpenUnderRoot(const RunState& s, RegKey* key);
  long DeleteKey(RegKey root, const std::string& path);
  void RemoveUninstallKey(const ScriptHeader& header);
  bool ReadKeptAudioCdCommand(const ScriptHeader& header, KeptCommand* kept);
  // A file that can't go now is marked for the next start; false when it
  // stays. A directory is marked (NT family) only when it holds a path
  // marked before, so it goes after its files.
  bool RemoveFileAtNextStart(const std::string& path);
  bool RemoveDirectoryAtNextStart(const std::string& path);
  void DeleteBelowBase(const std::string& entry, const RunState& s);
  void DeleteFullPath(const std::string& entry);
  void AddValue(const std::string& entry, const RunState& s);
  void DeleteKeyEntry(const std::string& entry);
  void DeleteEmptyKeyEntry(const std::string& entry);
  void DeleteValue(const std::string& entry, const RunState& s);
  void ResetSecurityEntry(const std::string& entry);

  Platform& p_;
  SystemServices& services_;
  UninstallLog& log_;
  RegKey currentRoot_ = kNoRoot;
  bool endAfterRun_ = false;
  bool silent_ = false;
  long lastRegistryResult_ = kOk;
  // This run's paths marked for the next start, and whether a file it was
  // to delete stays (then the Add/Remove Programs entry stays to retry).
  std::vector<std::string> markedForRestart_;
  bool fileStays_ = false;
};

}  // namespace sweepall
