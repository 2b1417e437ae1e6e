// sweepall_driver.exe: works the uninstall dialog of a running sweepall.exe
// (and the message boxes it shows) from outside, as a user would, for the
// end-to-end tests.
//
//   sweepall_driver.exe STEP...
//     window CAPTION  act on the dialog-class window with this caption from
//                     now on (default "Sweepall Ver 2.51")
//     wait S          wait up to S seconds for that window to be visible
//     click ID        click its control with that id and wait until handled
//     press ID        click it without waiting (the click opens a message box)
//     dump FILE       write caption, group box text, check boxes and list
//                     lines of the uninstall dialog
//     texts FILE      write the text of every child window, one a line
//     gone S          wait up to S seconds for that window to close
//     minimize 0      minimise that window
//
// Exits 0 when every step worked, 1 (with a line on stderr) otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr DWORD kStepMs = 100;

std::string g_caption = "Sweepall Ver 2.51";

HWND FindDialog() { return FindWindowA(kDialogClass, g_caption.c_str()); }

// Waits for the dialog to be there (visible) or gone, in short sleeps: the
// driver runs in another process and has no event to wait on.
bool WaitFor(bool present, double seconds) {
  for (DWORD waited = 0; waited <= seconds * 1000; waited += kStepMs) {
    const HWND dialog = FindDialog();
    const bool there = dialog && IsWindowVisible(dialog);
    if (there == present) return true;
    Sleep(kStepMs);
  }
  return false;
}

std::string TextOf(HWND window) {
  char buf[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
  return buf;
}

bool Dump(HWND dialog, const char* path) {
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  std::fprintf(out, "caption=%s\n", TextOf(dialog).c_str());
  std::fprintf(out, "group=%s\n", TextOf(GetDlgItem(dialog, 1003)).c_str());
  for (int id : {1005, 1006, 1008, 1010})
    std::fprintf(out, "check%d=%d\n", id,
                 static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0)));
  const HWND list = GetDlgItem(dialog, 1000);
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Across processes Wine hands LB_GETTEXT of an ANSI caller back in
    // UTF-16; asking for UTF-16 and converting works everywhere.
    wchar_t wide[1024] = {};
    char line[2048] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, nullptr, nullptr);
    std::fprintf(out, "list=%s\n", line);
  }
  std::fclose(out);
  return true;
}

BOOL CALLBACK WriteChildText(HWND child, LPARAM file) {
  std::fprintf(reinterpret_cast<FILE*>(file), "%s\n", TextOf(child).c_str());
  return TRUE;
}

bool DumpTexts(HWND window, const char* path) {
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  EnumChildWindows(window, WriteChildText, reinterpret_cast<LPARAM>(out));
  std::fclose(out);
  return true;
}

int Fail(const char* what, const char* arg) {
  std::fprintf(stderr, "sweepall_driver: %s %s\n", what, arg);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    if (i + 1 >= argc) return Fail("missing argument for", argv[i]);
    const char* arg = argv[++i];
    if (step == "window") {
      g_caption = arg;
    } else if (step == "wait") {
      if (!WaitFor(true, std::atof(arg))) return Fail("no dialog within seconds:", arg);
    } else if (step == "gone") {
      if (!WaitFor(false, std::atof(arg))) return Fail("dialog still open after seconds:", arg);
    } else if (step == "click" || step == "press") {
      const HWND control = GetDlgItem(FindDialog(), std::atoi(arg));
      if (!control) return Fail("no control", arg);
      // Sent, not posted: the dialog has handled the click (and run the
      // script) when it returns, unless "press" was asked for because the
      // click opens a message box that this driver must answer.
      if (step == "click") {
        SendMessageA(control, BM_CLICK, 0, 0);
      } else {
        PostMessageA(control, BM_CLICK, 0, 0);
      }
    } else if (step == "dump") {
      const HWND dialog = FindDialog();
      if (!dialog || !Dump(dialog, arg)) return Fail("cannot dump to", arg);
    } else if (step == "minimize") {
      const HWND window = FindDialog();
      if (!window) return Fail("no window to minimise", arg);
      ShowWindow(window, SW_MINIMIZE);
    } else if (step == "texts") {
      const HWND window = FindDialog();
      if (!window || !DumpTexts(window, arg)) return Fail("cannot write texts to", arg);
    } else {
      return Fail("unknown step", argv[i - 1]);
    }
  }
  return 0;
}
