#include "keydeck/shell/reg_key.h"

#include <cstdio>
#include <cstring>

namespace kd {

RegKey::RegKey(RegistryAccess& registry, HKeyRoot root, uint32_t access)
    : registry_(registry), root_(root), access_(access) {}

RegKey::~RegKey() { Close(); }

bool RegKey::Open(const std::string& path) { return OpenOrCreate(path, false); }

bool RegKey::Create(const std::string& path) { return OpenOrCreate(path, true); }

bool RegKey::OpenOrCreate(const std::string& path, bool create) {
  Close();
  path_ = path;
  // The NT family refuses a path with a leading backslash (error 161)
  // where the 9x family accepts it; both open the same key without it.
  const size_t start = path_.find_first_not_of('\\');
  const std::string relative = start == std::string::npos ? std::string() : path_.substr(start);
  RegHandle key = 0;
  status_ = create ? registry_.CreateKey(root_, relative, access_, &key)
                  : registry_.OpenKey(root_, relative, access_, &key);
  if (status_ != kErrSuccess) return false;
  key_ = key;
  return true;
}

void RegKey::Close() {
  if (key_ == 0) return;
  status_ = registry_.CloseKey(key_);
  key_ = 0;
}

uint32_t RegKey::ReadNumber(const char* name) {
  if (key_ == 0) {
    status_ = kErrInvalidHandle;
    return 0;
  }
  uint8_t buf[4] = {};
  uint32_t type = kRegNone;
  uint32_t size = sizeof buf;
  status_ = registry_.QueryValue(key_, name, &type, buf, &size);
  if (status_ != kErrSuccess) return 0;
  // A number stored as text or as a short binary would otherwise be read
  // as whatever bytes it happens to hold.
  if ((type != kRegDword && type != kRegBinary) || size != 4) {
    status_ = kErrInvalidData;
    return 0;
  }
  return static_cast<uint32_t>(buf[0]) | static_cast<uint32_t>(buf[1]) << 8 |
         static_cast<uint32_t>(buf[2]) << 16 | static_cast<uint32_t>(buf[3]) << 24;
}

std::string RegKey::ReadText(const char* name) {
  if (key_ == 0) {
    status_ = kErrInvalidHandle;
    return {};
  }
  char buf[kTextBufferSize];
  std::memset(buf, 0, sizeof buf);
  uint32_t type = kRegNone;
  uint32_t size = sizeof buf;
  status_ = registry_.QueryValue(key_, name, &type, reinterpret_cast<uint8_t*>(buf), &size);
  if (status_ != kErrSuccess) return {};
  if (type != kRegSz && type != kRegExpandSz) {
    status_ = kErrInvalidData;
    return {};
  }
  // The stored text need not carry its terminator.
  if (size > sizeof buf) size = sizeof buf;
  return std::string(buf, strnlen(buf, size));
}

long RegKey::ReadBytes(const char* name, uint8_t* buffer, uint32_t* size) {
  if (key_ == 0) return status_ = kErrInvalidHandle;
  uint32_t type = kRegNone;
  status_ = registry_.QueryValue(key_, name, &type, buffer, size);
  return status_;
}

long RegKey::ValueInfo(const char* name, uint32_t* type, uint32_t* size) {
  if (key_ == 0) return status_ = kErrInvalidHandle;
  *size = 0;
  status_ = registry_.QueryValue(key_, name, type, nullptr, size);
  return status_;
}

bool RegKey::WriteText(const char* name, const std::string& text) {
  if (key_ == 0) {
    status_ = kErrInvalidHandle;
    return false;
  }
  // The terminator is stored too, so that readers which trust it find it.
  status_ = registry_.SetValue(key_, name, kRegSz, reinterpret_cast<const uint8_t*>(text.c_str()),
                               static_cast<uint32_t>(text.size() + 1));
  return status_ == kErrSuccess;
}

bool RegKey::WriteNumber(const char* name, uint32_t value) {
  if (key_ == 0) {
    status_ = kErrInvalidHandle;
    return false;
  }
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  status_ = registry_.SetValue(key_, name, kRegDword, bytes, 4);
  return status_ == kErrSuccess;
}

std::string RowKeyName(int row) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(static_cast<uint32_t>(row)));
  return buf;
}

}  // namespace kd
