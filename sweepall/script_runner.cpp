#include "sweepall/script_runner.h"

#include "common/text.h"
#include "sweepall/launch.h"
#include "sweepall/script_text.h"

namespace sweepall {

const char kUninstallKeyPrefix[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kKeptAudioCdValue[] = "AudioCDCommand";

namespace {

constexpr unsigned kRunPauseMs = 1000;
constexpr RegKey kRootTable[] = {kNoRoot, kClassesRoot, kCurrentUser, kLocalMachine, kUsers};

bool StartsWith(const std::string& line, char c) { return !line.empty() && line[0] == c; }

// The line where the count of section lines reaches two, or lines.size().
std::size_t FindStartLine(const std::vector<std::string>& lines) {
  int sections = 0;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (StartsWith(lines[i], '[') && ++sections == 2) return i;
  return lines.size();
}

}  // namespace

void ScriptRunner::Reset() {
  currentRoot_ = kNoRoot;
  endAfterRun_ = false;
  lastRegistryResult_ = kOk;
}

void ScriptRunner::Run(const std::vector<std::string>& lines, const ScriptHeader& header) {
  RunState s;
  markedForRestart_.clear();
  fileStays_ = false;
  log_.BeginRun();
  const std::size_t start = FindStartLine(lines);
  for (std::size_t i = start; i < lines.size();) {
    const std::string& line = lines[i];
    std::size_t next = i + 1;
    if (StartsWith(line, ';')) {
      // comment
    } else if (StartsWith(line, '[')) {
      next = RunSectionLine(lines, i, header, s);
    } else {
      RunEntry(line, s);
    }
    i = next;
  }
  // The Add/Remove Programs entry goes once the work is done, and stays
  // when a file could neither go nor be marked, so the run can be retried.
  if (start < lines.size() && !fileStays_) RemoveUninstallKey(header);
  log_.EndRun();
}

std::size_t ScriptRunner::RunSectionLine(const std::vector<std::string>& lines,
                                         std::size_t at, const ScriptHeader& header,
                                         RunState& s) {
  const std::string& line = lines[at];
  const char kind = CharAt(line, 1);
  const char third = CharAt(line, 2);
  std::size_t wanted = 0;
  switch (kind) {
    case 'A': wanted = third == 'u' ? 0 : 3; break;
    case 'K': case 'M': case 'P': wanted = 1; break;
    case 'Q': case 'V': wanted = 2; break;
    case 'U': wanted = third == 's' ? 1 : third == 'p' ? 2 : 0; break;
    default: break;
  }
  // Parameters are never read past the last line: a section cut short by
  // the end of the script does nothing.
  if (lines.size() - (at + 1) < wanted) {
    s.kind = SectionKind::kNone;
    return lines.size();
  }
  // One past the last line when the section takes no parameters.
  const std::string* param = lines.data() + at + 1;
  switch (kind) {
    case 'A':
      if (third == 'u') {
        KeptCommand kept;
        const bool haveKept = ReadKeptAudioCdCommand(header, &kept);
        lastRegistryResult_ = services_.RestoreAudioCdPlayCommand(haveKept ? &kept : nullptr);
        s.kind = SectionKind::kNone;
      } else {
        ChooseRoot(param[0]);
        SetKeyPath(param[1], s);
        s.valueName = param[2];
        s.kind = SectionKind::kAddValue;
      }
      break;
    case 'B':
      AskRestart(header);
      s.kind = SectionKind::kNone;
      break;
    case 'C': s.kind = SectionKind::kControlPanel; break;
    case 'E':
      endAfterRun_ = true;
      s.kind = SectionKind::kNone;
      break;
    case 'G':
      SetBaseDirectory(services_.GetProgramsFolder(), s);
      s.kind = SectionKind::kFiles;
      break;
    case 'K':
      ChooseRoot(param[0]);
      s.kind = SectionKind::kDeleteKey;
      break;
    case 'M':
      s.messageTitle = param[0];
      s.kind = SectionKind::kMessage;
      break;
    case 'N': s.kind = SectionKind::kSecurityReset; break;
    case 'P':
      ChooseRoot(param[0]);
      s.kind = SectionKind::kDeleteEmptyKey;
      break;
    case 'Q':
      // Its files are in use until the program has ended.
      p_.programs.PostQuitTo(param[0], param[1], kQuitWaitMs);
      break;
    case 'R': s.kind = third == 'e' ? SectionKind::kFullPathDelete : SectionKind::kRun; break;
    case 'S':
      SetBaseDirectory(p_.system.SystemDirectory(), s);
      s.kind = SectionKind::kFiles;
      break;
    case 'U':
      if (third == 's') {
        SetBaseDirectory(param[0], s);
        s.kind = SectionKind::kFiles;
      } else if (third == 'p') {
        std::string inf;
        if (JoinWithin(kPathCapacity, &inf, {p_.system.WindowsDirectory(), "\\inf\\", param[0]}))
          services_.UpdateDeviceDriver(inf, param[1]);
        s.kind = SectionKind::kNone;
      }
      break;
    case 'V':
      ChooseRoot(param[0]);
      SetKeyPath(param[1], s);
      s.kind = SectionKind::kDeleteValue;
      break;
    case 'W':
      SetBaseDirectory(p_.system.WindowsDirectory(), s);
      s.kind = SectionKind::kFiles;
      break;
    default: s.kind = SectionKind::kNone; break;
  }
  return at + 1 + wanted;
}

void ScriptRunner::ChooseRoot(const std::string& indexText) {
  const int index = TextToInt(indexText);
  // Index 0 is the current root itself; an index outside the table
  // selects no root, so the section's registry steps fail. So does text
  // that is no number ("HKLM"): read as 0 it would keep an earlier root.
  if (!IsDecimalNumber(indexText) || index < 0 || index > 4) {
    currentRoot_ = kNoRoot;
  } else if (index > 0) {
    currentRoot_ = kRootTable[index];
  }
}

void ScriptRunner::SetKeyPath(const std::string& text, RunState& s) {
  s.keyPathFits = JoinWithin(kPathCapacity, &s.keyPath, {text});
  if (!s.keyPathFits) s.keyPath = text;  // kept for the log line only
}

void ScriptRunner::SetBaseDirectory(const std::string& text, RunState& s) {
  if (!JoinWithin(kPathCapacity, &s.baseDirectory, {text})) s.baseDirectory.clear();
}

long ScriptRunner::OpenUnderRoot(const RunState& s, RegKey* key) {
  if (currentRoot_ == kNoRoot) return kErrorInvalidHandle;
  if (!s.keyPathFits) return kErrorFilenameTooLong;
  return p_.registry.OpenKey(currentRoot_, s.keyPath, kKeyAllAccess, key);
}

long ScriptRunner::DeleteKey(RegKey root, const std::string& path) {
  if (root == kNoRoot) return kErrorInvalidHandle;
  // The NT family won't delete a key that has subkeys. An empty path would
  // name the root itself on the 9x family: never delete that.
  if (services_.IsNtFamily()) return services_.DeleteKeyTree(root, path);
  if (path.empty()) return kErrorBadKey;
  // Real 9x registries have no links, Wine's has them in its 9x modes too,
  // and there the plain deletion goes through every link in the tree,
  // emptying its target (and never ending on a link to an ancestor).
  if (services_.TreeHoldsLink(root, path)) return services_.DeleteKeyTree(root, path);
  // The 9x family's plain deletion takes the subkeys with it; where it is
  // refused all the same (Wine does so in its 9x modes), walk the tree.
  const long r = p_.registry.DeleteKey(root, path);
  return r == kOk ? r : services_.DeleteKeyTree(root, path);
}

void ScriptRunner::RemoveUninstallKey(const ScriptHeader& header) {
  if (header.uninstall.empty()) return;
  // "\\" or "x\\" would name the Uninstall key itself or another product's.
  if (!NamesOneSubkey(header.uninstall)) {
    lastRegistryResult_ = kErrorBadKey;
    return;
  }
  std::string path;
  lastRegistryResult_ = JoinWithin(kPathCapacity, &path, {kUninstallKeyPrefix, header.uninstall})
                            ? DeleteKey(kLocalMachine, path)
                            : kErrorFilenameTooLong;
}

bool ScriptRunner::ReadKeptAudioCdCommand(const ScriptHeader& header, KeptCommand* kept) {
  std::string path;
  if (!NamesOneSubkey(header.uninstall) ||
      !JoinWithin(kPathCapacity, &path, {kUninstallKeyPrefix, header.uninstall}))
    return false;
  RegKey key = 0;
  if (p_.registry.OpenKey(kLocalMachine, path, kKeyRead, &key) != kOk) return false;
  const long r = p_.registry.QueryString(key, kKeptAudioCdValue, kPathCapacity, &kept->text,
                                         &kept->expandable);
  p_.registry.CloseKey(key);
  return r == kOk;
}

bool ScriptRunner::RemoveFileAtNextStart(const std::string& path) {
  if (!RemoveAtNextStart(p_.files, p_.system, path)) return false;
  markedForRestart_.push_back(path);
  return true;
}

bool ScriptRunner::RemoveDirectoryAtNextStart(const std::string& path) {
  // The 9x family's WININIT removes files only. A directory that is not
  // empty for other reasons (files of the user's) is not marked.
  if (!p_.system.IsNtFamily()) return false;
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (folder.empty()) return false;
  bool holdsMarked = false;
  for (const std::string& marked : markedForRestart_) {
    if (common::EqualsIgnoreCase(marked, folder)) return true;  // marked already
    holdsMarked = holdsMarked || (marked.size() > folder.size() && marked[folder.size()] == '\\' &&
                                  common::EqualsIgnoreCase(marked.substr(0, folder.size()), folder));
  }
  if (!holdsMarked || !p_.files.DeleteAtRestart(folder)) return false;
  markedForRestart_.push_back(folder);
  return true;
}

void ScriptRunner::AskRestart(const ScriptHeader& header) {
  // Nobody is there to answer: a silent run never restarts the machine.
  if (silent_) return;
  const std::string question = p_.view.RestartQuestion();
  p_.view.BringToFront();
  if (!p_.view.AskYesNo(question, header.name)) return;
  if (services_.IsNtFamily()) {
    services_.RestartWithShutdownPrivilege();
  } else {
    services_.RequestRestart();
  }
}

void ScriptRunner::RunEntry(const std::string& entry, RunState& s) {
  switch (s.kind) {
    case SectionKind::kFiles: DeleteBelowBase(entry, s); break;
    case SectionKind::kFullPathDelete: DeleteFullPath(entry); break;
    case SectionKind::kAddValue: AddValue(entry, s); break;
    case SectionKind::kDeleteKey: DeleteKeyEntry(entry); break;
    case SectionKind::kDeleteEmptyKey: DeleteEmptyKeyEntry(entry); break;
    case SectionKind::kDeleteValue: DeleteValue(entry, s); break;
    case SectionKind::kRun:
      p_.programs.Start(entry);
      p_.programs.Pause(kRunPauseMs);
      break;
    case SectionKind::kMessage:
      if (!silent_) p_.view.ShowMessage(entry, s.messageTitle);
      break;
    case SectionKind::kControlPanel:
      log_.Append(services_.OpenControlPanelApplet(entry) ? "Open Successful !" : "Open fail !");
      log_.EndLine();
      break;
    case SectionKind::kSecurityReset: ResetSecurityEntry(entry); break;
    case SectionKind::kNone: break;
  }
}

void ScriptRunner::DeleteBelowBase(const std::string& entry, const RunState& s) {
  std::string path;
  // Without a base directory the path would point at the drive's root.
  const bool fits = !s.baseDirectory.empty() &&
                    JoinWithin(kPathCapacity, &path, {s.baseDirectory, "\\", entry});
  const PathKind kind = fits ? p_.files.Probe(path) : PathKind::kMissing;
  if (!fits) path = s.baseDirectory + "\\" + entry;  // for the log line only
  switch (kind) {
    case PathKind::kMissing:
      log_.Append("Not Found : ");
      log_.Append(path);
      break;
    case PathKind::kDirectory: {
      const bool later = !p_.files.RemoveEmptyDirectory(path) && RemoveDirectoryAtNextStart(path);
      log_.Append("Remove Directory : ");
      log_.Append(path);
      if (later) log_.Append("-->Remove at restart !");
      break;
    }
    case PathKind::kFile: {
      p_.files.ClearAttributes(path);
      const bool removed = p_.files.RemoveFile(path);
      const bool later = !removed && RemoveFileAtNextStart(path);
      if (!removed && !later) fileStays_ = true;
      log_.Append("Delete File : ");
      log_.Append(path);
      log_.Append(removed ? "-->Remove Successful !"
                          : later ? "-->Remove at restart !" : "-->Remove fail !");
      break;
    }
  }
  log_.EndLine();
}

void ScriptRunner::DeleteFullPath(const std::string& entry) {
  std::string path;
  const bool fits = JoinWithin(kPathCapacity, &path, {entry});
  bool removed = false;
  bool later = false;
  if (fits) {
    p_.files.ClearAttributes(path);
    removed = p_.files.RemoveFile(path);
    if (!removed && !p_.files.RemoveEmptyDirectory(path)) {
      switch (p_.files.Probe(path)) {
        case PathKind::kFile:
          later = RemoveFileAtNextStart(path);
          if (!later) fileStays_ = true;
          break;
        case PathKind::kDirectory: later = RemoveDirectoryAtNextStart(path); break;
        case PathKind::kMissing: break;
      }
    }
  }
  log_.Append("Delete File :");
  log_.Append(entry);
  if (removed) {
    log_.Append("-->Remove Successful !");
  } else if (later) {
    log_.Append("-->Remove at restart !");
  } else {
    log_.Append("Remove fail !");
    log_.Append("Remove Directory:");
    log_.Append(entry);
  }
  log_.EndLine();
}

void ScriptRunner::AddValue(const std::string& entry, const RunState& s) {
  log_.Append("Add Key Value: ");
  log_.Append(s.valueName);
  RegKey key = 0;
  lastRegistryResult_ = OpenUnderRoot(s, &key);
  if (lastRegistryResult_ == kOk) {
    log_.Append("--> Successful !");
    lastRegistryResult_ = p_.registry.SetString(key, s.valueName, entry, false);
    p_.registry.CloseKey(key);
  }
  log_.EndLine();
}

void ScriptRunner::DeleteKeyEntry(const std::string& entry) {
  lastRegistryResult_ = DeleteKey(currentRoot_, entry);
  log_.Append("Delete Key : ");
  log_.Append(entry);
  log_.Append(lastRegistryResult_ == kOk ? "--> Successful !" : "--> Fail !");
  log_.EndLine();
}

void ScriptRunner::DeleteEmptyKeyEntry(const std::string& entry) {
  lastRegistryResult_ = services_.DeleteEmptyKey(currentRoot_, entry);
  log_.Append("Delete Key : ");
  log_.Append(entry);
  log_.Append(lastRegistryResult_ == kOk                  ? "--> Successful !"
              : lastRegistryResult_ == kErrorDirNotEmpty ? "--> Kept, not empty !"
                                                          : "--> Fail !");
  log_.EndLine();
}

void ScriptRunner::DeleteValue(const std::string& entry, const RunState& s) {
  RegKey key = 0;
  lastRegistryResult_ = OpenUnderRoot(s, &key);
  if (lastRegistryResult_ == kOk) {
    lastRegistryResult_ = p_.registry.DeleteValue(key, entry);
    p_.registry.CloseKey(key);
  }
  log_.Append("Delete Key Value :");
  log_.Append(s.keyPath);
  log_.Append("\\");
  log_.Append(entry);
  log_.Append(lastRegistryResult_ == kOk ? "-->Delete Successful !" : "-->Delete fail !");
  log_.EndLine();
}

void ScriptRunner::ResetSecurityEntry(const std::string& entry) {
  // The 9x family keeps no registry security: nothing is reset there, and
  // the line says so rather than repeat an unrelated earlier result.
  bool reset = false;
  if (services_.IsNtFamily()) {
    // The key itself first, so that its subkeys can be enumerated.
    services_.ResetKeySecurity(kLocalMachine, entry);
    lastRegistryResult_ = services_.ResetKeySecurityTree(kLocalMachine, entry);
    reset = lastRegistryResult_ == kOk;
  }
  log_.Append("Reset Registry Security");
  log_.Append(entry);
  log_.Append(reset ? "-->Reset Successful !" : "-->Reset fail !");
  log_.EndLine();
}

}  // namespace sweepall
