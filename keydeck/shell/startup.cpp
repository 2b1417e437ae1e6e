#include "keydeck/shell/startup.h"

#include "keydeck/ui/application.h"

namespace kd {

std::string CommandTail(const std::string& commandLine) {
  size_t i = 0;
  const size_t n = commandLine.size();
  if (n > 0 && commandLine[0] == '"') {
    i = commandLine.find('"', 1);
    i = i == std::string::npos ? n : i + 1;
  } else {
    while (i < n && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return commandLine.substr(i);
}

char AutoPlayDrive(const std::string& tail) {
  if (tail.size() < 2 || tail[0] != '/' || tail[1] != 'p') return 0;
  std::size_t i = 2;
  while (i < tail.size() && (tail[i] == ' ' || tail[i] == '\t')) ++i;
  if (i < tail.size() && tail[i] == '"') ++i;
  if (i + 1 >= tail.size() || tail[i + 1] != ':') return 0;
  const char letter = tail[i];
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

StartKind DecideStart(const std::string& tail, WindowSystem& windows, MessageBoxes& boxes,
                      InstanceLock& instance) {
  if (!tail.empty() && tail[0] == '/') {
    uint32_t message = 0;
    uintptr_t wParam = 1;
    if (tail.size() >= 2) {
      switch (tail[1]) {
        case 'p':
          // A drive after it: AutoPlay started this copy for an inserted disc.
          if (const char drive = AutoPlayDrive(tail)) {
            message = kWmKdPlayDisc;
            wParam = static_cast<unsigned char>(drive);
          } else {
            message = kWmKdLocks;
          }
          break;
        case 'q': message = kWmQuit; break;
        case 'u': message = kWmKdReload; break;
        default: break;
      }
    }
    if (message != 0) {
      const WindowId running = windows.FindTopLevel(kSetupFrmClass, kSetupFrmTitle);
      if (running != 0) windows.Post(running, message, message == kWmQuit ? 0 : wParam, 0);
    }
    return StartKind::RemoteCall;
  }
  // The window of a running copy (an older one has no named object), or
  // the named object of one whose windows are not made yet.
  if (windows.FindTopLevel(kApplicationClass, kApplicationTitle) != 0 || !instance.Claim()) {
    boxes.Show(kAlreadyInstalled, "Message", kMbOk);
    return StartKind::AlreadyRunning;
  }
  return StartKind::Run;
}

std::string RegistryEditorPath(const std::string& windowsDirectory) {
  std::string path = windowsDirectory;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + "regedit.exe";
}

bool LoadWithImport(const std::function<bool()>& load, const std::string& windowsDirectory,
                    ProcessRunner& runner, MessageBoxes& boxes) {
  if (load()) return true;
  runner.RunAndWait(RegistryEditorPath(windowsDirectory), kKeymapImportArguments);
  if (load()) return true;
  boxes.Show(kRegistryDataNotFound, nullptr, kMbOk);
  return false;
}

}  // namespace kd
