// The media panel over a scripted device, fake drives and a recording view:
// its state table, the CD and video-CD steps, the probes and their
// swapped-disc cases, the door, the loop and the window handling.
#include <gtest/gtest.h>

#include "tests/media/media_fakes.h"

namespace kd::test {
namespace {

class PanelTest : public ::testing::Test {
 protected:
  FakeDevice dev;
  FakeDrives drives;
  FakeView view;
  MediaPanel panel{dev, drives, view};

  void AudioCd(char letter, int tracks) {
    drives.drives[letter] = {kDriveCdRom, "Audio CD", {}};
    dev.trackLengths.assign(tracks, 4 | 10 << 8);  // 4:10 each
    dev.length = 50;
  }
  void VideoCd(char letter) {
    drives.drives[letter] = {kDriveCdRom, "VCD", {{"MPEGAV", {"AVSEQ01.DAT", "AVSEQ02.DAT"}}}};
    dev.length = 9000;
  }
  void DataDisc(char letter) { drives.drives[letter] = {kDriveCdRom, "DATA", {{"", {"setup.exe"}}}}; }
  // The device commands since the last call, joined by "|".
  std::string Sent() {
    std::string text;
    for (std::size_t i = seen_; i < dev.log.size(); ++i) text += (text.empty() ? "" : "|") + dev.log[i];
    seen_ = dev.log.size();
    return text;
  }
  void PlayingCdAt(uint32_t position, int tracks = 12) {
    AudioCd('E', tracks);
    panel.BtPlayClick();
    dev.position = position;
    Sent();
  }

