#include "keydeck/media/win/win_media_device.h"

#include <digitalv.h>

namespace kd {
namespace {

constexpr const char* kCdAudioType = "CDAudio";
constexpr const char* kUnknownErrorText = "Unknown error code";

}  // namespace

WinMediaDevice::~WinMediaDevice() {
  // A device left open would keep the drive or file busy for other programs.
  if (id_ != 0) mciSendCommandA(id_, MCI_CLOSE, MCI_WAIT, 0);
}

uint32_t WinMediaDevice::Send(UINT message, DWORD_PTR flags, void* params) {
  lastError_ = static_cast<uint32_t>(mciSendCommandA(id_, message, flags, reinterpret_cast<DWORD_PTR>(params)));
  return lastError_;
}

uint32_t WinMediaDevice::Notifying(UINT message, DWORD_PTR flags, MCI_GENERIC_PARMS* params) {
  params->dwCallback = reinterpret_cast<DWORD_PTR>(notify_);
  return Send(message, flags | (notify_ ? MCI_NOTIFY : 0), params);
}

uint32_t WinMediaDevice::Open(DeviceType type, const std::string& element) {
  MCI_OPEN_PARMSA open = {};
  open.dwCallback = reinterpret_cast<DWORD_PTR>(notify_);
  DWORD_PTR flags = MCI_OPEN_SHAREABLE | (notify_ ? MCI_NOTIFY : 0);
  if (type == DeviceType::CdAudio) {
    open.lpstrDeviceType = kCdAudioType;
    flags |= MCI_OPEN_TYPE;
  }
  if (!element.empty()) {
    open.lpstrElementName = element.c_str();
    flags |= MCI_OPEN_ELEMENT;
  }
  // The open command is sent to no device yet: id 0.
  lastError_ = static_cast<uint32_t>(mciSendCommandA(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&open)));
  if (lastError_ != 0) return lastError_;
  id_ = open.wDeviceID;
  ApplyDisplay();
  return lastError_;
}

uint32_t WinMediaDevice::Close() {
  if (id_ == 0) return 0;
  MCI_GENERIC_PARMS close = {};
  Send(MCI_CLOSE, MCI_WAIT, &close);
  id_ = 0;
  return lastError_;
}

uint32_t WinMediaDevice::SetTimeFormat(TimeFormat format) {
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = static_cast<DWORD>(format);
  set.dwCallback = reinterpret_cast<DWORD_PTR>(notify_);
  return Send(MCI_SET, MCI_SET_TIME_FORMAT | (notify_ ? MCI_NOTIFY : 0), &set);
}

uint32_t WinMediaDevice::Play() {
  MCI_PLAY_PARMS play = {};
  return Notifying(MCI_PLAY, 0, reinterpret_cast<MCI_GENERIC_PARMS*>(&play));
}

uint32_t WinMediaDevice::PlayFrom(uint32_t position) {
  MCI_PLAY_PARMS play = {};
  play.dwFrom = position;
  return Notifying(MCI_PLAY, MCI_FROM, reinterpret_cast<MCI_GENERIC_PARMS*>(&play));
}

uint32_t WinMediaDevice::Stop() {
  MCI_GENERIC_PARMS stop = {};
  return Notifying(MCI_STOP, 0, &stop);
}

uint32_t WinMediaDevice::Pause() {
  MCI_GENERIC_PARMS pause = {};
  return Notifying(MCI_PAUSE, 0, &pause);
}

uint32_t WinMediaDevice::Resume() {
  MCI_GENERIC_PARMS resume = {};
  return Notifying(MCI_RESUME, 0, &resume);
}

uint32_t WinMediaDevice::Seek(uint32_t position) {
  MCI_SEEK_PARMS seek = {};
  seek.dwTo = position;
  return Notifying(MCI_SEEK, MCI_TO, reinterpret_cast<MCI_GENERIC_PARMS*>(&seek));
}

uint32_t WinMediaDevice::SeekToStart() {
  MCI_SEEK_PARMS seek = {};
  return Send(MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, &seek);
}

uint32_t WinMediaDevice::Status(DWORD item, DWORD track) {
  MCI_STATUS_PARMS status = {};
  status.dwItem = item;
  status.dwTrack = track;
  DWORD_PTR flags = MCI_STATUS_ITEM | MCI_WAIT | (track != 0 ? MCI_TRACK : 0);
  if (Send(MCI_STATUS, flags, &status) != 0) return 0;
  return static_cast<uint32_t>(status.dwReturn);
}

int WinMediaDevice::Mode() {
  const uint32_t mode = Status(MCI_STATUS_MODE);
  if (lastError_ != 0 || mode < MCI_MODE_NOT_READY) return kModeNotReady;
  return static_cast<int>(mode - MCI_MODE_NOT_READY);
}

uint32_t WinMediaDevice::Position() { return Status(MCI_STATUS_POSITION); }
uint32_t WinMediaDevice::Length() { return Status(MCI_STATUS_LENGTH); }
uint32_t WinMediaDevice::Tracks() { return Status(MCI_STATUS_NUMBER_OF_TRACKS); }
uint32_t WinMediaDevice::TrackStart(uint32_t track) { return Status(MCI_STATUS_POSITION, track); }
uint32_t WinMediaDevice::TrackLength(uint32_t track) { return Status(MCI_STATUS_LENGTH, track); }

void WinMediaDevice::SetDisplayWindow(uintptr_t window) {
  display_ = reinterpret_cast<HWND>(window);
  if (id_ != 0) ApplyDisplay();
}

void WinMediaDevice::SetDisplayRect(int left, int top, int width, int height) {
  rect_ = {left, top, width, height};
  hasRect_ = true;
  if (id_ != 0) ApplyDisplay();
}

// Only devices that show video take a window; the answer of the others
// (CD audio, wave) is no error of the panel's, so the last error is kept.
void WinMediaDevice::ApplyDisplay() {
  const uint32_t kept = lastError_;
  MCI_GETDEVCAPS_PARMS caps = {};
  caps.dwItem = MCI_GETDEVCAPS_HAS_VIDEO;
  if (Send(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT, &caps) == 0 && caps.dwReturn) {
    MCI_DGV_WINDOW_PARMSA window = {};
    window.hWnd = display_ ? display_ : MCI_DGV_WINDOW_DEFAULT;
    Send(MCI_WINDOW, MCI_DGV_WINDOW_HWND | MCI_WAIT, &window);
    if (hasRect_ && display_) {
      MCI_DGV_PUT_PARMS put = {};
      put.rc = rect_;
      Send(MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT | MCI_WAIT, &put);
    }
  }
  lastError_ = kept;
}

std::string WinMediaDevice::ErrorText(uint32_t code) {
  char text[256] = {};
  if (!mciGetErrorStringA(code, text, sizeof text) || text[0] == '\0') return kUnknownErrorText;
  return text;
}

void WinMediaDevice::SendString(const std::string& command) {
  mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

}  // namespace kd
