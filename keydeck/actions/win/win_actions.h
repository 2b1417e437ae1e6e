// The process-wide hotkey actions of Keydeck: the real Win32 services and
// the engine built over them. Create one before the forms.
#pragma once

#include <windows.h>

#include <memory>

#include "keydeck/actions/action_engine.h"
#include "keydeck/actions/media_control.h"
#include "keydeck/actions/win/win_services.h"
#include "keydeck/media/win/win_media_panel.h"

namespace kd {

class WinActions {
 public:
  WinActions();
  ~WinActions();
  WinActions(const WinActions&) = delete;
  WinActions& operator=(const WinActions&) = delete;

  ActionEngine& Engine() { return *engine_; }
  // The long-lived mixer open at start; control changes then reach the
  // window as MM_MIXM_CONTROL_CHANGE. The window also owns the help viewer.
  void OpenMixer(HWND callbackWindow);
  void CloseMixer();
  bool MixerOpen() const { return mixer_.IsOpen(); }
  bool UsesEndpointVolume() const { return endpointRoute_; }
  MediaControl& Media() { return media_; }
  // The media panel the engine drives (TPLAYER with its TMovie).
  WinMediaPanel& Panel() { return panel_; }

 private:
  WinRegistry registry_;
  WinProgramStarter starter_;
  WinDesktop desktop_;
  WinKeySynth keys_;
  MixerVolume mixer_;
  EndpointVolume endpoint_;
  WinPowerControl power_;
  WinSystemInfo system_;
  // Its logic comes with the engine; its forms with Panel().Create().
  WinMediaPanel panel_;
  WinAlertBox alerts_;
  MediaControl media_;
  bool endpointRoute_;
  std::unique_ptr<ActionEngine> engine_;
};

}  // namespace kd