 private:
  std::size_t seen_ = 0;
};

TEST_F(PanelTest, AudioCdInTheSecondDriveIsPlayedAndScanDiscReportsTheFirst) {
  drives.drives['C'] = {3, "SYSTEM", {{"", {"io.sys"}}}};
  DataDisc('D');
  AudioCd('E', 12);
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "open cdaudio e:|play");
  EXPECT_EQ(dev.format, TimeFormat::Tmsf);
  EXPECT_TRUE(view.visible && view.timer);
  EXPECT_EQ(view.length, "Total Length: 12");
  ASSERT_EQ(view.items.size(), 12u);
  EXPECT_EQ(view.items[11], "Track 12");
  EXPECT_EQ(view.listText, "Track 1");
  // Volume labels are read on the capital root, video-CD folders on the small letter.
  EXPECT_EQ(drives.asked, (std::vector<std::string>{"label D:\\", "files d:\\MPEGAV\\*.*",
                                                    "label E:\\"}));
  dev.position = Tmsf(1, 0, 7);
  panel.TrackTimerTimer();
  EXPECT_EQ(view.display, "[01]00:07");
  EXPECT_EQ(view.length, "Total Length: 04:10");
  DiscContent disc;
  EXPECT_EQ(ScanDisc(drives, &disc), kDiscData);
  EXPECT_EQ(disc.Folder, "D:");
  EXPECT_EQ(disc.FileName, "");
}

TEST_F(PanelTest, VideoCdListsItsEntriesInDirectoryOrderAndPlaysTheFirst) {
  VideoCd('E');
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "window 0|open e:\\MPEGAV\\AVSEQ01.DAT|window 0|play");
  EXPECT_EQ(view.items, (std::vector<std::string>{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
  EXPECT_EQ(view.index, 0);
  EXPECT_EQ(view.mediaName, "VCD");
  EXPECT_EQ(view.length, "Total Length: 9000");
  EXPECT_EQ(view.seekRange, "-20000..20000 by 100");
  DiscContent disc;
  EXPECT_EQ(ScanDisc(drives, &disc), kDiscVideoCd);
  EXPECT_EQ(disc.Folder + "\\" + disc.FileName, "E:\\MPEGAV\\AVSEQ01.DAT");
  // Full screen: the video window covers the screen and takes the video.
  panel.SetFullScreen(true);
  panel.BtNextClick();
  EXPECT_EQ(Sent(), "stop|close|window 4660|rect 0,0 1024x768|open e:\\MPEGAV\\AVSEQ02.DAT|"
                    "window 4660|rect 0,0 1024x768|play");
  EXPECT_TRUE(view.video);
  panel.BtNextClick();  // last entry
  panel.BtStopClick();
  EXPECT_FALSE(view.video || view.visible || dev.open);
  panel.BtPlayClick();
  Sent();
  panel.BtPrevClick();  // first entry
  EXPECT_EQ(Sent(), "");
}

TEST_F(PanelTest, ButtonsFollowTheStateTable) {
  PlayingCdAt(Tmsf(3, 1, 0));
  view.visible = false;
  panel.BtPlayClick();  // playing: only shown again
  EXPECT_EQ(Sent(), "");
  EXPECT_TRUE(view.visible);
  panel.BtPauseClick();
  EXPECT_EQ(Sent(), "pause");
  EXPECT_FALSE(view.timer);
  panel.BtPauseClick();  // a resume is a play from the position
  EXPECT_EQ(Sent(), "play");
  EXPECT_TRUE(view.timer);
  dev.mode = kModeStopped;
  panel.BtPauseClick();
  EXPECT_EQ(dev.mode, kModePlaying);
  panel.MainDblClick();  // hidden, still playing
  EXPECT_FALSE(view.visible || view.timer);
  EXPECT_EQ(Sent(), "play");
  // The door is open: no new probe, the play fails.
  dev.mode = kModeOpen;
  drives.asked.clear();
  panel.BtPlayClick();
  EXPECT_TRUE(drives.asked.empty());
  EXPECT_EQ(view.display, "Not Ready");
  EXPECT_FALSE(view.timer);
  dev.mode = kModePaused;
  panel.BtStopClick();
  EXPECT_EQ(Sent(), "play|stop|close");
  EXPECT_EQ(panel.Source(), kSourceNone);
  EXPECT_EQ(view.display, kInitialDisplay);
  EXPECT_TRUE(view.items.empty());
  EXPECT_FALSE(panel.Button1Click());  // "No MCI device open"
  panel.BtNextClick();
  panel.BtForwardClick();
  EXPECT_EQ(Sent(), "");
}

TEST_F(PanelTest, CdStepsStayInTheTrackAndPreviousStepsBackOnlyInTheFirstSecond) {
  const struct { uint32_t at; void (MediaPanel::*button)(); const char* sent; } steps[] = {
      {Tmsf(1, 0, 5), &MediaPanel::BtBackwardClick, "stop|seek T1 0:00|play"},
      {Tmsf(1, 1, 5), &MediaPanel::BtBackwardClick, "stop|seek T1 0:55|play"},
      {Tmsf(1, 2, 55), &MediaPanel::BtForwardClick, "stop|seek T1 3:05|play"},
      {Tmsf(4, 0, 0), &MediaPanel::BtPrevClick, "play from T3 0:00|play"},
      {Tmsf(4, 2, 0), &MediaPanel::BtPrevClick, "play from T4 0:00|play"},
      {Tmsf(1, 0, 0), &MediaPanel::BtPrevClick, "play from T1 0:00|play"},
      {Tmsf(3, 2, 0), &MediaPanel::BtNextClick, "play from T4 0:00|play"},
      {Tmsf(12, 2, 0), &MediaPanel::BtNextClick, "play from T12 0:00|play"},
  };
  PlayingCdAt(0);
  for (const auto& step : steps) {
    dev.mode = kModePlaying;
    dev.position = step.at;
    (panel.*step.button)();
    EXPECT_EQ(Sent(), step.sent) << "from " << Pos(step.at);
  }
  EXPECT_TRUE(view.focusDummy);
  EXPECT_EQ(view.display, "[12]00:00");
  // Stopped, without AutoPlay: the step only seeks.
  panel.SetAutoPlay(false);
  dev.mode = kModeStopped;
  dev.position = Tmsf(4, 0, 0);
  panel.BtPrevClick();
  EXPECT_EQ(Sent(), "seek T3 0:00");
  panel.BtnSeekMouseUp(500);  // the seek arrows act for video CDs only
  view.index = 6;
  panel.PlayListClick();
  EXPECT_EQ(Sent(), "stop|seek T7 0:00|play");
  // Button1 is the device's Previous; activation pads with blanks.
  EXPECT_TRUE(panel.Button1Click());
  EXPECT_EQ(Sent(), "play from T6 0:00");
  panel.FormActivate();
  EXPECT_EQ(view.display, "[ 6] 0: 0");
}

TEST_F(PanelTest, VideoCdSeekArrowsAndFrameSteps) {
  VideoCd('E');
  panel.BtPlayClick();
  dev.position = 500;
  Sent();
  panel.BtnSeekChanging(-700);
  EXPECT_EQ(view.display, "-200");
  panel.BtnSeekMouseUp(0x10000 - 700);  // the control's 16-bit word
  dev.position = 500;
  panel.BtnSeekMouseUp(20000);
  dev.position = 500;
  view.seekPos = 5;
  panel.BtnSeekMouseUp(1000);
  EXPECT_EQ(Sent(), "seek 0|seek 9000|seek 1500|play");
  EXPECT_EQ(view.seekPos, 0);
  dev.position = 500;
  panel.BtBackwardClick();  // within the first 1000 frames: to the start
  panel.BtForwardClick();
  EXPECT_EQ(Sent(), "seek 0|play|seek 1000|play");
  // At the very end of the entry, Play starts it again.
  panel.BtStopClick();
  panel.BtPlayClick();
  dev.position = 9000;
  dev.mode = kModeStopped;
  Sent();
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "seek start|play");
  view.SetDisplay("");
  panel.ShowPosition();
  EXPECT_EQ(view.display, "00000000");
}

TEST_F(PanelTest, EjectAlternatesTheDoorAndAnyPlayMakesTheNextOneOpen) {
  AudioCd('E', 3);
  panel.BtEjectClick();
  EXPECT_EQ(view.mediaName + "/" + view.listText, "/OPEN");
  panel.BtEjectClick();
  EXPECT_EQ(view.mediaName + "/" + view.listText, "?/UNKNOWN");
  panel.BtEjectClick();
  panel.BtPlayClick();
  panel.BtEjectClick();
  dev.open = true, dev.mode = kModePlaying;
  panel.MediaPlayerNotify();  // a report that finds the device playing
  panel.BtEjectClick();
  EXPECT_EQ(Sent(), "set cdaudio door open|set cdaudio door closed|set cdaudio door open|"
                    "open cdaudio e:|play|stop|close|set cdaudio door open|"
                    "stop|close|set cdaudio door open");
  EXPECT_EQ(view.display, kInitialDisplay);
}

TEST_F(PanelTest, EndOfTheLastTrackLoopsOnlyWithLoopChecked) {
  PlayingCdAt(Tmsf(12, 4, 10));
  dev.mode = kModeStopped;
  panel.SetLoop(true);  // the menu's first choice: already checked
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "seek start|play");
  EXPECT_TRUE(view.timer);
  panel.SetLoop(false);
  EXPECT_FALSE(panel.AutoRewind());
  dev.position = Tmsf(12, 4, 10);
  dev.mode = kModeStopped;
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "");
  EXPECT_FALSE(view.timer);
  dev.position = Tmsf(11, 4, 10);  // the end of another track is no end
  panel.SetLoop(true);
  view.timer = true;
  panel.MediaPlayerNotify();
  EXPECT_FALSE(view.timer);
}

