#pragma once
// Keeps the output device paused while no voice holds audio still to play, so
// that a game waiting in silence does not keep OpenAL's mixer thread mixing
// it. A voice paused with audio queued keeps the device running: what it
// still has to say resumes where it stopped, after a stretch of silence.
#include <AL/alc.h>
#include <AL/alext.h>

#include <mutex>

namespace tav::sound::al {

class DeviceActivity {
 public:
  // Starts with the device paused when it can pause at all.
  explicit DeviceActivity(ALCdevice* device);
  // The same with the calls that pause and resume the device given.
  DeviceActivity(ALCdevice* device, LPALCDEVICEPAUSESOFT pause, LPALCDEVICERESUMESOFT resume);
  // A voice's audio to play appeared (true) or ran out (false). Voices call
  // this from the game's thread and from the streaming thread.
  void Pending(bool pending);
  // The device is about to close: nothing is paused or resumed after this.
  void Detach();
  // Whether the device still plays: false once it was unplugged or its
  // sound server went away (or a test simulates that), and after Detach.
  bool Connected();

 private:
  void Apply();  // with mutex_ held

  std::mutex mutex_;
  ALCdevice* device_;
  LPALCDEVICEPAUSESOFT pause_ = nullptr;
  LPALCDEVICERESUMESOFT resume_ = nullptr;
  int pending_ = 0;
  bool paused_ = false;
  bool reportsDisconnect_ = false;
};

}  // namespace tav::sound::al
