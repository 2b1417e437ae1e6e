// A top-level window of Keydeck ("form") whose messages go to a C++ object.
// The window procedure is the one place where exceptions stop: none ever
// crosses into the system's code.
#pragma once

#include <windows.h>

namespace kd {

class FormWindow {
 public:
  FormWindow() = default;
  virtual ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND Window() const { return hwnd_; }
  // Destroys the window now (WM_DESTROY reaches Handle).
  void Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  // Registers a window class whose windows are FormWindow objects;
  // classStyle adds class styles such as CS_DBLCLKS.
  static bool RegisterFormClass(HINSTANCE instance, const char* className, HBRUSH background,
                                HICON icon, UINT classStyle = 0);

 protected:
  // Creates the window hidden; width and height are of the client area.
  bool CreateForm(HINSTANCE instance, const char* className, const char* title, DWORD style,
                  DWORD exStyle, int x, int y, int clientWidth, int clientHeight, HWND owner);
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // Draws the client area; the base form has nothing to draw.
  virtual void Paint(HDC) {}

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The application's error box: the message followed by ".", titled with
// the application's title.
void ShowErrorBox(const char* message);

}  // namespace kd
