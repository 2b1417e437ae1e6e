#include "sweepall/uninstall_dialog.h"

#include "common/text.h"
#include "sweepall/script_text.h"

namespace sweepall {

namespace {

constexpr char kEnumKey[] = "System\\CurrentControlSet\\Enum";

}  // namespace

std::vector<std::string> ScriptCandidates(const std::string& name, SystemInfo& system) {
  std::vector<std::string> paths{name};
  std::string path;
  if (JoinWithin(kPathCapacity, &path, {system.WindowsDirectory(), "\\", name}))
    paths.push_back(path);
  paths.push_back("Sweepall.ini");
  return paths;
}

void UninstallDialog::Start(const std::string& commandLine, bool silent) {
  silent_ = silent;
  runner_.Reset();
  runner_.SetSilent(silent);
  header_ = ScriptHeader{};
  lines_.clear();
  p_.view.SetCaption(kDialogCaption);
  if (!ReadScript(commandLine)) {
    p_.view.AddStatusLine("INI file missing !");
    p_.view.AddStatusLine(commandLine);
    // Nobody is there to read it and click Exit.
    if (silent_) p_.view.Close(kExitScriptMissing);
    return;
  }
  ReadHeader();
  if (header_.log) log_.Enable();
  ActOnOption();
}

void UninstallDialog::OnOk() {
  runner_.Run(lines_, header_);
  p_.view.AddStatusLine("Uninstall Successful !");
  if (runner_.end_after_run()) p_.view.Close(0);
}

bool UninstallDialog::ReadScript(const std::string& commandLine) {
  std::string bytes;
  for (const std::string& path : ScriptCandidates(commandLine, p_.system)) {
    if (p_.files.ReadWhole(path, kMaxScriptBytes, &bytes)) {
      lines_ = SplitScriptLines(bytes);
      return true;
    }
  }
  return false;
}

void UninstallDialog::ReadHeader() {
  std::string key;
  std::string value;
  // Line 0 opens the header; it ends at the next section line.
  for (std::size_t i = 1; i < lines_.size() && CharAt(lines_[i], 0) != '['; ++i) {
    ParseHeaderLine(lines_[i], &key, &value);
    if (common::EqualsIgnoreCase(key, "Name")) {
      // At most 251 characters: the parse reads 256 of the line, "Name=" included.
      header_.name = value;
      p_.view.SetGroupCaption(header_.name);
    } else if (common::EqualsIgnoreCase(key, "Option")) {
      header_.option = TextToInt(value);
    } else if (common::EqualsIgnoreCase(key, "Uninstall")) {
      header_.uninstall = value;
    } else if (common::EqualsIgnoreCase(key, "Log")) {
      header_.log = TextToInt(value) != 0;
    }
  }
}

void UninstallDialog::ActOnOption() {
  // A silent start can't wait for OK: the options that would wait run at once.
  const int o = header_.option;
  const bool waitsForOk = o != 1 && o != 2 && o != 3 && o != 5;
  const int option = silent_ && waitsForOk ? 2 : o;
  switch (option) {
    case 0:
      p_.view.AddStatusLine("Normal Uninstall !");
      p_.view.TickTaskBoxes();
      return;
    case 1:
      if (Confirmed()) runner_.Run(lines_, header_);
      break;
    case 2:
      runner_.Run(lines_, header_);
      break;
    case 3:
      if (Confirmed()) {
        // Read before the run: the run deletes the key that holds it.
        std::string command;
        const bool haveCommand = ReadFollowUpCommand(&command);
        if (haveCommand) p_.view.AddStatusLine(command);
        runner_.Run(lines_, header_);
        if (haveCommand) p_.programs.Start(command);
      }
      break;
    case 5:
      if (MayChangeDeviceSecurity() && Confirmed()) runner_.Run(lines_, header_);
      break;
    default:
      return;  // the run starts on OK
  }
  p_.view.Close(0);
}

bool UninstallDialog::Confirmed() {
  return silent_ || p_.view.AskYesNo(p_.view.UninstallQuestion(), header_.name);
}

bool UninstallDialog::ReadFollowUpCommand(std::string* command) {
  std::string path;
  if (!NamesOneSubkey(header_.uninstall) ||
      !JoinWithin(kPathCapacity, &path, {kUninstallKeyPrefix, header_.uninstall}))
    return false;
  RegKey key = 0;
  if (p_.registry.OpenKey(kLocalMachine, path, kKeyRead, &key) != kOk) return false;
  const long r = p_.registry.QueryString(key, "Sweepall", kPathCapacity, command, nullptr);
  p_.registry.CloseKey(key);
  return r == kOk && !command->empty();
}

bool UninstallDialog::MayChangeDeviceSecurity() {
  RegKey key = 0;
  if (p_.registry.OpenKey(kLocalMachine, kEnumKey, kWriteDac, &key) != kOk) return false;
  p_.registry.CloseKey(key);
  return true;
}

}  // namespace sweepall
