// A source voice over one OpenAL source. Submitted bytes are copied into
// OpenAL buffers, queued on the source and taken back once played, so the
// caller may reuse its memory at once; the buffers are reused.
#include <AL/al.h>
#include <AL/alext.h>

#include <deque>
#include <memory>
#include <new>
#include <vector>

#include "platform/sound/al/AlEngine.h"

namespace tav::sound::al {
namespace {

class AlVoice final : public SourceVoice {
 public:
  AlVoice(ALuint source, ALenum format, const WAVEFORMATEX& wave, std::shared_ptr<DeviceActivity> activity)
      : source_(source),
        format_(format),
        rate_(ALsizei(wave.nSamplesPerSec)),
        frameBytes_(wave.nBlockAlign),
        activity_(std::move(activity)) {}

  HRESULT Start(uint32_t, uint32_t) override {
    if (!activity_->Connected()) return Disconnected();
    started_ = true;
    Reclaim();
    if (!queue_.empty() && State() != AL_PLAYING) alSourcePlay(source_);
    return Result();
  }

  HRESULT Stop(uint32_t, uint32_t) override {
    started_ = false;
    if (State() == AL_PLAYING) alSourcePause(source_);
    return Result();
  }

  HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer) override {
    if (!buffer || !buffer->pAudioData || buffer->AudioBytes == 0 || buffer->AudioBytes % frameBytes_ != 0)
      return XAUDIO2_E_INVALID_CALL;
    if (!activity_->Connected()) return Disconnected();
    Reclaim();
    ALuint id = 0;
    if (!spare_.empty()) {
      id = spare_.back();
      spare_.pop_back();
    } else {
      alGenBuffers(1, &id);
      if (alGetError() != AL_NO_ERROR) return E_OUTOFMEMORY;
    }
    alBufferData(id, format_, buffer->pAudioData, ALsizei(buffer->AudioBytes), rate_);
    alSourceQueueBuffers(source_, 1, &id);
    if (alGetError() != AL_NO_ERROR) {
      spare_.push_back(id);
      return XAUDIO2_E_INVALID_CALL;
    }
    queue_.push_back({id, buffer->AudioBytes / frameBytes_});
    Track();
    // A started voice that ran dry (OpenAL stopped it) plays the new buffer.
    if (started_ && State() != AL_PLAYING) alSourcePlay(source_);
    return Result();
  }

  void GetState(XAUDIO2_VOICE_STATE* state) override {
    if (!activity_->Connected()) Disconnected();
    Reclaim();
    if (!state) return;
    ALint offset = 0;
    if (!queue_.empty()) alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
    state->BuffersQueued = uint32_t(queue_.size());
    state->SamplesPlayed = played_ + uint64_t(offset > 0 ? offset : 0);
  }

  HRESULT Discontinuity() override { return S_OK; }

  HRESULT SetVolume(float volume, uint32_t) override {
    if (!(volume >= 0.0f)) return E_INVALIDARG;
    if (!activity_->Connected()) return Disconnected();
    alSourcef(source_, AL_GAIN, volume);
    return Result();
  }

  void DestroyVoice() override {
    if (pending_) activity_->Pending(false);
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alDeleteSources(1, &source_);
    for (const Queued& q : queue_) spare_.push_back(q.id);
    if (!spare_.empty()) alDeleteBuffers(ALsizei(spare_.size()), spare_.data());
    alGetError();
    delete this;
  }

 private:
  struct Queued {
    ALuint id;
    uint32_t frames;
  };

  ALint State() const {
    ALint state = AL_INITIAL;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    return state;
  }

  // Takes the played buffers off the queue and counts their frames.
  void Reclaim() {
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && !queue_.empty(); --processed) {
      ALuint id = 0;
      alSourceUnqueueBuffers(source_, 1, &id);
      played_ += queue_.front().frames;
      queue_.pop_front();
      spare_.push_back(id);
    }
    Track();
  }

  // Tells the device whether this voice still has audio to play.
  void Track() {
    const bool pending = !queue_.empty();
    if (pending == pending_) return;
    pending_ = pending;
    activity_->Pending(pending);
  }

  // A source on a lost device never plays what it holds: stopping it hands
  // every queued buffer back, so that nothing is left waiting to be played.
  HRESULT Disconnected() {
    started_ = false;
    alSourceStop(source_);
    alGetError();
    return XAUDIO2_E_DEVICE_INVALIDATED;
  }

  static HRESULT Result() { return alGetError() == AL_NO_ERROR ? S_OK : XAUDIO2_E_INVALID_CALL; }

  ALuint source_;
  ALenum format_;
  ALsizei rate_;
  uint32_t frameBytes_;
  bool started_ = false;
  uint64_t played_ = 0;
  std::deque<Queued> queue_;
  std::vector<ALuint> spare_;
  std::shared_ptr<DeviceActivity> activity_;
  bool pending_ = false;
};

}  // namespace

SourceVoice* MakeSourceVoice(const WAVEFORMATEX& format, std::shared_ptr<DeviceActivity> activity, HRESULT& result) {
  result = E_INVALIDARG;
  if (format.wFormatTag != WAVE_FORMAT_PCM || format.wBitsPerSample != 16 || format.nSamplesPerSec == 0 ||
      (format.nChannels != 1 && format.nChannels != 2) || format.nBlockAlign != format.nChannels * 2)
    return nullptr;
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  if (alGetError() != AL_NO_ERROR) {
    result = XAUDIO2_E_INVALID_CALL;
    return nullptr;
  }
  // Played as they are: no distance, no panning of a mono voice, and the two
  // channels of a stereo voice straight to the left and right outputs.
  alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
  alSourcef(source, AL_MAX_GAIN, 16.0f);
  if (alIsExtensionPresent("AL_SOFT_direct_channels")) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
  alGetError();
  const ALenum alFormat = format.nChannels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
  SourceVoice* voice = new (std::nothrow) AlVoice(source, alFormat, format, std::move(activity));
  if (!voice) {
    alDeleteSources(1, &source);
    result = E_OUTOFMEMORY;
    return nullptr;
  }
  result = S_OK;
  return voice;
}

}  // namespace tav::sound::al
