// hotkey_helper.exe: the program the end-to-end keymaps point at, and the
// other processes those tests need.
//
//   hotkey_helper [WORD...]            append "started WORD..." to $KD_RUN/helper.log
//   hotkey_helper --window CLASS [X Y W H]
//                                      show a top-level window of CLASS until it
//                                      is closed (a browser frame to find); a
//                                      left click on it appends "click CLASS X Y"
//                                      (client point) to $KD_RUN/helper.log
//   hotkey_helper --foreground         print the class of the foreground window
//                                      and of the window with the focus
//   hotkey_helper --exstyle CLASS      print the extended style (hex) of the
//                                      visible or hidden top-level window CLASS
//   hotkey_helper --pixel X Y W H RGB  print "x y" of the first screen pixel of
//                                      colour RGB in the rectangle, or "none"
//   hotkey_helper --flood N WP LP      post 0x500 (WP, LP) N times to Keydeck's
//                                      control form as fast as possible
//   hotkey_helper --count X Y W H RGB  print how many screen pixels of colour RGB
//                                      (hex RRGGBB) lie in the rectangle
//   hotkey_helper --bounds X Y W H RGB print "left top right bottom" of those
//                                      pixels, or "none"
//   hotkey_helper --watch MS X Y W H RGB
//                                      for MS milliseconds, look at the screen
//                                      again and again; print the largest count
//                                      seen, when the colour was first and last
//                                      seen (ms from the start) and the bounds
//                                      in the fullest picture, how many
//                                      pictures between the first and the last
//                                      sighting lacked it, and the longest time
//                                      between two pictures (first and last are
//                                      that exact):
//                                      "max N first F last L gaps G step S box L T R B".
//                                      $KD_RUN/watch.ready
//                                      appears once the watching has begun, so a
//                                      script can start it before a short-lived
//                                      drawing and not race the drawing's wipe.
//   hotkey_helper --stall CLASS MS     suspend for MS milliseconds the thread of
//                                      the top-level window CLASS (keyhook.dll's
//                                      watch window: its hook thread), so that the
//                                      low-level hook misses keys as one that
//                                      Windows removed would
//   hotkey_helper --holdlock MS        hold keyhook.dll's cross-process lock for
//                                      MS milliseconds: the classic hook (9x
//                                      family) then passes keys on unseen
//                                      Both write $KD_RUN/stall.ready once the
//                                      stall has begun and print "done" at its end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/osd/screen_shot.h"

