// The one MCI device the media panel controls, as the panel needs it. The
// Win32 side sends MCI commands (notification to the panel's window on
// every command); host tests use a scripted device. Nothing here includes
// windows.h.
#pragma once

#include <cstdint>
#include <string>

namespace kd {

// Device modes as the panel reads them: the MCI mode minus
// MCI_MODE_NOT_READY (524). A device that is not open reads kModeNotReady.
enum MediaMode {
  kModeNotReady = 0,
  kModeStopped = 1,
  kModePlaying = 2,
  kModeRecording = 3,
  kModeSeeking = 4,
  kModePaused = 5,
  kModeOpen = 6,
};

enum class DeviceType { Automatic, CdAudio };  // no type given, or "CDAudio"

// MCI time formats by their MCI values.
enum class TimeFormat : uint32_t { Frames = 3, Tmsf = 10 };

// TMSF position: track in the lowest byte, then minutes, seconds, frames.
constexpr uint32_t Tmsf(uint32_t track, uint32_t minutes, uint32_t seconds, uint32_t frames = 0) {
  return (track & 0xFF) | (minutes & 0xFF) << 8 | (seconds & 0xFF) << 16 | (frames & 0xFF) << 24;
}
constexpr uint32_t TmsfTrack(uint32_t p) { return p & 0xFF; }
constexpr uint32_t TmsfMinutes(uint32_t p) { return p >> 8 & 0xFF; }
constexpr uint32_t TmsfSeconds(uint32_t p) { return p >> 16 & 0xFF; }
// MSF length (of a track): minutes in the lowest byte, then seconds, frames.
constexpr uint32_t MsfMinutes(uint32_t l) { return l & 0xFF; }
constexpr uint32_t MsfSeconds(uint32_t l) { return l >> 8 & 0xFF; }

// Every command returns the MCI error code (0 = success) and leaves it as
// LastError(). Positions and lengths are in the current time format; a
// status query that fails reads 0.
class MediaDevice {
 public:
  virtual ~MediaDevice() = default;
  // Opens shareable, with the given type and element (file or "e:").
  virtual uint32_t Open(DeviceType type, const std::string& element) = 0;
  virtual uint32_t Close() = 0;  // no effect (and 0) when not open
  virtual uint32_t SetTimeFormat(TimeFormat format) = 0;
  virtual uint32_t Play() = 0;  // from the current position
  virtual uint32_t PlayFrom(uint32_t position) = 0;
  virtual uint32_t Stop() = 0;
  virtual uint32_t Pause() = 0;
  virtual uint32_t Resume() = 0;
  virtual uint32_t Seek(uint32_t position) = 0;
  virtual uint32_t SeekToStart() = 0;  // waits until done
  virtual int Mode() = 0;
  virtual uint32_t Position() = 0;
  virtual uint32_t Length() = 0;
  virtual uint32_t Tracks() = 0;
  virtual uint32_t TrackStart(uint32_t track) = 0;   // TMSF
  virtual uint32_t TrackLength(uint32_t track) = 0;  // MSF
  // The window that shows video, 0 for the device's own; recorded while
  // the device is not open and applied by the next open.
  virtual void SetDisplayWindow(uintptr_t window) = 0;
  virtual void SetDisplayRect(int left, int top, int width, int height) = 0;
  virtual uint32_t LastError() const = 0;
  // The system's text for an error code, "Unknown error code" when none.
  virtual std::string ErrorText(uint32_t code) = 0;
  // A command string to the system's default device of its type (the CD
  // door commands). Returns its MCI error code; LastError() stays as it was.
  virtual uint32_t SendString(const std::string& command) = 0;
};

}  // namespace kd
