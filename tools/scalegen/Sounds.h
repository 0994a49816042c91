#pragma once
// The generated game's sounds, Ogg Vorbis: spoken lines (a voiced buzz moving
// through syllables, mono) and background music (stereo chords).
#include <cstdint>
#include <vector>

namespace scalegen {

std::vector<uint8_t> MakeVoice(uint64_t seed, double seconds);
std::vector<uint8_t> MakeMusic(uint64_t seed, double seconds);

}  // namespace scalegen
