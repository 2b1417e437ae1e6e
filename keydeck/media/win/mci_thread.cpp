#include "keydeck/media/win/mci_thread.h"

namespace kd {
namespace {

// The device the thread opened and has not closed yet, after `call`.
void Follow(const MciCall& call, MCIDEVICEID* opened) {
  if (call.Message == MCI_OPEN && call.Result == 0) *opened = call.Params.Open.wDeviceID;
  if (call.Message == MCI_CLOSE && call.Device == *opened) *opened = 0;
}

void Execute(MciCall& call) {
  if (!call.Command.empty()) {
    call.Result = mciSendStringA(call.Command.c_str(), nullptr, 0, nullptr);
    return;
  }
  call.Result = mciSendCommandA(call.Device, call.Message, call.Flags, reinterpret_cast<DWORD_PTR>(&call.Params));
}

}  // namespace

MciThread::Line::~Line() {
  if (Wake) CloseHandle(Wake);
  if (Done) CloseHandle(Done);
}

MciThread::MciThread() : line_(std::make_shared<Line>()) {
  line_->Wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  line_->Done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  auto* held = new std::shared_ptr<Line>(line_);
  DWORD id = 0;
  if (line_->Wake && line_->Done) thread_ = CreateThread(nullptr, 0, &MciThread::Main, held, 0, &id);
  if (!thread_) {
    delete held;
    givenUp_ = true;  // every call fails with kNoAnswer
  }
}

MciThread::~MciThread() {
  if (!thread_) return;
  line_->Quit = true;
  SetEvent(line_->Wake);
  // An idle thread ends at once; one stuck in a driver is left to it.
  if (!givenUp_) WaitForSingleObject(thread_, kLimitMs);
  CloseHandle(thread_);
}

DWORD WINAPI MciThread::Main(void* param) {
  const std::unique_ptr<std::shared_ptr<Line>> held(static_cast<std::shared_ptr<Line>*>(param));
  Line& line = **held;
  MCIDEVICEID opened = 0;
  for (;;) {
    // Windows a driver makes on this thread (avivideo's own video window)
    // get their messages while no call runs.
    const DWORD woke = MsgWaitForMultipleObjects(1, &line.Wake, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) {
      if (line.Quit) break;
      const std::shared_ptr<MciCall> call = std::move(line.Pending);
      if (call) {
        Execute(*call);
        Follow(*call, &opened);
      }
      SetEvent(line.Done);
    } else if (woke == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    } else {
      break;
    }
  }
  // Left open, the device would hold its file or drive until the process ends.
  if (opened) mciSendCommandA(opened, MCI_CLOSE, MCI_WAIT, 0);
  return 0;
}

MCIERROR MciThread::Run(const std::shared_ptr<MciCall>& call, DWORD limitMs) {
  if (givenUp_ || waiting_) return kNoAnswer;
  waiting_ = true;
  line_->Pending = call;
  SetEvent(line_->Wake);
  bool done = false;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD waited = GetTickCount() - start;
    if (waited >= limitMs) break;
    // Messages other threads send to the GUI thread's windows are answered
    // meanwhile (a driver may send to the panel's video window); posted
    // ones, hotkeys among them, wait in the queue for the message loop.
    const DWORD woke = MsgWaitForMultipleObjects(1, &line_->Done, FALSE, limitMs - waited, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0) {
      done = true;
      break;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  waiting_ = false;
  if (!done) {
    // The call may still be running: it is not touched again from here.
    GiveUp();
    return kNoAnswer;
  }
  return call->Result;
}

void MciThread::GiveUp() {
  givenUp_ = true;
  // The thread ends as soon as the driver lets it, after closing its device.
  line_->Quit = true;
  SetEvent(line_->Wake);
}

}  // namespace kd