namespace {

unsigned long Number(const char* s) { return std::strtoul(s, nullptr, 0); }

// Appends one line to $KD_RUN/helper.log.
bool LogLine(const std::string& line) {
  char run[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("KD_RUN", run, sizeof run);
  if (n == 0 || n >= sizeof run) return false;
  const std::string path = std::string("Z:") + run + "/helper.log";
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  std::fprintf(f, "%s\n", line.c_str());
  std::fclose(f);
  return true;
}

int LogStart(int argc, char** argv) {
  std::string line = "started";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  return LogLine(line) ? 0 : 1;
}

LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_LBUTTONDOWN) {
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    LogLine(std::string("click ") + cls + " " + std::to_string(static_cast<short>(LOWORD(l))) + " " +
            std::to_string(static_cast<short>(HIWORD(l))));
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(wnd, msg, w, l);
}

int PrintForeground() {
  HWND fg = GetForegroundWindow();
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  char fgClass[64] = "none", focusClass[64] = "none";
  if (fg) GetClassNameA(fg, fgClass, sizeof fgClass);
  if (fg && GetGUIThreadInfo(GetWindowThreadProcessId(fg, nullptr), &gui) && gui.hwndFocus) {
    GetClassNameA(gui.hwndFocus, focusClass, sizeof focusClass);
  }
  std::printf("%s %s\n", fgClass, focusClass);
  return 0;
}

int PrintExStyle(const char* cls) {
  HWND w = FindWindowA(cls, nullptr);
  if (!w) {
    std::printf("none\n");
    return 1;
  }
  std::printf("0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)));
  return 0;
}

int ShowWindowOfClass(const char* cls, int x, int y, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!RegisterClassA(&wc)) return 1;
  HWND w = CreateWindowExA(0, cls, cls, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width, height,
                           nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

int Flood(unsigned long count, WPARAM wp, LPARAM lp) {
  HWND setup = FindWindowA("TSetupFrm", "WIRELESS KEYBOARD SETUP");
  if (!setup) {
    std::printf("no Keydeck window\n");
    return 1;
  }
  unsigned long posted = 0;
  for (unsigned long i = 0; i < count; ++i) posted += PostMessageA(setup, 0x500, wp, lp) ? 1 : 0;
  std::printf("posted %lu of %lu\n", posted, count);
  return posted == count ? 0 : 1;
}

osdtest::Rgb ParseRgb(const char* rgb) {
  const unsigned long c = std::strtoul(rgb, nullptr, 16);
  return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
}

struct Box {
  int Left, Top, Right, Bottom;  // Right < 0: no pixel
};

Box BoundsIn(const osdtest::Shot& shot, osdtest::Rgb color, int x, int y, int w, int h) {
  Box b{x + w, y + h, -1, -1};
  for (int py = y; py < y + h; ++py) {
    for (int px = x; px < x + w; ++px) {
      if (!(shot.At(px, py) == color)) continue;
      if (px < b.Left) b.Left = px;
      if (py < b.Top) b.Top = py;
      if (px > b.Right) b.Right = px;
      if (py > b.Bottom) b.Bottom = py;
    }
  }
  return b;
}

void PrintBox(const Box& b) {
  if (b.Right < 0) {
    std::printf("none\n");
  } else {
    std::printf("%d %d %d %d\n", b.Left, b.Top, b.Right, b.Bottom);
  }
}

int Watch(DWORD ms, int x, int y, int w, int h, const char* rgb) {
  const osdtest::Rgb color = ParseRgb(rgb);
  char run[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("KD_RUN", run, sizeof run);
  if (n == 0 || n >= sizeof run) return 2;
  int best = 0;
  Box bestBox{0, 0, -1, -1};
  std::vector<std::pair<long, bool>> pictures;  // when, and whether the colour was in it
  long first = -1, last = -1;
  const DWORD start = GetTickCount();
  bool announced = false;
  while (GetTickCount() - start < ms) {
    const osdtest::Shot shot = osdtest::Shot::Take(x, y, x + w, y + h);
    if (!announced) {
      // After the first picture: the watching is under way.
      FILE* f = std::fopen((std::string("Z:") + run + "/watch.ready").c_str(), "wb");
      if (f) std::fclose(f);
      announced = true;
    }
    if (!shot.Valid()) continue;
    const int count = shot.Count(color, x, y, x + w, y + h);
    const long at = static_cast<long>(GetTickCount() - start);
    pictures.emplace_back(at, count > 0);
    if (count > 0) {
      if (first < 0) first = at;
      last = at;
    }
    if (count > best) {
      best = count;
      bestBox = BoundsIn(shot, color, x, y, w, h);
    }
    Sleep(20);
  }
  int gaps = 0;
  long step = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    const long when = pictures[i].first;
    gaps += (!pictures[i].second && when > first && when < last) ? 1 : 0;
    if (i > 0) step = std::max(step, when - pictures[i - 1].first);
  }
  std::printf("max %d first %ld last %ld gaps %d step %ld box ", best, first, last, gaps, step);
  PrintBox(bestBox);
  return 0;
}

int Pixels(char what, int x, int y, int w, int h, const char* rgb) {
  const osdtest::Rgb color = ParseRgb(rgb);
  const osdtest::Shot shot = osdtest::Shot::Take();
  if (!shot.Valid()) return 1;
  if (what == 'p') {
    for (int py = y; py < y + h; ++py) {
      for (int px = x; px < x + w; ++px) {
        if (shot.At(px, py) == color) {
          std::printf("%d %d\n", px, py);
          return 0;
        }
      }
    }
    std::printf("none\n");
    return 0;
  }
  const bool bounds = what == 'b';
  if (!bounds) {
    std::printf("%d\n", shot.Count(color, x, y, x + w, y + h));
    return 0;
  }
  PrintBox(BoundsIn(shot, color, x, y, w, h));
  return 0;
}

bool MarkStallBegun() {
  char run[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("KD_RUN", run, sizeof run);
  if (n == 0 || n >= sizeof run) return false;
  FILE* f = std::fopen((std::string("Z:") + run + "/stall.ready").c_str(), "wb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

int StallThreadOf(const char* cls, DWORD ms) {
  HWND w = FindWindowA(cls, nullptr);
  HANDLE thread = w ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(w, nullptr))
                    : nullptr;
  if (!thread || SuspendThread(thread) == static_cast<DWORD>(-1)) {
    std::printf("cannot suspend the thread of %s\n", cls);
    return 1;
  }
  MarkStallBegun();
  Sleep(ms);
  ResumeThread(thread);
  CloseHandle(thread);
  std::printf("done\n");
  return 0;
}

int HoldHookLock(DWORD ms) {
  HANDLE lock = CreateMutexA(nullptr, FALSE, "KeyhookSharedSectionLock");
  if (!lock || WaitForSingleObject(lock, 5000) != WAIT_OBJECT_0) {
    std::printf("cannot take keyhook's lock\n");
    return 1;
  }
  MarkStallBegun();
  Sleep(ms);
  ReleaseMutex(lock);
  CloseHandle(lock);
  std::printf("done\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 7 && std::strcmp(argv[1], "--window") == 0) {
    return ShowWindowOfClass(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                             std::atoi(argv[6]));
  }
  if (argc >= 3 && std::strcmp(argv[1], "--window") == 0) return ShowWindowOfClass(argv[2], 600, 100, 300, 200);
  if (argc >= 2 && std::strcmp(argv[1], "--foreground") == 0) return PrintForeground();
  if (argc >= 3 && std::strcmp(argv[1], "--exstyle") == 0) return PrintExStyle(argv[2]);
  if (argc >= 5 && std::strcmp(argv[1], "--flood") == 0) {
    return Flood(Number(argv[2]), Number(argv[3]), Number(argv[4]));
  }
  if (argc >= 7 && (std::strcmp(argv[1], "--count") == 0 || std::strcmp(argv[1], "--bounds") == 0 ||
                    std::strcmp(argv[1], "--pixel") == 0)) {
    return Pixels(argv[1][2], std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                  std::atoi(argv[5]), argv[6]);
  }
  if (argc >= 8 && std::strcmp(argv[1], "--watch") == 0) {
    return Watch(Number(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                 std::atoi(argv[6]), argv[7]);
  }
  if (argc >= 4 && std::strcmp(argv[1], "--stall") == 0) return StallThreadOf(argv[2], Number(argv[3]));
  if (argc >= 3 && std::strcmp(argv[1], "--holdlock") == 0) return HoldHookLock(Number(argv[2]));
  return LogStart(argc, argv);
}
