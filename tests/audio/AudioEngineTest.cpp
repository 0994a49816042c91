// The audio thread and the streaming voices on the null sound double: the
// commands' answers, and the samples each voice was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "VorbisEncode.h"
#include "audio/AudioEngine.h"
#include "audio/OggStream.h"
#include "audio/SoundCommands.h"
#include "platform/fake/NullSound.h"
#include "platform/sound/XAudio2.h"
#include "support/TempDir.h"

namespace {

using tav::CXAudio2;
using tav::fake::NullSound;

constexpr long kRate = 22050;

// `seconds` of a sine at `hz` on channel `loud` of `channels`; the others are silent.
std::vector<uint8_t> Tone(int channels, int loud, double seconds, double hz = 440) {
  const size_t frames = size_t(seconds * kRate);
  std::vector<float> samples(frames * size_t(channels));
  for (size_t f = 0; f < frames; ++f)
    samples[f * size_t(channels) + size_t(loud)] = float(0.5 * std::sin(2 * M_PI * hz * double(f) / kRate));
  return tav::vorbis::Encode(channels, kRate, samples);
}

double Rms(const std::vector<int16_t>& samples, size_t channels, size_t channel) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = channel; i < samples.size(); i += channels, ++n) sum += double(samples[i]) * samples[i];
  return n ? std::sqrt(sum / double(n)) / 32768.0 : 0;
}

// Waits for a condition the audio threads bring about; false after 10 s.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 10000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class AudioEngine : public testing::Test {
 protected:
  void SetUp() override {
    NullSound::Install();
    ASSERT_TRUE(tav::StartAudio());
  }
  void TearDown() override {
    tav::ShutDownAudio();
    tav::sound::SimulateDeviceLoss(false);
    NullSound::Uninstall();
  }
  bool Register(const std::wstring& name, const std::vector<uint8_t>& bytes, bool loop = false) {
    return CXAudio2::Create(name, bytes.data(), uint32_t(bytes.size()), loop);
  }
};

TEST_F(AudioEngine, CommandsAnswerAsTheRegistryStands) {
  const auto first = Tone(1, 0, 0.2), second = Tone(2, 0, 0.2);
  EXPECT_TRUE(CXAudio2::IsStopped(L"none")) << "an unknown sound has finished";
  EXPECT_FALSE(CXAudio2::Play(L"none"));
  EXPECT_FALSE(CXAudio2::Remove(L"none"));
  EXPECT_FALSE(CXAudio2::Pause(L"none"));
  ASSERT_TRUE(Register(L"a", first));
  EXPECT_FALSE(Register(L"a", second)) << "the first sound of a name stays";
  EXPECT_TRUE(CXAudio2::Pause(L"a")) << "pausing an idle sound is no failure";
  EXPECT_TRUE(CXAudio2::SetVolume(L"a", 0.25f));
  ASSERT_TRUE(CXAudio2::Play(L"a"));
  EXPECT_TRUE(CXAudio2::Play(L"a")) << "already playing";
  ASSERT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"a"); }));

  const auto voices = NullSound::Voices();
  ASSERT_EQ(voices.size(), 1u) << "a second Play started nothing";
  EXPECT_EQ(voices[0].format.nChannels, 1) << "the first file (mono) played";
  EXPECT_FLOAT_EQ(voices[0].volume, 0.25f) << "the volume set before Play";
  EXPECT_TRUE(voices[0].destroyed);
  EXPECT_TRUE(CXAudio2::Remove(L"a"));
  EXPECT_TRUE(CXAudio2::IsStopped(L"a"));
  EXPECT_TRUE(CXAudio2::RemoveAll());
}

