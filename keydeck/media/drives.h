// The drives the media sources are probed on. Roots and patterns are
// passed as the probes build them ("e:\", "e:\MPEGAV\*.*").
#pragma once

#include <string>
#include <vector>

namespace kd {

constexpr int kDriveCdRom = 5;  // GetDriveType's DRIVE_CDROM

class Drives {
 public:
  virtual ~Drives() = default;
  virtual int DriveType(const std::string& root) = 0;
  // The volume label, empty when the drive cannot be read.
  virtual std::string VolumeLabel(const std::string& root) = 0;
  // Names of the plain files (no folders, hidden or system files) that
  // match the pattern, in the order the listing returns them.
  virtual std::vector<std::string> PlainFiles(const std::string& pattern) = 0;
};

}  // namespace kd
