#include "Sounds.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Noise.h"
#include "VorbisEncode.h"

namespace scalegen {

namespace {

constexpr long kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

std::vector<uint8_t> Encode(int channels, const std::vector<float>& samples) {
  std::vector<uint8_t> out = tav::vorbis::Encode(channels, kRate, samples, 0.4f);
  if (out.empty()) throw std::runtime_error("cannot encode a sound");
  return out;
}

}  // namespace

std::vector<uint8_t> MakeVoice(uint64_t seed, double seconds) {
  Noise noise(seed);
  std::vector<float> samples(size_t(seconds * kRate));
  const double basePitch = noise.Range(140, 320);
  double phase = 0, syllableEnd = 0, pitch = basePitch, formant = 800, syllableStart = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = double(i) / kRate;
    if (t >= syllableEnd) {
      syllableStart = t;
      syllableEnd = t + noise.Range(0.12, 0.3);
      pitch = basePitch * noise.Range(0.85, 1.2);
      formant = noise.Range(400, 2400);
    }
    const double local = (t - syllableStart) / (syllableEnd - syllableStart);
    const double envelope = std::sin(kPi * local) * std::min(1.0, (seconds - t) / 0.1);
    phase += 2 * kPi * pitch / kRate;
    double v = 0;
    for (int h = 1; h <= 8; ++h) {
      // Harmonics near the syllable's formant are louder, as in a vowel.
      const double gain = 1.0 / (1.0 + std::abs(h * pitch - formant) / 300.0);
      v += gain * std::sin(h * phase) / h;
    }
    v += (noise.Unit() - 0.5) * 0.08;  // breath
    samples[i] = float(0.35 * envelope * v);
  }
  return Encode(1, samples);
}

std::vector<uint8_t> MakeMusic(uint64_t seed, double seconds) {
  Noise noise(seed);
  const size_t frames = size_t(seconds * kRate);
  std::vector<float> samples(frames * 2);
  const double root = noise.Range(110, 220);
  const double chordLength = noise.Range(1.5, 3.0);
  double ratios[3] = {1, 1.25, 1.5};
  int chord = -1;
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    int current = int(t / chordLength);
    if (current != chord) {
      chord = current;
      const double steps[] = {1, 1.122, 1.26, 1.335, 1.498, 1.682};
      ratios[0] = steps[noise.Below(6)];
      ratios[1] = ratios[0] * (noise.Below(2) ? 1.25 : 1.2);
      ratios[2] = ratios[0] * 1.5;
    }
    const double inChord = t - chord * chordLength;
    const double envelope = std::min({1.0, inChord / 0.2, (chordLength - inChord) / 0.3});
    double left = 0, right = 0;
    for (int k = 0; k < 3; ++k) {
      const double v = std::sin(2 * kPi * root * ratios[k] * t) + 0.3 * std::sin(4 * kPi * root * ratios[k] * t);
      left += v * (1.0 - 0.3 * k);
      right += v * (0.4 + 0.3 * k);
    }
    samples[2 * i] = float(0.12 * envelope * left);
    samples[2 * i + 1] = float(0.12 * envelope * right);
  }
  return Encode(2, samples);
}

}  // namespace scalegen
