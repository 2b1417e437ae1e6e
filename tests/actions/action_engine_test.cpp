// The action engine: rows, RunEntry, the re-entry guard and the routing and
// result of every function code, against recording fakes.
#include <gtest/gtest.h>

#include "keydeck/actions/action_engine.h"
#include "keydeck/actions/launch_targets.h"
#include "tests/actions/action_fakes.h"

namespace kd::test {
namespace {

constexpr RegRoot HKCR = RegRoot::ClassesRoot;
constexpr RegRoot HKLM = RegRoot::LocalMachine;
const std::string kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

CallLog Chord(const std::string& mod, const std::string& key) {
  return {"Down " + mod, "Down " + key, "Up " + key, "Up " + mod};
}
CallLog Tap(const std::string& key) { return {"Down " + key, "Up " + key}; }

// ---- construction -----------------------------------------------------

TEST(EngineConstructionTest, DiscoversCommandsAndNtPaths) {
  EngineRig rig;
  rig.reg.SetText(HKCR, ".mp3", "", "mp3file");
  rig.reg.SetText(HKCR, "mp3file\\shell\\open\\command", "", "\"C:\\Winamp\\winamp.exe\" \"%1\"");
  rig.reg.SetText(HKCR, ".htm", "", "htmlfile");
  rig.reg.SetText(HKCR, "htmlfile\\shell\\open\\command", "", "C:\\IE\\iexplore.exe");
  rig.reg.SetText(HKLM, "Software\\Microsoft\\Internet Explorer", "Version", "6.0.2800.1106");
  ActionEngine& e = rig.Build();
  EXPECT_EQ(e.Mp3Command(), "\"C:\\Winamp\\winamp.exe\"");
  EXPECT_EQ(e.BrowserCommand(), "C:\\IE\\iexplore.exe");
  EXPECT_EQ(e.MailCommand(), kFallbackMailCommand);
  EXPECT_EQ(e.PersonalFolder(), "");
  EXPECT_EQ(e.SearchAddress(), kDefaultSearchAddress);
  EXPECT_EQ(e.IeMajorVersion(), 6);
  EXPECT_EQ(e.WindowsDir(), "C:\\WINDOWS");
  EXPECT_EQ(e.CdPlayerCommand(), "C:\\WINDOWS\\system32\\cdplayer.exe /play ");
  EXPECT_EQ(e.CommandPrompt(), "C:\\WINDOWS\\system32\\cmd.exe c:");
  EXPECT_EQ(e.Version().VersionClass(), kWindowsXP);
  EXPECT_EQ(e.Player(), 0);
  EXPECT_FALSE(e.Playing());
  EXPECT_EQ(e.EntryCount(), 0);
  EXPECT_EQ(e.LanguageId(), 0x0409);
}

TEST(EngineConstructionTest, NinetyFiveFamilyPaths) {
  EngineRig rig;
  rig.system.packed = 0xC0000A04;
  rig.system.windowsDir = "C:\\WIN98";
  ActionEngine& e = rig.Build();
  EXPECT_EQ(e.CdPlayerCommand(), "C:\\WIN98\\cdplayer.exe /play ");
  EXPECT_EQ(e.CommandPrompt(), "C:\\WIN98\\command.com");
  EXPECT_FALSE(e.NtPlatform());
}

// ---- rows ---------------------------------------------------------------

TEST(EngineRowsTest, AddEntryStopsAtThirtyRows) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  for (int i = 0; i < 30; ++i) EXPECT_EQ(e.AddEntry("c" + std::to_string(i), "l", i, 7), i + 1);
  EXPECT_EQ(e.AddEntry("extra", "x", 99, 0), 30);
  EXPECT_EQ(e.EntryCount(), 30);
  EXPECT_EQ(e.Entry(29)->Caption, "c29");
  EXPECT_EQ(e.Entry(29)->Function, 29);
  EXPECT_EQ(e.Entry(29)->Param, 7u);
  EXPECT_EQ(e.Entry(30), nullptr);
  EXPECT_EQ(e.Entry(-1), nullptr);
}

TEST(EngineRowsTest, ClearKeepsTextsUntilOverwritten) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  e.AddEntry("WWW", "a", 20, 0);
  e.AddEntry("Email", "b", 21, 0);
  e.ClearEntries();
  EXPECT_EQ(e.EntryCount(), 0);
  EXPECT_EQ(e.Entry(1)->Caption, "Email");
  e.AddEntry("New", "c", 2, 0);
  EXPECT_EQ(e.Entry(0)->Caption, "New");
  EXPECT_EQ(e.Entry(1)->Caption, "Email");
}

TEST(EngineRowsTest, SetEntryWritesAllFourColumnsInRange) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  EXPECT_TRUE(e.SetEntry(4, ActionEntry{"Email", "", 21, 3}));
  EXPECT_EQ(e.Entry(4)->Function, 21);
  EXPECT_EQ(e.Entry(4)->Param, 3u);
  EXPECT_EQ(e.EntryCount(), 0) << "menu edits do not change the count";
  EXPECT_FALSE(e.SetEntry(30, ActionEntry{}));
  EXPECT_FALSE(e.SetEntry(-1, ActionEntry{}));
}

