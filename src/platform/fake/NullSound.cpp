#include "platform/fake/NullSound.h"

#include <deque>
#include <memory>
#include <mutex>

namespace tav::fake {
namespace {

struct Shared {
  std::mutex lock;
  bool withDevice = true;
  std::vector<std::shared_ptr<NullVoiceRecord>> voices;
};

Shared& State() {
  static Shared* shared = new Shared;
  return *shared;
}

class NullVoice final : public sound::SourceVoice {
 public:
  explicit NullVoice(std::shared_ptr<NullVoiceRecord> record) : record_(std::move(record)) {}

  HRESULT Start(uint32_t, uint32_t) override {
    if (sound::DeviceLossSimulated()) return XAUDIO2_E_DEVICE_INVALIDATED;
    return Set([](NullVoiceRecord& r) { r.started = true; });
  }
  HRESULT Stop(uint32_t, uint32_t) override { return Set([](NullVoiceRecord& r) { r.started = false; }); }
  HRESULT SubmitSourceBuffer(const sound::XAUDIO2_BUFFER* buffer) override {
    if (!buffer || !buffer->pAudioData || buffer->AudioBytes % 2 != 0) return XAUDIO2_E_INVALID_CALL;
    if (sound::DeviceLossSimulated()) return XAUDIO2_E_DEVICE_INVALIDATED;
    std::lock_guard hold(State().lock);
    const auto* samples = reinterpret_cast<const int16_t*>(buffer->pAudioData);
    record_->samples.insert(record_->samples.end(), samples, samples + buffer->AudioBytes / 2);
    ++record_->buffers;
    record_->endOfStream |= (buffer->Flags & sound::XAUDIO2_END_OF_STREAM) != 0;
    queued_.push_back(buffer->AudioBytes / 2 / record_->format.nChannels);
    return S_OK;
  }
  void GetState(sound::XAUDIO2_VOICE_STATE* state) override {
    std::lock_guard hold(State().lock);
    if (sound::DeviceLossSimulated()) queued_.clear();  // a lost device plays nothing it held
    if (record_->started && !queued_.empty()) {
      played_ += queued_.front();
      queued_.pop_front();
    }
    if (state) *state = {uint32_t(queued_.size()), played_};
  }
  HRESULT Discontinuity() override { return S_OK; }
  HRESULT SetVolume(float volume, uint32_t) override {
    if (sound::DeviceLossSimulated()) return XAUDIO2_E_DEVICE_INVALIDATED;
    return Set([volume](NullVoiceRecord& r) { r.volume = volume; });
  }
  void DestroyVoice() override {
    Set([](NullVoiceRecord& r) { r.destroyed = true; });
    delete this;
  }

 private:
  template <typename F>
  HRESULT Set(F change) {
    std::lock_guard hold(State().lock);
    change(*record_);
    return S_OK;
  }

  std::shared_ptr<NullVoiceRecord> record_;
  std::deque<uint64_t> queued_;  // frames of each queued buffer
  uint64_t played_ = 0;
};

class NullMastering final : public sound::MasteringVoice {
 public:
  void DestroyVoice() override { delete this; }
};

class NullEngine final : public sound::IXAudio2 {
 public:
  HRESULT Initialize(uint32_t, uint32_t) override { return S_OK; }
  HRESULT CreateMasteringVoice(sound::MasteringVoice** voice) override {
    if (!voice) return E_POINTER;
    std::lock_guard hold(State().lock);
    *voice = State().withDevice ? new NullMastering : nullptr;
    return *voice ? S_OK : XAUDIO2_E_DEVICE_INVALIDATED;
  }
  HRESULT CreateSourceVoice(sound::SourceVoice** voice, const sound::WAVEFORMATEX* format, uint32_t,
                            float) override {
    if (!voice || !format) return E_POINTER;
    *voice = nullptr;
    if (format->nChannels < 1 || format->nChannels > 2 || format->wBitsPerSample != 16) return E_INVALIDARG;
    if (sound::DeviceLossSimulated()) return XAUDIO2_E_DEVICE_INVALIDATED;
    auto record = std::make_shared<NullVoiceRecord>();
    record->format = *format;
    {
      std::lock_guard hold(State().lock);
      State().voices.push_back(record);
    }
    *voice = new NullVoice(std::move(record));
    return S_OK;
  }
  void Release() override { delete this; }
};

sound::IXAudio2* MakeNullEngine() { return new NullEngine; }

}  // namespace

void NullSound::Install(bool withDevice) {
  {
    std::lock_guard hold(State().lock);
    State().withDevice = withDevice;
    State().voices.clear();
  }
  sound::InstallEngineMaker(&MakeNullEngine);
}

void NullSound::Uninstall() { sound::InstallEngineMaker(nullptr); }

std::vector<NullVoiceRecord> NullSound::Voices() {
  std::lock_guard hold(State().lock);
  std::vector<NullVoiceRecord> copies;
  for (const auto& voice : State().voices) copies.push_back(*voice);
  return copies;
}

}  // namespace tav::fake
