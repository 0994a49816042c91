// An Ogg Vorbis sound: opened and its first buffer decoded as playback does,
// then decoded to the end by the same decoder, streams of more than two
// channels mixed down to stereo as playback mixes them.
#include <cstdint>

#include "audio/OggStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX || !tav::OpensAsOggVorbis(data, uint32_t(size))) return 0;
  tav::DecodesToItsEnd(data, uint32_t(size));
  return 0;
}
