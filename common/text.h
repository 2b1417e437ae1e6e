// Bounded text helpers for fixed-size buffers that cross into C APIs.
// Every function either fits the whole result or reports that it did not;
// none writes past the buffer, and the buffer is always terminated.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace common {

// Copies src into dst[cap]. Returns false (and leaves a cut, terminated
// copy) when src does not fit.
inline bool CopyBounded(char* dst, std::size_t cap, std::string_view src) {
  if (cap == 0) return false;
  const std::size_t n = src.size() < cap ? src.size() : cap - 1;
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
  return n == src.size();
}

// Appends src to the terminated text in dst[cap]; false when it does not fit.
inline bool AppendBounded(char* dst, std::size_t cap, std::string_view src) {
  const std::size_t used = strnlen(dst, cap);
  if (used >= cap) return false;
  return CopyBounded(dst + used, cap - used, src);
}

// Text of a buffer that may lack its terminator (registry and device data).
inline std::string FromBuffer(const char* buf, std::size_t cap) {
  return std::string(buf, strnlen(buf, cap));
}

// printf into dst[cap]; false when the result was cut or formatting failed.
template <typename... Args>
bool FormatBounded(char* dst, std::size_t cap, const char* fmt, Args... args) {
  if (cap == 0) return false;
  const int n = std::snprintf(dst, cap, fmt, args...);
  return n >= 0 && static_cast<std::size_t>(n) < cap;
}

// ASCII-only case folding, as the Windows file and registry names compare.
inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace common