TEST(EngineRunEntryTest, RowsOutsideTheTableFail) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  EXPECT_FALSE(e.RunEntry(30));
  EXPECT_FALSE(e.RunEntry(-1));
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineRunEntryTest, RowBeyondTheCountRunsWhatItHolds) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  EXPECT_TRUE(e.RunEntry(12)) << "never written: function 0";
  EXPECT_EQ(e.OsdCaption(), "");
  e.AddEntry("Esc", "", 28, 0);
  e.ClearEntries();
  EXPECT_TRUE(e.RunEntry(0));
  EXPECT_EQ(e.OsdCaption(), "Esc");
  EXPECT_EQ(rig.log, Tap("1B"));
}

TEST(EngineRunEntryTest, CaptionCutTo127Characters) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  const std::string caption(200, 'x');
  e.AddEntry(caption, "", 0, 0);
  EXPECT_TRUE(e.RunEntry(0));
  EXPECT_EQ(e.OsdCaption(), std::string(127, 'x'));
  e.SetEntry(0, ActionEntry{std::string(127, 'y'), "", 0, 0});
  e.RunEntry(0);
  EXPECT_EQ(e.OsdCaption(), std::string(127, 'y'));
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(EngineRunEntryTest, CaptionIsCutOnACharacterOfTheCodePage) {
  EngineRig rig;
  // Shift-JIS: 0x81-0x9F and 0xE0-0xFC lead a second byte, which may lie
  // in the lead range itself (0x82 0x82 is one character).
  for (int b = 0x81; b <= 0x9F; ++b) rig.system.leadBytes.insert(static_cast<uint8_t>(b));
  for (int b = 0xE0; b <= 0xFC; ++b) rig.system.leadBytes.insert(static_cast<uint8_t>(b));
  ActionEngine& e = rig.Build();
  const std::string kana = "\x82\xA0";     // one character, two bytes
  const std::string twoLeads = "\x82\x82";  // one character whose trail is a lead byte
  const std::pair<std::string, std::string> cases[] = {
      {std::string(126, 'x') + kana, std::string(126, 'x')},
      {std::string(125, 'x') + kana + "z", std::string(125, 'x') + kana},
      // 1 + 2 x 63 = 127: the whole characters fit.
      {"x" + Repeat(twoLeads, 64), "x" + Repeat(twoLeads, 63)},
      // The last kept byte looks like a lead byte but ends a character:
      // only a walk from the start tells.
      {std::string(125, 'x') + twoLeads + kana, std::string(125, 'x') + twoLeads},
      // A lead byte with nothing after it is one (broken) character.
      {std::string(10, 'x') + "\x82", std::string(10, 'x') + "\x82"},
  };
  for (const auto& [caption, shown] : cases) {
    e.SetEntry(0, ActionEntry{caption, "", 0, 0});
    EXPECT_TRUE(e.RunEntry(0));
    EXPECT_EQ(e.OsdCaption(), shown) << caption.size() << " bytes";
    EXPECT_LE(e.OsdCaption().size(), 127u);
  }
}

TEST(EngineRunEntryTest, ReentryIsRefusedWhileAnActionRuns) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  e.AddEntry("Run", "prog.exe", 1, 0);
  e.AddEntry("Esc", "", 28, 0);
  bool nested = true;
  bool busyInside = false;
  rig.starter.onLaunch = [&] {
    busyInside = e.ActionBusy();
    nested = e.RunEntry(1);
  };
  EXPECT_TRUE(e.RunEntry(0));
  EXPECT_TRUE(busyInside);
  EXPECT_FALSE(nested);
  EXPECT_EQ(e.OsdCaption(), "Run") << "the refused row took over the caption";
  EXPECT_FALSE(e.ActionBusy());
  EXPECT_EQ(rig.log, (CallLog{"WinExec prog.exe show 5"})) << "the nested key did nothing";
  rig.starter.onLaunch = nullptr;
  EXPECT_TRUE(e.RunEntry(1)) << "the guard is cleared afterwards";
}

// ---- codes without side effects ----------------------------------------

TEST(EngineCodesTest, CodesWithoutActionSucceedAndDoNothing) {
  EngineRig rig;
  rig.Build();
  for (int code : {0, 14, 15, 30, 36, 37, 38, 39, 40, 44, 45, 46, 47, 54, 55, 100, -1}) {
    EXPECT_TRUE(rig.Run(code, "target.exe")) << "code " << code;
    EXPECT_TRUE(rig.log.empty()) << "code " << code;
  }
}

// ---- launches -----------------------------------------------------------

TEST(EngineCodesTest, Code1RunsTheLinkAsCommandLine) {
  EngineRig rig;
  EXPECT_TRUE(rig.Run(1, "C:\\tools\\calc.exe /x"));
  EXPECT_EQ(rig.log, (CallLog{"WinExec C:\\tools\\calc.exe /x show 5"}));
  rig.starter.winExecResult = 2;
  EXPECT_FALSE(rig.Run(1, "missing.exe"));
  rig.log.clear();
  EXPECT_FALSE(rig.Run(1, ""));
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineCodesTest, Code2OpensTheLinkThroughTheShell) {
  EngineRig rig;
  EXPECT_TRUE(rig.Run(2, "C:\\docs\\a.doc"));
  EXPECT_EQ(rig.log, (CallLog{"ShellOpen C:\\docs\\a.doc"}));
  rig.starter.shellResult = 31;
  EXPECT_FALSE(rig.Run(2, "C:\\docs\\a.doc"));
  rig.log.clear();
  EXPECT_FALSE(rig.Run(2, ""));
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineCodesTest, Code20StartsTheBrowserUnlessOneIsOpen) {
  EngineRig rig;
  rig.reg.SetText(HKCR, ".htm", "", "htmlfile");
  rig.reg.SetText(HKCR, "htmlfile\\shell\\open\\command", "", "\"C:\\IE\\iexplore.exe\" %1");
  rig.Build();
  EXPECT_TRUE(rig.Run(20));
  EXPECT_EQ(rig.log, (CallLog{"WinExec \"C:\\IE\\iexplore.exe\" show 5"}));
  rig.log.clear();
  rig.desktop.classes.insert("IEFrame");
  rig.starter.winExecResult = 0;
  EXPECT_TRUE(rig.Run(20));
  EXPECT_TRUE(rig.log.empty()) << "nothing started, nothing brought forward";
}

