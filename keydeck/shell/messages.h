// Window messages Keydeck's control form answers, and the form's identity.
#pragma once

#include <cstdint>

namespace kd {

constexpr uint32_t kWmQuit = 0x12;
constexpr uint32_t kWmPowerBroadcast = 0x218;
constexpr uint32_t kMmMixmControlChange = 0x3D1;
constexpr uint32_t kWmKdDriver = 0x464;
constexpr uint32_t kWmKdHotkey = 0x500;
constexpr uint32_t kWmKdLocks = 0x501;
constexpr uint32_t kWmKdReload = 0x502;
// From a second copy started by AutoPlay with "/p" and a drive: play the
// inserted disc in the panel. wParam: the drive letter.
constexpr uint32_t kWmKdPlayDisc = 0x503;
constexpr uint32_t kWmKdMenu = 0x602;

inline constexpr const char* kSetupFrmClass = "TSetupFrm";
inline constexpr const char* kSetupFrmTitle = "WIRELESS KEYBOARD SETUP";
// The named object a running copy holds from its first moment on.
inline constexpr const char* kInstanceObjectName = "KeydeckInstance";

}  // namespace kd
