// The demo's sounds: three pieces of music and two effects synthesised here,
// and the voiced lines spoken by espeak-ng's Japanese voice. All are Ogg Vorbis.
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "Art.h"
#include "VorbisEncode.h"

extern char** environ;

namespace demogen {
namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Stereo {
  explicit Stereo(double seconds) : left(size_t(seconds * kRate)), right(left.size()) {}
  std::vector<float> left, right;

  std::vector<float> Interleaved() const {
    std::vector<float> out(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
      out[2 * i] = left[i];
      out[2 * i + 1] = right[i];
    }
    return out;
  }
};

// A sustained chord tone: soft attack and release, a few harmonics.
void Pad(Stereo& track, double start, double length, double hz, double amp, double pan) {
  const size_t from = size_t(start * kRate), count = size_t(length * kRate);
  for (size_t i = 0; i < count && from + i < track.left.size(); ++i) {
    const double t = double(i) / kRate;
    const double env = std::min({1.0, t / 0.3, (length - t) / 0.4});
    const double x = std::sin(2 * kPi * hz * t) + 0.3 * std::sin(4 * kPi * hz * t) + 0.1 * std::sin(6 * kPi * hz * t);
    const double v = amp * std::max(env, 0.0) * x;
    track.left[from + i] += float(v * (1 - pan));
    track.right[from + i] += float(v * (1 + pan));
  }
}

// A plucked note that dies away.
void Pluck(Stereo& track, double start, double hz, double amp, double pan) {
  const size_t from = size_t(start * kRate), count = size_t(1.2 * kRate);
  for (size_t i = 0; i < count && from + i < track.left.size(); ++i) {
    const double t = double(i) / kRate;
    const double env = std::min(1.0, t / 0.005) * std::exp(-t * 4.0);
    const double x = std::sin(2 * kPi * hz * t) + 0.4 * std::sin(4 * kPi * hz * t) * std::exp(-t * 6.0);
    const double v = amp * env * x;
    track.left[from + i] += float(v * (1 - pan));
    track.right[from + i] += float(v * (1 + pan));
  }
}

// Chords of three frequencies, each held `bar` seconds, arpeggiated in eighths.
std::vector<uint8_t> Music(const std::vector<std::vector<double>>& chords, double bar, double amp) {
  Stereo track(bar * double(chords.size()));
  static constexpr int kPattern[] = {0, 1, 2, 3, 2, 1, 2, 3};
  for (size_t c = 0; c < chords.size(); ++c) {
    const auto& chord = chords[c];
    const double at = bar * double(c);
    Pad(track, at, bar, chord[0] / 2, amp * 0.5, 0.0);
    for (size_t n = 0; n < 3; ++n) Pad(track, at, bar, chord[n], amp * 0.18, (double(n) - 1) * 0.3);
    for (int step = 0; step < 8; ++step) {
      const int k = kPattern[step];
      const double hz = k == 3 ? chord[0] * 2 : chord[size_t(k)] * 2;
      Pluck(track, at + bar * step / 8, hz, amp * 0.35, step % 2 ? 0.35 : -0.35);
    }
  }
  return tav::vorbis::Encode(2, kRate, track.Interleaved(), 0.3f);
}

std::vector<uint8_t> Chime() {
  Stereo track(1.4);
  for (const auto& [start, hz] : {std::pair{0.0, 1318.5}, std::pair{0.18, 987.8}}) {
    const size_t from = size_t(start * kRate);
    for (size_t i = 0; from + i < track.left.size(); ++i) {
      const double t = double(i) / kRate;
      const double env = std::min(1.0, t / 0.003) * std::exp(-t * 3.5);
      const double x = std::sin(2 * kPi * hz * t) + 0.5 * std::sin(2 * kPi * hz * 2.76 * t) * std::exp(-t * 8);
      track.left[from + i] += float(0.3 * env * x);
      track.right[from + i] += float(0.3 * env * x);
    }
  }
  return tav::vorbis::Encode(2, kRate, track.Interleaved(), 0.4f);
}

// Surf: noise through a slowly opening low-pass, swelling and falling twice.
std::vector<uint8_t> Waves() {
  Stereo track(4.0);
  uint32_t seed = 12345;
  auto noise = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return double(seed >> 8) / double(1 << 24) * 2 - 1;
  };
  double l = 0, r = 0;
  for (size_t i = 0; i < track.left.size(); ++i) {
    const double t = double(i) / kRate;
    const double swell = std::pow(std::sin(kPi * std::fmod(t, 2.0) / 2.0), 2);
    const double k = 0.02 + 0.12 * swell;
    l += k * (noise() - l);
    r += k * (noise() - r);
    track.left[i] = float(1.6 * swell * l);
    track.right[i] = float(1.6 * swell * r);
  }
  return tav::vorbis::Encode(2, kRate, track.Interleaved(), 0.3f);
}

