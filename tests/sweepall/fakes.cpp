#include "tests/sweepall/fakes.h"

#include <algorithm>

namespace sweepall::fakes {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Script(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

namespace {

std::string RootName(RegKey root) {
  switch (root) {
    case kClassesRoot: return "hkcr";
    case kCurrentUser: return "hkcu";
    case kLocalMachine: return "hklm";
    case kUsers: return "hku";
    default: return "";
  }
}

}  // namespace

// ---- registry ----

long FakeRegistry::Resolve(const std::string& base, const std::string& path, bool followLast,
                           std::string* full) const {
  // Called for every registry step of every fuzzed script: no allocation
  // per path component.
  *full = base;
  full->reserve(base.size() + path.size() + 1);
  if (!path.empty() && path[0] == '\\') return kErrorBadPathname;
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t end = path.find('\\', pos);
    if (end == std::string::npos) end = path.size();
    const std::size_t length = end - pos;
    const std::size_t start = pos;
    pos = end + 1;
    if (length == 0) continue;  // "a\\b", "a\": the real registry skips them
    if (length > 255) return kErrorFileNotFound;
    full->push_back('\\');
    for (std::size_t i = start; i < end; ++i) {
      const char c = path[i];
      full->push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    if (!hasLinks_) continue;
    const bool last = path.find_first_not_of('\\', pos) == std::string::npos;
    for (int hops = 0; hops < 16 && (!last || followLast); ++hops) {
      const auto it = keys_.find(*full);
      if (it == keys_.end() || it->second.link.empty()) break;
      *full = it->second.link;
    }
  }
  return kOk;
}

bool FakeRegistry::PathOf(RegKey key, std::string* path) const {
  const std::string root = RootName(key);
  if (!root.empty()) {
    *path = root;
    return true;
  }
  const auto it = handles_.find(key);
  if (it == handles_.end()) return false;
  *path = it->second.first;
  return true;
}

std::vector<std::string> FakeRegistry::ChildrenOf(const std::string& full) const {
  std::vector<std::string> children;
  const std::string prefix = full + "\\";
  // Keys below full sort together, right after the prefix.
  for (auto it = keys_.lower_bound(prefix);
       it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
    if (it->first.find('\\', prefix.size()) == std::string::npos) children.push_back(it->first);
  return children;
}

void FakeRegistry::AddKey(const std::string& fullPath) {
  const std::size_t cut = fullPath.find('\\');
  std::string path = Lower(fullPath.substr(0, cut));
  if (cut == std::string::npos) return;
  std::size_t pos = cut + 1;
  while (pos <= fullPath.size()) {
    std::size_t end = fullPath.find('\\', pos);
    if (end == std::string::npos) end = fullPath.size();
    const std::string part = fullPath.substr(pos, end - pos);
    path += "\\" + Lower(part);
    if (!keys_.count(path)) keys_[path].name = part;
    pos = end + 1;
  }
}

void FakeRegistry::AddLink(const std::string& fullPath, const std::string& target) {
  AddKey(fullPath);
  Find(fullPath)->link = Lower(target);
  hasLinks_ = true;
}

FakeRegistry::Key* FakeRegistry::Find(const std::string& fullPath) {
  const auto it = keys_.find(Lower(fullPath));
  return it == keys_.end() ? nullptr : &it->second;
}

void FakeRegistry::SetValue(const std::string& fullPath, const std::string& name,
                            const std::string& text, bool expandable) {
  AddKey(fullPath);
  Key* key = Find(fullPath);
  key->values[Lower(name)] = text;
  if (expandable) {
    key->expandable.insert(Lower(name));
  } else {
    key->expandable.erase(Lower(name));
  }
}

bool FakeRegistry::IsExpandable(const std::string& fullPath, const std::string& name) const {
  const auto it = keys_.find(Lower(fullPath));
  return it != keys_.end() && it->second.expandable.count(Lower(name)) > 0;
}

bool FakeRegistry::HasKey(const std::string& fullPath) const {
  return keys_.count(Lower(fullPath)) > 0;
}

bool FakeRegistry::HasValue(const std::string& fullPath, const std::string& name) const {
  const auto it = keys_.find(Lower(fullPath));
  return it != keys_.end() && it->second.values.count(Lower(name)) > 0;
}

std::string FakeRegistry::Value(const std::string& fullPath, const std::string& name) const {
  const auto it = keys_.find(Lower(fullPath));
  if (it == keys_.end()) return "<no key>";
  const auto v = it->second.values.find(Lower(name));
  return v == it->second.values.end() ? "<no value>" : v->second;
}

long FakeRegistry::OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
                           RegKey* key) {
  return Open(parent, path, access, /*followLast=*/true, key);
}

long FakeRegistry::OpenKeyNoFollow(RegKey parent, const std::string& path,
                                   std::uint32_t access, RegKey* key) {
  return Open(parent, path, access, /*followLast=*/false, key);
}

long FakeRegistry::Open(RegKey parent, const std::string& path, std::uint32_t access,
                        bool followLast, RegKey* key) {
  std::string base;
  if (!PathOf(parent, &base)) return kErrorInvalidHandle;
  std::string full;
  const long r = Resolve(base, path, followLast, &full);
  if (r != kOk) return r;
  if (handles_.size() >= maxOpenHandles) return kErrorNoSystemResources;
  const auto it = keys_.find(full);
  if (it == keys_.end()) {
    if (full.find('\\') == std::string::npos) {  // a root opened by ""
      *key = nextHandle_++;
      handles_[*key] = {full, access};
      return kOk;
    }
    return kErrorFileNotFound;
  }
  if (access & it->second.denied) return kErrorAccessDenied;
  *key = nextHandle_++;
  handles_[*key] = {full, access};
  return kOk;
}

bool FakeRegistry::IsLink(RegKey key) {
  const auto h = handles_.find(key);
  if (h == handles_.end()) return false;
  const auto it = keys_.find(h->second.first);
  return it != keys_.end() && !it->second.link.empty();
}

long FakeRegistry::DeleteOpenedKey(RegKey key) {
  const auto h = handles_.find(key);
  if (h == handles_.end()) return kErrorInvalidHandle;
  if (!ChildrenOf(h->second.first).empty()) return kErrorAccessDenied;
  return DeleteResolved(h->second.first);
}

void FakeRegistry::CloseKey(RegKey key) { handles_.erase(key); }

long FakeRegistry::EnumSubkey(RegKey key, std::uint32_t index, std::string* name) {
  std::string full;
  if (!PathOf(key, &full)) return kErrorInvalidHandle;
  if (failEnumWith != kOk) return failEnumWith;
  const std::vector<std::string> children = ChildrenOf(full);
  if (index >= children.size()) return kErrorNoMoreItems;
  *name = keys_.at(children[index]).name;
  if (name->size() > maxNameLength) return kErrorMoreData;
  return kOk;
}

long FakeRegistry::DeleteKey(RegKey parent, const std::string& path) {
  std::string base;
  if (!PathOf(parent, &base)) return kErrorInvalidHandle;
  std::string full;
  // The real deletion opens the key as any open does: through links.
  const long r = Resolve(base, path, /*followLast=*/true, &full);
  if (r != kOk) return r;
  deleteCalls.push_back(full);
  if (full.find('\\') == std::string::npos) return kErrorAccessDenied;  // a root
  if (!keys_.count(full)) return kErrorFileNotFound;
  if (!ChildrenOf(full).empty() && (system_.nt || !subtreeGoesOn9x)) return kErrorAccessDenied;
  if (!system_.nt) {
    // Wine's 9x deletion opens each subkey as any open does, so it empties
    // the target of every link in the tree too (real 9x has no links). A
    // link to an ancestor would recurse for ever; stop the imitation there.
    std::vector<std::string> targets;
    const std::string prefix = full + "\\";
    for (auto it = keys_.lower_bound(prefix);
         it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
      if (!it->second.link.empty()) targets.push_back(it->second.link);
    for (const std::string& target : targets) {
      if (full == target || full.compare(0, target.size() + 1, target + "\\") == 0)
        return kErrorNoSystemResources;
      if (keys_.count(target)) DeleteResolved(target);
    }
  }
  return DeleteResolved(full);
}

long FakeRegistry::DeleteResolved(const std::string& full) {
  // The 9x family takes the whole subtree.
  const std::string prefix = full + "\\";
  for (auto it = keys_.lower_bound(prefix);
       it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
    deleted.push_back(it->first);
    it = keys_.erase(it);
  }
  keys_.erase(full);
  deleted.push_back(full);
  return kOk;
}

long FakeRegistry::SetString(RegKey key, const std::string& name, const std::string& text,
                             bool expandable) {
  std::string full;
  if (!PathOf(key, &full)) return kErrorInvalidHandle;
  const auto it = keys_.find(full);
  if (it == keys_.end()) return kErrorFileNotFound;
  it->second.values[Lower(name)] = text;
  if (expandable) {
    it->second.expandable.insert(Lower(name));
  } else {
    it->second.expandable.erase(Lower(name));
  }
  return kOk;
}

long FakeRegistry::CountEntries(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) {
  std::string full;
  if (!PathOf(key, &full)) return kErrorInvalidHandle;
  const auto it = keys_.find(full);
  if (it == keys_.end()) return kErrorFileNotFound;
  *subkeys = static_cast<std::uint32_t>(ChildrenOf(full).size());
  // A link holds its target as a value.
  *values = static_cast<std::uint32_t>(it->second.values.size() + (it->second.link.empty() ? 0 : 1));
  return kOk;
}

long FakeRegistry::QueryString(RegKey key, const std::string& name, std::size_t capacity,
                               std::string* text, bool* expandable) {
  std::string full;
  if (!PathOf(key, &full)) return kErrorInvalidHandle;
  const auto it = keys_.find(full);
  if (it == keys_.end()) return kErrorFileNotFound;
  const auto v = it->second.values.find(Lower(name));
  if (v == it->second.values.end()) return kErrorFileNotFound;
  if (v->second.size() + 1 > capacity) return kErrorMoreData;
  *text = v->second;
  if (expandable) *expandable = it->second.expandable.count(Lower(name)) > 0;
  return kOk;
}

long FakeRegistry::DeleteValue(RegKey key, const std::string& name) {
  std::string full;
  if (!PathOf(key, &full)) return kErrorInvalidHandle;
  const auto it = keys_.find(full);
  if (it == keys_.end()) return kErrorFileNotFound;
  return it->second.values.erase(Lower(name)) ? kOk : kErrorFileNotFound;
}

long FakeRegistry::ResetSecurity(RegKey key) {
  const auto h = handles_.find(key);
  if (h == handles_.end()) return kErrorInvalidHandle;
  if (!(h->second.second & kWriteDac)) return kErrorAccessDenied;
  const auto it = keys_.find(h->second.first);
  if (it == keys_.end()) {
    // A root opened by an empty name takes a new list as any key does.
    if (h->second.first.find('\\') != std::string::npos) return kErrorFileNotFound;
    resets.push_back(h->second.first);
    return kOk;
  }
  ++it->second.resets;
  resets.push_back(h->second.first);
  return kOk;
}

// ---- files ----

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             bool readOnly) {
  Entry e;
  e.content = content;
  e.readOnly = readOnly;
  entries_[Lower(path)] = e;
}

void FakeFileSystem::AddDirectory(const std::string& path) {
  Entry e;
  e.directory = true;
  entries_[Lower(path)] = e;
}

bool FakeFileSystem::ReadWhole(const std::string& path, std::size_t limit, std::string* bytes) {
  reads.push_back(path);
  const auto it = entries_.find(Lower(path));
  if (it == entries_.end() || it->second.directory) return false;
  *bytes = it->second.content.substr(0, limit);
  return true;
}

PathKind FakeFileSystem::Probe(const std::string& path) {
  probes.push_back(path);
  std::string key = Lower(path);
  // "dir\" names the directory itself, as Windows reads it.
  while (key.size() > 1 && key.back() == '\\') key.pop_back();
  const auto it = entries_.find(key);
  if (it == entries_.end()) return PathKind::kMissing;
  return it->second.directory ? PathKind::kDirectory : PathKind::kFile;
}

bool FakeFileSystem::AnyMatch(const std::string& pattern) {
  const auto it = entries_.find(Lower(pattern));
  return it != entries_.end() && !it->second.directory;
}

bool FakeFileSystem::ClearAttributes(const std::string& path) {
  const auto it = entries_.find(Lower(path));
  if (it == entries_.end()) return false;
  it->second.readOnly = false;
  return true;
}

bool FakeFileSystem::RemoveFile(const std::string& path) {
  const auto it = entries_.find(Lower(path));
  if (it == entries_.end() || it->second.directory || it->second.readOnly || it->second.locked)
    return false;
  entries_.erase(it);
  return true;
}

bool FakeFileSystem::RemoveEmptyDirectory(const std::string& path) {
  std::string key = Lower(path);
  // "dir\" names the directory itself, as Windows reads it.
  while (key.size() > 1 && key.back() == '\\') key.pop_back();
  const auto it = entries_.find(key);
  if (it == entries_.end() || !it->second.directory) return false;
  const std::string prefix = key + "\\";
  for (const auto& [p, e] : entries_)
    if (p.compare(0, prefix.size(), prefix) == 0) return false;
  entries_.erase(it);
  return true;
}

// ---- devices ----

long FakeDeviceSetup::OpenPresentDevices() {
  calls.push_back("open-present");
  if (openError != kOk) return openError;
  ++openSets;
  return kOk;
}

long FakeDeviceSetup::ReadHardwareIds(std::uint32_t index, std::string* idList) {
  if (index >= present.size()) return kErrorNoMoreItems;
  if (present[index].readError != kOk) return present[index].readError;
  *idList = present[index].ids;
  return kOk;
}

void FakeDeviceSetup::ClosePresentDevices() {
  calls.push_back("close-present");
  --openSets;
}

long FakeDeviceSetup::BeginRootDevice(const std::string& infPath) {
  calls.push_back("begin " + infPath);
  if (!infsWithClass.count(infPath)) return kErrorInvalidData;
  ++openLists;
  registered_ = false;
  return kOk;
}

long FakeDeviceSetup::SetHardwareId(const std::string& hardwareId) {
  calls.push_back("set-id " + hardwareId);
  pendingId_ = hardwareId;
  return kOk;
}

long FakeDeviceSetup::RegisterDevice() {
  calls.push_back("register");
  if (registerError != kOk) return registerError;
  registered_ = true;
  Device d;
  d.ids = pendingId_ + std::string(1, '\0') + std::string(1, '\0');
  present.push_back(d);
  return kOk;
}

long FakeDeviceSetup::RemoveDevice() {
  calls.push_back("remove");
  if (registered_) present.pop_back();
  registered_ = false;
  return kOk;
}

void FakeDeviceSetup::EndRootDevice() {
  calls.push_back("end");
  if (openLists > 0) --openLists;
}

long FakeDeviceSetup::UpdateDriver(const std::string& hardwareId, const std::string& infPath) {
  calls.push_back("update " + hardwareId + " " + infPath);
  return updateError;
}

// ---- log ----

std::vector<std::string> FakeLogFile::Lines() const {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(pos) + "<no CR LF>");
      break;
    }
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

}  // namespace sweepall::fakes
