// The drives the media sources are probed on, through the system's drive
// type, volume and directory listing calls.
#pragma once

#include "keydeck/media/drives.h"

namespace kd {

class WinDrives final : public Drives {
 public:
  int DriveType(const std::string& root) override;
  std::string VolumeLabel(const std::string& root) override;
  std::vector<std::string> PlainFiles(const std::string& pattern) override;
};

}  // namespace kd
