#include "keydeck/status/win/channel_window.h"

#include <utility>

#include "keydeck/resources/channel_pictures.h"
#include "keydeck/resources/resource.h"
#include "keydeck/status/channel_languages.h"

namespace kd {
namespace {

constexpr const char* kClass = "TForm3";
constexpr const char* kTitle = "Channel Setting";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

}  // namespace

bool ChannelWindow::Create(HINSTANCE instance, HWND owner, std::function<uint16_t()> languageId) {
  instance_ = instance;
  languageId_ = std::move(languageId);
  RegisterFormClass(instance, kClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, kStyle, FALSE, WS_EX_TOPMOST);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  if (!CreateForm(instance, kClass, kTitle, kStyle, WS_EX_TOPMOST, x, y, kClientWidth, kClientHeight,
                  owner))
    return false;
  panel1_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kPanelWidth,
                            kPanelHeight, hwnd_, nullptr, instance, nullptr);
  // SS_BITMAP sizes the control to its picture (500 x 400) when one is set.
  image1_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, kImageLeft, 0, 0, 0, panel1_,
                            nullptr, instance, nullptr);
  return panel1_ && image1_;
}

void ChannelWindow::FormShow() {
  const uint16_t language = languageId_ ? languageId_() : 0;
  int index = ChannelPictureIndex(ChannelLanguageFor(language).Picture);
  if (index < 0) index = 0;
  if (index == shown_) return;
  // Loaded as a device-dependent bitmap: the pictures are RLE8 DIBs, which
  // a DIB section cannot hold.
  HANDLE picture = LoadImageA(instance_, MAKEINTRESOURCEA(IDB_CHANNEL_FIRST + index), IMAGE_BITMAP, 0, 0, 0);
  if (!picture) return;  // Image1 keeps what it had
  SendMessageA(image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
  // The control keeps the bitmap given to it but does not own it.
  picture_.reset(picture);
  shown_ = index;
}

void ChannelWindow::ShowToFront() {
  FormShow();
  // SW_SHOW would leave a window the user minimised minimised, hidden or
  // not, and the help picture would never come up again.
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
}

void ChannelWindow::Hide() { ShowWindow(hwnd_, SW_HIDE); }

LRESULT ChannelWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Hide();  // the system menu's Close only hides the window
      return 0;
    case WM_DESTROY:
      // Image1 goes with the window; it must not paint a deleted bitmap.
      SendMessageA(image1_, STM_SETIMAGE, IMAGE_BITMAP, 0);
      return FormWindow::Handle(message, wParam, lParam);
    default:
      return FormWindow::Handle(message, wParam, lParam);
  }
}

}  // namespace kd
