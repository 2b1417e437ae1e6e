#include "sweepall/script_text.h"

#include <climits>
#include <cstring>

namespace sweepall {

namespace {

constexpr std::size_t kMaxTrim = 127;
constexpr std::size_t kHeaderScan = 256;

enum : unsigned char { kText, kCrEnd, kLfEnd };

}  // namespace

std::vector<std::string> SplitScriptLines(std::string_view bytes) {
  // Work on a terminated copy, as the lines end where a zero byte sits.
  std::string buf(bytes);
  buf.push_back('\0');
  // What ended where: only a CR's terminator lets the trim walk on, so a
  // CR LF pair trims like a single break.
  std::vector<unsigned char> kind(buf.size(), kText);
  std::vector<std::size_t> starts;
  bool atLineStart = true;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = buf[i];
    if (c == '\r' || c == '\n') {
      buf[i] = '\0';
      kind[i] = c == '\r' ? kCrEnd : kLfEnd;
      std::size_t j = i;
      for (std::size_t cleared = 0; j > 0 && cleared < kMaxTrim; ++cleared) {
        const auto b = static_cast<unsigned char>(buf[j - 1]);
        const bool blank = b >= 0x01 && b <= 0x20;
        const bool crEnd = b == 0 && kind[j - 1] == kCrEnd;
        if (!blank && !crEnd) break;
        buf[--j] = '\0';
      }
      atLineStart = true;
    } else if (atLineStart) {
      if (starts.size() == kMaxScriptLines) break;
      starts.push_back(i);
      atLineStart = false;
    }
  }
  std::vector<std::string> lines;
  lines.reserve(starts.size());
  for (std::size_t s : starts) lines.emplace_back(buf.c_str() + s);
  return lines;
}

void ParseHeaderLine(std::string_view line, std::string* key, std::string* value) {
  if (line.empty()) return;
  line = line.substr(0, kHeaderScan);
  std::string text;
  bool quoted = false;
  bool sawEquals = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ' ' && !quoted) {
      continue;
    } else if (c == '=') {
      if (!sawEquals) *key = text;
      sawEquals = true;
      text.clear();
    } else {
      text.push_back(c);
    }
  }
  *value = text;
  if (!sawEquals) *key = text;
}

int TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    n = n * 10 + (text[i] - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) n = -n;
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int>(n);
}

bool IsDecimalNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool NamesOneSubkey(std::string_view name) {
  return !name.empty() && name.find('\\') == std::string_view::npos;
}

bool JoinWithin(std::size_t capacity, std::string* out,
                std::initializer_list<std::string_view> pieces) {
  out->clear();
  std::size_t total = 0;
  for (std::string_view p : pieces) total += p.size();
  if (total >= capacity) return false;
  for (std::string_view p : pieces) out->append(p);
  return true;
}

}  // namespace sweepall
