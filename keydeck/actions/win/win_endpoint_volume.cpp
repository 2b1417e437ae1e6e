#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "keydeck/actions/system_services.h"
#include "keydeck/actions/win/win_services.h"

namespace kd {

namespace {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T** put() { return &p_; }
  void** putVoid() { return reinterpret_cast<void**>(&p_); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// COM for the length of one operation; the caller's apartment is kept
// when it has one.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

HRESULT ActivateDefaultEndpoint(IAudioEndpointVolume** volume) {
  ComPtr<IMMDeviceEnumerator> devices;
  HRESULT hr = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                __uuidof(IMMDeviceEnumerator), devices.putVoid());
  if (FAILED(hr)) return hr;
  ComPtr<IMMDevice> speakers;
  hr = devices->GetDefaultAudioEndpoint(eRender, eConsole, speakers.put());
  if (FAILED(hr)) return hr;
  return speakers->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                            reinterpret_cast<void**>(volume));
}

// The endpoint's volume interface, activated per operation like the mixer
// is opened per operation.
class EndpointSession {
 public:
  explicit EndpointSession(EndpointVolume::Activate activate) {
    (activate ? activate : ActivateDefaultEndpoint)(volume_.put());
  }
  IAudioEndpointVolume* operator->() const { return volume_.operator->(); }
  explicit operator bool() const { return static_cast<bool>(volume_); }

 private:
  ComScope com_;  // first in, last out
  ComPtr<IAudioEndpointVolume> volume_;
};

}  // namespace

uint32_t EndpointVolume::GetVolume() {
  EndpointSession endpoint(activate_);
  float level = 0.0f;
  if (!endpoint || FAILED(endpoint->GetMasterVolumeLevelScalar(&level))) return 0;
  return ScalarToLevel(level);
}

bool EndpointVolume::SetVolume(uint32_t value) {
  EndpointSession endpoint(activate_);
  if (!endpoint) return false;
  return SUCCEEDED(endpoint->SetMasterVolumeLevelScalar(LevelToScalar(value), nullptr));
}

int EndpointVolume::GetMute() {
  EndpointSession endpoint(activate_);
  BOOL muted = FALSE;
  if (!endpoint || FAILED(endpoint->GetMute(&muted))) return -2;
  return muted ? 1 : 0;
}

bool EndpointVolume::SetMute(int value) {
  EndpointSession endpoint(activate_);
  if (!endpoint) return false;
  return SUCCEEDED(endpoint->SetMute(value != 0 ? TRUE : FALSE, nullptr));
}

}  // namespace kd
