// bench_trivial.exe: the trivial Win32 program that Keydeck's start-up is
// held against: one hidden window, a message loop, nothing else.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "KdTrivial";
  if (!RegisterClassA(&wc)) return 1;
  if (!CreateWindowExA(0, "KdTrivial", "KdTrivial", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                       nullptr)) {
    return 1;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
