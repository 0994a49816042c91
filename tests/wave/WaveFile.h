#pragma once
// Reading back what the wave driver wrote.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace wavetest {

// Where the driver writes; set once by main.
std::filesystem::path& OutputPath();

struct Wave {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;  // interleaved
};
// The 16-bit PCM of a RIFF WAVE file; no samples when it cannot be read.
Wave ReadWave(const std::filesystem::path& file);
// The RMS level (0..1) of `channel` in windows of `ms` milliseconds.
std::vector<double> Envelope(const Wave& wave, int channel, int ms);

}  // namespace wavetest
