// The media panel over a scripted device, fake drives and a recording view:
// the state table, CD and video-CD steps, the probes with their swapped
// discs, the door, the loop and dragging.
#include <gtest/gtest.h>

#include "tests/media/media_fakes.h"

namespace kd::test {
namespace {

using Lines = std::vector<std::string>;

class PanelTest : public ::testing::Test {
 protected:
  FakeDevice dev;
  FakeDrives drives;
  FakeView view;
  MediaPanel panel{dev, drives, view};

  void AudioCd(int tracks) {
    drives.drives['E'] = {kDriveCdRom, "Audio CD", {}};
    dev.trackLengths.assign(tracks, 4 | 10 << 8);  // 4:10 each
    dev.length = 50;
  }
  void VideoCd() {
    drives.drives['E'] = {kDriveCdRom, "VCD", {{"MPEGAV", {"AVSEQ01.DAT", "AVSEQ02.DAT"}}}};
    dev.length = 9000;
  }
  void DataDisc(char letter) { drives.drives[letter] = {kDriveCdRom, "DATA", {{"", {"setup.exe"}}}}; }
  std::string Sent() {  // the device commands since the last call
    std::string text;
    for (; seen_ < dev.log.size(); ++seen_) text += (text.empty() ? "" : "|") + dev.log[seen_];
    return text;
  }
  void PlayAt(uint32_t position, int mode = kModePlaying) {
    panel.BtPlayClick();
    dev.position = position, dev.mode = mode;
    Sent();
  }

