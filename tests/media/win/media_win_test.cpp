// The media panel's MCI device and drives against the real system calls
// under Wine. media_win.sh prepares C:\kdmedia (AVIs made by ffmpeg: a 3 s
// clip and a 10 s one) and three folders mounted as CD-ROM drives: D:
// "Audio CD", E: a video CD with MPEGAV\AVSEQ01.DAT (6 s) and AVSEQ02.DAT,
// F: a data disc.
#include <windows.h>

#include <digitalv.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "keydeck/media/win/win_drives.h"
#include "keydeck/media/win/win_media_device.h"

namespace kd {
namespace {

constexpr const char* kClip = "C:\\kdmedia\\clip.avi";  // 75 frames at 25 fps
constexpr uint32_t kClipFrames = 75;
constexpr const char* kLongClip = "C:\\kdmedia\\long.avi";  // 10 s

// Milliseconds `call` took.
template <typename F>
DWORD Took(F call) {
  const DWORD start = GetTickCount();
  call();
  return GetTickCount() - start;
}

// A window that records the MM_MCINOTIFY reports it receives.
class NotifyWindow {
 public:
  NotifyWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &NotifyWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KdMediaNotifyTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~NotifyWindow() { DestroyWindow(window_); }
  HWND Window() const { return window_; }

  struct Report {
    WPARAM Flags;
    LPARAM Device;
  };
  std::vector<Report> Reports;
  std::vector<UINT> Handled;  // WM_APP and above, in the order handled