TEST_F(AudioEngine, VoicesGetTheDecodedSamplesInTheirOwnLayout) {
  const auto mono = Tone(1, 0, 0.5);
  const auto surround = Tone(6, 0, 0.5);  // front left only
  ASSERT_TRUE(Register(L"mono", mono));
  ASSERT_TRUE(Register(L"surround", surround));
  ASSERT_TRUE(CXAudio2::Play(L"mono"));
  ASSERT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"mono"); }));
  ASSERT_TRUE(CXAudio2::Play(L"surround"));
  ASSERT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"surround"); }));

  const auto voices = NullSound::Voices();
  ASSERT_EQ(voices.size(), 2u);
  const auto& one = voices[0];
  EXPECT_EQ(one.format.nChannels, 1);
  EXPECT_EQ(one.format.nSamplesPerSec, uint32_t(kRate));
  EXPECT_EQ(one.format.nBlockAlign, 2);
  EXPECT_NEAR(double(one.samples.size()), 0.5 * kRate, 4) << "every sample, padded to whole 4-byte units";
  EXPECT_NEAR(Rms(one.samples, 1, 0), 0.5 / std::sqrt(2.0), 0.03);

  // Six channels arrive as stereo at the same speed: the front left stays on
  // the left, nothing leaks to the right.
  const auto& two = voices[1];
  EXPECT_EQ(two.format.nChannels, 2);
  EXPECT_EQ(two.format.nAvgBytesPerSec, uint32_t(kRate * 4));
  EXPECT_NEAR(double(two.samples.size()) / 2, 0.5 * kRate, 4);
  EXPECT_GT(Rms(two.samples, 2, 0), 0.1);
  EXPECT_LT(Rms(two.samples, 2, 1), 0.01);
}

TEST_F(AudioEngine, AShortFileIsOneBufferAndALongOneStreamsInBuffersOf64KiB) {
  const auto shortFile = Tone(1, 0, 0.1), longFile = Tone(2, 0, 2.0);
  ASSERT_TRUE(Register(L"short", shortFile));
  ASSERT_TRUE(Register(L"long", longFile));
  ASSERT_TRUE(CXAudio2::Play(L"short"));
  ASSERT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"short"); }));
  ASSERT_TRUE(CXAudio2::Play(L"long"));
  ASSERT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"long"); }));
  const auto voices = NullSound::Voices();
  ASSERT_EQ(voices.size(), 2u);
  EXPECT_EQ(voices[0].buffers, 1u);
  EXPECT_TRUE(voices[0].endOfStream);
  // 2 s of 16-bit stereo at 22050 Hz is 176,400 bytes: two full buffers and the rest.
  EXPECT_EQ(voices[1].buffers, 3u);
  EXPECT_TRUE(voices[1].endOfStream);
}

TEST_F(AudioEngine, ALoopingSoundStartsAgainFromItsFirstSampleUntilRemoved) {
  const auto bytes = Tone(1, 0, 0.1);
  ASSERT_TRUE(Register(L"loop", bytes, true));
  ASSERT_TRUE(CXAudio2::Play(L"loop"));
  ASSERT_TRUE(Eventually([] { return NullSound::Voices().size() >= 3; }));
  EXPECT_FALSE(CXAudio2::IsStopped(L"loop"));
  ASSERT_TRUE(CXAudio2::Remove(L"loop"));
  const auto voices = NullSound::Voices();
  ASSERT_GE(voices.size(), 3u);
  EXPECT_EQ(voices[1].samples, voices[0].samples) << "each pass decodes the file from its start";
  for (const auto& voice : voices) EXPECT_TRUE(voice.destroyed);
}

TEST_F(AudioEngine, PausedSoundsSubmitNothingAndStopPromptly) {
  const auto bytes = Tone(2, 0, 3.0);
  ASSERT_TRUE(Register(L"music", bytes));
  ASSERT_TRUE(CXAudio2::Play(L"music"));
  ASSERT_TRUE(Eventually([] { return !NullSound::Voices().empty() && NullSound::Voices()[0].buffers >= 1; }));
  ASSERT_TRUE(CXAudio2::PauseAll());
  const auto sounds = tav::RegisteredSounds();
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_TRUE(sounds[0].playing);
  EXPECT_TRUE(sounds[0].paused);
  const uint32_t buffers = NullSound::Voices()[0].buffers;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(NullSound::Voices()[0].buffers, buffers) << "a paused stream waits";
  EXPECT_FALSE(NullSound::Voices()[0].started);
  EXPECT_FALSE(CXAudio2::IsStopped(L"music"));
  // Removing a paused sound wakes its stream, which ends: this returns.
  ASSERT_TRUE(CXAudio2::Remove(L"music"));
  EXPECT_TRUE(NullSound::Voices()[0].destroyed);
  EXPECT_TRUE(tav::RegisteredSounds().empty());
}

