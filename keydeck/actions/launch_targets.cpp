#include "keydeck/actions/launch_targets.h"

#include <cctype>
#include <climits>

namespace kd {

namespace {

constexpr uint32_t kShellSuccessAbove = 32;  // lower values are error codes

std::string TextOrEmpty(Registry& registry, RegRoot root, const std::string& path,
                        const char* name) {
  return registry.ReadText(root, path, name).value_or(std::string());
}

}  // namespace

bool RunCommand(ProgramStarter& starter, const std::string& commandLine, int show) {
  if (commandLine.empty()) return false;
  return starter.WinExec(commandLine, show) > kShellSuccessAbove;
}

bool ShellOpen(ProgramStarter& starter, const std::string& target) {
  if (target.empty()) return false;
  return starter.ShellExecuteOpen(target) > kShellSuccessAbove;
}

namespace {

// A shell placeholder ("%1", "%L", "%*"), as opposed to a percent sign in
// a word or an environment variable: a percent sign, then one character,
// then the end, a blank or a quote.
bool PlaceholderAt(const std::string& text, std::size_t at) {
  if (text[at] != '%' || at + 1 >= text.size()) return false;
  const unsigned char c = static_cast<unsigned char>(text[at + 1]);
  const bool name = std::isalnum(c) || c == '*';
  const std::size_t after = at + 2;
  const bool ends = after == text.size() || text[after] == ' ' || text[after] == '\t' ||
                    text[after] == '"';
  const bool starts = at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t' || text[at - 1] == '"';
  return name && ends && starts;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

}  // namespace

std::string CutAfterProgram(const std::string& command) {
  // A quoted program path: it and nothing after it.
  if (command.size() > 1 && command[0] == '"') {
    const std::size_t quote = command.find('"', 1);
    return quote == std::string::npos ? command : command.substr(0, quote + 1);
  }
  // Unquoted: the switches stay, up to a quoted argument or a placeholder.
  for (std::size_t i = 0; i < command.size(); ++i) {
    if ((command[i] == '"' && i > 0) || PlaceholderAt(command, i))
      return TrimRight(command.substr(0, i));
  }
  return command;
}

std::string ShellOpenCommand(Registry& registry, const std::string& extension) {
  if (extension.empty() || !registry.KeyOpens(RegRoot::ClassesRoot, extension))
    return std::string();
  const std::string type = TextOrEmpty(registry, RegRoot::ClassesRoot, extension, "");
  return CutAfterProgram(
      registry.ReadExpandedText(RegRoot::ClassesRoot, type + "\\Shell\\Open\\Command", "")
          .value_or(std::string()));
}

std::string FileTypeName(Registry& registry, const std::string& extension) {
  if (extension.empty() || !registry.KeyOpens(RegRoot::ClassesRoot, extension))
    return std::string();
  const std::string type = TextOrEmpty(registry, RegRoot::ClassesRoot, extension, "");
  if (type.empty()) return std::string();  // the root's own default is no file type
  return TextOrEmpty(registry, RegRoot::ClassesRoot, type, "");
}

std::string FindMailCommand(Registry& registry) {
  const std::string clients = "Software\\Clients\\Mail";
  if (!registry.KeyOpens(RegRoot::LocalMachine, clients))
    return kFallbackMailCommand;
  const std::string client = TextOrEmpty(registry, RegRoot::LocalMachine, clients, "");
  const std::string commandKey = clients + "\\" + client + "\\shell\\open\\command";
  if (!registry.KeyOpens(RegRoot::LocalMachine, commandKey))
    return kFallbackMailCommand;
  const std::string command = TextOrEmpty(registry, RegRoot::LocalMachine, commandKey, "");
  if (command.empty()) return kFallbackMailCommand;
  return ExpandProgramFiles(registry, command);
}

std::string ExpandProgramFiles(Registry& registry, const std::string& commandLine) {
  if (commandLine.empty()) return std::string();
  const std::string programFiles =
      TextOrEmpty(registry, RegRoot::LocalMachine,
                  "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
  const std::size_t open = commandLine.find('%');
  if (open == std::string::npos) return commandLine;
  const std::size_t close = commandLine.find('%', open + 1);
  if (close == std::string::npos) return commandLine;
  const bool driveOnly = open + 1 < close && commandLine[open + 1] == 'S';
  const std::string value = driveOnly ? programFiles.substr(0, 2) : programFiles;
  return commandLine.substr(0, open) + value + commandLine.substr(close + 1);
}

std::string FindPersonalFolder(Registry& registry) {
  const std::string userFolders =
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders";
  if (registry.KeyOpens(RegRoot::CurrentUser, userFolders))
    return TextOrEmpty(registry, RegRoot::CurrentUser, userFolders, "Personal");
  // Stored there as "%USERPROFILE%\My Documents": unexpanded, it names no
  // folder the shell can open.
  return registry
      .ReadExpandedText(RegRoot::LocalMachine,
                        "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\User Shell Folders",
                        "Personal")
      .value_or(std::string());
}

SearchAddress FindSearchAddress(Registry& registry) {
  SearchAddress result;
  const std::string browser = "Software\\Microsoft\\Internet Explorer";
  if (registry.KeyOpens(RegRoot::LocalMachine, browser))
    result.IeMajorVersion =
        LeadingInteger(TextOrEmpty(registry, RegRoot::LocalMachine, browser, "Version"));
  const std::string main = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Main";
  if (registry.KeyOpens(RegRoot::LocalMachine, main))
    result.Address = TextOrEmpty(registry, RegRoot::LocalMachine, main, "Search Page");
  else
    result.Address = kDefaultSearchAddress;
  return result;
}

std::string AppPath(Registry& registry, const std::string& programFileName) {
  if (programFileName.empty()) return std::string();
  return registry
      .ReadExpandedText(RegRoot::LocalMachine,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + programFileName,
                        "")
      .value_or(std::string());
}

int LeadingInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) {
      value = static_cast<long long>(INT_MAX) + 1;
      break;
    }
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string FileTitle(const std::string& path) {
  if (path.empty()) return std::string();
  const std::size_t slash = path.rfind('\\');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  // The path's last character never counts as the dot ("abc." stays).
  const std::size_t dot = path.find('.', start);
  if (dot == std::string::npos || dot == path.size() - 1) return path.substr(start);
  return path.substr(start, dot - start);
}

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::vector<std::string>> SplitCommaList(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string CutOnCharacter(const std::string& text, std::size_t maxBytes,
                           const std::function<bool(uint8_t)>& isLeadByte) {
  // Only a walk from the start knows where characters begin: a trail byte
  // may have a lead byte's value.
  std::size_t end = 0;
  while (end < text.size()) {
    const bool pair = isLeadByte(static_cast<uint8_t>(text[end])) && end + 1 < text.size();
    const std::size_t next = end + (pair ? 2 : 1);
    if (next > maxBytes) break;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace kd
