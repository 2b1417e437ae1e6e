// The on-screen display: a short text or a volume bar drawn after a hotkey
// (onto the desktop, or from Vista on into a window of its own), wiped by
// Timer1. Decisions (place, geometry,
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

// From Vista on the desktop is composed: what is drawn on the desktop
// window's DC is overwritten by the compositor and erased by any repaint
// beneath it, so there the OSD draws into a window of its own (a topmost,
// click-through, colour-keyed layered window). 95 to XP draw on the desktop.
bool DrawsInOwnWindow(uint32_t packedVersion);

// The colour of the OSD window that lets the screen show through. Magenta,
// which no fixed OSD colour is near; a text colour within a few steps of
// it in every channel (16-bit displays merge such neighbours) would vanish,
// so then a dark teal that is far from every fixed colour.
constexpr uint32_t kOsdColorKey = 0xFF00FF;
constexpr uint32_t kOsdColorKeyForMagentaText = 0x808000;
uint32_t OsdColorKey(uint32_t textColor);

// A screen rectangle, right and bottom exclusive.
struct OsdRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Empty() const { return Right <= Left || Bottom <= Top; }
};
OsdRect UnionOf(const OsdRect& a, const OsdRect& b);  // an empty side adds nothing
// What a text of the given extent at `at` covers: a margin of half its
// height and 2 pixels around it, for italic overhang and underline.
OsdRect TextCover(OsdPoint at, int width, int height);
// The bar's rectangle with its outline.
OsdRect BarCover(const VolumeBarGeometry& bar);

// What the OSD window shows until the wipe: the latest text and the latest
// bar (each new one replaces its predecessor, as the OSD holds one text),
// with the area that they cover together, where the window is placed.
class OsdScene {
 public:
  struct Text {
    OsdFontDescription Font;
    uint32_t Color = 0;
    OsdPoint At;
    std::string Chars;
    OsdRect Cover;
  };
  struct Bar {
    VolumeBarGeometry Geometry;
    OsdRect Cover;
  };

  void SetText(const Text& text) { text_ = text; hasText_ = true; }
  void SetBar(const Bar& bar) { bar_ = bar; hasBar_ = true; }
  void Clear() { hasText_ = hasBar_ = false; }

  const Text* CurrentText() const { return hasText_ ? &text_ : nullptr; }
  const Bar* CurrentBar() const { return hasBar_ ? &bar_ : nullptr; }
  OsdRect Bounds() const;
  // The colour key for what is shown now.
  uint32_t ColorKey() const { return OsdColorKey(hasText_ ? text_.Color : 0); }

 private:
  Text text_;
  Bar bar_;
  bool hasText_ = false;
  bool hasBar_ = false;
};

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
