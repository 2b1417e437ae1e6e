// The Win32 services of the shell under Wine: window search and posting,
// starting a program and waiting for it, the string table of keydeck.exe's
// resources, the tray record and the exception guard of the forms.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "keydeck/shell/language.h"
#include "keydeck/shell/win/win_platform.h"
#include "keydeck/ui/win/form_window.h"
#include "keydeck/ui/win/tray.h"

namespace kd {
namespace {

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of('\\'));
}

class TestForm final : public FormWindow {
 public:
  static constexpr UINT kThrow = WM_APP + 1;
  bool Create(const char* cls, const char* title) {
    RegisterFormClass(GetModuleHandleA(nullptr), cls, nullptr, nullptr);
    return CreateForm(GetModuleHandleA(nullptr), cls, title, WS_POPUP, 0, 0, 0, 10, 10, nullptr);
  }
  int Handled = 0;

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrow) {
      ++Handled;
      throw std::runtime_error("Settings could not be applied");
    }
    return FormWindow::Handle(message, wParam, lParam);
  }
};

TEST(WinWindowSystem, FindsByClassAndTitleAndPostsIntactValues) {
  TestForm form;
  ASSERT_TRUE(form.Create("TKeydeckTestForm", "Keydeck test form"));
  WinWindowSystem windows;
  EXPECT_EQ(reinterpret_cast<WindowId>(form.Window()), windows.FindTopLevel("TKeydeckTestForm", "Keydeck test form"));
  EXPECT_EQ(0u, windows.FindTopLevel("TKeydeckTestForm", "keydeck test form!"));
  EXPECT_EQ(0u, windows.FindTopLevel("TKeydeckOther", "Keydeck test form"));

  ASSERT_TRUE(windows.Post(reinterpret_cast<WindowId>(form.Window()), 0x500, 0xDA, 0x7FFFFFFF));
  MSG msg = {};
  ASSERT_TRUE(PeekMessageA(&msg, form.Window(), 0x500, 0x500, PM_REMOVE));
  EXPECT_EQ(0xDAu, msg.wParam);
  EXPECT_EQ(0x7FFFFFFF, msg.lParam);
  form.Destroy();
  EXPECT_EQ(0u, windows.FindTopLevel("TKeydeckTestForm", "Keydeck test form"));
}

TEST(WinProcessRunner, WaitsUntilTheProgramHasEnded) {
  WinProcessRunner runner;
  const DWORD start = GetTickCount();
  EXPECT_TRUE(runner.RunAndWait(BinDir() + "\\wintool.exe", " sleep 700"));
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 690u) << "returned after " << took << " ms";
}

TEST(WinProcessRunner, MissingProgramIsReported) {
  WinProcessRunner runner;
  EXPECT_FALSE(runner.RunAndWait(BinDir() + "\\no-such-program.exe", " -s qKeymap.reg "));
}

TEST(WinProcessRunner, TheRegistryEditorImportsSilently) {
  char file[MAX_PATH];
  GetTempPathA(sizeof file, file);
  lstrcatA(file, "kdtest.reg");
  const char content[] = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KeydeckImportTest]\r\n\"Value\"=dword:0000002a\r\n\r\n";
  HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD written = 0;
  WriteFile(h, content, sizeof content - 1, &written, nullptr);
  CloseHandle(h);

  WinProcessRunner runner;
  ASSERT_TRUE(runner.RunAndWait(WindowsDirectory() + "\\regedit.exe", std::string(" -s \"") + file + "\" "));
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KeydeckImportTest", "Value",
                                        RRF_RT_REG_DWORD, nullptr, &value, &size));
  EXPECT_EQ(42u, value);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KeydeckImportTest");
  DeleteFileA(file);
}

TEST(ResourceStringTable, ReadsTheProgramsBlocks) {
  ResourceStringTable strings;
  std::string text;
  ASSERT_TRUE(strings.Load(0, &text));
  EXPECT_EQ("HotKey Setup", text);
  ASSERT_TRUE(strings.Load(1, &text));
  EXPECT_EQ("&Setup", text);
  ASSERT_TRUE(strings.Load(513, &text));
  EXPECT_EQ("Anwendung", text);
  ASSERT_TRUE(strings.Load(744, &text));
  EXPECT_FALSE(text.empty());
  EXPECT_FALSE(strings.Load(701, &text)) << "the Spanish block holds only the product name";
  EXPECT_FALSE(strings.Load(605, &text)) << "the Italian block holds only the product name";
}

TEST(ResourceStringTable, GermanMenuFromTheRealTable) {
  ResourceStringTable strings;
  SetupMenu menu;
  ApplyLocalisedCaptions(menu, MenuBaseFor(1031), strings);
  EXPECT_EQ("&Einrichten", menu.Item("Setup").Caption);
  EXPECT_EQ("Anwendung_1", menu.Item("Application1").Caption);
  EXPECT_EQ("Anwendung_5", menu.Item("Application5").Caption);
  EXPECT_EQ("Led", menu.Item("Led").Caption);
}

TEST(TrayIcons, CallbackMessageAndRecord) {
  TrayIcons tray;
  EXPECT_EQ(0u, tray.SetCallbackMessage(0x603));
  EXPECT_EQ(0x603u, tray.SetCallbackMessage(0x604));
  TestForm form;
  ASSERT_TRUE(form.Create("TKeydeckTrayForm", "tray"));
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  // The old layout has room for 63 characters and the terminator.
  std::string longTip(100, 't');
  longTip[62] = 'x';
  longTip[63] = 'y';
  EXPECT_TRUE(tray.Add(form.Window(), 512, icon, longTip.c_str()));
  EXPECT_EQ(std::string(tray.Tip()), longTip.substr(0, 63));
  EXPECT_TRUE(tray.Delete(form.Window(), 512));
  const std::string exact(63, 'e');
  EXPECT_TRUE(tray.Add(form.Window(), 512, icon, exact.c_str()));
  EXPECT_EQ(std::string(tray.Tip()), exact) << "a tip of 63 characters is kept whole";
  EXPECT_TRUE(tray.Delete(form.Window(), 512));
  EXPECT_TRUE(tray.Add(form.Window(), 512, icon, nullptr));
  EXPECT_EQ(std::string(tray.Tip()), "") << "no tip: empty, not the last one";
  EXPECT_TRUE(tray.Delete(form.Window(), 512));
  form.Destroy();
}

// Answers the error box from another thread and reports what it said.
struct BoxAnswer {
  std::string Title;
  std::string Text;
};

TEST(FormWindow, AnExceptionStopsAtTheWindowProcedure) {
  TestForm form;
  ASSERT_TRUE(form.Create("TKeydeckThrowForm", "throw"));
  BoxAnswer answer;
  std::thread watcher([&answer] {
    for (int i = 0; i < 500; ++i) {
      HWND box = FindWindowA("#32770", "WIRELESS KEYBOARD");
      if (box) {
        char text[256] = {};
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          char cls[32] = {};
          GetClassNameA(c, cls, sizeof cls);
          if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(c, text, sizeof text) > 0) answer.Text = text;
        }
        answer.Title = "WIRELESS KEYBOARD";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  });
  SendMessageA(form.Window(), TestForm::kThrow, 0, 0);
  watcher.join();
  EXPECT_EQ(1, form.Handled);
  EXPECT_EQ("WIRELESS KEYBOARD", answer.Title);
  EXPECT_EQ("Settings could not be applied.", answer.Text);
  EXPECT_TRUE(IsWindow(form.Window()));
  form.Destroy();
}

}  // namespace
}  // namespace kd