 private:
  std::size_t seen_ = 0;
};

TEST_F(PanelTest, AudioCdInTheSecondDriveIsPlayedWhileScanDiscReportsTheDataDiscInTheFirst) {
  drives.drives['C'] = {3, "SYSTEM", {{"", {"io.sys"}}}};
  DataDisc('D');
  AudioCd(12);
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "open cdaudio e:|play");
  EXPECT_TRUE(dev.format == TimeFormat::Tmsf && view.visible && view.timer);
  EXPECT_EQ(view.Texts(), "[00]00:00 | CD | Total Length: 12 | Track 1");
  EXPECT_EQ(view.items.at(11), "Track 12");
  EXPECT_EQ(drives.asked, (Lines{"label D:\\", "files d:\\MPEGAV\\*.*", "label E:\\"}));
  dev.position = Tmsf(3, 0, 7);
  panel.TrackTimerTimer();
  EXPECT_EQ(view.Texts(), "[03]00:07 | CD | Total Length: 04:10 | Track 3");
  DiscContent disc;
  EXPECT_EQ(ScanDisc(drives, &disc), kDiscData);
  EXPECT_EQ(disc.Folder + "|" + disc.FileName, "D:|");
}

TEST_F(PanelTest, VideoCdPlaysItsEntriesInDirectoryOrder) {
  VideoCd();
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "window 0|open e:\\MPEGAV\\AVSEQ01.DAT|window 0|play");
  EXPECT_EQ(view.items, (Lines{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
  EXPECT_EQ(view.Texts(), "[00]00:00 | VCD | Total Length: 9000 | AVSEQ01.DAT");
  EXPECT_EQ(view.seekRange, "-20000..20000 by 100");
  DiscContent disc;
  EXPECT_EQ(ScanDisc(drives, &disc), kDiscVideoCd);
  EXPECT_EQ(disc.Folder + "\\" + disc.FileName, "E:\\MPEGAV\\AVSEQ01.DAT");
  panel.SetFullScreen(true);  // the video window takes the whole screen
  panel.BtNextClick();
  EXPECT_EQ(Sent(), "stop|close|window 4660|rect 0 1024x768|open e:\\MPEGAV\\AVSEQ02.DAT|"
                    "window 4660|rect 0 1024x768|play");
  panel.BtNextClick();  // on the last entry
  panel.BtStopClick();
  EXPECT_FALSE(view.video || view.visible || dev.open);
  PlayAt(0);
  panel.BtPrevClick();  // on the first entry
  EXPECT_EQ(Sent(), "");
}

TEST_F(PanelTest, ButtonsFollowTheStateTable) {
  AudioCd(12);
  PlayAt(Tmsf(3, 1, 0));
  view.visible = false;
  panel.BtPlayClick();  // playing: only shown
  panel.BtPauseClick();
  EXPECT_EQ(Sent(), "pause");
  EXPECT_TRUE(view.visible && !view.timer);
  panel.BtPauseClick();  // paused, then stopped: a play from the position
  dev.mode = kModeStopped;
  panel.BtPauseClick();
  panel.MainDblClick();  // hides; playback goes on
  EXPECT_EQ(Sent(), "play|play");
  EXPECT_TRUE(dev.mode == kModePlaying && !view.visible && !view.timer);
  dev.mode = kModeOpen;  // door open: no new probe, the play fails
  drives.asked.clear();
  panel.BtPlayClick();
  EXPECT_TRUE(drives.asked.empty() && !view.timer);
  EXPECT_EQ(view.display, "Not Ready");
  dev.mode = kModePaused;
  panel.BtStopClick();
  EXPECT_EQ(Sent(), "play|stop|close");
  EXPECT_EQ(view.Texts(), "[00]00:00 | CD | Total Length: 12 | ");
  EXPECT_EQ(panel.Source(), kSourceNone);
  EXPECT_FALSE(panel.Button1Click());  // the form says "No MCI device open"
  panel.BtNextClick();
  panel.BtForwardClick();
  EXPECT_EQ(Sent(), "");
}

TEST_F(PanelTest, CdStepsStayInTheTrackAndPreviousGoesBackOnlyInTheFirstSecond) {
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
  AudioCd(12);
  PlayAt(0);
  for (const auto& step : steps) {
    dev.position = step.at, dev.mode = kModePlaying;
    (panel.*step.button)();
    EXPECT_EQ(Sent(), step.sent) << "from " << Pos(step.at);
  }
  EXPECT_TRUE(view.focusDummy);
  EXPECT_EQ(view.display, "[12]00:00");
  panel.SetAutoPlay(false);  // stopped, no AutoPlay: the step only seeks
  dev.position = Tmsf(4, 0, 0), dev.mode = kModeStopped;
  panel.BtPrevClick();
  panel.BtnSeekMouseUp(500);  // the arrows act for video CDs only
  view.index = 6;
  panel.PlayListClick();
  EXPECT_EQ(Sent(), "seek T3 0:00|stop|seek T7 0:00|play");
  EXPECT_TRUE(panel.Button1Click());  // the device's Previous
  EXPECT_EQ(Sent(), "play from T6 0:00");
  panel.FormActivate();
  EXPECT_EQ(view.display, "[ 6] 0: 0");
}

TEST_F(PanelTest, VideoCdSeekArrowsStopAtBothEndsAndPlayRewindsAtTheEnd) {
  VideoCd();
  PlayAt(500);
  panel.BtnSeekChanging(-700);
  EXPECT_EQ(view.display, "-200");
  for (int offset : {0x10000 - 700, 20000, 1000}) {  // the first as the control's 16-bit word
    dev.position = 500, view.seekPos = 1;
    panel.BtnSeekMouseUp(offset);
    EXPECT_EQ(view.seekPos, 0);
  }
  dev.position = 500;
  panel.BtBackwardClick();  // within the first 1000 frames: to the start
  panel.BtForwardClick();
  EXPECT_EQ(Sent(), "seek 0|seek 9000|seek 1500|play|seek 0|play|seek 1000|play");
  dev.position = 9000, dev.mode = kModeStopped;
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "seek start|play");
  panel.ShowPosition();
  EXPECT_EQ(view.display, "00000000");
}

TEST_F(PanelTest, VideoCdSeekPastTheEndStandsAtTheEndWhateverTheDeviceReports) {
  VideoCd();  // Loop and AutoPlay checked, as at creation
  PlayAt(8500);
  panel.BtnSeekMouseUp(600);
  EXPECT_EQ(Sent(), "seek 9000");
  // The interrupted play and the seek both report; each finds the entry
  // stopped at its end, which is where the user put it.
  dev.mode = kModeStopped;
  panel.MediaPlayerNotify();
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "");
  EXPECT_FALSE(view.timer);
  EXPECT_EQ(view.display, "00009000");
  // Play from there starts the entry again, and its end loops once more.
  panel.BtPlayClick();
  EXPECT_EQ(Sent(), "seek start|play");
  dev.position = 9000, dev.mode = kModeStopped;
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "seek start|play");
  // Forward past the end without AutoPlay: a seek only, no loop.
  panel.SetAutoPlay(false);
  dev.position = 8800, dev.mode = kModePlaying;
  panel.BtForwardClick();
  dev.position = 9000, dev.mode = kModeStopped;
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "seek 9800");
  // Pause, then a report at the end (the driver's late word on the play).
  panel.SetAutoPlay(true);
  panel.BtPlayClick();
  panel.BtPauseClick();
  dev.position = 9000, dev.mode = kModeStopped;
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "seek start|play|pause");
}