TEST(EngineCodesTest, Code20WithoutRegisteredBrowserFails) {
  EngineRig rig;
  EXPECT_FALSE(rig.Run(20));
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineCodesTest, MailDocumentsPromptAndSearchPage) {
  EngineRig rig;
  rig.reg.SetText(HKLM, "Software\\Microsoft\\Internet Explorer\\Main", "Search Page",
                  "http://find/");
  rig.reg.SetText(RegRoot::CurrentUser,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders",
                  "Personal", "C:\\My Documents");
  rig.Build();
  EXPECT_TRUE(rig.Run(21));
  EXPECT_TRUE(rig.Run(23));
  EXPECT_TRUE(rig.Run(24));
  EXPECT_TRUE(rig.Run(26));
  EXPECT_EQ(rig.log, (CallLog{"WinExec " + std::string(kFallbackMailCommand) + " show 5",
                              "ShellOpen C:\\My Documents",
                              "WinExec C:\\WINDOWS\\system32\\cmd.exe c: show 5",
                              "ShellOpen http://find/"}));
}

TEST(EngineCodesTest, EmptyDiscoveredTargetsReportFalse) {
  EngineRig rig;
  rig.reg.AddKey(HKLM, "Software\\Microsoft\\Internet Explorer\\Main");  // no search page
  rig.Build();
  EXPECT_FALSE(rig.Run(23)) << "no documents folder";
  EXPECT_FALSE(rig.Run(26)) << "no search page";
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineCodesTest, SearchAndFavoritesDependOnTheBrowserVersion) {
  EngineRig rig;
  rig.reg.SetText(HKLM, "Software\\Microsoft\\Internet Explorer", "Version", "5.00.2920.0000");
  rig.Build();
  EXPECT_TRUE(rig.Run(22));
  EXPECT_EQ(rig.log, Chord("11", "45"));
  rig.log.clear();
  EXPECT_TRUE(rig.Run(31));
  EXPECT_EQ(rig.log, Chord("11", "49"));

  EngineRig old;  // browser key missing: version 3, the search page instead
  old.Build();
  EXPECT_TRUE(old.Run(22));
  EXPECT_TRUE(old.Run(31));
  EXPECT_EQ(old.log, (CallLog{"ShellOpen " + std::string(kDefaultSearchAddress),
                              "ShellOpen " + std::string(kDefaultSearchAddress)}));
  old.starter.shellResult = 5;
  EXPECT_FALSE(old.Run(22));
}

