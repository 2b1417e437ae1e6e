// Win32 implementations of the shell's service interfaces.
#pragma once

#include <windows.h>

#include "keydeck/shell/language.h"
#include "keydeck/shell/platform.h"
#include "keydeck/shell/registry.h"

namespace kd {

class WinRegistryAccess final : public RegistryAccess {
 public:
  long OpenKey(HKeyRoot root, const std::string& path, uint32_t access, RegHandle* key) override;
  long CreateKey(HKeyRoot root, const std::string& path, uint32_t access, RegHandle* key) override;
  long CloseKey(RegHandle key) override;
  long QueryValue(RegHandle key, const char* name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override;
  long SetValue(RegHandle key, const char* name, uint32_t type, const uint8_t* data,
                uint32_t size) override;
};

class WinWindowSystem final : public WindowSystem {
 public:
  WindowId FindTopLevel(const std::string& className, const std::string& title) override;
  bool Post(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
};

class WinMessageBoxes final : public MessageBoxes {
 public:
  explicit WinMessageBoxes(HWND owner = nullptr) : owner_(owner) {}
  int Show(const std::string& text, const char* caption, uint32_t flags) override;

 private:
  HWND owner_;
};

// A named mutex, held (not owned) until the process ends.
class WinInstanceLock final : public InstanceLock {
 public:
  WinInstanceLock() = default;
  ~WinInstanceLock() override;
  WinInstanceLock(const WinInstanceLock&) = delete;
  WinInstanceLock& operator=(const WinInstanceLock&) = delete;
  bool Claim() override;

 private:
  HANDLE mutex_ = nullptr;
};

class WinProcessRunner final : public ProcessRunner {
 public:
  bool RunAndWait(const std::string& program, const std::string& arguments) override;
};

class WinScreenMetrics final : public ScreenMetrics {
 public:
  int Width() const override;
  int Height() const override;
};

// String resources of a module (this program's by default).
class ResourceStringTable final : public StringTable {
 public:
  explicit ResourceStringTable(HINSTANCE module = nullptr) : module_(module) {}
  bool Load(unsigned id, std::string* text) const override;

 private:
  HINSTANCE module_;
};

// The Windows directory; empty when it cannot be read.
std::string WindowsDirectory();

}  // namespace kd
