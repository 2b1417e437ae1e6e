#include "keydeck/status/win/channel_window.h"

#include "common/win/scoped.h"
#include "keydeck/status/channel_languages.h"

namespace kd {
namespace {

constexpr const char* kClass = "TForm3";
constexpr const char* kTitle = "Channel Setting";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const char kInstructions[] =
    "The receiver channel is being changed.\r\n\r\n"
    "To change the ID or the channel, press the ID button under the keyboard "
    "or under the mouse.\r\n\r\n"
    "If the change is not completed within 30 seconds, keyboard and receiver "
    "return to their former setting.";

}  // namespace

bool ChannelWindow::Create(HINSTANCE instance, HWND owner, uint16_t languageId) {
  languageId_ = languageId;
  RegisterFormClass(instance, kClass, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, kStyle, FALSE, WS_EX_TOPMOST);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  return CreateForm(instance, kClass, kTitle, kStyle, WS_EX_TOPMOST, x, y, kClientWidth, kClientHeight,
                    owner);
}

void ChannelWindow::ShowToFront() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void ChannelWindow::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void ChannelWindow::Paint(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(192, 0, 0));
  RECT title = {20, 20, kClientWidth - 20, 60};
  DrawTextA(dc, "WARNING", -1, &title, DT_CENTER | DT_SINGLELINE);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT body = {30, 70, kClientWidth - 30, kClientHeight - 40};
  DrawTextA(dc, kInstructions, -1, &body, DT_WORDBREAK);
  RECT footer = {30, kClientHeight - 30, kClientWidth - 30, kClientHeight - 10};
  char line[64];
  wsprintfA(line, "Picture: %s", ChannelLanguageFor(languageId_).Picture);
  DrawTextA(dc, line, -1, &footer, DT_RIGHT | DT_SINGLELINE);
}

LRESULT ChannelWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Hide();  // the system menu's Close only hides the window
      return 0;
    default:
      return FormWindow::Handle(message, wParam, lParam);
  }
}

}  // namespace kd
