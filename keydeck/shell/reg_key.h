// RegKey: one registry key with the last status of the calls made on it.
// A number or text that cannot be read (missing, wrong type, too long)
// reads as 0 or the empty text; Status() tells why.
#pragma once

#include <cstdint>
#include <string>

#include "keydeck/shell/registry.h"

namespace kd {

class RegKey {
 public:
  static constexpr uint32_t kTextBufferSize = 260;

  explicit RegKey(RegistryAccess& registry, HKeyRoot root = HKeyRoot::LocalMachine,
                  uint32_t access = kKeyAllAccess);
  ~RegKey();
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  HKeyRoot Root() const { return root_; }
  uint32_t Access() const { return access_; }
  const std::string& Path() const { return path_; }
  long Status() const { return status_; }
  bool IsOpen() const { return key_ != 0; }

  // Opens root\path (closing a key still open); true on status 0. Leading
  // backslashes of the path are ignored.
  bool Open(const std::string& path);
  // The same, making the key when it does not exist yet.
  bool Create(const std::string& path);
  void Close();

  // A REG_DWORD (or 4 bytes of REG_BINARY); 0 when unreadable.
  uint32_t ReadNumber(const char* name);
  // A REG_SZ/REG_EXPAND_SZ of up to 260 bytes; nullptr or "" names the
  // default value. Empty when unreadable, including when longer.
  std::string ReadText(const char* name);
  // Up to *size bytes of any type into buffer; *size becomes the stored
  // size. Returns the status.
  long ReadBytes(const char* name, uint8_t* buffer, uint32_t* size);
  // Type and size of a value without reading it.
  long ValueInfo(const char* name, uint32_t* type, uint32_t* size);

  bool WriteText(const char* name, const std::string& text);
  bool WriteNumber(const char* name, uint32_t value);

 private:
  bool OpenOrCreate(const std::string& path, bool create);

  RegistryAccess& registry_;
  HKeyRoot root_;
  uint32_t access_;
  std::string path_;
  RegHandle key_ = 0;
  long status_ = kErrSuccess;
};

// Name of row key i: 16 upper-case hexadecimal digits, zero-padded.
std::string RowKeyName(int row);

}  // namespace kd
