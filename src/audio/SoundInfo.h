#pragma once
// One registered sound: its Ogg Vorbis bytes (they stay in the resource
// store), whether it loops, its volume, and while it plays its streaming
// thread and source voice. Every field is guarded by `lock`, except the
// thread object, which only the audio thread touches.
#include <cstdint>
#include <mutex>
#include <thread>

#include "audio/SoundCommands.h"
#include "platform/os/Event.h"
#include "platform/sound/XAudio2.h"

namespace tav {

struct CXAudio2::Info {
  bool loop = false;
  bool stopRequested = false;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  float volume = 1.0f;
  sound::SourceVoice* voice = nullptr;  // while a playback pass has one
  bool streaming = false;               // from Play until the streaming thread ends
  uint64_t submitted = 0;               // sample frames submitted in the current pass
  os::Event runEvent{true};             // reset while paused
  os::Event stopEvent;                  // set with stopRequested: wakes the stream at once
  std::mutex lock;
  std::thread thread;
};

}  // namespace tav