// espeak-ng speaks `text` into a WAV file; its 16-bit mono samples.
std::vector<float> Speak(const std::string& text, const std::vector<std::string>& voice, const std::string& wav) {
  std::vector<std::string> args = {"espeak-ng"};
  args.insert(args.end(), voice.begin(), voice.end());
  args.insert(args.end(), {"-w", wav, text});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, "espeak-ng", nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot run espeak-ng (install it with tools/install-deps.sh)");
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("espeak-ng failed on: " + text);
  std::ifstream in(wav, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(wav.c_str());
  // The samples follow the "data" chunk header; espeak-ng writes 22050 Hz mono.
  for (size_t at = 12; at + 8 <= bytes.size();) {
    uint32_t size;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
      const size_t count = std::min<size_t>(size, bytes.size() - at - 8) / 2;
      std::vector<float> samples(count);
      for (size_t i = 0; i < count; ++i) {
        int16_t s;
        std::memcpy(&s, bytes.data() + at + 8 + 2 * i, 2);
        samples[i] = float(s) / 32768.0f;
      }
      return samples;
    }
    at += 8 + size + (size & 1);
  }
  throw std::runtime_error("espeak-ng wrote no samples for: " + text);
}

struct Line {
  const wchar_t* name;
  const char* text;  // the spoken part of the scenario's line
  int speaker;       // 0 Aoi, 1 Ren, 2 young Aoi
};

constexpr Line kLines[] = {
    {L"voice\\aoi_01.ogg", "ねえ、蓮。今日の帰り、少しだけ寄り道していかない？", 0},
    {L"voice\\ren_01.ogg", "寄り道？　いいけど……どこに行くんだ？", 1},
    {L"voice\\aoi_02.ogg", "海辺と図書館、どっちがいいかな？", 0},
    {L"voice\\aoi_03.ogg", "わあ……！　夕日が海に溶けていくみたい。来てよかったね", 0},
    {L"voice\\ren_02.ogg", "静かだな。……ここなら、ちゃんと話せる気がする", 1},
    {L"voice\\aoi_04.ogg", "ねえ、覚えてる？　小さい頃、ここでした約束のこと", 0},
    {L"voice\\ren_03.ogg", "……ああ。忘れるわけないだろ", 1},
    {L"voice\\aoi_05.ogg", "じゃあ――もう一度、約束しよう。これからも、ずっと", 0},
    {L"voice\\aoi_child.ogg", "大きくなっても、いっしょに夕日を見ようね。約束だよ", 2},
};

}  // namespace

void WriteSounds(Output& out, const std::filesystem::path& scratch) {
  auto write = [&out](const wchar_t* name, const std::vector<uint8_t>& ogg) {
    if (ogg.empty()) throw std::runtime_error("the Vorbis encoder failed");
    out.WriteBytes(name, ogg);
  };
  constexpr double C4 = 261.63, D4 = 293.66, E4 = 329.63, G4 = 392.0, A3 = 220.0, B3 = 246.94, F3 = 174.61,
                   G3 = 196.0;
  write(L"bgm\\title.ogg", Music({{C4, E4, G4}, {A3, C4, E4}, {F3, A3, C4}, {G3, B3, D4}}, 2.0, 0.18));
  write(L"bgm\\story.ogg", Music({{A3, C4, E4}, {F3, A3, C4}, {C4, E4, G4}, {G3, B3, D4}}, 2.4, 0.15));
  // The extras room's piece, played by its music button.
  write(L"bgm\\memory.ogg", Music({{F3, A3, C4}, {G3, B3, D4}, {E4 / 2, G3, B3}, {A3, C4, E4}}, 2.8, 0.15));
  write(L"se\\chime.ogg", Chime());
  write(L"se\\waves.ogg", Waves());
  const std::vector<std::string> voices[] = {{"-v", "ja+f3", "-p", "70", "-s", "160"},
                                             {"-v", "ja", "-p", "30", "-s", "150"},
                                             {"-v", "ja+f4", "-p", "90", "-s", "170"}};
  const std::string wav = (scratch / "voice.wav").string();
  for (const Line& line : kLines) {
    const std::vector<float> samples = Speak(line.text, voices[line.speaker], wav);
    write(line.name, tav::vorbis::Encode(1, kRate, samples, 0.3f));
  }
}

}  // namespace demogen
