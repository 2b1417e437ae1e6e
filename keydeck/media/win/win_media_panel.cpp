#include "keydeck/media/win/win_media_panel.h"

#include <stdexcept>

namespace kd {

void WinMediaPanel::Create(HWND owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!movie_.Create(instance, owner)) throw std::runtime_error("Cannot create window TMovie");
  const int left = GetSystemMetrics(SM_CXSCREEN) - kPanelWidth;
  if (!form_.Create(instance, owner, left, 0)) throw std::runtime_error("Cannot create window TPLAYER");
  form_.SetPanel(&panel_);
  device_.SetNotifyWindow(form_.Window());
}

WinMediaPanel::~WinMediaPanel() {
  // The forms outlive the panel's logic by a little: nothing may reach it.
  form_.SetPanel(nullptr);
  device_.SetNotifyWindow(nullptr);
  device_.Close();
}

void WinMediaPanel::SetLoop(bool checked) {
  panel_.SetLoop(checked);
  form_.ShowOptions(panel_.AutoPlay(), panel_.Loop());
}

void WinMediaPanel::SetAutoPlay(bool checked) {
  panel_.SetAutoPlay(checked);
  form_.ShowOptions(panel_.AutoPlay(), panel_.Loop());
}

}  // namespace kd
