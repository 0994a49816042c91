#pragma once
// A sound engine without output for tests. Its voices keep every sample
// submitted to them; a started voice plays one queued buffer each time its
// state is read, so streams advance as fast as they are polled. Without a
// device the mastering voice cannot be made, as on a machine without sound;
// sound::SimulateDeviceLoss makes its voices fail as on an unplugged device.
#include <cstdint>
#include <vector>

#include "platform/sound/XAudio2.h"

namespace tav::fake {

struct NullVoiceRecord {
  sound::WAVEFORMATEX format;
  std::vector<int16_t> samples;  // everything submitted, interleaved
  uint32_t buffers = 0;          // buffers submitted
  bool endOfStream = false;      // a buffer carried the end-of-stream flag
  float volume = 1.0f;
  bool started = false;
  bool destroyed = false;
};

class NullSound {
 public:
  static void Install(bool withDevice = true);
  static void Uninstall();
  // Every voice made since Install, oldest first.
  static std::vector<NullVoiceRecord> Voices();
};

}  // namespace tav::fake
