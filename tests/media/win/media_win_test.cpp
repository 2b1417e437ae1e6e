// The media panel's MCI device and drives against the real system calls
// under Wine. media_win.sh prepares C:\kdmedia (an AVI made by ffmpeg) and
// three folders mounted as CD-ROM drives: D: "Audio CD", E: a video CD with
// MPEGAV\AVSEQ01.DAT and AVSEQ02.DAT, F: a data disc.
#include <windows.h>

#include <digitalv.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keydeck/media/win/win_drives.h"
#include "keydeck/media/win/win_media_device.h"

namespace kd {
namespace {

constexpr const char* kClip = "C:\\kdmedia\\clip.avi";  // 75 frames at 25 fps
constexpr uint32_t kClipFrames = 75;

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
  MCI_DGV_STATUS_PARMSA status = {};
  status.dwItem = MCI_DGV_STATUS_HWND;
  ASSERT_EQ(0u, mciSendCommandA(device.DeviceId(), MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                                reinterpret_cast<DWORD_PTR>(&status)));
  EXPECT_EQ(reinterpret_cast<DWORD_PTR>(video.Window()), status.dwReturn);
  MCI_DGV_RECT_PARMS where = {};
  ASSERT_EQ(0u, mciSendCommandA(device.DeviceId(), MCI_WHERE, MCI_DGV_WHERE_DESTINATION | MCI_WAIT,
                                reinterpret_cast<DWORD_PTR>(&where)));
  EXPECT_EQ(320, where.rc.right);
  EXPECT_EQ(200, where.rc.bottom);
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
  EXPECT_NE(kModePlaying, device.Mode());
  device.SendString("set cdaudio door open");
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
  EXPECT_EQ(0u, device.Stop());
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
