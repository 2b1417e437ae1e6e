#include <vector>

#include "common/text.h"
#include "common/win/scoped.h"
#include "keydeck/actions/win/win_services.h"

namespace kd {

namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: break;
  }
  return HKEY_LOCAL_MACHINE;
}

// The NT family refuses a subkey path with a leading backslash
// (ERROR_BAD_PATHNAME) where 9x accepted it; open the same key on both.
std::string SubkeyPath(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return std::string(path);
}

common::ScopedKey OpenKey(RegRoot root, std::string_view path, REGSAM access) {
  common::ScopedKey key;
  if (RegOpenKeyExA(RootKey(root), SubkeyPath(path).c_str(), 0, access, key.put()) !=
      ERROR_SUCCESS)
    key.release();  // a failed open may leave garbage in the out-parameter
  return key;
}

// Reads the raw value; false when the key or the value is missing.
bool ReadRaw(RegRoot root, std::string_view path, std::string_view name, DWORD* type,
             std::vector<BYTE>* data) {
  common::ScopedKey key = OpenKey(root, path, KEY_READ);
  if (!key) return false;
  const std::string valueName(name);
  const char* namePtr = valueName.empty() ? nullptr : valueName.c_str();
  // The value may change between the size query and the read; retry then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), namePtr, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    data->assign(size, 0);
    const LONG status =
        RegQueryValueExA(key.get(), namePtr, nullptr, type, data->data(), &size);
    if (status == ERROR_SUCCESS) {
      data->resize(size);
      return true;
    }
    if (status != ERROR_MORE_DATA) return false;
  }
  return false;
}

// A string value (REG_SZ or REG_EXPAND_SZ) as stored, with its type;
// nothing for a missing value or one of another kind.
std::optional<std::string> ReadString(RegRoot root, std::string_view path, std::string_view name,
                                      DWORD* type) {
  DWORD stored = 0;
  std::vector<BYTE> data;
  if (!ReadRaw(root, path, name, &stored, &data)) return std::nullopt;
  if (stored != REG_SZ && stored != REG_EXPAND_SZ) return std::nullopt;
  if (type != nullptr) *type = stored;
  if (data.empty()) return std::string();
  // Stored strings need not carry their terminator.
  return common::FromBuffer(reinterpret_cast<const char*>(data.data()), data.size());
}

}  // namespace

bool WinRegistry::KeyOpens(RegRoot root, std::string_view path) {
  return static_cast<bool>(OpenKey(root, path, KEY_READ));
}

std::optional<std::string> WinRegistry::ReadText(RegRoot root, std::string_view path,
                                                 std::string_view name) {
  return ReadString(root, path, name, nullptr);
}

std::optional<std::string> WinRegistry::ReadExpandedText(RegRoot root, std::string_view path,
                                                         std::string_view name) {
  DWORD type = 0;
  std::optional<std::string> stored = ReadString(root, path, name, &type);
  if (!stored || type != REG_EXPAND_SZ || stored->find('%') == std::string::npos) return stored;
  const std::string& text = *stored;
  // The first call tells the size (terminator included; the ANSI call may
  // want one more); a variable that grows in between is read again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<char> expanded(
        ExpandEnvironmentStringsA(text.c_str(), nullptr, 0) + 1, '\0');
    const DWORD n = ExpandEnvironmentStringsA(text.c_str(), expanded.data(),
                                              static_cast<DWORD>(expanded.size()));
    if (n == 0) return text;  // left as stored rather than lost
    if (n <= expanded.size()) return common::FromBuffer(expanded.data(), expanded.size());
  }
  return text;
}

std::optional<uint32_t> WinRegistry::ReadNumber(RegRoot root, std::string_view path,
                                                std::string_view name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadRaw(root, path, name, &type, &data) || data.size() > 4) return std::nullopt;
  uint32_t value = 0;
  for (std::size_t i = 0; i < data.size(); ++i) value |= uint32_t{data[i]} << (8 * i);
  return value;
}

bool WinRegistry::WriteText(RegRoot root, std::string_view path, std::string_view name,
                            const std::string& value) {
  // Only the right to set values: enough for the write, and a key the user
  // may not change otherwise (NT family, machine classes) refuses it here.
  common::ScopedKey key = OpenKey(root, path, KEY_SET_VALUE);
  if (!key) return false;
  const std::string valueName(name);
  // The stored size counts the terminator, as readers of REG_SZ expect.
  return RegSetValueExA(key.get(), valueName.empty() ? nullptr : valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace kd
