#include <vector>

#include "common/text.h"
#include "sweepall/win/win_platform.h"

namespace sweepall::win {

namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

// Subkey names are enumerated into buffers of this many characters.
constexpr DWORD kMaxSubkeyName = 512;

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
                            RegKey* key) {
  HKEY opened = nullptr;
  const LONG r = RegOpenKeyExA(ToHkey(parent), path.c_str(), 0, access, &opened);
  if (r == ERROR_SUCCESS) *key = reinterpret_cast<RegKey>(opened);
  return r;
}

void Win32Registry::CloseKey(RegKey key) { RegCloseKey(ToHkey(key)); }

long Win32Registry::EnumSubkey(RegKey key, std::uint32_t index, std::string* name) {
  char buf[kMaxSubkeyName + 1] = {};
  DWORD size = sizeof buf;
  const LONG r = RegEnumKeyExA(ToHkey(key), index, buf, &size, nullptr, nullptr, nullptr, nullptr);
  if (r == ERROR_SUCCESS) *name = common::FromBuffer(buf, sizeof buf);
  return r;
}

long Win32Registry::DeleteKey(RegKey parent, const std::string& path) {
  return RegDeleteKeyA(ToHkey(parent), path.c_str());
}

long Win32Registry::SetString(RegKey key, const std::string& name, const std::string& text,
                              bool expandable) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                        reinterpret_cast<const BYTE*>(text.data()),
                        static_cast<DWORD>(text.size()));
}

long Win32Registry::QueryString(RegKey key, const std::string& name, std::size_t capacity,
                                std::string* text, bool* expandable) {
  // One spare zero: a value stored without its terminator still ends.
  std::vector<char> buf(capacity + 1, '\0');
  DWORD size = static_cast<DWORD>(capacity);
  DWORD type = 0;
  const LONG r = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(buf.data()), &size);
  if (r != ERROR_SUCCESS) return r;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  *text = common::FromBuffer(buf.data(), size);
  if (expandable) *expandable = type == REG_EXPAND_SZ;
  return ERROR_SUCCESS;
}

long Win32Registry::CountEntries(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) {
  DWORD keyCount = 0;
  DWORD valueCount = 0;
  const LONG r = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &keyCount, nullptr,
                                  nullptr, &valueCount, nullptr, nullptr, nullptr, nullptr);
  if (r == ERROR_SUCCESS) {
    *subkeys = keyCount;
    *values = valueCount;
  }
  return r;
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::ResetSecurity(RegKey key) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID interactive = nullptr;
  PSID administrators = nullptr;
  LONG r = ERROR_SUCCESS;
  if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_INTERACTIVE_RID, 0, 0, 0, 0, 0, 0, 0,
                                &interactive) ||
      !AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    r = GetLastError();
  }
  // The list header and two entry headers take 24 bytes besides the SIDs.
  std::vector<DWORD> aclBuffer;
  SECURITY_DESCRIPTOR descriptor;
  if (r == ERROR_SUCCESS) {
    const DWORD aclSize = GetLengthSid(interactive) + GetLengthSid(administrators) + 24;
    aclBuffer.assign((aclSize + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
    if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, interactive) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, administrators) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
      r = GetLastError();
    } else {
      r = RegSetKeySecurity(ToHkey(key), DACL_SECURITY_INFORMATION, &descriptor);
    }
  }
  if (administrators) FreeSid(administrators);
  if (interactive) FreeSid(interactive);
  return r;
}

long Win32Registry::OpenKeyNoFollow(RegKey parent, const std::string& path,
                                    std::uint32_t access, RegKey* key) {
  HKEY opened = nullptr;
  LONG r = RegOpenKeyExA(ToHkey(parent), path.c_str(), REG_OPTION_OPEN_LINK, access, &opened);
  // A registry that knows no links (the 9x family's) may refuse the
  // option; it has nothing to follow either.
  if (r == ERROR_INVALID_PARAMETER)
    r = RegOpenKeyExA(ToHkey(parent), path.c_str(), 0, access, &opened);
  if (r == ERROR_SUCCESS) *key = reinterpret_cast<RegKey>(opened);
  return r;
}

bool Win32Registry::IsLink(RegKey key) {
  // A link keeps its target in this value, of a type no other key uses.
  DWORD type = 0;
  const LONG r = RegQueryValueExA(ToHkey(key), "SymbolicLinkValue", nullptr, &type, nullptr,
                                  nullptr);
  return (r == ERROR_SUCCESS || r == ERROR_MORE_DATA) && type == REG_LINK;
}

long Win32Registry::DeleteOpenedKey(RegKey key) {
  // RegDeleteKeyA opens the key again by name and so would follow a link
  // to its target; only the native call deletes the handle's own key. The
  // NT family has it in every version; the 9x family has no links.
  using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
  using StatusToErrorFn = ULONG(WINAPI*)(LONG);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  const auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
  const auto toError = reinterpret_cast<StatusToErrorFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
  if (deleteKey == nullptr || toError == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  const LONG status = deleteKey(ToHkey(key));
  return status == 0 ? ERROR_SUCCESS : static_cast<long>(toError(status));
}

}  // namespace sweepall::win
