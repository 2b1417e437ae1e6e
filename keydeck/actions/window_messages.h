// The Win32 message, command and show-state numbers that the actions post
// to other programs' windows or hand to the desktop; the action logic
// builds without windows.h.
#pragma once

#include <cstdint>

namespace kd {

constexpr uint32_t kWmCommand = 0x111;
constexpr uint32_t kWmSysCommand = 0x112;
constexpr uint32_t kWmVScroll = 0x115;
constexpr uint32_t kWmAppCommand = 0x319;
constexpr uint32_t kScClose = 0xF060;
constexpr uint32_t kScScreenSave = 0xF140;
constexpr uint32_t kSbLineUp = 0;
constexpr uint32_t kSbLineDown = 1;
constexpr int kSwShowMaximized = 3;
constexpr int kSwShow = 5;
constexpr int kSwMinimize = 6;

}  // namespace kd
