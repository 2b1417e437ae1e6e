// What a start of keydeck.exe is: a remote-control call to the running
// copy, a refused second start, or the real start; and the settings load
// with its one-time import of the keymap file.
#pragma once

#include <functional>
#include <string>

#include "keydeck/shell/messages.h"
#include "keydeck/shell/platform.h"

namespace kd {

inline constexpr const char* kAlreadyInstalled = "Program already installed !";
inline constexpr const char* kRegistryDataNotFound = "Registry data not found !";
inline constexpr const char* kKeymapImportArguments = " -s qKeymap.reg ";

enum class StartKind {
  RemoteCall,      // a "/" command line: handled, the process ends
  AlreadyRunning,  // refused with a message box, the process ends
  Run,             // the real start
};

// The command line after the program name and the blanks that follow it;
// the name may be quoted.
std::string CommandTail(const std::string& commandLine);

// The drive letter (upper case) of "/p" followed by a drive, as the audio-CD
// AutoPlay command passes it (D:\, perhaps quoted); 0 for a plain "/p" or
// anything else after it.
char AutoPlayDrive(const std::string& tail);

// Handles a "/" command (posting to the running copy when there is one)
// or the single-instance test: a running copy's window, or its named
// object, which a plain start takes and holds. Call before this process
// creates windows.
StartKind DecideStart(const std::string& tail, WindowSystem& windows, MessageBoxes& boxes,
                      InstanceLock& instance);

// Loads the settings; when that fails, imports the keymap file of the
// current directory silently through the registry editor and loads once
// more. A second failure shows the box and gives false.
bool LoadWithImport(const std::function<bool()>& load, const std::string& windowsDirectory,
                    ProcessRunner& runner, MessageBoxes& boxes);

// Where the registry editor lives.
std::string RegistryEditorPath(const std::string& windowsDirectory);

}  // namespace kd
