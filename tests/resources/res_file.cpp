#include "tests/resources/res_file.h"

#include <fstream>
#include <iterator>

namespace kd::test {
namespace {

uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return static_cast<uint16_t>(d[at] | d[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint32_t>(d[at] | d[at + 1] << 8 | d[at + 2] << 16) | static_cast<uint32_t>(d[at + 3]) << 24;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A type or name field: 0xFFFF and a number, or a zero-ended UTF-16 name
// (read over; reported as 0).
bool ReadId(const std::vector<uint8_t>& d, size_t end, size_t* at, uint16_t* id) {
  if (*at + 4 > end) return false;
  if (U16(d, *at) == 0xFFFF) {
    *id = U16(d, *at + 2);
    *at += 4;
    return true;
  }
  *id = 0;
  while (*at + 2 <= end) {
    const uint16_t c = U16(d, *at);
    *at += 2;
    if (c == 0) return true;
  }
  return false;
}

}  // namespace

std::vector<Resource> ReadResFile(const std::string& path, std::string* error) {
  const std::vector<uint8_t> d = ReadAll(path);
  std::vector<Resource> out;
  size_t at = 0;
  while (at + 8 <= d.size()) {
    const uint32_t dataSize = U32(d, at);
    const uint32_t headerSize = U32(d, at + 4);
    if (headerSize < 32 || at + headerSize + dataSize > d.size()) {
      *error = "resource header at " + std::to_string(at) + " runs past the file";
      return {};
    }
    Resource r;
    size_t field = at + 8;
    const size_t headerEnd = at + headerSize;
    if (!ReadId(d, headerEnd, &field, &r.Type) || !ReadId(d, headerEnd, &field, &r.Name)) {
      *error = "bad type or name at " + std::to_string(at);
      return {};
    }
    field = (field + 3) & ~size_t{3};
    // DataVersion (4), MemoryFlags (2), LanguageId (2), Version, Characteristics
    if (field + 16 > headerEnd) {
      *error = "short header at " + std::to_string(at);
      return {};
    }
    r.Language = U16(d, field + 6);
    r.Data.assign(d.begin() + static_cast<long>(headerEnd), d.begin() + static_cast<long>(headerEnd + dataSize));
    if (dataSize > 0 || r.Type != 0) out.push_back(std::move(r));  // the first entry is an empty marker
    at = (headerEnd + dataSize + 3) & ~size_t{3};
  }
  if (d.empty()) *error = "cannot read " + path;
  return out;
}

std::map<int, std::pair<std::u16string, uint16_t>> StringTable(const std::vector<Resource>& all) {
  std::map<int, std::pair<std::u16string, uint16_t>> out;
  for (const Resource& r : all) {
    if (r.Type != kRtString || r.Name == 0) continue;
    size_t at = 0;
    for (int i = 0; i < 16 && at + 2 <= r.Data.size(); ++i) {
      const uint16_t length = U16(r.Data, at);
      at += 2;
      if (length == 0) continue;
      std::u16string text;
      for (uint16_t k = 0; k < length && at + 2 <= r.Data.size(); ++k, at += 2) text += static_cast<char16_t>(U16(r.Data, at));
      out[(r.Name - 1) * 16 + i] = {text, r.Language};
    }
  }
  return out;
}

const Resource* Find(const std::vector<Resource>& all, uint16_t type, uint16_t name) {
  for (const Resource& r : all)
    if (r.Type == type && r.Name == name) return &r;
  return nullptr;
}

std::optional<Dib> ParseDib(const std::vector<uint8_t>& d, std::string* error) {
  if (d.size() < 40 || U32(d, 0) != 40) {
    *error = "not a BITMAPINFOHEADER";
    return std::nullopt;
  }
  Dib dib;
  dib.Width = static_cast<int32_t>(U32(d, 4));
  dib.Height = static_cast<int32_t>(U32(d, 8));
  dib.BitCount = U16(d, 14);
  dib.Compression = U32(d, 16);
  dib.SizeImage = U32(d, 20);
  dib.ClrUsed = U32(d, 32);
  const uint32_t colours = dib.ClrUsed ? dib.ClrUsed : (dib.BitCount <= 8 ? 1u << dib.BitCount : 0u);
  if (40 + 4 * colours > d.size()) {
    *error = "palette runs past the data";
    return std::nullopt;
  }
  for (uint32_t i = 0; i < colours; ++i) dib.Palette.push_back(U32(d, 40 + 4 * i) & 0xFFFFFF);
  dib.Bits.assign(d.begin() + 40 + 4 * colours, d.end());
  return dib;
}

std::optional<Dib> ReadBmpFile(const std::string& path, std::string* error) {
  std::vector<uint8_t> d = ReadAll(path);
  if (d.size() < 14 || d[0] != 'B' || d[1] != 'M') {
    *error = "not a .bmp file: " + path;
    return std::nullopt;
  }
  d.erase(d.begin(), d.begin() + 14);
  return ParseDib(d, error);
}

std::optional<std::vector<uint8_t>> DecodeRle8(const Dib& dib, std::string* error) {
  const int w = dib.Width, h = dib.Height;
  std::vector<uint8_t> px(static_cast<size_t>(w) * h);
  std::vector<bool> written(px.size());
  int x = 0, row = 0;  // row counts from the bottom
  size_t at = 0;
  const std::vector<uint8_t>& s = dib.Bits;
  auto put = [&](uint8_t v) {
    if (x >= w || row >= h) return false;
    const size_t i = static_cast<size_t>(h - 1 - row) * w + x;
    px[i] = v;
    written[i] = true;
    ++x;
    return true;
  };
  while (true) {
    if (at + 2 > s.size()) {
      *error = "stream ends without end-of-bitmap";
      return std::nullopt;
    }
    const uint8_t count = s[at], value = s[at + 1];
    at += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k)
        if (!put(value)) {
          *error = "run past the row at row " + std::to_string(row);
          return std::nullopt;
        }
      continue;
    }
    if (value == 0) {  // end of line
      ++row;
      x = 0;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {
      *error = "delta escape: pixels left unwritten";
      return std::nullopt;
    } else {  // absolute run, padded to a 16-bit word
      if (at + value > s.size()) {
        *error = "absolute run past the stream";
        return std::nullopt;
      }
      for (int k = 0; k < value; ++k)
        if (!put(s[at + k])) {
          *error = "absolute run past the row at row " + std::to_string(row);
          return std::nullopt;
        }
      at += value + (value & 1);
    }
  }
  for (size_t i = 0; i < written.size(); ++i)
    if (!written[i]) {
      *error = "pixel " + std::to_string(i % w) + "," + std::to_string(i / w) + " never written";
      return std::nullopt;
    }
  if (at != s.size() && dib.SizeImage != 0 && at != dib.SizeImage) {
    *error = "stream length " + std::to_string(at) + " differs from biSizeImage " + std::to_string(dib.SizeImage);
    return std::nullopt;
  }
  return px;
}

std::optional<std::vector<uint8_t>> Rows8(const Dib& dib, std::string* error) {
  const int w = dib.Width, h = dib.Height;
  const size_t stride = (static_cast<size_t>(w) + 3) & ~size_t{3};
  if (dib.BitCount != 8 || dib.Compression != 0 || dib.Bits.size() < stride * h) {
    *error = "not uncompressed 8-bit rows";
    return std::nullopt;
  }
  std::vector<uint8_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = dib.Bits[(h - 1 - y) * stride + x];
  return px;
}

}  // namespace kd::test
