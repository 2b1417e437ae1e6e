// wintool.exe: a small Windows helper for end-to-end tests under Wine. It
// finds and waits for top-level windows, posts messages, reads and answers
// message boxes and presses keys. Output goes to stdout, one line per fact.
//
// Usage: wintool <command> [arguments]        ("-" stands for "any")
//   find CLASS TITLE               print the window handle; exit 1 if none
//   wait CLASS TITLE MS            wait until the window exists (exit 1 on timeout)
//   waitgone CLASS TITLE MS        wait until no such window exists
//   post CLASS TITLE MSG WP LP [N] PostMessage to the window, N times (default 1)
//                                  (numbers: 0x.. or decimal)
//   visible CLASS TITLE            print "visible" or "hidden"; exit 1 if no window
//   rect CLASS TITLE               print "left top right bottom" of the window
//   pid CLASS TITLE                print the id of the window's process
//   waitvisible CLASS TITLE MS     wait until the window exists and is visible
//   waithidden CLASS TITLE MS      wait until the window is hidden (or gone)
//   boxtext TITLE MS               wait for a dialog box titled TITLE ("-": any)
//                                  and print its text
//   waitbox TEXT MS                wait for a dialog box whose text contains TEXT;
//                                  print its title
//   press TITLE BUTTON MS          wait for the dialog box TITLE and press BUTTON:
//                                  ok, cancel, yes or no
//   settext TITLE ID TEXT MS       wait for the dialog box TITLE and set the text of
//                                  its control ID (e.g. 0x47c, a file dialog's name)
//   list CLASS                     print "left top right bottom" of every visible
//                                  top-level window of CLASS (e.g. "#32768", menus)
//   runreg KEY VALUE MS            start the command line stored in HKLM\KEY's string
//                                  VALUE (as Add/Remove Programs starts an entry's
//                                  UninstallString) and wait up to MS for it to end;
//                                  print its exit code (exit 1: not read, not started
//                                  or still running)
//   key VK...                      press and release each virtual key (keybd_event)
//   traydel CLASS TITLE ID         remove the window's notification-area icon ID,
//                                  as a shell that goes away takes it along
//   postreg CLASS TITLE NAME       post the registered message NAME ("TaskbarCreated")
//   reglink KEY TARGET             create HKLM\KEY as a registry link to the NT path
//                                  TARGET ("\Registry\Machine\Software\...")
//   sleep MS                       wait
// Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* AnyOr(const char* s) { return std::strcmp(s, "-") == 0 ? nullptr : s; }

unsigned long Number(const char* s) { return std::strtoul(s, nullptr, 0); }

HWND Find(const char* cls, const char* title) { return FindWindowA(AnyOr(cls), AnyOr(title)); }

// Waits by sleeping in short steps: the windows belong to other processes,
// so there is nothing of ours to wait on.
template <typename Pred>
bool WaitFor(unsigned long ms, Pred pred) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(20);
  }
}

struct BoxSearch {
  const char* Title = nullptr;  // nullptr: any
  const char* Text = nullptr;   // substring of the text; nullptr: any
  HWND Found = nullptr;
};

std::string DialogText(HWND dialog) {
  std::string best;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) continue;
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    if (std::strlen(text) > best.size()) best = text;
  }
  return best;
}

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  if (search->Title && std::strcmp(title, search->Title) != 0) return TRUE;
  if (search->Text && DialogText(window).find(search->Text) == std::string::npos) return TRUE;
  search->Found = window;
  return FALSE;
}

HWND FindBox(const char* title, const char* text) {
  BoxSearch search;
  search.Title = title;
  search.Text = text;
  EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

struct ClassList {
  const char* Class;
};

BOOL CALLBACK PrintIfClass(HWND window, LPARAM param) {
  auto* list = reinterpret_cast<ClassList*>(param);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  RECT r;
  if (std::strcmp(cls, list->Class) == 0 && IsWindowVisible(window) && GetWindowRect(window, &r))
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  return TRUE;
}

int ButtonId(const char* name) {
  if (lstrcmpiA(name, "ok") == 0) return IDOK;
  if (lstrcmpiA(name, "cancel") == 0) return IDCANCEL;
  if (lstrcmpiA(name, "yes") == 0) return IDYES;
  if (lstrcmpiA(name, "no") == 0) return IDNO;
  return 0;
}

// The whole stored text is the command line, handed over unparsed.
int RunFromRegistry(const char* key, const char* value, unsigned long ms) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS) {
    std::printf("key not found\n");
    return 1;
  }
  char line[1024] = {};
  DWORD size = sizeof line - 1;
  DWORD type = 0;
  const LONG r = RegQueryValueExA(k, value, nullptr, &type, reinterpret_cast<BYTE*>(line), &size);
  RegCloseKey(k);
  if (r != ERROR_SUCCESS || type != REG_SZ) {
    std::printf("value not read: %ld\n", r);
    return 1;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("not started: error %lu\n", GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);
  const bool ended = WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  if (!ended) return 1;
  std::printf("%lu\n", code);
  return 0;
}