TEST_F(PanelTest, SwappedDiscs) {
  // A playing video CD swapped for a data disc: its path is dropped.
  VideoCd('E');
  panel.BtPlayClick();
  DataDisc('E');
  dev.mode = kModeNotReady;
  panel.BtPlayClick();
  EXPECT_EQ(view.listText, "CDROM");
  EXPECT_EQ(panel.Source(), kSourceNone);
  EXPECT_EQ(panel.FileName(), "");
  // A stopped video CD, then a data disc: its path is tried as a file.
  VideoCd('E');
  panel.BtPlayClick();
  panel.BtStopClick();
  DataDisc('E');
  dev.openError = FakeDevice::kNotOpen;
  drives.asked.clear();
  panel.BtPlayClick();
  EXPECT_EQ(view.listText, "FILES");
  EXPECT_EQ(view.mediaName, "FILE");
  EXPECT_EQ(panel.Source(), kSourceFile);
  EXPECT_EQ(view.errors, std::vector<std::string>{"The specified device is not open."});
  EXPECT_FALSE(panel.DeviceOpen());
  EXPECT_EQ(dev.log.back(), "open e:\\MPEGAV\\AVSEQ01.DAT");
  // No second drive: nothing is read for it and the prefix keeps its letter.
  EXPECT_EQ(drives.asked, (std::vector<std::string>{"label E:\\", "files e:\\MPEGAV\\*.*"}));
  EXPECT_EQ(panel.VcdPrefix(), "e:\\MPEGAV\\");
  // A label in capitals is no audio CD.
  drives.drives['E'] = {kDriveCdRom, "AUDIO CD", {}};
  EXPECT_EQ(panel.CheckDrive(4), kSourceFile);
  EXPECT_EQ(ScanDrive(drives, 4, nullptr), kDiscNothing);
  drives.drives.clear();
  EXPECT_EQ(ScanDisc(drives, nullptr), kDiscNothing);
}

TEST(ScanDriveTest, KeepsAFileNameWithinItsBuffer) {
  FakeDrives drives;
  drives.drives['F'] = {kDriveCdRom, "", {{"MPEGAV", {std::string(300, 'x')}}}};
  DiscContent disc;
  EXPECT_EQ(ScanDrive(drives, 5, &disc), kDiscVideoCd);
  EXPECT_EQ(disc.FileName.size(), 259u);
  EXPECT_EQ(ScanDrive(drives, -1, &disc), kDiscNothing);
  EXPECT_TRUE(drives.asked.size() == 2 && disc.Folder.empty());
}

TEST_F(PanelTest, DragMovesOnATenPixelGrid) {
  panel.MainMouseDown(50, 40);
  panel.MainMouseMove(59, 49, 820, 0);   // 9 px: stays
  panel.MainMouseMove(61, 40, 820, 0);   // 831 -> 830
  panel.MainMouseMove(30, 25, 5, 0);     // -15 -> -10, toward zero
  EXPECT_EQ(view.moves, (std::vector<std::string>{"830,0", "-10,-10"}));
}

}  // namespace
}  // namespace kd::test
