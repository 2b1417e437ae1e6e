// Device discovery and installation through the Setup API. The driver
// update lives in newdev.dll, which the 9x family does not have: it is
// looked up when needed so that the program still starts there.
#include <vector>

#include "common/win/scoped.h"
#include "sweepall/win/win_platform.h"

namespace sweepall::win {

namespace {

constexpr DWORD kInstallFlagForce = 1;
constexpr DWORD kMaxClassName = 32;

using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);

}  // namespace

Win32DeviceSetup::~Win32DeviceSetup() {
  ClosePresentDevices();
  EndRootDevice();
}

long Win32DeviceSetup::OpenPresentDevices() {
  ClosePresentDevices();
  present_ = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  return present_ == INVALID_HANDLE_VALUE ? static_cast<long>(GetLastError()) : kOk;
}

long Win32DeviceSetup::ReadHardwareIds(std::uint32_t index, std::string* idList) {
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  if (!SetupDiEnumDeviceInfo(present_, index, &device)) return GetLastError();
  // Zero-filled with two spare zeros, so the list always ends even when the
  // stored property lacks its terminators; grown to what the API asks for.
  std::vector<BYTE> buf(256 + 2, 0);
  for (;;) {
    DWORD needed = 0;
    if (SetupDiGetDeviceRegistryPropertyA(present_, &device, SPDRP_HARDWAREID, nullptr,
                                          buf.data(), static_cast<DWORD>(buf.size() - 2),
                                          &needed)) {
      idList->assign(reinterpret_cast<const char*>(buf.data()), buf.size());
      return kOk;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed + 2 <= buf.size()) return error;
    buf.assign(needed + 2, 0);
  }
}

void Win32DeviceSetup::ClosePresentDevices() {
  if (present_ == INVALID_HANDLE_VALUE) return;
  // The caller may still want the search's last error.
  const DWORD error = GetLastError();
  SetupDiDestroyDeviceInfoList(present_);
  present_ = INVALID_HANDLE_VALUE;
  SetLastError(error);
}

long Win32DeviceSetup::BeginRootDevice(const std::string& infPath) {
  EndRootDevice();
  GUID classGuid;
  char className[kMaxClassName] = {};
  if (!SetupDiGetINFClassA(infPath.c_str(), &classGuid, className, kMaxClassName, nullptr))
    return GetLastError();
  rootList_ = SetupDiCreateDeviceInfoList(&classGuid, nullptr);
  if (rootList_ == INVALID_HANDLE_VALUE) return GetLastError();
  device_ = {};
  device_.cbSize = sizeof device_;
  if (!SetupDiCreateDeviceInfoA(rootList_, className, &classGuid, nullptr, nullptr,
                                DICD_GENERATE_ID, &device_))
    return GetLastError();
  haveDevice_ = true;
  return kOk;
}

long Win32DeviceSetup::SetHardwareId(const std::string& hardwareId) {
  if (!haveDevice_) return ERROR_INVALID_HANDLE;
  // A list of one ID: the ID, its terminator and the empty final string.
  std::vector<BYTE> list(hardwareId.begin(), hardwareId.end());
  list.push_back(0);
  list.push_back(0);
  if (!SetupDiSetDeviceRegistryPropertyA(rootList_, &device_, SPDRP_HARDWAREID, list.data(),
                                         static_cast<DWORD>(list.size())))
    return GetLastError();
  return kOk;
}

long Win32DeviceSetup::RegisterDevice() {
  if (!haveDevice_) return ERROR_INVALID_HANDLE;
  return SetupDiCallClassInstaller(DIF_REGISTERDEVICE, rootList_, &device_) ? kOk
                                                                              : GetLastError();
}

long Win32DeviceSetup::RemoveDevice() {
  if (!haveDevice_) return ERROR_INVALID_HANDLE;
  return SetupDiCallClassInstaller(DIF_REMOVE, rootList_, &device_) ? kOk : GetLastError();
}

void Win32DeviceSetup::EndRootDevice() {
  haveDevice_ = false;
  if (rootList_ == INVALID_HANDLE_VALUE) return;
  SetupDiDestroyDeviceInfoList(rootList_);
  rootList_ = INVALID_HANDLE_VALUE;
}

long Win32DeviceSetup::UpdateDriver(const std::string& hardwareId, const std::string& infPath) {
  common::ScopedLibrary newdev(LoadLibraryA("newdev.dll"));
  if (!newdev) return GetLastError();
  const auto update = reinterpret_cast<UpdateDriverFn>(
      reinterpret_cast<void*>(GetProcAddress(newdev.get(), "UpdateDriverForPlugAndPlayDevicesA")));
  if (!update) return GetLastError();
  BOOL rebootNeeded = FALSE;
  if (!update(nullptr, hardwareId.c_str(), infPath.c_str(), kInstallFlagForce, &rebootNeeded))
    return GetLastError();
  return kOk;
}

}  // namespace sweepall::win
