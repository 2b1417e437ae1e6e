// The media keys' targets over the recording fakes: the CD application of
// each Windows version, Winamp, Media Player on the disc and the panel, and
// the engine's media codes driving them end to end.
#include "keydeck/actions/media_control.h"

#include <gtest/gtest.h>

#include "tests/actions/action_fakes.h"

namespace kd::test {
namespace {

constexpr WindowRef kPlayerWindow = 0x77;
constexpr const char* kCdPlayerCommand = "C:\\WINDOWS\\system32\\cdplayer.exe /play ";
constexpr const char* kMp3Command = "\"C:\\Program Files\\Winamp\\winamp.exe\"";

struct Version {
  const char* Name;
  uint32_t Packed;
  const char* ClassName;
};
// GetVersion() of each system, and the CD application it gets.
constexpr Version kVersions[] = {
    {"95", 0xC0000004, "SJE_CdPlayerClass"},  {"98", 0xC0000A04, "SJE_CdPlayerClass"},
    {"Me", 0xC0005A04, "WMPlayerApp"},        {"NT 4", 0x05650004, "SJE_CdPlayerClass"},
    {"2000", 0x08930005, "MMFRAME_MAIN"},     {"XP", 0x0A280105, "MMFRAME_MAIN"},
    {"Vista", 0x17700006, "WMPlayerApp"},     {"7", 0x1DB10106, "WMPlayerApp"},
};

class FakeAlerts : public AlertBox {
 public:
  explicit FakeAlerts(CallLog& log) : log_(log) {}
  void Show(const std::string& text) override {
    log_.push_back("Box " + text);
    if (whileOpen) whileOpen();
  }
  std::function<void()> whileOpen;  // the box's own message loop

 private:
  CallLog& log_;
};

class FakePanel : public PanelControl {
 public:
  explicit FakePanel(CallLog& log) : log_(log) {}
  void BtPlayClick() override { Click("Play", kPanelPlaying); }
  void BtPauseClick() override { Click("Pause", 5); }
  void BtStopClick() override { Click("Stop", 1); }
  void BtNextClick() override { Click("Next", mode); }
  void BtPrevClick() override { Click("Prev", mode); }
  void BtEjectClick() override { Click("Eject", 6); }
  void PlayDiscInDrive(int drive) override {
    Click((std::string("Play drive ") + static_cast<char>('A' + drive)).c_str(), kPanelPlaying);
  }
  int Mode() override { return mode; }
  void SetShowOnPlay(bool) override {}
  void SetLoop(bool) override {}
  void SetAutoPlay(bool) override {}
  void SetFullScreen(bool) override {}

  int mode = 1;          // stopped
  bool playWorks = true;  // false: no source, Play leaves it stopped

 private:
  void Click(const char* button, int after) {
    log_.push_back(std::string("Panel ") + button);
    if (std::string(button).rfind("Play", 0) != 0 || playWorks) mode = after;
  }
  CallLog& log_;
};

class FakeDiscs : public DiscScanner {
 public:
  int ScanDisc(DiscContent* content) override {
    *content = disc;
    return disc.Kind;
  }
  DiscContent disc;
};

// The real targets under an engine built over the recording fakes.
struct MediaRig : ServiceFakes {
  FakeAlerts alerts{log};
  FakePanel panel{log};
  FakeDiscs discs;
  MediaControl media{desktop, starter, reg, alerts};

  explicit MediaRig(int player, uint32_t packed = 0x0A280105) {
    system.packed = packed;
    reg.SetText(RegRoot::ClassesRoot, ".mp3", "", "Winamp.File");
    reg.SetText(RegRoot::ClassesRoot, "Winamp.File\\Shell\\Open\\Command", "",
                std::string(kMp3Command) + " \"%1\"");
    media.SetPanel(&panel, &discs);
    Build().SetPlayer(player);
  }
  void Running(const char* className) { desktop.classWindows[className] = kPlayerWindow; }
  void Closed() { desktop.classWindows.clear(); }

