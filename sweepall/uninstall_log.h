// The step log "c:\sweepall.log": one text line per script entry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sweepall/platform.h"

namespace sweepall {

class UninstallLog {
 public:
  // Text a line may hold; longer lines are cut.
  static constexpr std::size_t kLineCapacity = 252;

  explicit UninstallLog(LogFile& file) : file_(file) {}

  // Turned on by the "Uninstall Log File" check box; never off again.
  void Enable() { enabled_ = true; }
  bool enabled() const { return enabled_; }

  // Opens the file for one run when logging is on. A file that can't be
  // opened leaves the run without a log.
  void BeginRun();
  void Append(std::string_view piece);
  // Writes the buffered text and CR LF, then empties the buffer.
  void EndLine();
  void EndRun();

 private:
  LogFile& file_;
  bool enabled_ = false;
  bool open_ = false;
  std::string line_;
};

}  // namespace sweepall
