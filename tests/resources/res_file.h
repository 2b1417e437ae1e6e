// Reads a compiled resource file (.res, as windres -O res writes it) and
// the DIB and RLE8 formats of its bitmaps, for the host tests.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kd::test {

constexpr uint16_t kRtBitmap = 2;
constexpr uint16_t kRtString = 6;
constexpr uint16_t kRtGroupIcon = 14;

struct Resource {
  uint16_t Type = 0;  // numeric types and names only: ours use no others
  uint16_t Name = 0;
  uint16_t Language = 0;
  std::vector<uint8_t> Data;
};

// All resources of the file; an error text when it is malformed.
std::vector<Resource> ReadResFile(const std::string& path, std::string* error);

// The string table: id -> (UTF-16 text, language of its resource).
std::map<int, std::pair<std::u16string, uint16_t>> StringTable(const std::vector<Resource>& all);

const Resource* Find(const std::vector<Resource>& all, uint16_t type, uint16_t name);

struct Dib {
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t BitCount = 0;
  uint32_t Compression = 0;
  uint32_t SizeImage = 0;
  uint32_t ClrUsed = 0;
  std::vector<uint32_t> Palette;  // 0x00RRGGBB
  std::vector<uint8_t> Bits;      // as stored: RLE8 stream or padded rows
};

std::optional<Dib> ParseDib(const std::vector<uint8_t>& data, std::string* error);
// A .bmp file: the file header, then a DIB.
std::optional<Dib> ReadBmpFile(const std::string& path, std::string* error);

// Palette indices, top row first, Width * Height of them. Fails on a
// stream that writes past a row or the picture, leaves a pixel unwritten,
// or lacks its end-of-bitmap mark.
std::optional<std::vector<uint8_t>> DecodeRle8(const Dib& dib, std::string* error);
// The same from uncompressed 8-bit rows.
std::optional<std::vector<uint8_t>> Rows8(const Dib& dib, std::string* error);

}  // namespace kd::test