  // Pumps messages for `ms` milliseconds, or until a report with `flags`
  // arrives (flags 0: the whole time). True when it arrived.
  bool Pump(DWORD ms, WPARAM flags = 0) {
    const DWORD start = GetTickCount();
    const size_t seen = Reports.size();
    while (GetTickCount() - start < ms) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      for (size_t i = seen; flags && i < Reports.size(); ++i)
        if (Reports[i].Flags == flags) return true;
      Sleep(10);
    }
    return false;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == MM_MCINOTIFY && self) {
      self->Reports.push_back({wParam, lParam});
      return 0;
    }
    if (message >= WM_APP && self) {
      self->Handled.push_back(message);
      return message - WM_APP;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
};

class MediaDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { device.SetNotifyWindow(notify.Window()); }
  // Opens the clip in frames; the open's own reports are drained.
  void OpenClip() {
    ASSERT_EQ(0u, device.Open(DeviceType::Automatic, kClip)) << device.ErrorText(device.LastError());
    ASSERT_EQ(0u, device.SetTimeFormat(TimeFormat::Frames));
    notify.Pump(200);
    notify.Reports.clear();
  }
  NotifyWindow notify;
  WinMediaDevice device;
};

TEST_F(MediaDeviceTest, AviPlaysToItsEndCountingFramesAndReportsSuccess) {
  OpenClip();
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(kModeStopped, device.Mode());
  EXPECT_EQ(kClipFrames, device.Length());
  EXPECT_EQ(0u, device.Position());

  ASSERT_EQ(0u, device.Play());
  EXPECT_EQ(kModePlaying, device.Mode());
  notify.Pump(400);
  const uint32_t running = device.Position();
  EXPECT_GT(running, 0u) << "frames counted while playing";
  EXPECT_LT(running, kClipFrames);

  ASSERT_TRUE(notify.Pump(20000, MCI_NOTIFY_SUCCESSFUL)) << "no SUCCESSFUL report at the end";
  EXPECT_EQ(static_cast<LPARAM>(device.DeviceId()), notify.Reports.back().Device);
  EXPECT_EQ(kModeStopped, device.Mode());
  // Wine's avivideo stops on the last frame, one short of the length.
  EXPECT_GE(device.Position(), kClipFrames - 1);
  EXPECT_LE(device.Position(), kClipFrames);
  EXPECT_EQ(0u, device.LastError());
}

TEST_F(MediaDeviceTest, SeekPauseResumeStopAndSeekToStart) {
  OpenClip();
  EXPECT_EQ(0u, device.Seek(50));
  notify.Pump(100);
  EXPECT_EQ(50u, device.Position());

  ASSERT_EQ(0u, device.PlayFrom(10));
  notify.Pump(200);
  ASSERT_EQ(0u, device.Pause());
  EXPECT_EQ(kModePaused, device.Mode());
  const uint32_t paused = device.Position();
  EXPECT_GE(paused, 10u);
  notify.Pump(300);
  EXPECT_EQ(paused, device.Position()) << "a paused device stands still";

  // The panel resumes with a play from where the pause left it.
  ASSERT_EQ(0u, device.Play());
  EXPECT_EQ(kModePlaying, device.Mode());
  notify.Pump(200);
  EXPECT_GT(device.Position(), paused);
  notify.Reports.clear();
  EXPECT_EQ(0u, device.Stop());
  EXPECT_EQ(kModeStopped, device.Mode());
  EXPECT_EQ(0u, device.PlayFrom(5));
  notify.Pump(200);
  EXPECT_EQ(0u, device.Stop()) << "stop of a fresh play";
  EXPECT_EQ(kModeStopped, device.Mode());
  notify.Pump(1000);
  std::string flags;
  for (const auto& r : notify.Reports) flags += std::to_string(r.Flags) + " ";
  // The interrupted play and the stop report to the window (Wine calls
  // both SUCCESSFUL; the panel reads the mode, not the kind of report).
  EXPECT_GE(notify.Reports.size(), 2u) << "reports: " << flags;

  ASSERT_EQ(0u, device.SeekToStart());
  EXPECT_EQ(0u, device.Position()) << "seek to start has finished when it returns";
}

TEST_F(MediaDeviceTest, PauseAndPlayAgainRoundAfterRoundEachStopEndsThePlay) {
  OpenClip();
  for (int round = 1; round <= 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(0u, device.PlayFrom(5));
    notify.Pump(120);
    ASSERT_EQ(0u, device.Pause());
    EXPECT_EQ(kModePaused, device.Mode());
    const uint32_t paused = device.Position();
    // The panel's resume: a play from where the pause left it.
    ASSERT_EQ(0u, device.Play());
    EXPECT_EQ(kModePlaying, device.Mode());
    notify.Pump(120);
    EXPECT_GE(device.Position(), paused) << "the play goes on from the pause";
    DWORD took = 0;
    uint32_t stopped = 1;
    took = Took([&] { stopped = device.Stop(); });
    EXPECT_EQ(0u, stopped);
    EXPECT_LT(took, 1000u) << "stop took " << took << " ms";
    EXPECT_EQ(kModeStopped, device.Mode());
    const uint32_t at = device.Position();
    notify.Pump(150);
    EXPECT_EQ(at, device.Position()) << "no player left running after the stop";
  }
  EXPECT_EQ(0u, device.SeekToStart());
  EXPECT_EQ(0u, device.Close());
}

// A driver that holds a command (here avivideo playing a 10 s clip with
// the wait flag, sent as a string) keeps the GUI thread no longer than the
// limit; the device goes with the MCI thread and a new open starts afresh.
TEST_F(MediaDeviceTest, ACommandTheDriverHoldsReturnsWithinTheLimit) {
  OpenClip();
  ASSERT_EQ(0u, device.SendString(std::string("open ") + kLongClip + " alias kdlong"));
  // A message another thread sends meanwhile is answered during the wait;
  // a posted one waits for the message loop.
  PostMessageA(notify.Window(), WM_APP + 2, 0, 0);
  std::atomic<DWORD> answer{0};
  std::atomic<DWORD> answeredAt{0};
  const DWORD start = GetTickCount();
  std::thread sender([&] {
    Sleep(400);
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(notify.Window(), WM_APP + 1, 0, 0, SMTO_NORMAL, 5000, &result)) {
      answer = static_cast<DWORD>(result);
      answeredAt = GetTickCount() - start;
    }
  });
  uint32_t held = 0;
  const DWORD took = Took([&] { held = device.SendString("play kdlong wait"); });
  sender.join();
  EXPECT_GE(took, MciThread::kLimitMs - 50);
  EXPECT_LT(took, MciThread::kLimitMs + 600) << "the GUI thread waited " << took << " ms";
  EXPECT_EQ(MciThread::kNoAnswer, held);
  EXPECT_EQ(1u, answer.load()) << "the sent message was answered";
  EXPECT_LT(answeredAt.load(), took) << "while the call was pending";
  ASSERT_EQ(1u, notify.Handled.size());
  EXPECT_EQ(static_cast<UINT>(WM_APP + 1), notify.Handled[0]) << "the posted message not yet handled";

