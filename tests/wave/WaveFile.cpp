#include "WaveFile.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace wavetest {

std::filesystem::path& OutputPath() {
  static std::filesystem::path path;
  return path;
}

Wave ReadWave(const std::filesystem::path& file) {
  Wave wave;
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return wave;
  auto u16 = [&](size_t at) { return uint32_t(bytes[at] | bytes[at + 1] << 8); };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  int bits = 0;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = u32(at + 4);
    const size_t body = at + 8;
    if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
      wave.channels = int(u16(body + 2));
      wave.rate = int(u32(body + 4));
      bits = int(u16(body + 14));
    } else if (std::memcmp(bytes.data() + at, "data", 4) == 0 && bits == 16) {
      // A file still being written has a data size of 0 or too large: read what is there.
      const size_t end = size == 0 || body + size > bytes.size() ? bytes.size() : body + size;
      wave.samples.resize((end - body) / 2);
      std::memcpy(wave.samples.data(), bytes.data() + body, wave.samples.size() * 2);
      break;
    }
    at = body + size + (size & 1);
  }
  return wave;
}

std::vector<double> Envelope(const Wave& wave, int channel, int ms) {
  std::vector<double> levels;
  if (wave.channels < 1 || wave.rate < 1) return levels;
  const size_t window = size_t(wave.rate) * size_t(ms) / 1000;
  const size_t frames = wave.samples.size() / size_t(wave.channels);
  for (size_t start = 0; start + window <= frames; start += window) {
    double sum = 0;
    for (size_t f = start; f < start + window; ++f) {
      const double x = wave.samples[f * size_t(wave.channels) + size_t(channel)] / 32768.0;
      sum += x * x;
    }
    levels.push_back(std::sqrt(sum / double(window)));
  }
  return levels;
}

}  // namespace wavetest
