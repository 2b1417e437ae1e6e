// sweepall.exe: runs the uninstall script named on its command line, after
// the switches of launch.h.
#include <windows.h>

#include "sweepall/launch.h"
#include "sweepall/win/dialog_window.h"
#include "sweepall/win/win_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using namespace sweepall;
  const LaunchRequest request = ParseLaunchRequest(commandLine ? commandLine : "");
  win::Win32ProgramCopy copy;
  win::Win32FileSystem files;
  win::Win32SystemInfo system;
  Launcher launcher(copy, files, system);
  if (!launcher.BeforeDialog(request)) return 0;  // the temporary copy carries on
  const int result = win::RunUninstallDialog(instance, request.script, request.silent);
  launcher.AfterDialog(request);
  return result;
}
