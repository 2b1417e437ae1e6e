// The thread the media panel's MCI calls run on. MCI knows a device only
// in the thread that opened it, so every call to it goes through here. A
// driver may take its time or never answer at all (Wine's digital-video
// drivers can deadlock inside a stop; a real CD drive spins up); the GUI
// thread hands each call over and waits for it at most a moment. A call
// that takes longer is given up together with the thread: the GUI goes
// on, and the thread, should the driver ever return, closes the device it
// opened and ends.
#pragma once

#include <windows.h>
#include <digitalv.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace kd {

// One MCI call with everything it points to, owned by the call: a call
// given up on may still run to its end after its caller has left.
struct MciCall {
  MCIDEVICEID Device = 0;
  UINT Message = 0;
  DWORD_PTR Flags = 0;
  union {
    MCI_GENERIC_PARMS Generic;
    MCI_OPEN_PARMSA Open;
    MCI_PLAY_PARMS Play;
    MCI_SEEK_PARMS Seek;
    MCI_SET_PARMS Set;
    MCI_STATUS_PARMS Status;
    MCI_DGV_STATUS_PARMSA VideoStatus;
    MCI_DGV_RECT_PARMS Rect;
    MCI_GETDEVCAPS_PARMS Caps;
    MCI_DGV_WINDOW_PARMSA Window;
    MCI_DGV_PUT_PARMS Put;
  } Params = {};
  std::string Type, Element, Alias;  // what Params.Open points at
  std::string Command;               // when set, a command string instead
  MCIERROR Result = 0;
};

class MciThread {
 public:
  // How long the GUI thread waits for one call: an open, which may load a
  // driver and its codecs for the first time (Wine's mpegvideo starts
  // GStreamer), and any other command.
  static constexpr DWORD kOpenLimitMs = 5000;
  static constexpr DWORD kLimitMs = 2000;
  // What a call that was given up on, or never started, returns.
  static constexpr MCIERROR kNoAnswer = MCIERR_DEVICE_NOT_READY;

  MciThread();
  // Asks the thread to end and waits for it at most kLimitMs.
  ~MciThread();
  MciThread(const MciThread&) = delete;
  MciThread& operator=(const MciThread&) = delete;

  // Runs the call on the thread and returns its result. kNoAnswer when it
  // did not finish within `limitMs` (the thread is given up then), when
  // the thread was given up before, or when a call is already waiting (a
  // message sent to the GUI thread meanwhile led back here).
  MCIERROR Run(const std::shared_ptr<MciCall>& call, DWORD limitMs);
  bool GivenUp() const { return givenUp_; }

 private:
  // What the GUI thread and the MCI thread share.
  struct Line {
    HANDLE Wake = nullptr;  // a call is pending, or the thread is to end
    HANDLE Done = nullptr;  // the pending call finished
    std::shared_ptr<MciCall> Pending;  // written only while the thread is idle
    std::atomic<bool> Quit{false};
    ~Line();
  };
  static DWORD WINAPI Main(void* line);
  void GiveUp();

  std::shared_ptr<Line> line_;
  HANDLE thread_ = nullptr;
  bool givenUp_ = false;
  bool waiting_ = false;
};

}  // namespace kd
