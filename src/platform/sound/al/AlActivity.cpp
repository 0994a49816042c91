#include "platform/sound/al/AlActivity.h"

#include <cstdlib>
#include <string_view>

#include "platform/sound/XAudio2.h"

namespace tav::sound::al {
namespace {

// OpenAL Soft's wave writer cannot go on after a pause: stopping rewinds its
// file to fill in the header, and starting again writes over it. The sound
// tests choose it through the driver list; a device on it is never paused.
bool WritesWaveFile() {
  const char* drivers = std::getenv("ALSOFT_DRIVERS");
  return drivers && std::string_view(drivers).substr(0, 4) == "wave";
}

bool CanPause(ALCdevice* device) {
  return device && alcIsExtensionPresent(device, "ALC_SOFT_pause_device") && !WritesWaveFile();
}

}  // namespace

DeviceActivity::DeviceActivity(ALCdevice* device)
    : DeviceActivity(
          device,
          CanPause(device) ? reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(device, "alcDevicePauseSOFT"))
                           : nullptr,
          CanPause(device) ? reinterpret_cast<LPALCDEVICERESUMESOFT>(alcGetProcAddress(device, "alcDeviceResumeSOFT"))
                           : nullptr) {}

DeviceActivity::DeviceActivity(ALCdevice* device, LPALCDEVICEPAUSESOFT pause, LPALCDEVICERESUMESOFT resume)
    : device_(device),
      pause_(pause),
      resume_(resume),
      reportsDisconnect_(device && alcIsExtensionPresent(device, "ALC_EXT_disconnect")) {
  std::lock_guard lock(mutex_);
  Apply();
}

void DeviceActivity::Pending(bool pending) {
  std::lock_guard lock(mutex_);
  pending_ += pending ? 1 : -1;
  if (pending_ < 0) pending_ = 0;
  Apply();
}

void DeviceActivity::Detach() {
  std::lock_guard lock(mutex_);
  device_ = nullptr;
}

bool DeviceActivity::Connected() {
  if (DeviceLossSimulated()) return false;
  std::lock_guard lock(mutex_);
  if (!device_) return false;
  if (!reportsDisconnect_) return true;
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(device_, ALC_CONNECTED, 1, &connected);
  return connected != ALC_FALSE;
}

void DeviceActivity::Apply() {
  if (!device_ || !pause_ || !resume_) return;
  const bool pause = pending_ == 0;
  if (pause == paused_) return;
  if (pause)
    pause_(device_);
  else
    resume_(device_);
  paused_ = pause;
}

}  // namespace tav::sound::al
