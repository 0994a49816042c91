#pragma once
// Ogg Vorbis encoding of float samples, for the demo's generated sounds and
// the tests' sound files.
#include <cstdint>
#include <vector>

namespace tav::vorbis {

// `interleaved` holds frames of `channels` samples in -1..1 (Vorbis channel
// order). Empty on failure.
std::vector<uint8_t> Encode(int channels, long rate, const std::vector<float>& interleaved, float quality = 0.5f);

}  // namespace tav::vorbis
