// The system services the uninstall script's sections call: driver update,
// registry security reset, key-tree deletion, the audio-CD play command,
// the Programs folder, control-panel applets and restart. Each reports
// through its result only; the caller logs.
#pragma once

#include <string>

#include "sweepall/platform.h"

namespace sweepall {

// An audio-CD play command kept before the product changed it.
struct KeptCommand {
  std::string text;
  bool expandable = false;  // stored as REG_EXPAND_SZ
};

struct DeviceSearch {
  bool found = false;
  long error = kOk;  // kErrorNoMoreItems when no present device has the ID
};

class SystemServices {
 public:
  SystemServices(Registry& registry, FileSystem& files, SystemInfo& system,
                 Programs& programs, DeviceSetup& devices, Power& power)
      : registry_(registry), files_(files), system_(system),
        programs_(programs), devices_(devices), power_(power) {}

  bool IsNtFamily() { return system_.IsNtFamily(); }

  // 1 on success, 0 on failure.
  int UpdateDeviceDriver(const std::string& infPath, const std::string& hardwareId);
  // 1 with the path stored in located_inf(), or 0.
  int LocateInfFile(const std::string& name);
  const std::string& located_inf() const { return locatedInf_; }
  DeviceSearch FindDeviceByHardwareId(const std::string& hardwareId);
  bool InstallRootDevice(const std::string& hardwareId, const std::string& infPath);

  // 1 on success, 0 on failure, for an empty subkey or on the 9x family.
  int ResetKeySecurity(RegKey root, const std::string& subkey);
  // Registry result codes: 0 on success, kErrorBadKey for an empty path.
  // The tree's reset goes on past a key it can't reset and then reports
  // the first such failure.
  long ResetKeySecurityTree(RegKey root, const std::string& subkey);
  long DeleteKeyTree(RegKey root, const std::string& subkey);
  // Deletes the key only when it holds no subkeys and no values (a link
  // holds its target as a value); kErrorDirNotEmpty when it is kept.
  long DeleteEmptyKey(RegKey root, const std::string& subkey);
  // True when the key named or a key below it is a registry link.
  bool TreeHoldsLink(RegKey root, const std::string& subkey);
  // Writes the kept command back (with its terminator) when there is one,
  // else the CD Player's (without).
  long RestoreAudioCdPlayCommand(const KeptCommand* kept);
  // May be empty when the Shell Folders key holds no such value.
  std::string GetProgramsFolder();
  bool OpenControlPanelApplet(const std::string& text);
  bool RestartWithShutdownPrivilege();
  // The 9x family's restart: no privilege, no force.
  bool RequestRestart();

 private:
  Registry& registry_;
  FileSystem& files_;
  SystemInfo& system_;
  Programs& programs_;
  DeviceSetup& devices_;
  Power& power_;
  // ResetKeySecurity's registry result.
  long ResetOneKey(RegKey root, const std::string& subkey);

  std::string locatedInf_;
};

}  // namespace sweepall
