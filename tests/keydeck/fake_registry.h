// An in-memory registry that answers like the system's: case-insensitive
// key names, ERROR_MORE_DATA with the needed size, 161 for a path with a
// leading backslash, and no key created by opening.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "keydeck/shell/registry.h"

namespace kd::test {

struct FakeValue {
  uint32_t Type = kRegNone;
  std::vector<uint8_t> Data;
};

class FakeRegistry : public RegistryAccess {
 public:
  // Creates the key (and its parents) under HKEY_LOCAL_MACHINE unless a
  // root is given.
  void AddKey(const std::string& path, HKeyRoot root = HKeyRoot::LocalMachine);
  void RemoveKey(const std::string& path, HKeyRoot root = HKeyRoot::LocalMachine);
  void SetText(const std::string& path, const std::string& name, const std::string& text);
  void SetTextWithoutTerminator(const std::string& path, const std::string& name, const std::string& text);
  void SetDword(const std::string& path, const std::string& name, uint32_t value);
  void SetBinary(const std::string& path, const std::string& name, std::vector<uint8_t> bytes);
  void SetRaw(const std::string& path, const std::string& name, uint32_t type, std::vector<uint8_t> bytes);
  void RemoveValue(const std::string& path, const std::string& name);
  bool HasKey(const std::string& path, HKeyRoot root = HKeyRoot::LocalMachine) const;
  // The stored value, or nullptr.
  const FakeValue* Value(const std::string& path, const std::string& name) const;
  std::string Text(const std::string& path, const std::string& name) const;
  uint32_t Dword(const std::string& path, const std::string& name) const;

  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  int Writes() const { return writes_; }
  // Keys open, but neither values nor keys can be written (a user of the
  // NT family without rights to the machine's keys).
  bool ReadOnly = false;
  std::vector<uint32_t> OpenAccessLog() const { return accessLog_; }

  long OpenKey(HKeyRoot root, const std::string& path, uint32_t access, RegHandle* key) override;
  long CreateKey(HKeyRoot root, const std::string& path, uint32_t access, RegHandle* key) override;
  long CloseKey(RegHandle key) override;
  long QueryValue(RegHandle key, const char* name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override;
  long SetValue(RegHandle key, const char* name, uint32_t type, const uint8_t* data,
                uint32_t size) override;

 private:
  using Values = std::map<std::string, FakeValue>;  // upper-cased value name
  static std::string Normalise(HKeyRoot root, const std::string& path, bool* ok);

  std::map<std::string, Values> keys_;  // upper-cased "root\path"
  std::map<RegHandle, std::string> handles_;
  std::map<RegHandle, uint32_t> handleAccess_;
  RegHandle next_ = 1;
  int writes_ = 0;
  std::vector<uint32_t> accessLog_;
};

}  // namespace kd::test
