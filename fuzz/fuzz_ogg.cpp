// An Ogg Vorbis sound: opened and its first buffer decoded as playback does,
// then decoded to the end through the same memory callbacks, streams of more
// than two channels mixed down to stereo as playback mixes them.
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <vector>

#include "audio/OggStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX || !tav::OpensAsOggVorbis(data, uint32_t(size))) return 0;
  tav::MemorySource source{data, int64_t(size), 0};
  const ov_callbacks callbacks{&tav::MemoryRead,
                               [](void* s, ogg_int64_t o, int w) { return tav::MemorySeek(s, o, w); },
                               &tav::MemoryClose, &tav::MemoryTell};
  OggVorbis_File file;
  if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) return 0;
  std::vector<int16_t> samples(8192), stereo(8192);
  int section = 0;
  for (long got; (got = ov_read(&file, reinterpret_cast<char*>(samples.data()), int(samples.size() * 2), 0, 2, 1,
                                &section)) > 0;) {
    const vorbis_info* info = ov_info(&file, section);
    if (!info || info->channels < 1) break;
    const size_t frames = size_t(got) / (2 * size_t(info->channels));
    if (info->channels > 2 && frames * 2 <= stereo.size())
      tav::DownmixToStereo(samples.data(), info->channels, frames, stereo.data());
  }
  ov_clear(&file);
  return 0;
}
