// Feeds arbitrary bytes through the script splitter, the header parser and
// the interpreter against the fakes. The first byte picks the platform
// family, the answers to questions and whether the log is on; the rest is
// the script. Invariants that must hold for any script abort the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sweepall/script_text.h"
#include "sweepall/uninstall_dialog.h"
#include "tests/sweepall/fakes.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "sweepall fuzz: %s\n", what);
  std::abort();
}

void CheckLog(const std::string& bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", pos);
    Require(end != std::string::npos, "log line without CR LF");
    Require(end - pos <= sweepall::UninstallLog::kLineCapacity, "log line longer than 252");
    pos = end + 2;
  }
  Require(bytes.find('\0') == std::string::npos, "zero byte in the log");
}

void Populate(sweepall::fakes::FakeSystem& f) {
  f.registry.AddKey("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P\\Sub");
  f.registry.SetValue("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P",
                      "Sweepall", "cleanup.exe");
  f.registry.AddKey("HKLM\\System\\CurrentControlSet\\Enum\\HID\\A\\1");
  f.registry.SetValue("HKCU\\Software\\V", "a", "1");
  f.registry.AddKey("HKCR\\AudioCD\\shell\\play\\command");
  f.files.AddDirectory("C:\\WINDOWS\\d");
  f.files.AddFile("C:\\WINDOWS\\a");
  f.files.AddFile("C:\\WINDOWS\\inf\\k.inf");
  f.devices.infsWithClass.insert("C:\\WINDOWS\\inf\\k.inf");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  sweepall::fakes::FakeSystem f;
  Populate(f);
  f.system.nt = (control & 1) != 0;
  for (int bit = 1; bit < 7; ++bit) f.view.answers.push_back((control >> bit) & 1);
  f.files.AddFile("s.ini", std::string(reinterpret_cast<const char*>(data + 1), size - 1));

  sweepall::UninstallDialog dialog{f.platform};
  dialog.Start("s.ini");
  Require(dialog.lines().size() <= sweepall::kMaxScriptLines, "more than 1000 lines");
  if (control & 0x80) dialog.OnLogBoxClicked();
  if (!f.view.closed) {
    dialog.OnOk();
    CheckLog(f.log.bytes);
    dialog.OnOk();
    CheckLog(f.log.bytes);
  }
  Require(!f.log.isOpen, "log left open");
  Require(f.registry.open_handles() == 0, "registry key left open");
  Require(f.devices.openSets == 0 && f.devices.openLists == 0, "device list left open");
  for (const std::string& key : f.registry.resets)
    Require(key.find('\\') != std::string::npos, "security of a whole root replaced");
  for (const std::string& path : f.files.probes)
    Require(path.size() < sweepall::kPathCapacity, "path longer than its buffer");
  return 0;
}
