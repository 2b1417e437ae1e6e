#include "keydeck/media/win/win_media_device.h"

#include <digitalv.h>

#include <atomic>
#include <string>

namespace kd {
namespace {

constexpr const char* kCdAudioType = "CDAudio";
constexpr const char* kUnknownErrorText = "Unknown error code";

// Each open under a name of its own: without one, MCI names the device by
// its element, and a device given up with its thread, still holding that
// name, would refuse the same file or drive to every later open.
std::string NewAlias() {
  static std::atomic<unsigned> opened{0};
  return "KeydeckMedia" + std::to_string(++opened);
}

}  // namespace

WinMediaDevice::~WinMediaDevice() {
  // A device left open would keep the drive or file busy for other programs.
  Close();
}

std::shared_ptr<MciCall> WinMediaDevice::NewCall(UINT message, DWORD_PTR flags, bool notify) const {
  auto call = std::make_shared<MciCall>();
  call->Device = id_;
  call->Message = message;
  call->Flags = flags;
  if (notify && notify_) {
    call->Flags |= MCI_NOTIFY;
    call->Params.Generic.dwCallback = reinterpret_cast<DWORD_PTR>(notify_);
  }
  return call;
}

MCIERROR WinMediaDevice::Run(const std::shared_ptr<MciCall>& call) {
  if (!thread_ || thread_->GivenUp()) thread_ = std::make_unique<MciThread>();
  const MCIERROR result =
      thread_->Run(call, call->Message == MCI_OPEN ? MciThread::kOpenLimitMs : MciThread::kLimitMs);
  // The thread closes the device itself once the driver lets it go.
  if (thread_->GivenUp()) id_ = 0;
  return result;
}

uint32_t WinMediaDevice::Send(const std::shared_ptr<MciCall>& call) {
  lastError_ = static_cast<uint32_t>(Run(call));
  return lastError_;
}

uint32_t WinMediaDevice::Open(DeviceType type, const std::string& element) {
  auto call = NewCall(MCI_OPEN, MCI_OPEN_SHAREABLE | MCI_OPEN_ALIAS, true);
  call->Device = 0;  // the open command goes to no device yet
  call->Alias = NewAlias();
  call->Params.Open.lpstrAlias = call->Alias.c_str();
  if (type == DeviceType::CdAudio) {
    call->Type = kCdAudioType;
    call->Params.Open.lpstrDeviceType = call->Type.c_str();
    call->Flags |= MCI_OPEN_TYPE;
  }
  if (!element.empty()) {
    call->Element = element;
    call->Params.Open.lpstrElementName = call->Element.c_str();
    call->Flags |= MCI_OPEN_ELEMENT;
  }
  if (Send(call) != 0) return lastError_;
  id_ = call->Params.Open.wDeviceID;
  ApplyDisplay();
  // A display call that overran took the new device with its thread.
  if (id_ == 0) lastError_ = MciThread::kNoAnswer;
  return lastError_;
}

uint32_t WinMediaDevice::Close() {
  if (id_ == 0) return 0;
  Send(NewCall(MCI_CLOSE, MCI_WAIT));
  id_ = 0;
  return lastError_;
}

uint32_t WinMediaDevice::SetTimeFormat(TimeFormat format) {
  auto call = NewCall(MCI_SET, MCI_SET_TIME_FORMAT, true);
  call->Params.Set.dwTimeFormat = static_cast<DWORD>(format);
  return Send(call);
}

uint32_t WinMediaDevice::Play() { return StartPlay(false, 0); }

uint32_t WinMediaDevice::PlayFrom(uint32_t position) { return StartPlay(true, position); }

// Wine's digital-video drivers (avivideo, mpegvideo) start a second player
// beside a paused or running one instead of taking it over; the two share
// the device's wave output, events and lock, and a later stop, seek, close
// or repaint can wait on them forever. So a play over an unfinished one
// first stops it, and plays from where it stood. On other systems this is
// the same play.
uint32_t WinMediaDevice::StartPlay(bool from, uint32_t position) {
  const int mode = Mode();
  if (mode == kModePaused || mode == kModePlaying) {
    if (!from) position = Position();
    from = true;
    Send(NewCall(MCI_STOP, MCI_WAIT));
  }
  auto call = NewCall(MCI_PLAY, from ? MCI_FROM : 0, true);
  call->Params.Play.dwFrom = position;
  return Send(call);
}

uint32_t WinMediaDevice::Stop() { return Send(NewCall(MCI_STOP, 0, true)); }
uint32_t WinMediaDevice::Pause() { return Send(NewCall(MCI_PAUSE, 0, true)); }
uint32_t WinMediaDevice::Resume() { return Send(NewCall(MCI_RESUME, 0, true)); }

uint32_t WinMediaDevice::Seek(uint32_t position) {
  auto call = NewCall(MCI_SEEK, MCI_TO, true);
  call->Params.Seek.dwTo = position;
  return Send(call);
}

uint32_t WinMediaDevice::SeekToStart() { return Send(NewCall(MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT)); }

uint32_t WinMediaDevice::Status(DWORD item, DWORD track) {
  auto call = NewCall(MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | (track != 0 ? MCI_TRACK : 0));
  call->Params.Status.dwItem = item;
  call->Params.Status.dwTrack = track;
  if (Send(call) != 0) return 0;
  return static_cast<uint32_t>(call->Params.Status.dwReturn);
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
  auto caps = NewCall(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT);
  caps->Params.Caps.dwItem = MCI_GETDEVCAPS_HAS_VIDEO;
  if (Run(caps) != 0 || !caps->Params.Caps.dwReturn) return;
  auto window = NewCall(MCI_WINDOW, MCI_DGV_WINDOW_HWND | MCI_WAIT);
  window->Params.Window.hWnd = display_ ? display_ : MCI_DGV_WINDOW_DEFAULT;
  Run(window);
  if (!hasRect_ || !display_) return;
  auto put = NewCall(MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT | MCI_WAIT);
  put->Params.Put.rc = rect_;
  Run(put);
}

std::string WinMediaDevice::ErrorText(uint32_t code) {
  char text[256] = {};
  if (!mciGetErrorStringA(code, text, sizeof text) || text[0] == '\0') return kUnknownErrorText;
  return text;
}

MCIERROR WinMediaDevice::Command(const std::shared_ptr<MciCall>& call) {
  call->Device = id_;
  return Run(call);
}

uint32_t WinMediaDevice::SendString(const std::string& command) {
  auto call = std::make_shared<MciCall>();
  call->Command = command;
  return static_cast<uint32_t>(Run(call));
}

}  // namespace kd
