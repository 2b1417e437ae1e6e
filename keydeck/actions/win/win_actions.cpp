#include "keydeck/actions/win/win_actions.h"

namespace kd {

WinActions::WinActions()
    : media_(desktop_, starter_, registry_, alerts_),
      endpointRoute_(kd::UsesEndpointVolume(system_.PackedVersion())) {
  media_.SetPanel(&panel_.Control(), &panel_.Scanner());
  VolumeControl& volume =
      endpointRoute_ ? static_cast<VolumeControl&>(endpoint_) : static_cast<VolumeControl&>(mixer_);
  engine_ = std::make_unique<ActionEngine>(ActionServices{
      registry_, starter_, desktop_, keys_, volume, power_, system_, media_});
}

WinActions::~WinActions() = default;

void WinActions::OpenMixer(HWND callbackWindow) {
  starter_.SetOwnerWindow(callbackWindow);
  mixer_.OpenMixer(callbackWindow);
}

void WinActions::CloseMixer() { mixer_.CloseMixer(); }

}  // namespace kd