TEST_F(AudioEngine, DamagedFilesEndTheirPassWithoutAVoice) {
  const std::vector<uint8_t> text(4000, 'x');
  ASSERT_TRUE(Register(L"text", text, true));
  ASSERT_TRUE(CXAudio2::Play(L"text")) << "the stream starts, and finds out";
  ASSERT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"text"); })) << "even a looping one ends";
  EXPECT_TRUE(NullSound::Voices().empty());

  // The decoder's reads stay inside the bytes whatever it asks for.
  const uint8_t data[5] = {1, 2, 3, 4, 5};
  tav::MemorySource source{data, 5, 0};
  uint8_t out[8] = {};
  EXPECT_EQ(tav::MemoryRead(out, 2, 4, &source), 2u);
  EXPECT_EQ(tav::MemorySeek(&source, 6, SEEK_SET), -1);
  EXPECT_EQ(tav::MemoryTell(&source), 4);
  EXPECT_EQ(tav::MemorySeek(&source, -1, SEEK_END), 0);
  EXPECT_EQ(tav::MemoryRead(out, 2, 4, &source), 0u) << "one byte left is no whole element";
}

// The device goes away while looping music and a voice stream: both end
// instead of waiting for ever on voices that play nothing, the music does not
// start pass after pass, a new sound cannot start, pausing and resuming go on
// answering, and the log has one line for all of it.
TEST_F(AudioEngine, ALostDeviceEndsEveryStreamWithOneLogLine) {
  const auto music = Tone(2, 0, 10.0), voice = Tone(1, 0, 10.0);
  ASSERT_TRUE(Register(L"music", music, true));
  ASSERT_TRUE(Register(L"voice", voice));
  ASSERT_TRUE(Register(L"chime", Tone(1, 0, 0.2)));
  ASSERT_TRUE(CXAudio2::Play(L"music"));
  ASSERT_TRUE(CXAudio2::Play(L"voice"));
  ASSERT_TRUE(Eventually([] {
    const auto voices = NullSound::Voices();
    return voices.size() >= 2 && voices[0].buffers >= 1 && voices[1].buffers >= 1;
  }));
  tavtest::ClearErrorLog();
  tav::sound::SimulateDeviceLoss(true);
  EXPECT_TRUE(Eventually([] { return CXAudio2::IsStopped(L"music") && CXAudio2::IsStopped(L"voice"); }));
  const size_t made = NullSound::Voices().size();
  EXPECT_FALSE(CXAudio2::Play(L"chime"));
  EXPECT_TRUE(CXAudio2::IsStopped(L"chime"));
  EXPECT_TRUE(CXAudio2::PauseAll());
  EXPECT_TRUE(CXAudio2::ResumeAll());
  EXPECT_TRUE(CXAudio2::SetVolume(L"music", 0.5f));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto voices = NullSound::Voices();
  EXPECT_EQ(voices.size(), made) << "the music started no pass after the loss";
  for (const auto& one : voices) EXPECT_TRUE(one.destroyed);
  const std::string log = tavtest::ReadErrorLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  // Found by the next buffer a stream hands over, not after decoding the
  // rest of the file into voices that play nothing.
  EXPECT_NE(log.find("SubmitSourceBuffer XAUDIO2_E_DEVICE_INVALIDATED"), std::string::npos) << log;
}

TEST(AudioWithoutDevice, EveryCommandFailsAndNothingPlays) {
  NullSound::Install(false);
  EXPECT_FALSE(tav::StartAudio());
  EXPECT_FALSE(tav::AudioRunning());
  const std::vector<uint8_t> bytes(16, 0);
  EXPECT_FALSE(CXAudio2::Create(L"a", bytes.data(), 16, false));
  EXPECT_FALSE(CXAudio2::Play(L"a"));
  EXPECT_FALSE(CXAudio2::PauseAll());
  EXPECT_FALSE(CXAudio2::RemoveAll());
  EXPECT_TRUE(CXAudio2::IsStopped(L"a")) << "auto mode does not wait for a voice that cannot play";
  tav::ShutDownAudio();
  NullSound::Uninstall();
}

TEST(Downmix, SixChannelsKeepTheirSideAndCannotClip) {
  // FL, C, FR, RL, RR, LFE at full scale.
  const int16_t full[6] = {32767, 32767, 32767, 32767, 32767, 32767};
  int16_t out[2];
  tav::DownmixToStereo(full, 6, 1, out);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], 32767);
  const int16_t right[6] = {0, 0, 20000, 0, 0, 20000};
  tav::DownmixToStereo(right, 6, 1, out);
  EXPECT_EQ(out[0], 0) << "the low-frequency channel is left out";
  EXPECT_NEAR(out[1], 20000 / (1 + 2 * 0.7071), 1);
}

}  // namespace
