#pragma once
// Whether the sound device has gone away while the game ran. Every voice
// call that fails says so with XAUDIO2_E_DEVICE_INVALIDATED; only the first
// reaches the log, and from then on no sound starts, as on a machine
// without a device.
#include <atomic>

#include "core/ErrorLog.h"

namespace tav {

class CDeviceLoss {
 public:
  bool Lost() const { return lost_.load(); }
  // Logs the failure of `call`, a lost device once for all calls.
  void LogFailure(HRESULT hr, const wchar_t* call) {
    if (hr != XAUDIO2_E_DEVICE_INVALIDATED || !lost_.exchange(true)) LogHResult(hr, call);
  }

 private:
  std::atomic<bool> lost_{false};
};

}  // namespace tav
