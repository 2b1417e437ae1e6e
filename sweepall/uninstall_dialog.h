// What the uninstall dialog does: reads the script named on the command
// line, its header and its Option, and runs the script at start or on OK.
#pragma once

#include <string>
#include <vector>

#include "sweepall/platform.h"
#include "sweepall/script_runner.h"
#include "sweepall/system_services.h"
#include "sweepall/uninstall_log.h"

namespace sweepall {

inline constexpr char kDialogCaption[] = "Sweepall Ver 2.51";
// Scripts are small; a larger file is read up to this size only.
inline constexpr std::size_t kMaxScriptBytes = 4u << 20;
// The exit code of a silent start that found no script.
inline constexpr int kExitScriptMissing = 2;

// Where a script name is looked for, in order: the name itself, the
// Windows directory's file of that name (when the path fits), and
// "Sweepall.ini" in the current directory.
std::vector<std::string> ScriptCandidates(const std::string& name, SystemInfo& system);

class UninstallDialog {
 public:
  explicit UninstallDialog(Platform& platform)
      : p_(platform),
        services_(platform.registry, platform.files, platform.system,
                  platform.programs, platform.devices, platform.power),
        log_(platform.log),
        runner_(platform, services_, log_) {}

  // Called while the dialog is created and not yet shown. Options 1, 2, 3
  // and 5 close it again through the view before it appears. A silent
  // start asks nothing: the uninstall question counts as Yes, the options
  // that would wait for OK run at once as Option 2 does, and the run shows
  // no boxes; without a script it closes at once with kExitScriptMissing.
  void Start(const std::string& commandLine, bool silent = false);
  // "OK": runs the whole script again.
  void OnOk();
  // "Uninstall Log File": every click turns logging on.
  void OnLogBoxClicked() { log_.Enable(); }

  const ScriptHeader& header() const { return header_; }
  const std::vector<std::string>& lines() const { return lines_; }
  bool logging() const { return log_.enabled(); }

 private:
  bool ReadScript(const std::string& commandLine);
  void ReadHeader();
  void ActOnOption();
  bool ReadFollowUpCommand(std::string* command);
  bool Confirmed();
  bool MayChangeDeviceSecurity();

  Platform& p_;
  SystemServices services_;
  UninstallLog log_;
  ScriptRunner runner_;
  ScriptHeader header_;
  std::vector<std::string> lines_;
  bool silent_ = false;
};

}  // namespace sweepall
