// sweepall.exe: runs the uninstall script named on its command line.
#include <windows.h>

#include "sweepall/win/dialog_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return sweepall::win::RunUninstallDialog(instance, commandLine ? commandLine : "");
}
