// The media panel's MCI device over mciSendCommandA. Every command that
// starts or changes playback asks for a notification to the panel's window
// (MM_MCINOTIFY), so the end or interruption of a play reaches the panel.
// Status queries wait for their answer and notify nothing: the panel's end
// handler reads the mode, and a notifying query would feed itself.
//
// The commands run on an MCI thread of the device's own (mci_thread.h), so
// that no driver holds the GUI thread for longer than the thread's limits.
// When a command overruns, the device is given up with its thread, reads
// as not open, and the next Open starts afresh on a new thread.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <memory>

#include "keydeck/media/media_device.h"
#include "keydeck/media/win/mci_thread.h"

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
  uint32_t SendString(const std::string& command) override;

  // Any other command to the open device, run where the device lives (MCI
  // refuses a device to other threads). The call carries its parameters
  // and then the answer; the last error stays as it was.
  MCIERROR Command(const std::shared_ptr<MciCall>& call);

 private:
  // A command to the open device, notifying the panel's window when
  // `notify` (and a window is set).
  std::shared_ptr<MciCall> NewCall(UINT message, DWORD_PTR flags, bool notify = false) const;
  // Runs a call on the MCI thread (a new one after one was given up); a
  // thread given up takes the open device with it.
  MCIERROR Run(const std::shared_ptr<MciCall>& call);
  uint32_t Send(const std::shared_ptr<MciCall>& call);  // and keeps the result as the last error
  uint32_t StartPlay(bool from, uint32_t position);
  uint32_t Status(DWORD item, DWORD track = 0);
  void ApplyDisplay();

  std::unique_ptr<MciThread> thread_;
  MCIDEVICEID id_ = 0;
  HWND notify_ = nullptr;
  uint32_t lastError_ = 0;
  HWND display_ = nullptr;
  bool hasRect_ = false;
  RECT rect_ = {0, 0, 0, 0};  // left, top, width, height (MCI's own reading)
};

}  // namespace kd