  // The device went with the thread: no command waits on it any more.
  EXPECT_FALSE(device.IsOpen());
  int mode = -1;
  EXPECT_LT(Took([&] { mode = device.Mode(); }), 500u);
  EXPECT_EQ(kModeNotReady, mode);
  EXPECT_NE(0u, device.Play());
  // A new open runs on a new thread while the old one still plays and
  // still holds the clip: the same file opens again.
  ASSERT_EQ(0u, device.Open(DeviceType::Automatic, kClip)) << device.ErrorText(device.LastError());
  ASSERT_EQ(0u, device.SetTimeFormat(TimeFormat::Frames));
  EXPECT_EQ(kModeStopped, device.Mode());
  EXPECT_EQ(kClipFrames, device.Length());
  notify.Pump(50);
  ASSERT_EQ(2u, notify.Handled.size());
  EXPECT_EQ(static_cast<UINT>(WM_APP + 2), notify.Handled[1]);
}

TEST_F(MediaDeviceTest, ClosedDeviceReadsNotReadyAndFailsCommands) {
  EXPECT_EQ(0u, device.Close()) << "closing what is not open";
  EXPECT_EQ(kModeNotReady, device.Mode());
  OpenClip();
  EXPECT_EQ(0u, device.Close());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(kModeNotReady, device.Mode());
  const uint32_t error = device.Play();
  EXPECT_NE(0u, error);
  EXPECT_EQ(error, device.LastError());
  EXPECT_EQ(0u, device.Length());
}

TEST_F(MediaDeviceTest, OpenFailureGivesTheErrorAndItsText) {
  const uint32_t error = device.Open(DeviceType::Automatic, "C:\\kdmedia\\missing.avi");
  EXPECT_NE(0u, error);
  EXPECT_EQ(error, device.LastError());
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(kModeNotReady, device.Mode());
  const std::string text = device.ErrorText(error);
  EXPECT_FALSE(text.empty());
  EXPECT_NE("Unknown error code", text) << "code " << error;
  EXPECT_EQ("Unknown error code", device.ErrorText(0xFFFF));
  // No element and no type: nothing to open.
  EXPECT_NE(0u, device.Open(DeviceType::Automatic, ""));
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(MediaDeviceTest, DisplayWindowRecordedWhileClosedIsAppliedAtOpen) {
  NotifyWindow video;
  device.SetDisplayWindow(reinterpret_cast<uintptr_t>(video.Window()));
  device.SetDisplayRect(0, 0, 320, 200);
  OpenClip();
  // The device is known only to its own thread.
  MCI_STATUS_PARMS refused = {};
  refused.dwItem = MCI_STATUS_MODE;
  EXPECT_NE(0u, mciSendCommandA(device.DeviceId(), MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                                reinterpret_cast<DWORD_PTR>(&refused)));
  auto status = std::make_shared<MciCall>();
  status->Message = MCI_STATUS;
  status->Flags = MCI_STATUS_ITEM | MCI_WAIT;
  status->Params.VideoStatus.dwItem = MCI_DGV_STATUS_HWND;
  ASSERT_EQ(0u, device.Command(status));
  EXPECT_EQ(reinterpret_cast<DWORD_PTR>(video.Window()), status->Params.VideoStatus.dwReturn);
  auto where = std::make_shared<MciCall>();
  where->Message = MCI_WHERE;
  where->Flags = MCI_DGV_WHERE_DESTINATION | MCI_WAIT;
  ASSERT_EQ(0u, device.Command(where));
  EXPECT_EQ(320, where->Params.Rect.rc.right);
  EXPECT_EQ(200, where->Params.Rect.rc.bottom);
  // Back to the device's own window while open; a failure of the display
  // calls is no error of the panel's.
  device.SetDisplayWindow(0);
  EXPECT_EQ(0u, device.LastError());
}

TEST_F(MediaDeviceTest, CdAudioOpensOnTheAudioCdDrive) {
  // Under Wine the CD audio device opens on a folder drive but reads no
  // tracks: only the open and the door string are facts here.
  ASSERT_EQ(0u, device.Open(DeviceType::CdAudio, "d:")) << device.ErrorText(device.LastError());
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(0u, device.SetTimeFormat(TimeFormat::Tmsf));
  // The folder holds no disc the device can read: it answers, not ready.
  EXPECT_EQ(kModeNotReady, device.Mode());
  EXPECT_EQ(0u, device.LastError()) << "the mode query itself succeeded";
  EXPECT_EQ(0u, device.SendString("set cdaudio door open"));
  EXPECT_EQ(0u, device.SendString("set cdaudio door closed"));
  EXPECT_NE(0u, device.SendString("set kdnosuchdevice door open"));
  EXPECT_EQ(0u, device.LastError()) << "a command string leaves the last error alone";
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(0u, device.Close());
}

TEST_F(MediaDeviceTest, VideoCdEntryPlaysThroughMpegVideo) {
  // Keydeck's settings load maps "dat" to the MPEG device, as here: Wine's
  // MCI reads the registry's list only; without it the file opens as CD audio.
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                           "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions",
                                           0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
  RegSetValueExA(key, "dat", 0, REG_SZ, reinterpret_cast<const BYTE*>("MPEGVideo"), 10);
  RegCloseKey(key);
  ASSERT_EQ(0u, device.Open(DeviceType::Automatic, "e:\\MPEGAV\\AVSEQ01.DAT"))
      << device.ErrorText(device.LastError());
  EXPECT_EQ(0u, device.SetTimeFormat(TimeFormat::Frames));
  EXPECT_EQ(kModeStopped, device.Mode());
  const uint32_t length = device.Length();
  ASSERT_EQ(0u, device.Play()) << device.ErrorText(device.LastError());
  EXPECT_EQ(kModePlaying, device.Mode());
  notify.Pump(1500);
  const uint32_t position = device.Position();
  EXPECT_GT(position, 0u) << "length " << length;
  // Pause and the panel's resume, twice: each stop ends the one play.
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(0u, device.Pause());
    EXPECT_EQ(kModePaused, device.Mode());
    const uint32_t paused = device.Position();
    ASSERT_EQ(0u, device.Play());
    EXPECT_EQ(kModePlaying, device.Mode());
    notify.Pump(300);
    EXPECT_GE(device.Position(), paused);
  }
  DWORD took = Took([&] { EXPECT_EQ(0u, device.Stop()); });
  EXPECT_LT(took, 1500u);
  EXPECT_EQ(kModeStopped, device.Mode());
  EXPECT_EQ(0u, device.Close());
}

