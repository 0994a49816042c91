// Sound: what streaming costs against bare decoding, what a playing sound
// costs while the game waits, and how long a command's round trip takes.
//   stream    a minute of 44.1 kHz stereo Vorbis through the streaming thread
//             (null output, which takes buffers as fast as they come)
//   ov_read   the same file decoded in one loop, no thread, no voice
// Both in CPU seconds of the process, interleaved over rounds; then the CPU
// per second of one sound playing on OpenAL Soft's null output in real time,
// and the median round trip of a command to the audio thread.
#include <sys/resource.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "VorbisEncode.h"
#include "audio/AudioEngine.h"
#include "audio/OggStream.h"
#include "audio/SoundCommands.h"
#include "platform/fake/NullSound.h"
#include "platform/os/Locale.h"

namespace {

using tav::CXAudio2;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return s(usage.ru_utime) + s(usage.ru_stime);
}

// A minute of two detuned chords with a moving pan: enough going on that the
// encoder does real work and the decoder has real work to undo.
std::vector<uint8_t> Minute() {
  constexpr long kRate = 44100;
  const size_t frames = size_t(60 * kRate);
  std::vector<float> samples(frames * 2);
  for (size_t f = 0; f < frames; ++f) {
    const double t = double(f) / kRate;
    const double chord = std::fmod(t, 4.0) < 2 ? 220.0 : 196.0;
    double x = 0;
    for (double k : {1.0, 1.25, 1.5, 2.0}) x += std::sin(2 * M_PI * chord * k * t) * 0.12;
    const double pan = 0.5 + 0.4 * std::sin(t * 0.7);
    samples[2 * f] = float(x * (1 - pan));
    samples[2 * f + 1] = float(x * pan);
  }
  return tav::vorbis::Encode(2, kRate, samples, 0.5f);
}

void DecodeBare(const std::vector<uint8_t>& bytes) {
  tav::MemorySource source{bytes.data(), int64_t(bytes.size()), 0};
  const ov_callbacks callbacks{&tav::MemoryRead,
                               [](void* s, ogg_int64_t o, int w) { return tav::MemorySeek(s, o, w); },
                               &tav::MemoryClose, &tav::MemoryTell};
  OggVorbis_File file;
  if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) std::abort();
  std::vector<char> buffer(4096);
  int section = 0;
  while (ov_read(&file, buffer.data(), int(buffer.size()), 0, 2, 1, &section) > 0) {
  }
  ov_clear(&file);
}

void WaitStopped(const wchar_t* name) {
  while (!CXAudio2::IsStopped(name)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

int main() {
  tav::os::SetUserLocale();
  setenv("ALSOFT_DRIVERS", "null", 0);
  std::printf("encoding a minute of stereo 44.1 kHz Vorbis...\n");
  const std::vector<uint8_t> minute = Minute();
  std::printf("%zu bytes\n", minute.size());

  tav::fake::NullSound::Install();
  if (!tav::StartAudio()) return 1;
  CXAudio2::Create(L"minute", minute.data(), uint32_t(minute.size()), false);
  std::vector<double> bare, stream, streamWall;
  for (int round = 0; round < 9; ++round) {
    double start = CpuSeconds();
    DecodeBare(minute);
    bare.push_back(CpuSeconds() - start);
    start = CpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    CXAudio2::Play(L"minute");
    WaitStopped(L"minute");
    stream.push_back(CpuSeconds() - start);
    streamWall.push_back(tavbench::Seconds(wall));
  }
  tav::ShutDownAudio();
  tav::fake::NullSound::Uninstall();
  const double b = tavbench::Median(bare), s = tavbench::Median(stream);
  std::printf("decode one minute, CPU s (median of 9): ov_read %.3f, stream %.3f (wall %.3f); ratio %.2fx\n", b, s,
              tavbench::Median(streamWall), s / b);

  // Real time on OpenAL Soft's null output: the mixer alone, then one sound.
  if (!tav::StartAudio()) {
    std::printf("no OpenAL output: the idle measure is skipped\n");
    return 0;
  }
  auto cpuPerSecond = [](double seconds) {
    const double start = CpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return (CpuSeconds() - start) / seconds;
  };
  const double quiet = cpuPerSecond(3);
  CXAudio2::Create(L"minute", minute.data(), uint32_t(minute.size()), true);
  CXAudio2::Play(L"minute");
  const double playing = cpuPerSecond(3);
  std::printf("CPU per second of real time: audio up, nothing playing %.2f%%; one sound playing %.2f%% "
              "(the sound's share %.2f%%)\n",
              quiet * 100, playing * 100, (playing - quiet) * 100);

  std::vector<double> trips;
  for (int i = 0; i < 20000; ++i) {
    const auto start = std::chrono::steady_clock::now();
    CXAudio2::IsStopped(L"minute");
    trips.push_back(tavbench::Seconds(start) * 1e6);
  }
  std::printf("command round trip (IsStopped, 20000 calls): median %.1f us\n", tavbench::Median(trips));
  tav::ShutDownAudio();
  return 0;
}
