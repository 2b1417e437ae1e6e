#include "sweepall/uninstall_log.h"

namespace sweepall {

void UninstallLog::BeginRun() {
  line_.clear();
  open_ = enabled_ && file_.Open();
}

void UninstallLog::Append(std::string_view piece) {
  if (!open_) return;
  const std::size_t room = kLineCapacity - line_.size();
  line_.append(piece.substr(0, room));
}

void UninstallLog::EndLine() {
  if (!open_) return;
  // Plain CR LF: a zero byte in front of it would make the log read as
  // binary to text tools.
  line_.append("\r\n");
  file_.Write(line_);
  line_.clear();
}

void UninstallLog::EndRun() {
  if (open_) file_.Close();
  open_ = false;
  line_.clear();
}

}  // namespace sweepall
