#include "keydeck/media/win/win_drives.h"

#include <windows.h>

#include "common/win/scoped.h"

namespace kd {
namespace {

constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// An empty CD-ROM drive would otherwise ask the user to insert a disc: a
// probe of every drive must fail quietly instead.
class QuietDriveErrors {
 public:
  QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietDriveErrors() { SetErrorMode(previous_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT previous_;
};

}  // namespace

int WinDrives::DriveType(const std::string& root) { return static_cast<int>(GetDriveTypeA(root.c_str())); }

std::string WinDrives::VolumeLabel(const std::string& root) {
  QuietDriveErrors quiet;
  char label[128] = {};
  // The result is not checked: an unreadable drive leaves the label empty.
  GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
  label[sizeof label - 1] = '\0';
  return label;
}

std::vector<std::string> WinDrives::PlainFiles(const std::string& pattern) {
  QuietDriveErrors quiet;
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  common::ScopedFind find(FindFirstFileA(pattern.c_str(), &found));
  if (!find) return names;
  do {
    if ((found.dwFileAttributes & kNotPlain) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileA(find.get(), &found));
  return names;
}

}  // namespace kd
