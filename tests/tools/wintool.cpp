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
//   creations MS CLASS...          print "ready", then the class of each top-level
//                                  window of one of the CLASSes as it is created (by
//                                  any process), in creation order, for MS
//   buttons PID                    print "CLASS TITLE" of each top-level window of
//                                  process PID that gets a task-bar button: visible
//                                  and unowned and no tool window, or marked as an
//                                  application window
//   reglink KEY TARGET             create HKLM\KEY as a registry link to the NT path
//                                  TARGET ("\Registry\Machine\Software\...")
//   sleep MS                       wait
//   all CLASS TITLE                print "handle left top right bottom visible|hidden" of
//                                  every top-level window that matches, hidden ones too
//   ctext CLASS TITLE ID           print the text of the window's child control ID
//                                  (WM_GETTEXT)
//   items CLASS TITLE ID           print the items of the window's combo box ID, one a line
//   click CLASS TITLE ID           post BM_CLICK to the window's button ID
//   checked CLASS TITLE ID         print "checked" or "unchecked" for the button ID
// CLASS may be "#HANDLE" (eight hexadecimal digits, as "all" prints it) to name one
// window; TITLE is then ignored. Shorter "#NNNNN" names stay class atoms ("#32768" menus).
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

HWND Find(const char* cls, const char* title) {
  if (cls[0] == '#' && std::strlen(cls) == 9) {
    HWND w = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(cls + 1, nullptr, 16)));
    return IsWindow(w) ? w : nullptr;
  }
  return FindWindowA(AnyOr(cls), AnyOr(title));
}

struct MatchAll {
  const char* Class;
  const char* Title;
};

BOOL CALLBACK PrintIfMatch(HWND window, LPARAM param) {
  auto* match = reinterpret_cast<MatchAll*>(param);
  char cls[64] = {};
  char title[256] = {};
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, title, sizeof title);
  RECT r;
  if ((!match->Class || std::strcmp(cls, match->Class) == 0) &&
      (!match->Title || std::strcmp(title, match->Title) == 0) && GetWindowRect(window, &r))
    std::printf("#%p %ld %ld %ld %ld %s\n", static_cast<void*>(window), r.left, r.top, r.right, r.bottom,
                IsWindowVisible(window) ? "visible" : "hidden");
  return TRUE;
}

// Another process's control: a message that cannot hang this helper.
LRESULT SendTo(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

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

struct ProcessWindows {
  DWORD Process;
};

// The classes `creations` watches for; set once before the hook runs.
char** g_watched = nullptr;
int g_watchedCount = 0;

void CALLBACK OnObjectCreate(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                             DWORD) {
  if (object != OBJID_WINDOW || child != CHILDID_SELF || !window) return;
  if (GetAncestor(window, GA_PARENT) != GetDesktopWindow()) return;
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  for (int i = 0; i < g_watchedCount; ++i) {
    if (std::strcmp(cls, g_watched[i]) == 0) {
      std::printf("%s\n", cls);
      std::fflush(stdout);
    }
  }
}

// Out-of-context window events reach this thread as messages, in the order
// the windows were created.
int WatchCreations(unsigned long ms, char** classes, int count) {
  g_watched = classes;
  g_watchedCount = count;
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                       OnObjectCreate, 0, 0, WINEVENT_OUTOFCONTEXT);
  if (!hook) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  for (DWORD now = start; now - start < ms; now = GetTickCount()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - (now - start), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  UnhookWinEvent(hook);
  return 0;
}

bool HasTaskbarButton(HWND window) {
  if (!IsWindowVisible(window)) return false;
  const LONG ex = GetWindowLongA(window, GWL_EXSTYLE);
  if (ex & WS_EX_APPWINDOW) return true;
  return GetWindow(window, GW_OWNER) == nullptr && !(ex & WS_EX_TOOLWINDOW);
}

BOOL CALLBACK PrintProcessWindow(HWND window, LPARAM param) {
  auto* list = reinterpret_cast<ProcessWindows*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != list->Process) return TRUE;
  char cls[64] = {}, title[128] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (HasTaskbarButton(window)) {
    GetWindowTextA(window, title, sizeof title);
    std::printf("%s %s\n", cls, title);
  }
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
  if (cmd == "all" && need(2)) {
    MatchAll match{AnyOr(argv[2]), AnyOr(argv[3])};
    EnumWindows(PrintIfMatch, reinterpret_cast<LPARAM>(&match));
    return 0;
  }
  if ((cmd == "ctext" || cmd == "items" || cmd == "click" || cmd == "checked") && need(3)) {
    HWND w = Find(argv[2], argv[3]);
    HWND control = w ? GetDlgItem(w, static_cast<int>(Number(argv[4]))) : nullptr;
    if (!control) return 1;
    if (cmd == "ctext") {
      char text[1024] = {};
      SendTo(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      std::printf("%s\n", text);
    } else if (cmd == "items") {
      const LRESULT count = SendTo(control, CB_GETCOUNT, 0, 0);
      // Asked in UTF-16: Wine hands another process's ANSI item text over
      // as wide characters, which an ANSI buffer cuts after one letter.
      for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[512] = {};
        char text[1024] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, 5000, &length);
        if (length < 512)
          SendMessageTimeoutW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide),
                              SMTO_ABORTIFHUNG, 5000, &length);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        std::printf("%s\n", text);
      }
    } else if (cmd == "click") {
      return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    } else {
      std::printf("%s\n", SendTo(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked");
    }
    return 0;
  }
  if (cmd == "creations" && need(2)) return WatchCreations(Number(argv[2]), argv + 3, argc - 3);
  if (cmd == "buttons" && need(1)) {
    ProcessWindows list{static_cast<DWORD>(Number(argv[2]))};
    EnumWindows(PrintProcessWindow, reinterpret_cast<LPARAM>(&list));
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
