#include "keydeck/actions/win/win_services.h"

#include "keyhook/keyhook.h"

namespace kd {

namespace {
HWND AsWindow(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef AsRef(HWND window) { return reinterpret_cast<WindowRef>(window); }
constexpr int kTextBuffer = 256;
}  // namespace

bool WinDesktop::ClassWindowExists(const std::string& className) {
  return FindWindowA(className.c_str(), nullptr) != nullptr;
}

WindowRef WinDesktop::FindClassWindow(const std::string& className) {
  return AsRef(FindWindowA(className.c_str(), nullptr));
}

WindowRef WinDesktop::DesktopWindow() { return AsRef(GetDesktopWindow()); }

WindowRef WinDesktop::ForegroundWindow() { return AsRef(GetForegroundWindow()); }

void WinDesktop::Post(WindowRef window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  PostMessageA(AsWindow(window), message, wParam, static_cast<LPARAM>(lParam));
}

std::vector<TopWindow> WinDesktop::TopLevelWindows() {
  std::vector<TopWindow> windows;
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr;
       w = GetWindow(w, GW_HWNDNEXT)) {
    char title[kTextBuffer] = {};
    char className[kTextBuffer] = {};
    GetWindowTextA(w, title, kTextBuffer);
    GetClassNameA(w, className, kTextBuffer);
    windows.push_back(TopWindow{AsRef(w), title, className});
  }
  return windows;
}

bool WinDesktop::IsMinimized(WindowRef window) { return IsIconic(AsWindow(window)) != FALSE; }

void WinDesktop::Show(WindowRef window, int showCommand) {
  ShowWindow(AsWindow(window), showCommand);
}

void WinDesktop::BringToForeground(WindowRef window) { SetForegroundWindow(AsWindow(window)); }

void WinDesktop::Wait(unsigned milliseconds) { Sleep(milliseconds); }

void WinAlertBox::Show(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
}

void WinKeySynth::KeyDown(uint8_t virtualKey) {
  AnnounceOwnKey(virtualKey, FALSE);
  keybd_event(virtualKey, static_cast<BYTE>(MapVirtualKeyA(virtualKey, 0)), 0, 0);
}

void WinKeySynth::KeyUp(uint8_t virtualKey) {
  AnnounceOwnKey(virtualKey, TRUE);
  keybd_event(virtualKey, static_cast<BYTE>(MapVirtualKeyA(virtualKey, 0)), KEYEVENTF_KEYUP, 0);
}

}  // namespace kd
