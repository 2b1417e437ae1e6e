// The on-screen display: a short text or a volume bar drawn straight onto
// the desktop after a hotkey, wiped by Timer1. Decisions (place, geometry,
// font description, wipe timing) live here; drawing goes through OsdCanvas
// and the wipe timer through OsdTimer, which the Windows side implements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kd {

// Style bits of OsdFont::Style.
constexpr int kOsdUnderline = 1;
constexpr int kOsdStrikeOut = 2;
constexpr int kOsdItalic = 4;
constexpr int kOsdBold = 8;

struct OsdFont {
  std::string FaceName = "Arial";
  int Size = 12;      // font height as given to the font description
  int Style = 0;      // kOsd* bits
  uint32_t Color = 0x8000;  // 0x00BBGGRR
  uint16_t CharSet = 1;
};

// The fields of a Windows LOGFONT that the OSD sets; all others are 0.
struct OsdFontDescription {
  int32_t Height = 0;
  int32_t Weight = 0;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  uint8_t CharSet = 0;
  std::string FaceName;  // at most 31 characters reach the LOGFONT
};

OsdFontDescription DescribeOsdFont(const OsdFont& font);
// Takes face, height, character set and style from a description (after
// the font dialog); the colour is left alone.
void ApplyFontDescription(const OsdFontDescription& description, OsdFont& font);

struct OsdPoint {
  int X = 0;
  int Y = 0;
};

// Top-left corner of the text for a MsgLoc code: 1 upper left, 2 upper
// right, 3 lower left, 4 centre, anything else lower right.
OsdPoint OsdPlace(int msgLoc, int screenWidth, int screenHeight);

constexpr uint32_t kVolumeBarBlue = 0xFF0000;
constexpr uint32_t kVolumeBarYellow = 0x00FFFF;
constexpr uint32_t kVolumeTextWhite = 0xFFFFFF;
constexpr int kVolumeBarHeight = 30;
constexpr int kVolumeTextPoints = 12;

struct VolumeBarGeometry {
  int Top = 0;        // the bar spans Top .. Top + kVolumeBarHeight
  int Width = 0;      // blue part: 0 .. Width
  int FillRight = 0;  // yellow part: 0 .. FillRight
  OsdPoint TextAt;    // percentage text corner
  std::string Percent;
};

// Geometry for a level 0..255 (values outside are clamped).
VolumeBarGeometry VolumeBarFor(int level, int screenWidth, int screenHeight);

// The drawn text has room for this many characters; longer ones are cut.
constexpr std::size_t kOsdTextMax = 127;

constexpr unsigned kTextWipeMs = 1000;
constexpr unsigned kBarWipeMs = 2000;

// The wipe re-applies the desktop wallpaper, which repaints the desktop.
// That call (no file name) re-reads the wallpaper on the 9x family and NT up
// to XP; from Vista on it is documented to revert to the default wallpaper,
// so there the wipe only repaints the covered area. `packedVersion` is
// GetVersion()'s result.
bool WipeReappliesWallpaper(uint32_t packedVersion);

// Where the OSD draws. Implementations draw at once and remember what they
// covered so that Wipe can restore it.
class OsdCanvas {
 public:
  virtual ~OsdCanvas() = default;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Glyphs only (transparent background), top-left corner at `at`.
  virtual void DrawText(const OsdFontDescription& font, uint32_t color, OsdPoint at,
                        const std::string& text) = 0;
  virtual void DrawVolumeBar(const VolumeBarGeometry& bar) = 0;
  // Repaints the desktop so that every drawing is gone.
  virtual void Wipe() = 0;
};

// Timer1: one shot. Start restarts it with a new interval; Stop ends it.
class OsdTimer {
 public:
  virtual ~OsdTimer() = default;
  virtual void Start(unsigned intervalMs) = 0;
  virtual void Stop() = 0;
};

class Osd {
 public:
  Osd(OsdCanvas& canvas, OsdTimer& timer) : canvas_(canvas), timer_(timer) {}

  void ShowOsdText(const std::string& text);
  void ShowVolumeBar(int level);  // 0..255
  void Timer1Timer();             // WipeOsd
  void SetLocation(int msgLoc, int screenWidth, int screenHeight);
  // The same, on the canvas's screen (the menu's place items).
  void SetLocation(int msgLoc);

  const std::string& Text() const { return text_; }
  OsdPoint LastDrawn() const { return last_; }

  int OsdX = 0;
  int OsdY = 0;
  OsdFont Font;
  bool Enabled = true;  // check mark of Enable1

 private:
  OsdCanvas& canvas_;
  OsdTimer& timer_;
  std::string text_;
  OsdPoint last_;
};

}  // namespace kd
