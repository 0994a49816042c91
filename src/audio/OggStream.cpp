#include "audio/OggStream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/ErrorLog.h"

namespace tav {
namespace {

constexpr size_t kBufferBytes = 0x10000;
constexpr size_t kChunk = 4096;

struct Weights {
  float left, right;
};

// Where each channel of an n-channel Vorbis stream goes in stereo.
std::vector<Weights> StereoWeights(int channels) {
  constexpr float h = 0.70710678f;  // -3 dB
  switch (channels) {
    case 3: return {{1, 0}, {h, h}, {0, 1}};
    case 4: return {{1, 0}, {0, 1}, {h, 0}, {0, h}};
    case 5: return {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}};
    case 6: return {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}, {0, 0}};
    case 7: return {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}, {0.5f, 0.5f}, {0, 0}};
    case 8: return {{1, 0}, {h, h}, {0, 1}, {h, 0}, {0, h}, {h, 0}, {0, h}, {0, 0}};
    default: {
      std::vector<Weights> weights(size_t(std::max(channels, 0)));
      for (size_t i = 0; i < weights.size(); ++i) weights[i] = i % 2 ? Weights{0, 1} : Weights{1, 0};
      return weights;
    }
  }
}

int16_t ToSample(float value) { return int16_t(std::lround(std::clamp(value, -32768.0f, 32767.0f))); }

void Sleep1() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

// The decoder of one pass and how its samples reach the voice.
class Decoder {
 public:
  ~Decoder() {
    if (open_) ov_clear(&file_);
  }

  bool Open(const uint8_t* data, uint32_t size) {
    source_ = {data, int64_t(size), 0};
    // Read front to back, as a stream: nothing here seeks, and opening a
    // seekable file makes libvorbisfile look for every link in it first, a
    // walk that loses the headers it read when a later link is damaged.
    const ov_callbacks callbacks{&MemoryRead, nullptr, &MemoryClose, &MemoryTell};
    if (ov_open_callbacks(&source_, &file_, nullptr, 0, callbacks) != 0) return false;
    open_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->channels < 1 || info->rate < 1) return false;
    channels_ = info->channels;
    rate_ = uint32_t(info->rate);
    return true;
  }

  int OutputChannels() const { return std::min(channels_, 2); }
  // Whether the stream ended at damage rather than at its end.
  bool Damaged() const { return damaged_; }
  uint32_t Rate() const { return rate_; }

  // Fills `buffer` with up to 64 KiB of 16-bit output: 4 KiB reads until it
  // is full or the stream ends, which sets `end` and pads the count with
  // silence to whole 4-byte units.
  uint32_t Fill(uint8_t* buffer, bool& end) {
    size_t count = 0;
    size_t chunk = kChunk;
    long got = Read(buffer + count, chunk);
    while (got > 0) {
      count += size_t(got);
      if (count >= kBufferBytes) return uint32_t(count);
      chunk = std::min(kBufferBytes - count, kChunk);
      got = Read(buffer + count, chunk);
    }
    end = true;
    damaged_ = got < 0;
    // The padding is silence; the decoded bytes before it were all written.
    const size_t padded = std::min((count + 3) & ~size_t(3), kBufferBytes);
    std::memset(buffer + count, 0, padded - count);
    return uint32_t(padded);
  }

 private:
  // Up to `bytes` bytes of output samples; 0 at the end, below 0 on a damaged stream.
  long Read(uint8_t* out, size_t bytes) {
    int section = 0;
    if (channels_ <= 2) return ov_read(&file_, reinterpret_cast<char*>(out), int(bytes), 0, 2, 1, &section);
    // More than two channels: decode whole frames and mix them to stereo.
    const size_t frames = bytes / 4;
    if (frames == 0) return 0;
    scratch_.resize(frames * size_t(channels_));
    const long got = ov_read(&file_, reinterpret_cast<char*>(scratch_.data()), int(scratch_.size() * 2), 0, 2, 1,
                             &section);
    if (got <= 0) return got;
    const vorbis_info* info = ov_info(&file_, section);
    if (!info || info->channels != channels_) return 0;  // a chained stream that changes layout ends here
    const size_t decoded = size_t(got) / (2 * size_t(channels_));
    DownmixToStereo(scratch_.data(), channels_, decoded, reinterpret_cast<int16_t*>(out));
    return long(decoded * 4);
  }

  OggVorbis_File file_{};
  bool open_ = false;
  MemorySource source_;
  int channels_ = 0;
  uint32_t rate_ = 0;
  bool damaged_ = false;
  std::vector<int16_t> scratch_;
};

enum class PassEnd { Finished, Stopped, Failed };

// Ends a pass whose voice failed: the voice goes, and the sound with it.
PassEnd EndFailed(CXAudio2::Info& sound) {
  sound.voice->DestroyVoice();
  sound.voice = nullptr;
  return PassEnd::Failed;
}

