#include "keydeck/media/win/movie_form.h"

namespace kd {
namespace {

constexpr const char* kMovieClass = "TMovie";
constexpr const char* kMovieTitle = "Movie";
// A caption with no system menu: a single border and no caption buttons.
constexpr DWORD kBorderedStyle = WS_POPUP | WS_CAPTION;
constexpr DWORD kFullScreenStyle = WS_POPUP;

}  // namespace

bool MovieForm::Create(HINSTANCE instance, HWND owner) {
  RegisterFormClass(instance, kMovieClass, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
  return CreateForm(instance, kMovieClass, kMovieTitle, kBorderedStyle, 0, kLeft, kTop, kClientWidth,
                    kClientHeight, owner);
}

void MovieForm::ShowFullScreen(int width, int height) {
  SetWindowLongPtrA(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(kFullScreenStyle | WS_VISIBLE));
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, width, height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd_);
}

void MovieForm::HideWithBorder() {
  ShowWindow(hwnd_, SW_HIDE);
  SetWindowLongPtrA(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(kBorderedStyle));
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT MovieForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {  // Alt+F4 only hides it: the panel owns its life
    ShowWindow(hwnd_, SW_HIDE);
    return 0;
  }
  return FormWindow::Handle(message, wParam, lParam);
}

}  // namespace kd
