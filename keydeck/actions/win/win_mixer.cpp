#include <windows.h>
#include <mmsystem.h>

#include <optional>
#include <vector>

#include "keydeck/actions/win/win_services.h"

namespace kd {

namespace {

// One open of mixer device 0 for a single operation.
class MixerSession {
 public:
  explicit MixerSession(HWND callbackWindow = nullptr) {
    if (mixerGetNumDevs() == 0) return;
    MIXERCAPSA caps{};
    if (mixerGetDevCapsA(0, &caps, sizeof(caps)) != MMSYSERR_NOERROR) return;
    destinations_ = caps.cDestinations;
    const DWORD flags = MIXER_OBJECTF_MIXER | (callbackWindow ? CALLBACK_WINDOW : 0);
    if (mixerOpen(&mixer_, 0, reinterpret_cast<DWORD_PTR>(callbackWindow), 0, flags) !=
        MMSYSERR_NOERROR)
      mixer_ = nullptr;
  }
  ~MixerSession() {
    if (mixer_) mixerClose(mixer_);
  }
  MixerSession(const MixerSession&) = delete;
  MixerSession& operator=(const MixerSession&) = delete;

  bool IsOpen() const { return mixer_ != nullptr; }

  // The control of the given type on the first speakers destination.
  // Destination line ids start at 0xFFFF0000 and control ids at 0, so
  // neither has a spare value meaning "none": absence is kept apart.
  std::optional<DWORD> FindSpeakersControl(DWORD controlType) {
    HMIXEROBJ object = reinterpret_cast<HMIXEROBJ>(mixer_);
    std::optional<DWORD> lineId;
    for (DWORD i = 0; i < destinations_ && !lineId; ++i) {
      MIXERLINEA line{};
      line.cbStruct = sizeof(line);
      line.dwDestination = i;
      if (mixerGetLineInfoA(object, &line,
                            MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION) ==
              MMSYSERR_NOERROR &&
          line.dwComponentType == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)
        lineId = line.dwLineID;
    }
    if (!lineId) return std::nullopt;

    MIXERLINEA line{};
    line.cbStruct = sizeof(line);
    line.dwLineID = *lineId;
    if (mixerGetLineInfoA(object, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_LINEID) !=
            MMSYSERR_NOERROR ||
        line.cControls == 0)
      return std::nullopt;
    std::vector<MIXERCONTROLA> controls(line.cControls);
    MIXERLINECONTROLSA request{};
    request.cbStruct = sizeof(request);
    request.dwLineID = *lineId;
    request.cControls = line.cControls;
    request.cbmxctrl = sizeof(MIXERCONTROLA);
    request.pamxctrl = controls.data();
    if (mixerGetLineControlsA(object, &request,
                              MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) !=
        MMSYSERR_NOERROR)
      return std::nullopt;
    for (const MIXERCONTROLA& control : controls)
      if (control.dwControlType == controlType) return control.dwControlID;
    return std::nullopt;
  }

  // One value for all channels alike.
  bool Read(std::optional<DWORD> controlId, DWORD* value) {
    if (!controlId) return false;
    MIXERCONTROLDETAILS details = Details(*controlId, value);
    return mixerGetControlDetailsA(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                   MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) ==
           MMSYSERR_NOERROR;
  }
  bool Write(std::optional<DWORD> controlId, DWORD value) {
    DWORD current = 0;
    if (!Read(controlId, &current)) return false;  // a read first, as the mixer expects
    MIXERCONTROLDETAILS details = Details(*controlId, &value);
    return mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                  MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
           MMSYSERR_NOERROR;
  }

 private:
  static MIXERCONTROLDETAILS Details(DWORD controlId, DWORD* value) {
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof(details);
    details.dwControlID = controlId;
    details.cChannels = 1;
    details.cMultipleItems = 0;
    details.cbDetails = sizeof(DWORD);
    details.paDetails = value;
    return details;
  }

  HMIXER mixer_ = nullptr;
  DWORD destinations_ = 0;
};

}  // namespace

MixerVolume::~MixerVolume() { CloseMixer(); }

bool MixerVolume::OpenMixer(HWND callbackWindow) {
  CloseMixer();
  if (mixerGetNumDevs() == 0) return false;
  MIXERCAPSA caps{};
  if (mixerGetDevCapsA(0, &caps, sizeof(caps)) != MMSYSERR_NOERROR) return false;
  HMIXER mixer = nullptr;
  if (mixerOpen(&mixer, 0, reinterpret_cast<DWORD_PTR>(callbackWindow), 0,
                MIXER_OBJECTF_MIXER | CALLBACK_WINDOW) != MMSYSERR_NOERROR)
    return false;
  UINT id = 0;
  mixerGetID(reinterpret_cast<HMIXEROBJ>(mixer), &id, MIXER_OBJECTF_HMIXER);
  startupMixer_ = mixer;
  return true;
}

void MixerVolume::CloseMixer() {
  if (startupMixer_) mixerClose(startupMixer_);
  startupMixer_ = nullptr;
}

uint32_t MixerVolume::GetVolume() {
  MixerSession mixer;
  if (!mixer.IsOpen()) return 0;
  DWORD value = 0;
  mixer.Read(mixer.FindSpeakersControl(MIXERCONTROL_CONTROLTYPE_VOLUME), &value);
  return value;
}

bool MixerVolume::SetVolume(uint32_t value) {
  MixerSession mixer;
  if (!mixer.IsOpen()) return false;
  return mixer.Write(mixer.FindSpeakersControl(MIXERCONTROL_CONTROLTYPE_VOLUME), value);
}

int MixerVolume::GetMute() {
  MixerSession mixer;
  if (!mixer.IsOpen()) return -2;
  DWORD value = 0;
  mixer.Read(mixer.FindSpeakersControl(MIXERCONTROL_CONTROLTYPE_MUTE), &value);
  return value != 0 ? 1 : 0;
}

bool MixerVolume::SetMute(int value) {
  MixerSession mixer;
  if (!mixer.IsOpen()) return false;
  return mixer.Write(mixer.FindSpeakersControl(MIXERCONTROL_CONTROLTYPE_MUTE),
                     value != 0 ? 1 : 0);
}

}  // namespace kd
