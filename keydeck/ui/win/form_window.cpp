#include "keydeck/ui/win/form_window.h"

#include <exception>
#include <string>

#include "keydeck/ui/application.h"

namespace kd {

FormWindow::~FormWindow() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool FormWindow::RegisterFormClass(HINSTANCE instance, const char* className, HBRUSH background,
                                   HICON icon, UINT classStyle) {
  WNDCLASSA wc = {};
  wc.style = classStyle;
  wc.lpfnWndProc = &FormWindow::Proc;
  wc.hInstance = instance;
  wc.lpszClassName = className;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool FormWindow::CreateForm(HINSTANCE instance, const char* className, const char* title, DWORD style,
                            DWORD exStyle, int x, int y, int clientWidth, int clientHeight, HWND owner) {
  RECT r = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return CreateWindowExA(exStyle, className, title, style, x, y, r.right - r.left, r.bottom - r.top,
                         owner, nullptr, instance, this) != nullptr;
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    Paint(dc);
    EndPaint(hwnd_, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  try {
    return self->Handle(message, wParam, lParam);
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unexpected error");
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ShowErrorBox(const char* message) {
  std::string text = message ? message : "";
  if (text.empty() || text.back() != '.') text += ".";
  MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace kd