TEST(DrivesTest, DriveTypesAndVolumeLabels) {
  WinDrives drives;
  EXPECT_EQ(5, drives.DriveType("d:\\"));
  EXPECT_EQ(5, drives.DriveType("e:\\"));
  EXPECT_EQ(5, drives.DriveType("f:\\"));
  EXPECT_EQ(3, drives.DriveType("c:\\"));
  EXPECT_EQ(1, drives.DriveType("q:\\")) << "no such root";
  EXPECT_EQ("Audio CD", drives.VolumeLabel("D:\\"));
  EXPECT_EQ("KDVCD", drives.VolumeLabel("E:\\"));
  EXPECT_EQ("", drives.VolumeLabel("Q:\\")) << "an unreadable drive has no label";
}

TEST(DrivesTest, ListsPlainFilesOnlyInListingOrder) {
  WinDrives drives;
  // The order the system's own listing gives, folders and all.
  std::vector<std::string> listed;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA("e:\\MPEGAV\\*.*", &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  do {
    const std::string name = found.cFileName;
    if (name == "AVSEQ01.DAT" || name == "AVSEQ02.DAT") listed.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  EXPECT_EQ(listed, drives.PlainFiles("e:\\MPEGAV\\*.*"));
  EXPECT_EQ(2u, listed.size());

  // On the data disc (media_win.sh marks the files): a folder, a hidden
  // and a system file are left out.
  ASSERT_NE(0u, GetFileAttributesA("f:\\.hidden.txt") & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_NE(0u, GetFileAttributesA("f:\\system.txt") & FILE_ATTRIBUTE_SYSTEM);
  ASSERT_NE(0u, GetFileAttributesA("f:\\folder") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(std::vector<std::string>{"readme.txt"}, drives.PlainFiles("F:\\*.*"));
  EXPECT_TRUE(drives.PlainFiles("f:\\MPEGAV\\*.*").empty());
  EXPECT_TRUE(drives.PlainFiles("q:\\MPEGAV\\*.*").empty());
}

}  // namespace
}  // namespace kd
