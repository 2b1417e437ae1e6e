// The media panel's MCI device over mciSendCommandA. Every command that
// starts or changes playback asks for a notification to the panel's window
// (MM_MCINOTIFY), so the end or interruption of a play reaches the panel.
// Status queries wait for their answer and notify nothing: the panel's end
// handler reads the mode, and a notifying query would feed itself.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "keydeck/media/media_device.h"

namespace kd {

class WinMediaDevice final : public MediaDevice {
 public:
  WinMediaDevice() = default;
  ~WinMediaDevice() override;
  WinMediaDevice(const WinMediaDevice&) = delete;
  WinMediaDevice& operator=(const WinMediaDevice&) = delete;

  // The window that receives MM_MCINOTIFY (lParam: the device id).
  void SetNotifyWindow(HWND window) { notify_ = window; }
  MCIDEVICEID DeviceId() const { return id_; }
  bool IsOpen() const { return id_ != 0; }

  uint32_t Open(DeviceType type, const std::string& element) override;
  uint32_t Close() override;
  uint32_t SetTimeFormat(TimeFormat format) override;
  uint32_t Play() override;
  uint32_t PlayFrom(uint32_t position) override;
  uint32_t Stop() override;
  uint32_t Pause() override;
  uint32_t Resume() override;
  uint32_t Seek(uint32_t position) override;
  uint32_t SeekToStart() override;
  int Mode() override;
  uint32_t Position() override;
  uint32_t Length() override;
  uint32_t Tracks() override;
  uint32_t TrackStart(uint32_t track) override;
  uint32_t TrackLength(uint32_t track) override;
  void SetDisplayWindow(uintptr_t window) override;
  void SetDisplayRect(int left, int top, int width, int height) override;
  uint32_t LastError() const override { return lastError_; }
  std::string ErrorText(uint32_t code) override;
  void SendString(const std::string& command) override;

 private:
  uint32_t Send(UINT message, DWORD_PTR flags, void* params);
  uint32_t Notifying(UINT message, DWORD_PTR flags, MCI_GENERIC_PARMS* params);
  uint32_t Status(DWORD item, DWORD track = 0);
  void ApplyDisplay();

  MCIDEVICEID id_ = 0;
  HWND notify_ = nullptr;
  uint32_t lastError_ = 0;
  HWND display_ = nullptr;
  bool hasRect_ = false;
  RECT rect_ = {0, 0, 0, 0};  // left, top, width, height (MCI's own reading)
};

}  // namespace kd
