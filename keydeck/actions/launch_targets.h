// Finding what stands behind the launch keys (browser, mail client,
// documents folder, search page, registered programs) and the two ways of
// starting something: a command line and the shell's "open".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "keydeck/actions/platform.h"

namespace kd {

// Both count a system result above 32 as success; an empty command line or
// target is refused without calling the system.
bool RunCommand(ProgramStarter& starter, const std::string& commandLine, int show);
bool ShellOpen(ProgramStarter& starter, const std::string& target);

// Mail client used when the system names none.
inline constexpr const char* kFallbackMailCommand =
    "C:\\PROGRAM FILES\\OUTLOOK EXPRESS\\MSIMN.EXE /mail";
// Search page used when the browser keeps none.
inline constexpr const char* kDefaultSearchAddress = "http://www.google.com/";

// The command line registered to open files of this extension (".htm"),
// environment variables expanded, cut after a quoted program path; an
// unquoted one loses the shell's placeholders ("%1", "%L", "%*") and what
// follows them, which would be handed to the program as they stand.
std::string ShellOpenCommand(Registry& registry, const std::string& extension);
// That cut alone.
std::string CutAfterProgram(const std::string& command);
// The registered description of the extension's file type.
std::string FileTypeName(Registry& registry, const std::string& extension);
std::string FindMailCommand(Registry& registry);
// Replaces the first %variable% by the Program Files folder, or by its
// drive when the variable starts with an upper-case S (%SystemDrive%).
std::string ExpandProgramFiles(Registry& registry, const std::string& commandLine);
std::string FindPersonalFolder(Registry& registry);

struct SearchAddress {
  std::string Address;
  int IeMajorVersion = 3;  // 3 when the browser's key cannot be opened
};
SearchAddress FindSearchAddress(Registry& registry);

// Full path registered under App Paths for a program file name (its
// environment variables expanded), or empty.
std::string AppPath(Registry& registry, const std::string& programFileName);

// The leading integer of a text as atoi reads it (blanks, sign, digits),
// without overflow: values beyond int saturate.
int LeadingInteger(const std::string& text);

// Text helpers for captions and registry lists.
std::string FileTitle(const std::string& path);     // C:\dir\my.file.txt -> my
std::string FileNamePart(const std::string& path);  // C:\dir\a.txt -> a.txt
// Pieces between commas, untrimmed; nullopt for an empty text.
std::optional<std::vector<std::string>> SplitCommaList(const std::string& text);
// The longest start of a text that has at most `maxBytes` bytes and ends
// on a whole character: a byte for which isLeadByte holds begins a
// two-byte character (the double-byte code pages).
std::string CutOnCharacter(const std::string& text, std::size_t maxBytes,
                           const std::function<bool(uint8_t)>& isLeadByte);

}  // namespace kd