TEST_F(PanelTest, SeekArrowClicksOnAnAudioCdLeaveNoOffsetForTheNextVideoCd) {
  // The arrows count like the real control does: each click moves its
  // position by the step, a release reports the position.
  const auto click = [&](int step, int times) {
    for (int i = 0; i < times; ++i) {
      panel.BtnSeekChanging(view.seekPos);
      view.seekPos += step;
    }
    panel.BtnSeekMouseUp(view.seekPos);
  };
  AudioCd(3);
  PlayAt(Tmsf(1, 0, 30));
  click(1, 3);  // the control's step before a video CD sets it
  EXPECT_EQ(Sent(), "") << "no seek on an audio CD";
  EXPECT_EQ(view.seekPos, 0);
  EXPECT_EQ(view.display, "[00]00:00") << "no preview either";
  panel.BtStopClick();
  click(1, 2);  // nothing open at all
  EXPECT_EQ(view.seekPos, 0);
  VideoCd();
  PlayAt(500);
  click(100, 1);
  EXPECT_EQ(Sent(), "seek 600|play");
  click(-100, 3);
  EXPECT_EQ(Sent(), "seek 300|play");
  EXPECT_EQ(view.seekPos, 0);
}

TEST_F(PanelTest, EjectAlternatesTheDoorAndAnyPlayMakesTheNextOneOpen) {
  AudioCd(3);
  panel.BtEjectClick();
  EXPECT_EQ(view.mediaName + view.listText, "OPEN");
  panel.BtEjectClick();
  EXPECT_EQ(view.mediaName + view.listText, "?UNKNOWN");
  panel.BtEjectClick();
  PlayAt(0);
  panel.BtEjectClick();
  dev.open = true, dev.mode = kModePlaying;
  panel.MediaPlayerNotify();  // a report that finds the device playing
  panel.BtEjectClick();
  EXPECT_EQ(Sent(), "stop|close|set cdaudio door open|stop|close|set cdaudio door open");
  EXPECT_EQ(dev.log.at(1), "set cdaudio door closed");
}

TEST_F(PanelTest, EndOfTheLastTrackLoopsOnlyWithLoopChecked) {
  AudioCd(12);
  PlayAt(Tmsf(12, 4, 10), kModeStopped);
  panel.SetLoop(true);  // the menu's first choice: already checked
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "seek start|play");
  EXPECT_TRUE(view.timer);
  panel.SetLoop(false);
  EXPECT_FALSE(panel.AutoRewind());
  dev.position = Tmsf(12, 4, 10), dev.mode = kModeStopped;
  panel.MediaPlayerNotify();
  EXPECT_EQ(Sent(), "");
  EXPECT_FALSE(view.timer);
}

