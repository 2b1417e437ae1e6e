#include "sweepall/launch.h"

#include "common/text.h"
#include "sweepall/script_text.h"
#include "sweepall/uninstall_dialog.h"

namespace sweepall {

namespace {

constexpr std::size_t kMaxWininitBytes = 1u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One switch at the front of text, followed by a blank or the end; its
// length (blanks after it included), or 0.
std::size_t TakeSwitch(std::string_view text, LaunchRequest* r) {
  if (text.size() < 2 || text[0] != '/') return 0;
  const char letter = static_cast<char>(text[1] & ~0x20);
  std::size_t end = 2;
  std::uint64_t id = 0;
  if (letter == 'P') {
    while (end < text.size() && text[end] >= '0' && text[end] <= '9' && id <= 0xFFFFFFFFu)
      id = id * 10 + static_cast<std::uint64_t>(text[end++] - '0');
    if (id == 0 || id > 0xFFFFFFFFu) return 0;
  } else if (letter != 'T' && letter != 'S') {
    return 0;
  }
  if (end < text.size() && !IsBlank(text[end])) return 0;
  if (letter == 'T') r->fromTempCopy = true;
  if (letter == 'S') r->silent = true;
  if (letter == 'P') r->original = static_cast<std::uint32_t>(id);
  while (end < text.size() && IsBlank(text[end])) ++end;
  return end;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

}  // namespace

LaunchRequest ParseLaunchRequest(std::string_view commandLine) {
  LaunchRequest r;
  while (const std::size_t n = TakeSwitch(commandLine, &r)) commandLine.remove_prefix(n);
  r.script = std::string(commandLine);
  return r;
}

std::string CopyCommandLine(const std::string& copyPath, std::uint32_t original, bool silent,
                            const std::string& script) {
  std::string line = "\"" + copyPath + "\" /P" + std::to_string(original) + " ";
  if (silent) line += "/S ";
  return line + script;
}

std::string AddWininitRemoval(std::string_view wininit, const std::string& path) {
  const std::string entry = "NUL=" + path + "\r\n";
  const std::string lower = Lower(wininit);
  // The section line: "[rename]" at the start of a line.
  for (std::size_t at = lower.find("[rename]"); at != std::string::npos;
       at = lower.find("[rename]", at + 1)) {
    if (at != 0 && lower[at - 1] != '\n' && lower[at - 1] != '\r') continue;
    std::size_t after = lower.find('\n', at);
    std::string text(wininit);
    if (after == std::string::npos) return text + "\r\n" + entry;
    return text.insert(after + 1, entry);
  }
  std::string text(wininit);
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  return text + "[rename]\r\n" + entry;
}

bool IsDirectlyInside(std::string_view path, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  if (folder.empty() || path.size() <= folder.size() + 1) return false;
  if (!common::EqualsIgnoreCase(path.substr(0, folder.size()), folder)) return false;
  if (path[folder.size()] != '\\') return false;
  return path.substr(folder.size() + 1).find('\\') == std::string_view::npos;
}

std::string FullPath(const std::string& path, const std::string& current) {
  std::string full;
  const bool drivePath = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  const bool networkPath = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
  bool fits;
  if (drivePath || networkPath) {
    fits = JoinWithin(kPathCapacity, &full, {path});
  } else if (!path.empty() && path[0] == '\\') {
    fits = CharAt(current, 1) == ':' &&
           JoinWithin(kPathCapacity, &full, {std::string_view(current).substr(0, 2), path});
  } else {
    // A drive root such as "C:\" already ends in a backslash.
    const bool root = !current.empty() && current.back() == '\\';
    fits = !current.empty() && JoinWithin(kPathCapacity, &full, {current, root ? "" : "\\", path});
  }
  return fits ? full : std::string();
}

bool RemoveAtNextStart(FileSystem& files, SystemInfo& system, const std::string& path) {
  if (system.IsNtFamily()) return files.DeleteAtRestart(path);
  // The 9x family has no delayed deletion call; WININIT.INI does it, and
  // reads only short names.
  const std::string shortPath = files.ShortPath(path);
  std::string wininit;
  if (shortPath.empty() || shortPath.size() >= kPathCapacity ||
      !JoinWithin(kPathCapacity, &wininit, {system.WindowsDirectory(), "\\WININIT.INI"}))
    return false;
  std::string text;
  // A file that is there but can't be read whole is left alone rather
  // than rewritten without its other lines.
  if (files.Probe(wininit) != PathKind::kMissing &&
      (!files.ReadWhole(wininit, kMaxWininitBytes, &text) || text.size() >= kMaxWininitBytes))
    return false;
  return files.WriteWhole(wininit, AddWininitRemoval(text, shortPath));
}

bool Launcher::BeforeDialog(const LaunchRequest& request) {
  if (request.original != 0) {
    // The original still holds its file open until it has ended.
    copy_.WaitForEnd(request.original, kOriginalWaitMs);
    return true;
  }
  if (!request.fromTempCopy) return true;
  // The copy runs in the temporary folder, where a relative name would
  // find another script or none: it gets the full path found from here.
  std::string script;
  std::string bytes;
  const std::string current = system_.CurrentDirectory();
  for (const std::string& candidate : ScriptCandidates(request.script, system_)) {
    const std::string full = FullPath(candidate, current);
    if (!full.empty() && files_.ReadWhole(full, 1, &bytes)) {
      script = full;
      break;
    }
  }
  if (script.empty()) return true;
  std::string copyPath;
  if (!copy_.CopyToTemp(&copyPath)) return true;
  const std::string line = CopyCommandLine(copyPath, copy_.ProcessId(), request.silent, script);
  if (copy_.Start(copyPath, line, copy_.TempDirectory())) return false;
  files_.RemoveFile(copyPath);
  return true;
}

void Launcher::AfterDialog(const LaunchRequest& request) {
  if (request.original == 0) return;
  const std::string self = copy_.ProgramPath();
  // Only a copy in the temporary folder removes itself: "/P" given by hand
  // to the installed program must not delete it.
  if (!IsDirectlyInside(self, copy_.TempDirectory())) return;
  RemoveAtNextStart(files_, system_, self);
}

}  // namespace sweepall
