// The application window: hidden, it owns every form of Keydeck, so that
// none gets a task-bar button. Its title is the one a second start looks
// for, and the one Keydeck's error boxes carry.
#pragma once

namespace kd {

inline constexpr const char* kApplicationClass = "TApplication";
inline constexpr const char* kApplicationTitle = "WIRELESS KEYBOARD";

}  // namespace kd
