#include "tests/keydeck/fake_registry.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace kd::test {
namespace {

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string ValueKey(const char* name) { return Upper(name ? name : ""); }

}  // namespace

std::string FakeRegistry::Normalise(HKeyRoot root, const std::string& path, bool* ok) {
  *ok = true;
  if (!path.empty() && path[0] == '\\') *ok = false;
  std::string p = path;
  while (!p.empty() && p.back() == '\\') p.pop_back();
  if (p.find("\\\\") != std::string::npos) *ok = false;
  return Upper(std::to_string(static_cast<uint32_t>(root)) + "\\" + p);
}

void FakeRegistry::AddKey(const std::string& path, HKeyRoot root) {
  bool ok = false;
  const std::string full = Normalise(root, path, &ok);
  if (!ok) throw std::invalid_argument("bad fake key path " + path);
  for (size_t pos = full.find('\\'); pos != std::string::npos; pos = full.find('\\', pos + 1))
    keys_[full.substr(0, pos)];
  keys_[full];
}

void FakeRegistry::RemoveKey(const std::string& path, HKeyRoot root) {
  bool ok = false;
  const std::string full = Normalise(root, path, &ok);
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == full || it->first.rfind(full + "\\", 0) == 0)
      it = keys_.erase(it);
    else
      ++it;
  }
}

void FakeRegistry::SetRaw(const std::string& path, const std::string& name, uint32_t type,
                          std::vector<uint8_t> bytes) {
  AddKey(path);
  bool ok = false;
  keys_[Normalise(HKeyRoot::LocalMachine, path, &ok)][Upper(name)] = FakeValue{type, std::move(bytes)};
}

void FakeRegistry::RemoveValue(const std::string& path, const std::string& name) {
  bool ok = false;
  const auto it = keys_.find(Normalise(HKeyRoot::LocalMachine, path, &ok));
  if (it != keys_.end()) it->second.erase(Upper(name));
}

void FakeRegistry::SetText(const std::string& path, const std::string& name, const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  SetRaw(path, name, kRegSz, std::move(bytes));
}

void FakeRegistry::SetTextWithoutTerminator(const std::string& path, const std::string& name,
                                            const std::string& text) {
  SetRaw(path, name, kRegSz, std::vector<uint8_t>(text.begin(), text.end()));
}

void FakeRegistry::SetDword(const std::string& path, const std::string& name, uint32_t value) {
  SetRaw(path, name, kRegDword,
         {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

void FakeRegistry::SetBinary(const std::string& path, const std::string& name, std::vector<uint8_t> bytes) {
  SetRaw(path, name, kRegBinary, std::move(bytes));
}

bool FakeRegistry::HasKey(const std::string& path, HKeyRoot root) const {
  bool ok = false;
  const std::string full = Normalise(root, path, &ok);
  return ok && keys_.count(full) != 0;
}

const FakeValue* FakeRegistry::Value(const std::string& path, const std::string& name) const {
  bool ok = false;
  auto key = keys_.find(Normalise(HKeyRoot::LocalMachine, path, &ok));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.find(Upper(name));
  return value == key->second.end() ? nullptr : &value->second;
}

std::string FakeRegistry::Text(const std::string& path, const std::string& name) const {
  const FakeValue* v = Value(path, name);
  if (!v || (v->Type != kRegSz && v->Type != kRegExpandSz)) return "<absent>";
  return std::string(reinterpret_cast<const char*>(v->Data.data()),
                     strnlen(reinterpret_cast<const char*>(v->Data.data()), v->Data.size()));
}

uint32_t FakeRegistry::Dword(const std::string& path, const std::string& name) const {
  const FakeValue* v = Value(path, name);
  if (!v || v->Type != kRegDword || v->Data.size() != 4) return 0xDEADBEEF;
  return v->Data[0] | v->Data[1] << 8 | v->Data[2] << 16 | static_cast<uint32_t>(v->Data[3]) << 24;
}

long FakeRegistry::OpenKey(HKeyRoot root, const std::string& path, uint32_t access, RegHandle* key) {
  accessLog_.push_back(access);
  bool ok = false;
  const std::string full = Normalise(root, path, &ok);
  if (!ok) return kErrBadPathname;
  if (keys_.count(full) == 0) return kErrFileNotFound;
  *key = next_++;
  handles_[*key] = full;
  handleAccess_[*key] = access;
  return kErrSuccess;
}

long FakeRegistry::CreateKey(HKeyRoot root, const std::string& path, uint32_t access,
                             RegHandle* key) {
  bool ok = false;
  const std::string full = Normalise(root, path, &ok);
  if (!ok) return kErrBadPathname;
  if (keys_.count(full) == 0) {
    if (ReadOnly) return kErrAccessDenied;
    AddKey(path, root);
  }
  return OpenKey(root, path, access, key);
}

long FakeRegistry::CloseKey(RegHandle key) {
  return handles_.erase(key) ? kErrSuccess : kErrInvalidHandle;
}

long FakeRegistry::QueryValue(RegHandle key, const char* name, uint32_t* type, uint8_t* data,
                              uint32_t* size) {
  auto h = handles_.find(key);
  if (h == handles_.end()) return kErrInvalidHandle;
  const Values& values = keys_[h->second];
  auto v = values.find(ValueKey(name));
  if (v == values.end()) return kErrFileNotFound;
  if (type) *type = v->second.Type;
  const uint32_t needed = static_cast<uint32_t>(v->second.Data.size());
  if (data == nullptr) {
    *size = needed;
    return kErrSuccess;
  }
  if (*size < needed) {
    *size = needed;
    return kErrMoreData;
  }
  if (needed > 0) std::memcpy(data, v->second.Data.data(), needed);  // an empty value has no bytes
  *size = needed;
  return kErrSuccess;
}

long FakeRegistry::SetValue(RegHandle key, const char* name, uint32_t type, const uint8_t* data,
                            uint32_t size) {
  auto h = handles_.find(key);
  if (h == handles_.end()) return kErrInvalidHandle;
  if ((handleAccess_[key] & kKeySetValue) == 0 || ReadOnly) return kErrAccessDenied;
  ++writes_;
  keys_[h->second][ValueKey(name)] = FakeValue{type, std::vector<uint8_t>(data, data + size)};
  return kErrSuccess;
}

}  // namespace kd::test