TEST(EngineCodesTest, MyComputerByVersionClass) {
  struct Case {
    uint32_t packed;
    bool opensShell;
  } cases[] = {{0xC0005A04, true},  {0x08930005, true},  {0x0A280105, true},
               {0xC0000A04, false}, {0x05650004, false}, {0x1DB10106, false}};
  for (const Case& c : cases) {
    EngineRig rig;
    rig.system.packed = c.packed;
    rig.Build();
    EXPECT_TRUE(rig.Run(27)) << std::hex << c.packed;
    if (c.opensShell)
      EXPECT_EQ(rig.log, (CallLog{"ShellOpen ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}));
    else
      EXPECT_EQ(rig.log, Chord("5B", "45")) << std::hex << c.packed;
  }
  EngineRig failing;
  failing.starter.shellResult = 2;
  EXPECT_FALSE(failing.Run(27));
}

TEST(EngineCodesTest, OfficeProgramsAndTheirWindowTests) {
  EngineRig rig;
  rig.reg.SetText(HKLM, kAppPaths + "WinWord.exe", "", "C:\\Office\\WINWORD.EXE");
  rig.reg.SetText(HKLM, kAppPaths + "Excel.exe", "", "C:\\Office\\EXCEL.EXE");
  rig.reg.SetText(HKLM, kAppPaths + "Wpowerpnt.exe", "", "C:\\Office\\POWERPNT.EXE");
  rig.Build();
  EXPECT_TRUE(rig.Run(32));
  EXPECT_TRUE(rig.Run(33));
  EXPECT_TRUE(rig.Run(34));
  EXPECT_EQ(rig.log, (CallLog{"ShellOpen C:\\Office\\WINWORD.EXE", "ShellOpen C:\\Office\\EXCEL.EXE",
                              "ShellOpen C:\\Office\\POWERPNT.EXE"}));
  rig.log.clear();
  rig.desktop.classes = {"OpusApp", "XLMAIN", "PP9FrameClass"};
  rig.starter.shellResult = 0;
  EXPECT_TRUE(rig.Run(32));
  EXPECT_TRUE(rig.Run(33));
  EXPECT_FALSE(rig.Run(34)) << "no window test for PowerPoint";
  EXPECT_EQ(rig.log, (CallLog{"ShellOpen C:\\Office\\POWERPNT.EXE"}));
}

TEST(EngineCodesTest, OfficeProgramsNotInstalledFailQuietly) {
  EngineRig rig;
  EXPECT_FALSE(rig.Run(32));
  EXPECT_FALSE(rig.Run(33));
  EXPECT_FALSE(rig.Run(34));
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineCodesTest, Code35OpensTheHelpFileBesideTheProgramFirst) {
  const std::string beside = "C:\\Program Files\\Keydeck\\Hotkey.hlp";
  const std::string fixed = "D:\\product\\TESSARO\\4718\\help\\Hotkey.hlp";
  EngineRig rig;
  rig.starter.files = {beside, fixed};
  EXPECT_TRUE(rig.Run(35));
  EXPECT_EQ(rig.log, (CallLog{"Help " + beside}));
  rig.log.clear();
  // Without it, the fixed place.
  rig.starter.files = {fixed};
  EXPECT_TRUE(rig.Run(35));
  EXPECT_EQ(rig.log, (CallLog{"Help " + fixed}));
  rig.log.clear();
  rig.starter.files.clear();
  EXPECT_FALSE(rig.Run(35)) << "no help file anywhere";
  EXPECT_TRUE(rig.log.empty());
}

TEST(EngineCodesTest, Code35WithoutTheProgramsOwnPathTriesOnlyTheFixedPlace) {
  EngineRig rig;
  rig.system.programPath = "";
  rig.starter.files = {"\\Hotkey.hlp", "Hotkey.hlp"};
  rig.Build();
  EXPECT_FALSE(rig.Run(35));
  rig.engine->SetHelpFile("C:\\Keydeck\\Hotkey.hlp");
  rig.starter.files.insert("C:\\Keydeck\\Hotkey.hlp");
  EXPECT_TRUE(rig.Run(35));
  EXPECT_EQ(rig.log, (CallLog{"Help C:\\Keydeck\\Hotkey.hlp"}));
}

// ---- key chords ----------------------------------------------------------

TEST(EngineCodesTest, KeyChordsAndTaps) {
  struct Case {
    int code;
    CallLog keys;
  } cases[] = {
      {6, Chord("12", "25")},  {7, Chord("12", "27")},  {28, Tap("1B")}, {29, Tap("74")},
      {41, Chord("11", "43")}, {42, Chord("11", "56")}, {43, Chord("11", "58")},
  };
  for (const Case& c : cases) {
    EngineRig rig;
    EXPECT_TRUE(rig.Run(c.code)) << "code " << c.code;
    EXPECT_EQ(rig.log, c.keys) << "code " << c.code;
  }
}

TEST(EngineCodesTest, Code49TapsTheParametersLowByte) {
  EngineRig rig;
  EXPECT_TRUE(rig.Run(49, "", 0x1234AD));
  EXPECT_EQ(rig.log, Tap("AD"));
  rig.log.clear();
  rig.Run(49, "", 0x41);
  EXPECT_EQ(rig.log, Tap("41"));
}

// ---- window messages --------------------------------------------------

TEST(EngineCodesTest, ScreenSaverGoesToTheDesktopWindow) {
  EngineRig rig;
  rig.desktop.desktop = 0x10010;
  EXPECT_TRUE(rig.Run(17));
  EXPECT_EQ(rig.log, (CallLog{"Post 10010 112 F140 0"}));
}

TEST(EngineCodesTest, CloseAndScrollGoToTheForegroundWindow) {
  EngineRig rig;
  rig.desktop.foreground = 0x2A2A;
  EXPECT_TRUE(rig.Run(19));
  EXPECT_TRUE(rig.Run(50));
  EXPECT_TRUE(rig.Run(51));
  EXPECT_EQ(rig.log,
            (CallLog{"Post 2A2A 112 F060 0", "Post 2A2A 115 0 0", "Post 2A2A 115 1 0"}));
}

TEST(EngineCodesTest, NoForegroundWindowPostsNothing) {
  EngineRig rig;
  rig.desktop.foreground = 0;
  EXPECT_TRUE(rig.Run(19));
  EXPECT_TRUE(rig.Run(50));
  EXPECT_TRUE(rig.Run(51));
  EXPECT_TRUE(rig.log.empty());
}

// ---- volume -----------------------------------------------------------

TEST(EngineCodesTest, VolumeDownAndUpStoreTheLevel) {
  EngineRig rig;
  rig.volume.level = 0x0550;
  rig.volume.mute = 1;
  EXPECT_TRUE(rig.Run(3));
  EXPECT_EQ(rig.volume.level, 0u);
  EXPECT_EQ(rig.volume.mute, 0);
  EXPECT_EQ(rig.engine->StoredVolume(), 0u);
  rig.volume.level = 0xFA00;
  EXPECT_TRUE(rig.Run(4));
  EXPECT_EQ(rig.volume.level, 0xFFFFu);
  EXPECT_EQ(rig.engine->StoredVolume(), 0xFFFFu);
  EXPECT_EQ(rig.engine->MasterVolume(), 0xFFFFu);
}

TEST(EngineCodesTest, VolumeUpLeavesAnOutOfScaleLevelAndTheStoredValue) {
  EngineRig rig;
  rig.volume.level = 0x3000;
  rig.Run(4);
  EXPECT_EQ(rig.engine->StoredVolume(), 0x3600u);
  rig.volume.level = 0x10000;
  EXPECT_TRUE(rig.Run(4));
  EXPECT_EQ(rig.volume.level, 0x10000u);
  EXPECT_EQ(rig.engine->StoredVolume(), 0x3600u);
}

TEST(EngineCodesTest, VolumeKeysWithoutMixerStillSucceed) {
  EngineRig rig;
  rig.volume.present = false;
  EXPECT_TRUE(rig.Run(3));
  EXPECT_TRUE(rig.Run(4));
  EXPECT_TRUE(rig.Run(5));
  EXPECT_EQ(rig.engine->MasterVolume(), 0u);
  EXPECT_EQ(rig.log, (CallLog{"SetMute 0", "SetVolume 0", "SetMute 0", "SetVolume 600"}));
}

TEST(EngineCodesTest, MuteToggles) {
  EngineRig rig;
  EXPECT_TRUE(rig.Run(5));
  EXPECT_EQ(rig.volume.mute, 1);
  EXPECT_TRUE(rig.Run(5));
  EXPECT_EQ(rig.volume.mute, 0);
}

// ---- power --------------------------------------------------------------

TEST(EngineCodesTest, PowerCodesOnTheNtFamily) {
  EngineRig rig;
  EXPECT_TRUE(rig.Run(18));
  EXPECT_TRUE(rig.Run(48));
  EXPECT_TRUE(rig.Run(25));
  EXPECT_EQ(rig.log, (CallLog{"Privilege", "PowerState suspend", "Privilege",
                              "PowerState hibernate", "Privilege", "ExitWindows"}));
  rig.power.exitResult = false;
  EXPECT_FALSE(rig.Run(25)) << "shut down reports the system's refusal";
}

TEST(EngineCodesTest, PowerCodesOnTheNinetyFiveFamily) {
  EngineRig rig;
  rig.system.packed = 0xC0000A04;
  rig.Build();
  rig.power.privilegeResult = false;
  EXPECT_TRUE(rig.Run(18));
  EXPECT_TRUE(rig.Run(25));
  EXPECT_EQ(rig.log, (CallLog{"PowerState suspend", "ExitWindows"}));
}

// ---- media keys ------------------------------------------------------------

struct MediaCase {
  int player;
  int code;
  CallLog calls;
  bool playingAfter;
};

TEST(EngineMediaTest, RoutingByPlayerFromIdle) {
  const MediaCase cases[] = {
      {0, 8, {"MediaPlay playing"}, true},
      {1, 8, {"MediaPlay playing"}, true},
      {6, 8, {"PlayDisc"}, false},
      {2, 9, {"MediaPause idle"}, false},
      {6, 9, {"PlayDisc"}, false},
      {1, 10, {"MediaPlay idle"}, false},
      {6, 10, {"PlayDisc"}, false},
      {7, 10, {"PlayDisc", "Down B3", "Up B3"}, false},
      {5, 11, {"MediaStop idle"}, false},
      {6, 11, {}, false},
      {7, 11, {"Down B2", "Up B2"}, false},
      {1, 12, {"CdApp 5 idle"}, false},
      {4, 12, {}, false},
      {2, 12, {"PanelNext"}, false},
      {5, 12, {"Winamp 5 idle"}, false},
      {7, 12, {"Down B0", "Up B0"}, false},
      {0, 12, {}, false},
      {6, 12, {}, false},
      {1, 13, {"CdApp 4 idle"}, false},
      {2, 13, {"PanelPrev"}, false},
      {5, 13, {"Winamp 4 idle"}, false},
      {7, 13, {"Down B1", "Up B1"}, false},
      {3, 13, {}, false},
      {0, 16, {"PanelEject"}, false},
      {7, 16, {"PanelEject"}, false},
  };
  for (const MediaCase& c : cases) {
    EngineRig rig;
    rig.Build().SetPlayer(c.player);
    EXPECT_TRUE(rig.Run(c.code)) << "player " << c.player << " code " << c.code;
    EXPECT_EQ(rig.log, c.calls) << "player " << c.player << " code " << c.code;
    EXPECT_EQ(rig.engine->Playing(), c.playingAfter)
        << "player " << c.player << " code " << c.code;
  }
}

TEST(EngineMediaTest, PlayPauseFollowsThePlayingBelief) {
  for (int player : {1, 2, 5}) {
    EngineRig rig;
    ActionEngine& e = rig.Build();
    e.SetPlayer(player);
    e.Media().Playing = true;
    rig.Run(10);
    EXPECT_EQ(rig.log, (CallLog{"MediaPause playing"})) << "player " << player;
    rig.log.clear();
    e.Media().Playing = false;
    rig.Run(10);
    EXPECT_EQ(rig.log, (CallLog{"MediaPlay idle"})) << "player " << player;
  }
}

TEST(EngineMediaTest, StopPauseAndEjectClearPlaying) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  e.SetPlayer(1);
  e.Media().Playing = true;
  rig.Run(11);
  EXPECT_EQ(rig.log, (CallLog{"MediaStop idle"})) << "cleared before the stop";
  e.Media().Playing = true;
  rig.Run(9);
  EXPECT_FALSE(e.Playing());
  e.SetPlayer(3);  // not the panel: eject still clears it
  e.Media().Playing = true;
  rig.Run(16);
  EXPECT_FALSE(e.Playing());
}

TEST(EngineMediaTest, PlayerSixLeavesPlayingAlone) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  e.SetPlayer(6);
  e.Media().Playing = true;
  rig.Run(9);
  rig.Run(11);
  EXPECT_TRUE(e.Playing());
}

TEST(EngineMediaTest, DirectMediaCallsActOnTheCurrentPlayer) {
  EngineRig rig;
  ActionEngine& e = rig.Build();
  e.SetPlayer(5);
  e.MediaStop();
  e.MediaPlay();
  e.MediaPause();
  EXPECT_EQ(rig.log, (CallLog{"MediaStop idle", "MediaPlay idle", "MediaPause idle"}));
}

// ---- audio-CD AutoPlay registration ---------------------------------------

const char* const kPlayCommandKey = "AudioCD\\shell\\play\\command";
const char* const kPanelCommand = "\"C:\\Program Files\\Keydeck\\Keydeck.exe\" /p %1";
const char* const kXpCdPlayer = "C:\\WINDOWS\\system32\\cdplayer.exe /play ";

// What the fake registry logs for a write of the command.
std::string CommandWrite(const std::string& value) {
  return "0:audiocd\\shell\\play\\command| = " + value;
}

struct AutoPlayRig : EngineRig {
  // The key as Windows installs it, pointing at some other player.
  explicit AutoPlayRig(int player, const char* current = "C:\\Other\\player.exe /cd %1") {
    if (current)
      reg.SetText(HKCR, kPlayCommandKey, "", current);
    else
      reg.AddKey(HKCR, kPlayCommandKey);
    Build().SetPlayer(player);
  }
  std::string Command() { return reg.ReadText(HKCR, kPlayCommandKey, "").value_or("<none>"); }
};

TEST(EngineAutoPlayTest, PanelChoicePointsTheCommandAtKeydeck) {
  AutoPlayRig rig(2);
  rig.engine->RegisterCdAutoPlay();
  EXPECT_EQ(rig.reg.writes, (CallLog{CommandWrite(kPanelCommand)}));
  EXPECT_EQ(rig.Command(), kPanelCommand);
  EXPECT_EQ(rig.engine->Player(), 2);
}

TEST(EngineAutoPlayTest, EqualCommandIsNotWrittenAgain) {
  AutoPlayRig panel(2, kPanelCommand);
  panel.engine->RegisterCdAutoPlay();
  EXPECT_TRUE(panel.reg.writes.empty()) << "first write: " << panel.reg.writes.front();
  EXPECT_EQ(panel.engine->Player(), 2);

  AutoPlayRig cd(4, kXpCdPlayer);
  cd.engine->RegisterCdAutoPlay();
  EXPECT_TRUE(cd.reg.writes.empty()) << "first write: " << cd.reg.writes.front();
  EXPECT_EQ(cd.engine->Player(), 1) << "still turned into the CD application";
}

TEST(EngineAutoPlayTest, ComparisonIsExactAndCaseSensitive) {
  const char* const nearly[] = {
      "\"c:\\program files\\keydeck\\keydeck.exe\" /p %1",   // case only
      "\"C:\\Program Files\\Keydeck\\Keydeck.exe\" /p %1 ",  // trailing space
      "\"C:\\Program Files\\Keydeck\\Keydeck.exe\" /P %1",
      // As written before the path was quoted: rewritten once.
      "C:\\Program Files\\Keydeck\\Keydeck.exe /p %1",
      ""};
  for (const char* current : nearly) {
    AutoPlayRig rig(2, current);
    rig.engine->RegisterCdAutoPlay();
    EXPECT_EQ(rig.reg.writes, (CallLog{CommandWrite(kPanelCommand)})) << "was \"" << current << "\"";
  }
}

TEST(EngineAutoPlayTest, MissingDefaultValueIsWritten) {
  AutoPlayRig rig(2, nullptr);
  ASSERT_EQ(rig.Command(), "<none>");
  rig.engine->RegisterCdAutoPlay();
  EXPECT_EQ(rig.Command(), kPanelCommand);
}

TEST(EngineAutoPlayTest, ChoiceFourRegistersTheCdPlayerAndBecomesOne) {
  AutoPlayRig rig(4);
  rig.engine->RegisterCdAutoPlay();
  EXPECT_EQ(rig.reg.writes, (CallLog{CommandWrite(kXpCdPlayer)}));
  EXPECT_EQ(rig.Command(), kXpCdPlayer);
  EXPECT_EQ(rig.engine->Player(), 1);
}

TEST(EngineAutoPlayTest, AfterChoiceFourTheMediaKeysDriveTheCdApplication) {
  AutoPlayRig rig(4);
  // Before: 4 is no target of its own (the routing table above).
  EXPECT_TRUE(rig.Run(12));
  EXPECT_TRUE(rig.log.empty());
  rig.engine->RegisterCdAutoPlay();
  rig.log.clear();
  rig.Run(12);
  rig.Run(13);
  rig.Run(8);
  rig.Run(11);
  EXPECT_EQ(rig.log,
            (CallLog{"CdApp 5 idle", "CdApp 4 idle", "MediaPlay playing", "MediaStop idle"}));
}

TEST(EngineAutoPlayTest, ChoiceFourRunsOncePerStart) {
  AutoPlayRig rig(4);
  rig.engine->RegisterCdAutoPlay();
  rig.reg.SetText(HKCR, kPlayCommandKey, "", "C:\\Other\\player.exe /cd %1");
  rig.reg.writes.clear();
  rig.engine->RegisterCdAutoPlay();  // a reload without a new choice: now 1
  EXPECT_TRUE(rig.reg.writes.empty());
  EXPECT_EQ(rig.engine->Player(), 1);
}

TEST(EngineAutoPlayTest, NinetyFiveFamilyCdPlayerCommand) {
  EngineRig rig;
  rig.system.packed = 0xC0000A04;  // Windows 98
  rig.system.windowsDir = "C:\\WIN98";
  rig.reg.SetText(HKCR, kPlayCommandKey, "", "");
  rig.Build().SetPlayer(4);
  rig.engine->RegisterCdAutoPlay();
  EXPECT_EQ(rig.reg.ReadText(HKCR, kPlayCommandKey, ""), "C:\\WIN98\\cdplayer.exe /play ");
}

TEST(EngineAutoPlayTest, MissingKeyChangesNothing) {
  for (int player : {2, 4}) {
    EngineRig rig;
    rig.reg.AddKey(HKCR, "AudioCD\\shell\\play");  // the command key itself is missing
    rig.Build().SetPlayer(player);
    rig.engine->RegisterCdAutoPlay();
    EXPECT_TRUE(rig.reg.writes.empty()) << "player " << player;
    EXPECT_FALSE(rig.reg.KeyOpens(HKCR, kPlayCommandKey)) << "player " << player;
    EXPECT_EQ(rig.engine->Player(), player) << "unchanged";
  }
  EngineRig rig;
  rig.Build().SetPlayer(4);
  rig.engine->RegisterCdAutoPlay();
  EXPECT_TRUE(rig.Run(12));
  EXPECT_TRUE(rig.log.empty()) << "4 stays without a target: " << rig.log.front();
}

TEST(EngineAutoPlayTest, OtherChoicesWriteNothing) {
  for (int player : {0, 1, 3, 5, 6, 7, 8, -1}) {
    AutoPlayRig rig(player);
    rig.engine->RegisterCdAutoPlay();
    EXPECT_TRUE(rig.reg.writes.empty()) << "player " << player;
    EXPECT_EQ(rig.Command(), "C:\\Other\\player.exe /cd %1") << "player " << player;
    EXPECT_EQ(rig.engine->Player(), player);
  }
}

TEST(EngineAutoPlayTest, RefusedWriteStillTurnsFourIntoOne) {
  AutoPlayRig rig(4);
  rig.reg.readOnly = true;  // a standard user under the machine's classes
  rig.engine->RegisterCdAutoPlay();
  EXPECT_EQ(rig.reg.writes, (CallLog{CommandWrite(kXpCdPlayer)})) << "tried once";
  EXPECT_EQ(rig.Command(), "C:\\Other\\player.exe /cd %1");
  EXPECT_EQ(rig.engine->Player(), 1);
}

TEST(EngineAutoPlayTest, UnknownProgramPathWritesNothing) {
  EngineRig rig;
  rig.system.programPath = "";
  rig.reg.SetText(HKCR, kPlayCommandKey, "", "C:\\Other\\player.exe /cd %1");
  rig.Build().SetPlayer(2);
  rig.engine->RegisterCdAutoPlay();
  EXPECT_TRUE(rig.reg.writes.empty()) << "would write \" /p %1\"";
  EXPECT_EQ(rig.engine->Player(), 2);
}

// ---- video player --------------------------------------------------------

struct VprRig : EngineRig {
  VprRig() {
    reg.SetText(HKLM, "SOFTWARE\\VPRMatrix\\PowerVPR", "SetupDir", "C:\\VPR");
    reg.SetText(HKLM, "SOFTWARE\\VPRMatrix\\PowerVPR", "VPR_Target", "D:\\MPEGAV");
    reg.SetText(HKLM, "SOFTWARE\\Tessaro", "", "K4718");
    reg.SetNumber(HKLM, "SOFTWARE\\Tessaro\\K4718\\Default", "Files", 2);
    reg.SetText(HKLM, "SOFTWARE\\Tessaro\\K4718\\Default", "FilesName", "a.dll,b.dll");
    starter.files = {"C:\\VPR\\PowerVPR.exe", "C:\\VPR\\a.dll", "C:\\VPR\\b.dll"};
  }
};
const char* const kVprStart = "Start C:\\VPR\\PowerVPR.exe [ D:\\MPEGAV]";
const char* const kFallbackStart = "Start C:\\WINDOWS\\Discprobe.exe []";

TEST(EngineVideoPlayerTest, StartsThePlayerWhenAllFilesArePresent) {
  VprRig rig;
  EXPECT_TRUE(rig.Run(52));
  EXPECT_EQ(rig.log, (CallLog{kVprStart}));
}

TEST(EngineVideoPlayerTest, FallsBackOnAnyMissingPiece) {
  {
    VprRig rig;
    rig.starter.files.erase("C:\\VPR\\b.dll");
    EXPECT_TRUE(rig.Run(52));
    EXPECT_EQ(rig.log, (CallLog{kFallbackStart})) << "a listed file missing";
  }
  {
    VprRig rig;
    rig.starter.files.erase("C:\\VPR\\PowerVPR.exe");
    rig.Run(52);
    EXPECT_EQ(rig.log, (CallLog{kFallbackStart})) << "the player missing";
  }
  {
    VprRig rig;
    rig.reg.SetNumber(HKLM, "SOFTWARE\\Tessaro\\K4718\\Default", "Files", 3);
    rig.Run(52);
    EXPECT_EQ(rig.log, (CallLog{kFallbackStart})) << "more files than names";
  }
  {
    VprRig rig;
    rig.reg.SetText(HKLM, "SOFTWARE\\Tessaro\\K4718\\Default", "FilesName", "");
    rig.Run(52);
    EXPECT_EQ(rig.log, (CallLog{kFallbackStart})) << "no names at all";
  }
  {
    EngineRig rig;  // player not installed
    rig.Run(52);
    EXPECT_EQ(rig.log, (CallLog{kFallbackStart}));
  }
}

TEST(EngineVideoPlayerTest, NoFileCountChecksOnlyThePlayer) {
  VprRig rig;
  rig.reg.SetText(HKLM, "SOFTWARE\\Tessaro", "", "Other");  // its Default key is missing
  rig.starter.files = {"C:\\VPR\\PowerVPR.exe"};
  rig.Run(52);
  EXPECT_EQ(rig.log, (CallLog{kVprStart}));
}

TEST(EngineVideoPlayerTest, NegativeFileCountChecksOnlyThePlayer) {
  VprRig rig;
  rig.reg.SetNumber(HKLM, "SOFTWARE\\Tessaro\\K4718\\Default", "Files", 0xFFFFFFFFu);  // -1
  rig.starter.files = {"C:\\VPR\\PowerVPR.exe"};  // none of the listed names
  EXPECT_TRUE(rig.Run(52));
  EXPECT_EQ(rig.log, (CallLog{kVprStart}));
}

// ---- calendar ---------------------------------------------------------------

TEST(EngineCalendarTest, UsesTheLastOutlookWindowOfTheWalk) {
  EngineRig rig;
  rig.desktop.windows = {
      {0x100, "Inbox - Microsoft Outlook", "rctrl_renwnd32"},
      {0x200, "Microsoft Outlook", "OtherClass"},
      {0x300, "Calendar - Microsoft Outlook", "xrctrl_renwnd32x"},
      {0x400, "microsoft outlook", "rctrl_renwnd32"},  // case differs: no match
  };
  EXPECT_TRUE(rig.Run(53));
  CallLog expected = {"Wait 300", "Show 300 6", "Show 300 3", "Foreground 300"};
  for (const auto& k : Chord("12", "56")) expected.push_back(k);
  for (const auto& k : Tap("47")) expected.push_back(k);
  for (const auto& k : Tap("43")) expected.push_back(k);
  EXPECT_EQ(rig.log, expected);
}

TEST(EngineCalendarTest, MinimizedOutlookIsNotMinimizedAgain) {
  EngineRig rig;
  rig.desktop.windows = {{0x100, "Microsoft Outlook", "rctrl_renwnd32"}};
  rig.desktop.minimized = {0x100};
  rig.Run(53);
  ASSERT_GE(rig.log.size(), 3u);
  EXPECT_EQ(rig.log[1], "Show 100 3");
}

TEST(EngineCalendarTest, StartsOutlookOnTheCalendarFolder) {
  EngineRig rig;
  rig.reg.SetText(HKLM, kAppPaths + "OUTLOOK.EXE", "", "C:\\Office\\OUTLOOK.EXE");
  rig.Build();
  EXPECT_TRUE(rig.Run(53));
  EXPECT_EQ(rig.log, (CallLog{"WinExec C:\\Office\\OUTLOOK.EXE /select "
                              "\"outlook:\\\\Personal Folders\\calendar\" show 5"}));
  rig.starter.winExecResult = 2;
  EXPECT_FALSE(rig.Run(53));
}

TEST(EngineCalendarTest, ChineseTraditionalUsesTheBig5FolderName) {
  EngineRig rig;
  rig.reg.SetText(HKLM, kAppPaths + "OUTLOOK.EXE", "", "C:\\Office\\OUTLOOK.EXE");
  rig.system.langId = 0x0404;
  ActionEngine& e = rig.Build();
  // 個人資料夾\行事曆 in code page 950 (iconv -t BIG5).
  const unsigned char bytes[] = {0xAD, 0xD3, 0xA4, 0x48, 0xB8, 0xEA, 0xAE, 0xC6, 0xA7,
                                 0xA8, '\\', 0xA6, 0xE6, 0xA8, 0xC6, 0xBE, 0xE4};
  const std::string big5(reinterpret_cast<const char*>(bytes), sizeof bytes);
  EXPECT_EQ(e.CalendarCommand(),
            "C:\\Office\\OUTLOOK.EXE /select \"outlook:\\\\" + big5 + "\"");
  e.SetLanguageId(0x0409);
  EXPECT_EQ(e.CalendarCommand(),
            "C:\\Office\\OUTLOOK.EXE /select \"outlook:\\\\Personal Folders\\calendar\"");
}

TEST(EngineCalendarTest, NotInstalledAndNotRunningFailsWithoutALaunch) {
  EngineRig rig;
  EXPECT_FALSE(rig.Run(53));
  EXPECT_TRUE(rig.log.empty());
}

}  // namespace
}  // namespace kd::test