// One playback pass, from opening the decoder to the end of the stream, a
// stop, or a voice that fails.
PassEnd PlayPass(sound::IXAudio2* engine, CXAudio2::Info& sound, CDeviceLoss& loss) {
  Decoder decoder;
  std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(kBufferBytes), std::vector<uint8_t>(kBufferBytes)};
  {
    std::lock_guard hold(sound.lock);
    if (sound.stopRequested) return PassEnd::Stopped;
    if (!decoder.Open(sound.data, sound.size)) {
      LogError(L"ov_open_callbacks: the sound is not Ogg Vorbis");
      return PassEnd::Failed;
    }
    sound::WAVEFORMATEX format;
    format.nChannels = uint16_t(decoder.OutputChannels());
    format.nSamplesPerSec = decoder.Rate();
    format.wBitsPerSample = 16;
    format.nBlockAlign = uint16_t(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    sound::SourceVoice* voice = nullptr;
    const HRESULT hr = engine->CreateSourceVoice(&voice, &format, 0, 2.0f);
    if (FAILED(hr) || !voice) {
      loss.LogFailure(FAILED(hr) ? hr : E_FAIL, L"CreateSourceVoice");
      return PassEnd::Failed;
    }
    sound.voice = voice;
    sound.submitted = 0;
    voice->SetVolume(sound.volume, 0);
    if (const HRESULT started = voice->Start(0, 0); FAILED(started)) {
      loss.LogFailure(started, L"Start");
      return EndFailed(sound);
    }
  }
  size_t next = 0;
  bool end = false;
  for (;;) {
    sound.runEvent.Wait();
    // With two buffers queued the voice has hundreds of milliseconds of sound
    // ahead: the stream looks again in 20 ms, or at once when stopped. Only the
    // last buffer's end is watched closely, so that a loop starts again
    // without a gap.
    uint32_t pause = 20;
    {
      std::lock_guard hold(sound.lock);
      if (sound.stopRequested) break;
      sound::XAUDIO2_VOICE_STATE state;
      sound.voice->GetState(&state);
      if (end) {
        if (state.BuffersQueued == 0) break;
        pause = 1;
      } else if (state.BuffersQueued < 2) {
        pause = 1;  // the second buffer goes in at once
        const uint32_t bytes = decoder.Fill(buffers[next].data(), end);
        if (bytes > 0) {
          sound::XAUDIO2_BUFFER buffer;
          buffer.Flags = end ? sound::XAUDIO2_END_OF_STREAM : 0;
          buffer.AudioBytes = bytes;
          buffer.pAudioData = buffers[next].data();
          // A voice that takes no more (its device went away) would leave the
          // stream waiting for ever.
          if (const HRESULT hr = sound.voice->SubmitSourceBuffer(&buffer); FAILED(hr)) {
            loss.LogFailure(hr, L"SubmitSourceBuffer");
            return EndFailed(sound);
          }
          sound.submitted += bytes / (2 * uint32_t(decoder.OutputChannels()));
          next ^= 1;
        } else if (end) {
          sound.voice->Discontinuity();
        }
      }
    }
    sound.stopEvent.WaitFor(pause);
  }
  std::lock_guard hold(sound.lock);
  if (sound.stopRequested) {
    sound.voice->Stop(0, 0);
    sound.voice->Discontinuity();
    sound.voice->DestroyVoice();
    sound.voice = nullptr;
    return PassEnd::Stopped;
  }
  sound.voice->DestroyVoice();
  sound.voice = nullptr;
  return PassEnd::Finished;
}

}  // namespace

size_t MemoryRead(void* destination, size_t elementSize, size_t count, void* source) {
  auto* s = static_cast<MemorySource*>(source);
  if (elementSize == 0 || s->position >= s->size) return 0;
  const size_t n = std::min(count, size_t(s->size - s->position) / elementSize);
  std::memcpy(destination, s->data + s->position, n * elementSize);
  s->position += int64_t(n * elementSize);
  return n;
}

int MemorySeek(void* source, int64_t offset, int origin) {
  auto* s = static_cast<MemorySource*>(source);
  const int64_t target = origin == SEEK_SET ? offset : origin == SEEK_CUR ? s->position + offset : s->size + offset;
  if (target > s->size || target < 0) return -1;
  s->position = target;
  return 0;
}

int MemoryClose(void*) { return 0; }

long MemoryTell(void* source) { return long(static_cast<MemorySource*>(source)->position); }

void DownmixToStereo(const int16_t* in, int channels, size_t frames, int16_t* out) {
  const std::vector<Weights> weights = StereoWeights(channels);
  float norm = 0;
  for (const Weights& w : weights) norm += w.left;
  const float scale = norm > 0 ? 1.0f / norm : 1.0f;
  for (size_t f = 0; f < frames; ++f) {
    float left = 0, right = 0;
    for (size_t c = 0; c < weights.size(); ++c) {
      const float x = in[f * weights.size() + c];
      left += weights[c].left * x;
      right += weights[c].right * x;
    }
    out[2 * f] = ToSample(left * scale);
    out[2 * f + 1] = ToSample(right * scale);
  }
}

bool OpensAsOggVorbis(const uint8_t* data, uint32_t size) {
  Decoder decoder;
  if (!decoder.Open(data, size)) return false;
  std::vector<uint8_t> buffer(kBufferBytes);
  bool end = false;
  return decoder.Fill(buffer.data(), end) > 0;
}

bool DecodesToItsEnd(const uint8_t* data, uint32_t size) {
  Decoder decoder;
  if (!decoder.Open(data, size)) return false;
  std::vector<uint8_t> buffer(kBufferBytes);
  bool end = false;
  while (!end) decoder.Fill(buffer.data(), end);
  return !decoder.Damaged();
}

void StreamSound(sound::IXAudio2* engine, std::shared_ptr<CXAudio2::Info> sound, CDeviceLoss* loss) {
  for (;;) {
    const PassEnd end = PlayPass(engine, *sound, *loss);
    bool again;
    {
      std::lock_guard hold(sound->lock);
      again = end == PassEnd::Finished && sound->loop && !sound->stopRequested;
    }
    if (!again) break;
    Sleep1();
  }
  std::lock_guard hold(sound->lock);
  sound->streaming = false;
}

}  // namespace tav
