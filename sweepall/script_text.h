// The uninstall script as text: its lines, its header lines and the
// bounded path building every later step relies on.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace sweepall {

inline constexpr std::size_t kMaxScriptLines = 1000;
// Paths, commands and key paths live in buffers of this many characters,
// terminator included.
inline constexpr std::size_t kPathCapacity = 260;

// Splits the file's bytes into at most kMaxScriptLines lines. Empty lines
// are not lines; trailing blanks and control bytes are trimmed (at most 127
// per line break), leading blanks stay; a line of blanks is an empty line
// that still counts. A zero byte ends a line's text.
std::vector<std::string> SplitScriptLines(std::string_view bytes);

// Key and value of a header line, from its first 256 characters: blanks
// outside double quotes are dropped, quotes toggle quoting and are dropped,
// the key ends at the first equals sign and the value starts after the
// last. Without an equals sign both are the whole text. An empty line
// leaves key and value as they were.
void ParseHeaderLine(std::string_view line, std::string* key, std::string* value);

// String-to-integer as a C runtime reads it: leading white space, a sign,
// then digits up to the first other character; clamped to the int range.
int TextToInt(std::string_view text);

// True when the text reads as a whole decimal number: optional leading
// white space and sign, then digits only.
bool IsDecimalNumber(std::string_view text);

// True for a name that can only be one subkey of the key it is taken
// under: not empty and free of backslashes (the registry skips doubled
// and trailing ones, so "\\" or "x\\" would name the key itself or another).
bool NamesOneSubkey(std::string_view name);

// Joins pieces into *out when the whole fits a buffer of `capacity`
// characters with its terminator. Otherwise *out is cleared and the result
// is false: a cut path could name a different file or key.
bool JoinWithin(std::size_t capacity, std::string* out,
                std::initializer_list<std::string_view> pieces);

inline char CharAt(std::string_view text, std::size_t i) {
  return i < text.size() ? text[i] : '\0';
}

}  // namespace sweepall
