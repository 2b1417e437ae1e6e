// keydeck.exe: the process entry. Decides whether this start is a remote
// call, a refused second copy or the real start; for the real start builds
// the process-wide objects, creates the forms in their order and runs the
// message loop.
#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "keydeck/actions/win/win_actions.h"
#include "keydeck/media/win/movie_form.h"
#include "keydeck/media/win/player_form.h"
#include "keydeck/resources/resource.h"
#include "keydeck/shell/language.h"
#include "keydeck/shell/messages.h"
#include "keydeck/shell/osd/win/win_osd.h"
#include "keydeck/shell/startup.h"
#include "keydeck/shell/win/setup_form.h"
#include "keydeck/shell/win/win_platform.h"
#include "keydeck/status/win/channel_window.h"
#include "keydeck/status/win/led_window.h"
#include "keydeck/ui/application.h"
#include "keydeck/ui/win/form_window.h"

namespace kd {
namespace {

// The application window: hidden, it owns every form.
class PlainForm final : public FormWindow {
 public:
  bool Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD exStyle,
              int width, int height, HWND owner, HBRUSH background) {
    RegisterFormClass(instance, className, background,
                      LoadIconA(instance, MAKEINTRESOURCEA(IDI_KEYDECK)));
    return CreateForm(instance, className, title, style, exStyle, 0, 0, width, height, owner);
  }

 protected:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE) {
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    }
    return FormWindow::Handle(message, wParam, lParam);
  }
};

void Require(bool created, const char* what) {
  if (!created) throw std::runtime_error(std::string("Cannot create window ") + what);
}

int RunKeydeck(HINSTANCE instance) {
  // Process-wide objects, in the order the rest relies on.
  WinActions actions;
  LanguageInfo language(GetUserDefaultLangID());
  WinOsd osd;

  // The application's own window carries the title the single-instance test
  // looks for; every form is owned by it, so none gets a task-bar button.
  PlainForm application;
  Require(application.Create(instance, kApplicationClass, kApplicationTitle,
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, nullptr, nullptr),
          kApplicationClass);
  const HWND owner = application.Window();

  LedWindow led;
  Require(led.Create(instance, owner), kRFLedClass);
  SetupForm setup(actions, language, osd, led, owner);
  Require(setup.Create(instance, owner), kSetupFrmClass);
  led.TrayTip = [&language] { return TrayTipText(language.LanguageId(), ResourceStringTable()); };
  setup.FormCreate();

  ChannelWindow form3;
  Require(form3.Create(instance, owner, [&language] { return language.LanguageId(); }), "TForm3");
  setup.SetChannelWindow(&form3);
  // The start-up list's own Movie and PLAYER: real forms that nothing
  // shows or drives (the engine's panel is the one in use).
  MovieForm movie;
  Require(movie.Create(instance, owner), "TMovie");
  PlayerForm player(movie);
  Require(player.Create(instance, owner, 0, 0), "TPLAYER");

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  // The application releases its forms last-created first.
  setup.SetChannelWindow(nullptr);
  player.Destroy();
  movie.Destroy();
  form3.Destroy();
  setup.Destroy();
  led.Destroy();
  application.Destroy();
  return 0;
}

}  // namespace
}  // namespace kd

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    kd::WinWindowSystem windows;
    kd::WinMessageBoxes boxes;
    // Held until the process ends, so that a start right after this one
    // is refused even before this copy has its windows.
    kd::WinInstanceLock running;
    const std::string tail = kd::CommandTail(GetCommandLineA());
    if (kd::DecideStart(tail, windows, boxes, running) != kd::StartKind::Run) return 0;
    return kd::RunKeydeck(instance);
  } catch (const std::exception& e) {
    kd::ShowErrorBox(e.what());
  } catch (...) {
    kd::ShowErrorBox("Unexpected error");
  }
  return 0;
}