TEST_F(PanelTest, SwappedDiscs) {
  VideoCd();
  PlayAt(0);
  DataDisc('E');  // swapped while playing; the device is not ready
  dev.mode = kModeNotReady;
  panel.BtPlayClick();
  EXPECT_EQ(view.listText + panel.FileName() + std::to_string(panel.Source()), "CDROM0");
  VideoCd();
  panel.BtPlayClick();
  panel.BtStopClick();
  DataDisc('E');  // swapped after Stop: the entry's path is tried as a file
  dev.openError = FakeDevice::kNotOpen;
  drives.asked.clear();
  panel.BtPlayClick();
  EXPECT_EQ(view.mediaName + " " + view.listText, "FILE FILES");
  EXPECT_EQ(panel.Source(), kSourceFile);
  EXPECT_EQ(dev.log.back(), "open e:\\MPEGAV\\AVSEQ01.DAT");
  EXPECT_EQ(view.errors, Lines{"The specified device is not open."});
  EXPECT_FALSE(panel.DeviceOpen());
  // There is no second drive: nothing is read for it, the prefix keeps its letter.
  EXPECT_EQ(drives.asked, (Lines{"label E:\\", "files e:\\MPEGAV\\*.*"}));
  EXPECT_EQ(panel.VcdPrefix(), "e:\\MPEGAV\\");
  drives.drives['E'] = {kDriveCdRom, "AUDIO CD", {}};  // case counts
  EXPECT_EQ(panel.CheckDrive(4), kSourceFile);
  EXPECT_EQ(ScanDrive(drives, 4, nullptr), kDiscNothing);
  drives.drives['E'].files["MPEGAV"] = {std::string(255, 'x')};
  DiscContent disc;
  EXPECT_EQ(ScanDrive(drives, 4, &disc), kDiscVideoCd);
  EXPECT_EQ(disc.FileName.size(), 255u);
  drives.drives['E'].files["MPEGAV"][0] += "yyyyy";  // past DiscContent's buffer
  ScanDrive(drives, 4, &disc);
  EXPECT_EQ(disc.FileName.size(), 259u);
  Sent();
  panel.BtPlayClick();  // prefix and name exceed a path: refused before the device
  EXPECT_EQ(Sent(), "window 0");
  EXPECT_EQ(view.errors.size(), 2u);
}

TEST_F(PanelTest, DragMovesOnATenPixelGrid) {
  panel.MainMouseDown(50, 40);
  panel.MainMouseMove(59, 49, 820, 0);  // 9 px: stays
  panel.MainMouseMove(61, 40, 820, 0);
  panel.MainMouseMove(30, 25, 5, 0);    // -15 truncates toward zero
  EXPECT_EQ(view.moves, (Lines{"830,0", "-10,-10"}));
}

// AutoPlay names the drive of the disc just inserted: that disc plays,
// not the first one the search would find.
TEST_F(PanelTest, DiscInTheNamedDrivePlaysWhateverTheFirstDriveHolds) {
  drives.drives['D'] = {kDriveCdRom, "Audio CD", {}};
  VideoCd();  // in E:
  panel.PlayDiscInDrive(4);
  EXPECT_EQ(Sent(), "window 0|open e:\\MPEGAV\\AVSEQ01.DAT|window 0|play");
  EXPECT_EQ(panel.Source(), kSourceVideoCd);
  EXPECT_TRUE(view.visible && view.timer);
  EXPECT_EQ(drives.asked, (Lines{"label E:\\", "files e:\\MPEGAV\\*.*"})) << "D: never read";

  // Another disc while one plays: the new one replaces it.
  dev.mode = kModePlaying;
  dev.trackLengths.assign(12, 4 | 10 << 8);
  dev.length = 50;
  panel.PlayDiscInDrive(3);
  EXPECT_EQ(Sent(), "stop|close|open cdaudio d:|play");
  EXPECT_EQ(panel.Source(), kSourceAudioCd);

  // A drive that is no CD-ROM drive, or holds nothing the panel plays:
  // what plays goes on.
  drives.drives['F'] = {kDriveCdRom, "DATA", {{"", {"setup.exe"}}}};
  panel.SetFileName("C:\\movie.avi");
  for (int drive : {-1, 2, 5, 26}) panel.PlayDiscInDrive(drive);
  EXPECT_EQ(Sent(), "");
  EXPECT_EQ(panel.Source(), kSourceAudioCd);
}

}  // namespace
}  // namespace kd::test
