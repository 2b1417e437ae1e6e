// The registry as the settings code needs it: open, close, query, set.
// Status values are the system's error numbers so that the Win32 layer can
// pass them through unchanged and the fakes can imitate them.
#pragma once

#include <cstdint>
#include <string>

namespace kd {

// Numeric values of the predefined root keys.
enum class HKeyRoot : uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

using RegHandle = uintptr_t;  // 0 = no key

constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyAllAccess = 0xF003F;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyCreateSubKey = 0x0004;

constexpr long kErrSuccess = 0;
constexpr long kErrFileNotFound = 2;
constexpr long kErrAccessDenied = 5;
constexpr long kErrInvalidHandle = 6;
constexpr long kErrInvalidData = 13;
constexpr long kErrBadPathname = 161;
constexpr long kErrMoreData = 234;

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // Opens an existing key; never creates one.
  virtual long OpenKey(HKeyRoot root, const std::string& path, uint32_t access,
                       RegHandle* key) = 0;
  // Opens root\path, making it first when it does not exist yet.
  virtual long CreateKey(HKeyRoot root, const std::string& path, uint32_t access,
                         RegHandle* key) = 0;
  virtual long CloseKey(RegHandle key) = 0;
  // Like RegQueryValueEx: name nullptr or "" is the default value; data may
  // be nullptr to ask for type and size only. *size is the buffer size on
  // entry and the stored size on return (also on kErrMoreData).
  virtual long QueryValue(RegHandle key, const char* name, uint32_t* type,
                          uint8_t* data, uint32_t* size) = 0;
  virtual long SetValue(RegHandle key, const char* name, uint32_t type,
                        const uint8_t* data, uint32_t size) = 0;
};

}  // namespace kd
