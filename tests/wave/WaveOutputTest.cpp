// What a player hears: sounds played through the audio thread and OpenAL Soft,
// read back from the wave driver's file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "VorbisEncode.h"
#include "WaveFile.h"
#include "app/GameWindow.h"
#include "audio/AudioEngine.h"
#include "audio/SoundCommands.h"

namespace {

using tav::CXAudio2;
using wavetest::Envelope;

constexpr long kRate = 22050;
constexpr double kQuiet = 0.005, kSound = 0.02;

// A 440 Hz tone on channel `loud` of `channels` whose amplitude rises from
// 0.1 to 0.9 over `seconds`: its level tells how far it has played.
std::vector<uint8_t> Ramp(int channels, int loud, double seconds) {
  const size_t frames = size_t(seconds * kRate);
  std::vector<float> samples(frames * size_t(channels));
  for (size_t f = 0; f < frames; ++f) {
    const double t = double(f) / kRate;
    samples[f * size_t(channels) + size_t(loud)] = float((0.1 + 0.8 * t / seconds) * std::sin(2 * M_PI * 440 * t));
  }
  return tav::vorbis::Encode(channels, kRate, samples);
}

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool WaitUntilStopped(const std::wstring& name) {
  for (int i = 0; i < 1000; ++i, Wait(10))
    if (CXAudio2::IsStopped(name)) return true;
  return false;
}

// Plays `bytes` as `name` through `play`, then closes the device and reads the file.
template <typename Play>
wavetest::Wave Record(const std::vector<uint8_t>& bytes, bool loop, Play play) {
  EXPECT_TRUE(tav::StartAudio());
  EXPECT_TRUE(CXAudio2::Create(L"s", bytes.data(), uint32_t(bytes.size()), loop));
  play();
  Wait(100);  // some silence after the sound
  tav::ShutDownAudio();
  return wavetest::ReadWave(wavetest::OutputPath());
}

// Index of the first window from `from` whose level is above (or, with
// `loud` false, below) the threshold; the size when there is none.
size_t Find(const std::vector<double>& levels, size_t from, bool loud) {
  for (size_t i = from; i < levels.size(); ++i)
    if (loud ? levels[i] > kSound : levels[i] < kQuiet) return i;
  return levels.size();
}

TEST(WaveOutput, DeactivatingTheWindowPausesAndActivatingResumesWhereItStopped) {
  const auto wave = Record(Ramp(1, 0, 1.0), false, [] {
    ASSERT_TRUE(CXAudio2::Play(L"s"));
    Wait(400);
    tav::GameWindowProc(nullptr, WM_ACTIVATE, WA_INACTIVE, 0);
    Wait(300);
    tav::GameWindowProc(nullptr, WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_TRUE(WaitUntilStopped(L"s"));
  });
  ASSERT_EQ(wave.channels, 2);
  const auto levels = Envelope(wave, 0, 20);
  const size_t start = Find(levels, 0, true);
  const size_t gap = Find(levels, start, false);
  const size_t resumed = Find(levels, gap, true);
  const size_t end = Find(levels, resumed, false);
  ASSERT_LT(end, levels.size()) << "the sound, a pause, the rest of the sound";
  EXPECT_GE(resumed - gap, 10u) << "silent for about 300 ms";
  // About a second of sound in all (50 windows), cut in two.
  EXPECT_NEAR(double((gap - start) + (end - resumed)), 50, 6);
  // The level after the pause continues the rise from before it; a restart
  // would begin near the first level again.
  const double before = levels[gap - 2], after = levels[resumed + 1], first = levels[start + 1];
  EXPECT_NEAR(after, before, 0.08) << before << " -> " << after;
  EXPECT_GT(after, first * 2);
  // A mono sound is one channel, heard in the middle.
  const auto right = Envelope(wave, 1, 20);
  EXPECT_NEAR(right[gap - 2], levels[gap - 2], 0.01);
}

TEST(WaveOutput, ALoopingSoundStartsAgainFromItsFirstSample) {
  const auto wave = Record(Ramp(1, 0, 0.3), true, [] {
    ASSERT_TRUE(CXAudio2::Play(L"s"));
    Wait(1100);
    ASSERT_TRUE(CXAudio2::Remove(L"s"));
  });
  const auto levels = Envelope(wave, 0, 20);
  const size_t start = Find(levels, 0, true);
  ASSERT_LT(start, levels.size());
  // Each pass rises to its top and falls back to its first level at once.
  int restarts = 0;
  for (size_t i = start + 1; i + 1 < levels.size(); ++i)
    if (levels[i] > kSound && levels[i + 1] > kSound && levels[i + 1] < levels[i] * 0.5) ++restarts;
  EXPECT_GE(restarts, 2);
  const double peak = *std::max_element(levels.begin() + long(start), levels.end());
  EXPECT_GT(peak, levels[start + 1] * 3);
}

TEST(WaveOutput, FiveOneIsHeardDownmixedOnItsSide) {
  // Only the rear right channel of a 5.1 file sounds.
  const auto wave = Record(Ramp(6, 4, 0.5), false, [] {
    ASSERT_TRUE(CXAudio2::SetVolume(L"s", 1.0f));
    ASSERT_TRUE(CXAudio2::Play(L"s"));
    ASSERT_TRUE(WaitUntilStopped(L"s"));
  });
  const auto left = Envelope(wave, 0, 20), right = Envelope(wave, 1, 20);
  const size_t start = Find(right, 0, true);
  const size_t end = Find(right, start, false);
  ASSERT_LT(end, right.size());
  EXPECT_NEAR(double(end - start), 25, 4) << "played at its own speed";
  for (size_t i = start; i < end; ++i) EXPECT_LT(left[i], kQuiet) << "window " << i;
}

}  // namespace
