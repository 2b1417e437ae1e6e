#include "keydeck/media/win/panel_pictures.h"

namespace kd {
namespace {
#include "panel_bitmaps.inc"
}  // namespace

const PanelPicture& PanelPictureOf(PanelImage image) {
  switch (image) {
    case PanelImage::Play: return kPlayPicture;
    case PanelImage::Pause: return kPausePicture;
    case PanelImage::Stop: return kStopPicture;
    case PanelImage::Prev: return kPrevPicture;
    case PanelImage::Backward: return kBackwardPicture;
    case PanelImage::Forward: return kForwardPicture;
    case PanelImage::Next: return kNextPicture;
    case PanelImage::Eject: return kEjectPicture;
    case PanelImage::Background: break;
  }
  return kBackgroundPicture;
}

}  // namespace kd