 protected:
  MediaTargets& Targets() override { return media; }
};

std::string PostTo(uint32_t message, uint32_t wParam, uint32_t lParam) {
  return "Post 77 " + Hex(message) + " " + Hex(wParam) + " " + Hex(lParam);
}
const std::string kClose = PostTo(0x112, 0xF060, 0);

TEST(CdApplicationTest, EachWindowsVersionGetsItsApplication) {
  for (const Version& v : kVersions) {
    const WindowsVersion version(v.Packed);
    EXPECT_STREQ(CdApplicationClass(version.Major(), version.Minor(), version.Build()), v.ClassName)
        << "Windows " << v.Name;
  }
}

TEST(CdApplicationTest, RunningApplicationGetsTheTableMessages) {
  struct Row {
    uint32_t Packed;
    const char* ClassName;
    std::vector<std::string> Posts;  // play, pause, stop (and close), previous, next
  };
  const Row rows[] = {
      {0xC0000A04, "SJE_CdPlayerClass",
       {PostTo(0x111, 1000, 0), PostTo(0x111, 1001, 0), PostTo(0x111, 1002, 0), kClose,
        PostTo(0x111, 1003, 0), PostTo(0x111, 1006, 0)}},
      {0xC0005A04, "WMPlayerApp",
       {PostTo(0x319, 0, 0xE0000), PostTo(0x319, 0, 0xE0000), PostTo(0x319, 0, 0xD0000), kClose,
        PostTo(0x319, 0, 0xC0000), PostTo(0x319, 0, 0xB0000)}},
      {0x0A280105, "MMFRAME_MAIN",
       {PostTo(0x111, 104, 0x40292), PostTo(0x111, 104, 0x40292), PostTo(0x111, 105, 0x40292),
        kClose, PostTo(0x111, 109, 0x40292), PostTo(0x111, 110, 0x40292)}},
  };
  for (const Row& row : rows) {
    MediaRig rig(kPlayerCdApp, row.Packed);
    rig.Running(row.ClassName);
    for (int command = kMediaPlay; command <= kMediaNext; ++command)
      rig.media.CdAppCommand(rig.engine->Media(), command);
    EXPECT_EQ(rig.Take(), row.Posts) << row.ClassName;
  }
}

TEST(CdApplicationTest, PauseOfARunningApplicationClearsPlaying) {
  MediaRig rig(kPlayerCdApp);
  rig.Running("MMFRAME_MAIN");
  MediaState& s = rig.engine->Media();
  s.Playing = true;
  rig.media.CdAppCommand(s, kMediaPause);
  EXPECT_FALSE(s.Playing);
  s.Playing = true;
  for (int command : {kMediaPlay, kMediaStop, kMediaPrevious, kMediaNext})
    rig.media.CdAppCommand(s, command);
  EXPECT_TRUE(s.Playing) << "only pause changes the belief";
}

TEST(CdApplicationTest, AbsentApplicationIsStartedOnlyForPlayAndPause) {
  for (const Version& v : kVersions) {
    MediaRig rig(kPlayerCdApp, v.Packed);
    MediaState& s = rig.engine->Media();
    rig.Running("Some other player");
    for (int command : {int{kMediaStop}, int{kMediaPrevious}, int{kMediaNext}, 0, 6})
      rig.media.CdAppCommand(s, command);
    EXPECT_TRUE(rig.Take().empty()) << v.Name;
    rig.media.CdAppCommand(s, kMediaPlay);
    EXPECT_FALSE(s.Playing);
    rig.media.CdAppCommand(s, kMediaPause);
    EXPECT_TRUE(s.Playing) << "started by pause: believed playing";
    const std::string start = "WinExec " + rig.engine->CdPlayerCommand() + " show 5";
    EXPECT_EQ(rig.Take(), (CallLog{start, start})) << v.Name;
  }
}

TEST(CdApplicationTest, ANinetyEightCommandGoesToTheCdPlayerNotAnotherClass) {
  MediaRig rig(kPlayerCdApp, 0xC0000A04);
  rig.Running("MMFRAME_MAIN");  // the XP player's class does not count on 98
  rig.media.CdAppCommand(rig.engine->Media(), kMediaNext);
  EXPECT_TRUE(rig.Take().empty());
}

TEST(WinampTest, RunningWinampGetsItsCommands) {
  MediaRig rig(kPlayerWinamp);
  rig.Running("Winamp v1.x");
  MediaState& s = rig.engine->Media();
  for (int command = kMediaPlay; command <= kMediaNext; ++command)
    rig.media.WinampCommand(s, command);
  EXPECT_EQ(rig.Take(), (CallLog{PostTo(0x111, 40045, 0), PostTo(0x111, 40046, 0),
                                 PostTo(0x111, 40047, 0), kClose, PostTo(0x111, 40044, 0),
                                 PostTo(0x111, 40048, 0)}));
}

TEST(WinampTest, AbsentWinampWithAFailingHandlerShowsTheBox) {
  MediaRig rig(kPlayerWinamp);
  rig.starter.winExecResult = 2;  // the ".mp3" program is missing
  MediaState& s = rig.engine->Media();
  s.Playing = true;
  rig.media.WinampCommand(s, kMediaPlay);
  EXPECT_EQ(rig.Take(), (CallLog{"WinExec " + std::string(kMp3Command) + " show 5",
                                 "Box Please install WINAMP first !"}));
  EXPECT_FALSE(s.Playing);
  for (int command : {kMediaStop, kMediaPrevious, kMediaNext}) rig.media.WinampCommand(s, command);
  EXPECT_TRUE(rig.Take().empty()) << "nothing to start for stop, previous, next";
}

TEST(WinampTest, NoMp3HandlerAtAllShowsTheBoxWithoutAStart) {
  MediaRig rig(kPlayerWinamp);
  rig.reg.RemoveKey(RegRoot::ClassesRoot, ".mp3");
  rig.Build().SetPlayer(kPlayerWinamp);
  // Code 10 from idle: play; the box; the code still reports true.
  EXPECT_TRUE(rig.Run(10));
  EXPECT_EQ(rig.Take(), (CallLog{"Box Please install WINAMP first !"}));
}

TEST(WinampTest, HotkeysWhileTheBoxIsOpenAreRefused) {
  MediaRig rig(kPlayerWinamp);
  rig.starter.winExecResult = 2;
  bool nested = true;
  rig.alerts.whileOpen = [&] { nested = rig.engine->RunEntry(0); };
  EXPECT_TRUE(rig.Run(10));
  EXPECT_FALSE(nested) << "the engine's re-entry guard";
}

TEST(WinampTest, PlayPauseStartsWinampThenPausesIt) {
  MediaRig rig(kPlayerWinamp);
  EXPECT_TRUE(rig.Run(10));  // not running: the ".mp3" handler starts it
  EXPECT_EQ(rig.Take(), (CallLog{"WinExec " + std::string(kMp3Command) + " show 5"}));
  EXPECT_TRUE(rig.engine->Playing());
  rig.Running("Winamp v1.x");
  EXPECT_TRUE(rig.Run(10));  // now running and believed playing: pause
  EXPECT_EQ(rig.Take(), (CallLog{PostTo(0x111, 40046, 0)}));
  EXPECT_FALSE(rig.engine->Playing());
  EXPECT_TRUE(rig.Run(10));
  EXPECT_EQ(rig.Take(), (CallLog{PostTo(0x111, 40045, 0)}));
  EXPECT_TRUE(rig.engine->Playing());
  EXPECT_TRUE(rig.Run(11));  // stop closes it
  EXPECT_EQ(rig.Take(), (CallLog{PostTo(0x111, 40047, 0), kClose}));
  rig.Closed();
  EXPECT_TRUE(rig.Run(9));  // pause with Winamp gone starts it again
  EXPECT_EQ(rig.Take(), (CallLog{"WinExec " + std::string(kMp3Command) + " show 5"}));
  EXPECT_TRUE(rig.engine->Playing());
}

TEST(MediaKeysTest, CdApplicationThroughTheEngine) {
  MediaRig rig(kPlayerCdApp, 0xC0005A04);  // Me: Media Player
  rig.Running("WMPlayerApp");
  rig.Run(10);
  EXPECT_TRUE(rig.engine->Playing());
  rig.Run(10);
  EXPECT_FALSE(rig.engine->Playing());
  rig.Run(12);
  rig.Run(13);
  rig.Run(11);
  EXPECT_EQ(rig.Take(), (CallLog{PostTo(0x319, 0, 0xE0000), PostTo(0x319, 0, 0xE0000),
                                 PostTo(0x319, 0, 0xB0000), PostTo(0x319, 0, 0xC0000),
                                 PostTo(0x319, 0, 0xD0000), kClose}));
  rig.Closed();
  rig.Run(10);  // gone after the stop: play starts the CD Player command
  EXPECT_EQ(rig.Take(), (CallLog{"WinExec C:\\WINDOWS\\cdplayer.exe /play  show 5"}));
  EXPECT_TRUE(rig.engine->Playing());
}

TEST(MediaKeysTest, PanelThroughItsButtons) {
  MediaRig rig(kPlayerPanel);
  // Stopped: pause starts playback, and the belief follows the panel.
  EXPECT_TRUE(rig.Run(9));
  EXPECT_EQ(rig.Take(), (CallLog{"Panel Play"}));
  EXPECT_TRUE(rig.engine->Playing());
  rig.Run(10);  // playing: pause
  EXPECT_EQ(rig.Take(), (CallLog{"Panel Pause"}));
  EXPECT_FALSE(rig.engine->Playing());
  rig.Run(12);
  rig.Run(13);
  rig.Run(11);
  rig.Run(16);
  EXPECT_EQ(rig.Take(), (CallLog{"Panel Next", "Panel Prev", "Panel Stop", "Panel Eject"}));
}

TEST(MediaKeysTest, PanelWithNothingToPlayIsNotBelievedPlaying) {
  MediaRig rig(kPlayerPanel);
  rig.panel.playWorks = false;
  rig.Run(8);
  EXPECT_FALSE(rig.engine->Playing()) << "the panel's mode decides, not the key";
  rig.Run(9);  // not playing: pause plays, then believes playing whatever came of it
  EXPECT_TRUE(rig.engine->Playing());
  EXPECT_EQ(rig.Take(), (CallLog{"Panel Play", "Panel Play"}));
}

TEST(MediaKeysTest, InsertedDiscPlaysInThePanelWhateverThePlayer) {
  for (int player : {kPlayerPanel, kPlayerNone, kPlayerWinamp}) {
    MediaRig rig(player);
    rig.engine->PlayInsertedDisc('E');
    EXPECT_EQ(rig.Take(), (CallLog{"Panel Play drive E"})) << "player " << player;
    EXPECT_TRUE(rig.engine->Playing());
  }
  // Without a drive letter, the first disc the panel finds.
  MediaRig any(kPlayerPanel);
  any.engine->PlayInsertedDisc(0);
  EXPECT_EQ(any.Take(), (CallLog{"Panel Play"}));
  any.panel.mode = 1;
  any.panel.playWorks = false;
  any.engine->PlayInsertedDisc('D');
  EXPECT_EQ(any.Take(), (CallLog{"Panel Play drive D"}));
  EXPECT_FALSE(any.engine->Playing()) << "nothing to play in D:";

  MediaRig rig(kPlayerWinamp);
  rig.starter.winExecResult = 2;
  rig.alerts.whileOpen = [&] { rig.engine->PlayInsertedDisc('D'); };
  rig.Run(10);
  EXPECT_EQ(rig.Take(), (CallLog{"WinExec " + std::string(kMp3Command) + " show 5",
                                 "Box Please install WINAMP first !"}))
      << "refused while the box is open";
}

TEST(MediaKeysTest, PlayersWithoutATargetDoNothing) {
  for (int player : {int{kPlayerNone}, 3, int{kPlayerCdAutoPlay}, 8}) {
    MediaRig rig(player);
    rig.Running("SJE_CdPlayerClass");
    rig.Running("Winamp v1.x");
    for (int code : {8, 9, 10, 11, 12, 13}) rig.Run(code);
    EXPECT_TRUE(rig.Take().empty()) << "player " << player;
  }
}

TEST(MediaPlayerDiscTest, StartsByWhatTheDiscHolds) {
  MediaRig rig(kPlayerMediaPlayerDisc);
  rig.reg.SetText(RegRoot::LocalMachine,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wmplayer.exe", "",
                  "C:\\Program Files\\Windows Media Player\\wmplayer.exe");
  const std::string wmp = "\"C:\\Program Files\\Windows Media Player\\wmplayer.exe\"";
  rig.discs.disc = DiscContent{kDiscAudioCd, "", "E:"};
  rig.Run(8);
  rig.discs.disc = DiscContent{kDiscVideoCd, "AVSEQ01.DAT", "E:\\MPEGAV"};
  rig.Run(9);
  rig.discs.disc = DiscContent{kDiscData, "", "F:"};
  rig.Run(10);
  rig.discs.disc = DiscContent{};
  rig.Run(10);
  EXPECT_EQ(rig.Take(), (CallLog{"WinExec " + wmp + " /device:AudioCD show 5",
                                 "WinExec " + wmp + " E:\\MPEGAV\\AVSEQ01.DAT show 5",
                                 "ShellOpen F:\\"}));
}

TEST(MediaPlayerDiscTest, WithoutMediaPlayerNothingStarts) {
  MediaRig rig(kPlayerMediaPlayerDisc);
  rig.discs.disc = DiscContent{kDiscAudioCd, "", "E:"};
  rig.Run(8);
  EXPECT_TRUE(rig.Take().empty());
}

TEST(MediaPlayerDiscTest, SystemKeysScanTheDiscThenTap) {
  MediaRig rig(kPlayerSystemKeys);
  rig.reg.SetText(RegRoot::LocalMachine,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wmplayer.exe", "",
                  "C:\\WMP\\wmplayer.exe");
  rig.discs.disc = DiscContent{kDiscAudioCd, "", "E:"};
  rig.Run(10);
  EXPECT_EQ(rig.Take(),
            (CallLog{"WinExec C:\\WMP\\wmplayer.exe /device:AudioCD show 5", "Down B3", "Up B3"}));
}

TEST(MediaKeysTest, WithoutAPanelThePanelKeysDoNothing) {
  CallLog log;
  FakeRegistry reg;
  FakeStarter starter{log};
  FakeDesktop desktop{log};
  FakeAlerts alerts{log};
  MediaControl media{desktop, starter, reg, alerts};
  MediaState s;
  s.Player = kPlayerPanel;
  media.MediaPlay(s);
  media.MediaPause(s);
  media.MediaStop(s);
  media.PanelNext();
  media.PanelEject();
  media.PlayDiscInMediaPlayer();
  EXPECT_TRUE(log.empty());
}

// Which codes count as acting for the hook: a media code for a player with
// no target for it does not.
TEST(FunctionActsTest, MediaCodesActOnlyWithATarget) {
  struct Row {
    int Player;
    std::vector<int32_t> Acting;  // of 8..13 and 16
  };
  const Row rows[] = {
      {0, {16}},
      {3, {16}},
      {4, {16}},  // left as 4 only when the AutoPlay key is missing
      {1, {8, 9, 10, 11, 12, 13, 16}},
      {2, {8, 9, 10, 11, 12, 13, 16}},
      {5, {8, 9, 10, 11, 12, 13, 16}},
      {6, {8, 9, 10, 16}},
      {7, {10, 11, 12, 13, 16}},
  };
  for (const Row& row : rows) {
    std::vector<int32_t> acting;
    for (int32_t code : {8, 9, 10, 11, 12, 13, 16})
      if (FunctionActs(code, row.Player)) acting.push_back(code);
    EXPECT_EQ(acting, row.Acting) << "player " << row.Player;
  }
  for (int32_t code : {0, 1, 2, 3, 14, 20, 49, 54})
    EXPECT_TRUE(FunctionActs(code, 0)) << "code " << code;
}

}  // namespace
}  // namespace kd::test
