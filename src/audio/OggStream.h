#pragma once
// Playing one sound: Ogg Vorbis decoded from memory on a thread of its own
// into two alternating 64 KiB buffers queued on a source voice.
#include <cstdint>
#include <memory>

#include "audio/DeviceLoss.h"
#include "audio/SoundInfo.h"
#include "platform/sound/XAudio2.h"

namespace tav {

// The decoder's view of Ogg bytes in memory.
struct MemorySource {
  const uint8_t* data = nullptr;
  int64_t size = 0;
  int64_t position = 0;
};

// The decoder callbacks over a MemorySource.
size_t MemoryRead(void* destination, size_t elementSize, size_t count, void* source);
int MemorySeek(void* source, int64_t offset, int origin);
int MemoryClose(void* source);
long MemoryTell(void* source);

// Mixes `frames` frames of `channels` interleaved channels (in the Vorbis
// channel order) down to stereo. Front channels keep their side, the centre
// and the surrounds go to both at -3 dB, the low-frequency channel is left
// out, and the sum is scaled so that a full-scale input cannot clip.
void DownmixToStereo(const int16_t* in, int channels, size_t frames, int16_t* out);

// Whether the bytes open as Ogg Vorbis as playback opens them and their first
// buffer decodes; for tools that check a game's sounds.
bool OpensAsOggVorbis(const uint8_t* data, uint32_t size);
// Whether the bytes decode as playback decodes them, streams of more than two
// channels mixed down, all the way to their end without meeting damage.
bool DecodesToItsEnd(const uint8_t* data, uint32_t size);

// The streaming thread's body: plays `sound` on voices of `engine` until it
// ends (looping passes start again from the first sample), is stopped, or a
// voice fails (a lost device is noted in `loss`). Clears `streaming` when it
// returns.
void StreamSound(sound::IXAudio2* engine, std::shared_ptr<CXAudio2::Info> sound, CDeviceLoss* loss);

}  // namespace tav
