// How sweepall.exe was started: the switches in front of the script name,
// and the run from a temporary copy that lets the uninstaller remove the
// folder it was started from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sweepall/platform.h"

namespace sweepall {

// The command line is the script's name, after any of these switches, each
// followed by a blank: "/T" run from a temporary copy, "/S" silent (no
// questions), "/P<id>" this is the temporary copy of process <id>. Anything
// else, a script name beginning with "/" included, is the script's name
// unchanged.
struct LaunchRequest {
  bool fromTempCopy = false;
  bool silent = false;
  std::uint32_t original = 0;  // set in the temporary copy only
  std::string script;
};

LaunchRequest ParseLaunchRequest(std::string_view commandLine);

// The command line of the temporary copy of process `original`.
std::string CopyCommandLine(const std::string& copyPath, std::uint32_t original, bool silent,
                            const std::string& script);

// WININIT.INI with a "NUL=path" line (delete at the next start) added to
// its [rename] section, which is made when missing. Earlier lines stay.
std::string AddWininitRemoval(std::string_view wininit, const std::string& path);

// True when path names a file directly inside folder (case ignored).
bool IsDirectlyInside(std::string_view path, std::string_view folder);

// The full path of `path` read from the folder `current`: a drive path
// ("C:\...") or a network path stays, a path from the root ("\...") takes
// the current drive, any other is taken inside the current folder. Empty
// when the result does not fit a path buffer.
std::string FullPath(const std::string& path, const std::string& current);

// Marks a file for deletion at the next start of Windows: the NT family's
// delayed deletion (which takes empty directories too), a "NUL=" line in
// WININIT.INI (short name) on the 9x family. False when nothing was marked.
bool RemoveAtNextStart(FileSystem& files, SystemInfo& system, const std::string& path);

class Launcher {
 public:
  // How long the copy waits for the original to end and let go of its file.
  static constexpr unsigned kOriginalWaitMs = 30000;

  Launcher(ProgramCopy& copy, FileSystem& files, SystemInfo& system)
      : copy_(copy), files_(files), system_(system) {}

  // Before the dialog: false when a temporary copy was started and carries
  // on, so this program ends. The copy is given the script's full path, as
  // the dialog would find it from here. If the script can't be found, or no
  // copy can be made or started, the run goes on here (the program's own
  // file and folder then stay).
  bool BeforeDialog(const LaunchRequest& request);
  // After the dialog, in the temporary copy: its file is deleted at the
  // next start of Windows.
  void AfterDialog(const LaunchRequest& request);

 private:
  ProgramCopy& copy_;
  FileSystem& files_;
  SystemInfo& system_;
};

}  // namespace sweepall
