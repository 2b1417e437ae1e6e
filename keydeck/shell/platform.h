// The few system services the shell's decisions need, named for what they
// do. The Win32 layer implements them; host tests use recording fakes.
#pragma once

#include <cstdint>
#include <string>

namespace kd {

using WindowId = uintptr_t;  // 0 = no window

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // A top-level window by class name and title; 0 when there is none.
  virtual WindowId FindTopLevel(const std::string& className, const std::string& title) = 0;
  virtual bool Post(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

// Message box flags and results with the system's values.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconError = 0x10;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // caption nullptr: the system's default title.
  virtual int Show(const std::string& text, const char* caption, uint32_t flags) = 0;
};

// The named object a running copy holds for its whole life. Its windows
// come late in the start, so two starts at once would both miss them.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True for the first copy; false when another copy holds the object.
  virtual bool Claim() = 0;
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts program with the argument text appended to its quoted path and
  // waits for it to end. False when it could not be started.
  virtual bool RunAndWait(const std::string& program, const std::string& arguments) = 0;
};

class ScreenMetrics {
 public:
  virtual ~ScreenMetrics() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

}  // namespace kd