int CreateRegistryLink(const char* path, const char* target) {
  HKEY key = nullptr;
  LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr,
                           REG_OPTION_CREATE_LINK,
                           KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr);
  if (r == ERROR_SUCCESS) {
    // The target is stored as UTF-16 without its terminator.
    std::wstring wide(target, target + std::strlen(target));
    r = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                       reinterpret_cast<const BYTE*>(wide.data()),
                       static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  std::printf("%ld\n", static_cast<long>(r));
  return r == ERROR_SUCCESS ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr, "wintool: bad usage; see the comment at the top of wintool.cpp\n");
  return 2;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  auto need = [argc](int n) { return argc >= n + 2; };

  if (cmd == "find" && need(2)) {
    HWND w = Find(argv[2], argv[3]);
    if (!w) return 1;
    std::printf("%p\n", static_cast<void*>(w));
    return 0;
  }
  if (cmd == "wait" && need(3))
    return WaitFor(Number(argv[4]), [&] { return Find(argv[2], argv[3]) != nullptr; }) ? 0 : 1;
  if (cmd == "waitgone" && need(3))
    return WaitFor(Number(argv[4]), [&] { return Find(argv[2], argv[3]) == nullptr; }) ? 0 : 1;
  if (cmd == "waitvisible" && need(3))
    return WaitFor(Number(argv[4]), [&] {
             HWND w = Find(argv[2], argv[3]);
             return w && IsWindowVisible(w);
           }) ? 0 : 1;
  if (cmd == "waithidden" && need(3))
    return WaitFor(Number(argv[4]), [&] {
             HWND w = Find(argv[2], argv[3]);
             return !w || !IsWindowVisible(w);
           }) ? 0 : 1;
  if (cmd == "post" && need(5)) {
    HWND w = Find(argv[2], argv[3]);
    if (!w) return 1;
    const unsigned long times = argc > 7 ? Number(argv[7]) : 1;
    for (unsigned long i = 0; i < times; ++i)
      if (!PostMessageA(w, Number(argv[4]), Number(argv[5]), static_cast<LPARAM>(Number(argv[6])))) {
        std::printf("post %lu of %lu failed: error %lu\n", i + 1, times, GetLastError());
        return 1;
      }
    return 0;
  }
  if (cmd == "traydel" && need(3)) {
    HWND w = Find(argv[2], argv[3]);
    if (!w) return 1;
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = w;
    icon.uID = static_cast<UINT>(Number(argv[4]));
    return Shell_NotifyIconA(NIM_DELETE, &icon) ? 0 : 1;
  }
  if (cmd == "postreg" && need(3)) {
    HWND w = Find(argv[2], argv[3]);
    const UINT message = RegisterWindowMessageA(argv[4]);
    if (!w || !message) return 1;
    return PostMessageA(w, message, 0, 0) ? 0 : 1;
  }
  if (cmd == "visible" && need(2)) {
    HWND w = Find(argv[2], argv[3]);
    if (!w) return 1;
    std::printf("%s\n", IsWindowVisible(w) ? "visible" : "hidden");
    return 0;
  }
  if (cmd == "rect" && need(2)) {
    HWND w = Find(argv[2], argv[3]);
    RECT r;
    if (!w || !GetWindowRect(w, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  if (cmd == "pid" && need(2)) {
    HWND w = Find(argv[2], argv[3]);
    DWORD pid = 0;
    if (!w || !GetWindowThreadProcessId(w, &pid)) return 1;
    std::printf("%lu\n", pid);
    return 0;
  }
  if (cmd == "boxtext" && need(2)) {
    HWND box = nullptr;
    if (!WaitFor(Number(argv[3]), [&] { return (box = FindBox(AnyOr(argv[2]), nullptr)) != nullptr; })) return 1;
    std::printf("%s\n", DialogText(box).c_str());
    return 0;
  }
  if (cmd == "waitbox" && need(2)) {
    HWND box = nullptr;
    if (!WaitFor(Number(argv[3]), [&] { return (box = FindBox(nullptr, argv[2])) != nullptr; })) return 1;
    char title[256] = {};
    GetWindowTextA(box, title, sizeof title);
    std::printf("%s\n", title);
    return 0;
  }
  if (cmd == "press" && need(3)) {
    const int id = ButtonId(argv[3]);
    if (id == 0) return Usage();
    HWND box = nullptr;
    if (!WaitFor(Number(argv[4]), [&] { return (box = FindBox(AnyOr(argv[2]), nullptr)) != nullptr; })) return 1;
    HWND button = GetDlgItem(box, id);
    if (!button) return 1;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) ? 0 : 1;
  }
  if (cmd == "settext" && need(4)) {
    HWND box = nullptr;
    if (!WaitFor(Number(argv[5]), [&] { return (box = FindBox(AnyOr(argv[2]), nullptr)) != nullptr; })) return 1;
    return SetDlgItemTextA(box, static_cast<int>(Number(argv[3])), argv[4]) ? 0 : 1;
  }
  if (cmd == "list" && need(1)) {
    ClassList list{argv[2]};
    EnumWindows(PrintIfClass, reinterpret_cast<LPARAM>(&list));
    return 0;
  }
  if (cmd == "runreg" && need(3)) return RunFromRegistry(argv[2], argv[3], Number(argv[4]));
  if (cmd == "key" && need(1)) {
    for (int i = 2; i < argc; ++i) {
      const BYTE vk = static_cast<BYTE>(Number(argv[i]));
      const BYTE scan = static_cast<BYTE>(MapVirtualKeyA(vk, 0));
      keybd_event(vk, scan, 0, 0);
      keybd_event(vk, scan, KEYEVENTF_KEYUP, 0);
    }
    return 0;
  }
  if (cmd == "reglink" && need(2)) return CreateRegistryLink(argv[2], argv[3]);
  if (cmd == "sleep" && need(1)) {
    Sleep(Number(argv[2]));
    return 0;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  const int rc = Run(argc, argv);
  std::fflush(stdout);
  return rc;
}
