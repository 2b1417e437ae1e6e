#include "sweepall/system_services.h"

#include <string_view>

#include "common/text.h"
#include "sweepall/script_text.h"

namespace sweepall {

namespace {

constexpr unsigned kExitReboot = 2;
constexpr unsigned kExitRebootForce = 6;  // reboot | force

// Every string of a list of zero-terminated strings, ended by an empty one.
bool ListHolds(const std::string& list, std::string_view id) {
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t end = list.find('\0', pos);
    const std::string_view item(list.data() + pos,
                                (end == std::string::npos ? list.size() : end) - pos);
    if (item.empty()) break;
    if (common::EqualsIgnoreCase(item, id)) return true;
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return false;
}

// Empty, or backslashes only: the registry would read it as the key it is
// taken under.
bool NamesNoKey(const std::string& path) {
  return path.find_first_not_of('\\') == std::string::npos;
}

}  // namespace

int SystemServices::LocateInfFile(const std::string& name) {
  std::string path;
  bool fits;
  if (CharAt(name, 1) == ':') {
    fits = JoinWithin(kPathCapacity, &path, {name});
  } else {
    // A drive root such as "C:\" already ends in a backslash.
    const std::string dir = system_.CurrentDirectory();
    fits = JoinWithin(kPathCapacity, &path, {dir, dir.size() > 3 ? "\\" : "", name});
  }
  if (!fits || !files_.AnyMatch(path)) {
    fits = JoinWithin(kPathCapacity, &path, {system_.WindowsDirectory(), "\\inf\\", name});
    if (!fits || !files_.AnyMatch(path)) return 0;
  }
  locatedInf_ = path;
  return 1;
}

DeviceSearch SystemServices::FindDeviceByHardwareId(const std::string& hardwareId) {
  DeviceSearch result;
  result.error = devices_.OpenPresentDevices();
  if (result.error != kOk) return result;
  for (std::uint32_t index = 0;; ++index) {
    std::string ids;
    const long r = devices_.ReadHardwareIds(index, &ids);
    if (r == kErrorInvalidData) continue;  // a device without hardware IDs
    if (r != kOk) {
      result.error = r;
      break;
    }
    if (ListHolds(ids, hardwareId)) {
      result.found = true;
      break;
    }
  }
  devices_.ClosePresentDevices();
  return result;
}

bool SystemServices::InstallRootDevice(const std::string& hardwareId,
                                       const std::string& infPath) {
  long error = devices_.BeginRootDevice(infPath);
  if (error == kOk) error = devices_.SetHardwareId(hardwareId);
  if (error == kOk) error = devices_.RegisterDevice();
  if (error == kOk) {
    error = devices_.UpdateDriver(hardwareId, infPath);
    // A failed install must leave no device behind; the update's error
    // is the one reported.
    if (error != kOk) devices_.RemoveDevice();
  }
  devices_.EndRootDevice();
  return error == kOk;
}

int SystemServices::UpdateDeviceDriver(const std::string& infPath,
                                       const std::string& hardwareId) {
  if (!LocateInfFile(infPath)) return 0;
  const std::string inf = locatedInf_;
  const DeviceSearch search = FindDeviceByHardwareId(hardwareId);
  if (search.found) return devices_.UpdateDriver(hardwareId, inf) == kOk ? 1 : 0;
  if (search.error != kErrorNoMoreItems) return 0;
  return InstallRootDevice(hardwareId, inf) ? 1 : 0;
}

int SystemServices::ResetKeySecurity(RegKey root, const std::string& subkey) {
  if (!system_.IsNtFamily()) return 0;
  return ResetOneKey(root, subkey) == kOk ? 1 : 0;
}

long SystemServices::ResetOneKey(RegKey root, const std::string& subkey) {
  // An empty name would open the root itself, and its new list would lock
  // every other account (SYSTEM included) out of the whole hive.
  if (NamesNoKey(subkey)) return kErrorBadKey;
  RegKey key = 0;
  // A link gets a list of its own; its target is left alone.
  long r = registry_.OpenKeyNoFollow(root, subkey, kWriteDac, &key);
  if (r != kOk) return r;
  r = registry_.ResetSecurity(key);
  registry_.CloseKey(key);
  return r;
}

long SystemServices::ResetKeySecurityTree(RegKey root, const std::string& subkey) {
  if (NamesNoKey(subkey)) return kErrorBadKey;
  RegKey key = 0;
  long r = registry_.OpenKeyNoFollow(root, subkey, kEnumerateAndDelete | kQueryValue, &key);
  if (r != kOk) return r;
  // A link's target is no part of this tree (and may be its ancestor).
  const bool link = registry_.IsLink(key);
  // A subkey that can't be reset doesn't stop the walk, but the tree then
  // was not reset: the first failure is the result.
  long first = kOk;
  for (std::uint32_t index = 0; !link; ++index) {
    std::string name;
    r = registry_.EnumSubkey(key, index, &name);
    if (r == kErrorNoMoreItems) break;
    if (r != kOk) {
      registry_.CloseKey(key);
      return r;
    }
    const long own = ResetOneKey(key, name);
    const long below = ResetKeySecurityTree(key, name);
    if (first == kOk) first = own != kOk ? own : below;
  }
  r = ResetOneKey(root, subkey);
  registry_.CloseKey(key);
  return first != kOk ? first : r;
}

long SystemServices::DeleteKeyTree(RegKey root, const std::string& subkey) {
  if (NamesNoKey(subkey)) return kErrorBadKey;
  RegKey key = 0;
  long r = registry_.OpenKeyNoFollow(root, subkey, kEnumerateAndDelete | kQueryValue, &key);
  if (r != kOk) return r;
  // A link goes as a link: deleting by name would reach its target.
  if (registry_.IsLink(key)) {
    r = registry_.DeleteOpenedKey(key);
    registry_.CloseKey(key);
    return r;
  }
  // Index 0 every time: the subkey just deleted no longer counts. A name
  // that comes back after its deletion reported success would loop.
  std::string previous;
  for (bool first = true;; first = false) {
    std::string name;
    r = registry_.EnumSubkey(key, 0, &name);
    if (r == kErrorNoMoreItems) break;
    if (r == kOk && !first && common::EqualsIgnoreCase(name, previous)) r = kErrorAccessDenied;
    if (r == kOk) r = DeleteKeyTree(key, name);
    previous = name;
    if (r != kOk) {
      registry_.CloseKey(key);
      return r;
    }
  }
  r = registry_.DeleteKey(root, subkey);
  registry_.CloseKey(key);
  return r;
}

long SystemServices::DeleteEmptyKey(RegKey root, const std::string& subkey) {
  if (NamesNoKey(subkey)) return kErrorBadKey;
  if (root == kNoRoot) return kErrorInvalidHandle;
  RegKey key = 0;
  long r = registry_.OpenKeyNoFollow(root, subkey, kKeyRead, &key);
  if (r != kOk) return r;
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;
  r = registry_.CountEntries(key, &subkeys, &values);
  registry_.CloseKey(key);
  if (r != kOk) return r;
  if (subkeys != 0 || values != 0) return kErrorDirNotEmpty;
  // Plain deletion: on the NT family it refuses a key that got a subkey
  // meanwhile; nothing in an empty key can be lost on the 9x family.
  return registry_.DeleteKey(root, subkey);
}

bool SystemServices::TreeHoldsLink(RegKey root, const std::string& subkey) {
  RegKey key = 0;
  if (NamesNoKey(subkey) || registry_.OpenKeyNoFollow(root, subkey, kKeyRead, &key) != kOk)
    return false;
  // Links are not followed, so the walk ends.
  bool found = registry_.IsLink(key);
  for (std::uint32_t index = 0; !found; ++index) {
    std::string name;
    if (registry_.EnumSubkey(key, index, &name) != kOk) break;
    found = TreeHoldsLink(key, name);
  }
  registry_.CloseKey(key);
  return found;
}

long SystemServices::RestoreAudioCdPlayCommand(const KeptCommand* kept) {
  RegKey key = 0;
  long r = registry_.OpenKey(kClassesRoot, "AudioCD\\shell\\play\\command",
                             kKeyAllAccess, &key);
  if (r != kOk) return r;
  std::string command;
  bool fits;
  if (kept) {
    fits = JoinWithin(kPathCapacity, &command, {kept->text});
  } else if (system_.IsNtFamily()) {
    fits = JoinWithin(kPathCapacity, &command, {system_.SystemDirectory(), "\\cdplayer /play %1"});
  } else {
    fits = JoinWithin(kPathCapacity, &command, {system_.WindowsDirectory(), "\\cdplayer /play"});
  }
  // The kept command goes back as the registry's own tools store a string,
  // with its terminator (the 9x family would store it without).
  if (kept) command.push_back('\0');
  r = fits ? registry_.SetString(key, "", command, kept && kept->expandable)
           : kErrorFilenameTooLong;
  registry_.CloseKey(key);
  return r;
}

std::string SystemServices::GetProgramsFolder() {
  const bool nt = system_.IsNtFamily();
  const RegKey root = nt ? kLocalMachine : kUsers;
  const char* path =
      nt ? "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
         : ".DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  RegKey key = 0;
  // Full access is asked on purpose: a user who may not write there gets
  // the fixed folder instead.
  if (registry_.OpenKey(root, path, kKeyAllAccess, &key) != kOk)
    return nt ? "c:\\WinNT\\start" : "c:\\Windows\\start";
  std::string folder;
  if (registry_.QueryString(key, nt ? "Common Programs" : "Programs",
                            kPathCapacity, &folder, nullptr) != kOk)
    folder.clear();
  registry_.CloseKey(key);
  if (folder.size() >= kPathCapacity) folder.clear();
  return folder;
}

bool SystemServices::OpenControlPanelApplet(const std::string& text) {
  std::string command;
  const bool fits =
      text.empty()
          ? JoinWithin(kPathCapacity, &command, {"rundll32.exe shell32.dll,Control_RunDLL"})
          : JoinWithin(kPathCapacity, &command,
                       {"rundll32.exe shell32.dll,Control_RunDLL", " ", text});
  if (!fits) return false;
  return programs_.Start(command) >= 32;
}

bool SystemServices::RestartWithShutdownPrivilege() {
  if (!power_.EnableShutdownPrivilege()) return false;
  return power_.EndSession(kExitRebootForce);
}

bool SystemServices::RequestRestart() { return power_.EndSession(kExitReboot); }

}  // namespace sweepall
