#include "platform/sound/al/AlEngine.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <new>

namespace tav::sound::al {
namespace {

class AlMastering final : public MasteringVoice {
 public:
  AlMastering(ALCdevice* device, ALCcontext* context, std::shared_ptr<DeviceActivity>& activity)
      : device_(device), context_(context), activity_(activity) {}
  void DestroyVoice() override {
    activity_->Detach();
    activity_.reset();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
    delete this;
  }

 private:
  ALCdevice* device_;
  ALCcontext* context_;
  std::shared_ptr<DeviceActivity>& activity_;  // the engine's: empty while no device is open
};

class AlEngine final : public IXAudio2 {
 public:
  HRESULT Initialize(uint32_t, uint32_t) override { return S_OK; }

  HRESULT CreateMasteringVoice(MasteringVoice** voice) override {
    if (!voice) return E_POINTER;
    *voice = nullptr;
    if (activity_) return XAUDIO2_E_INVALID_CALL;
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return XAUDIO2_E_DEVICE_INVALIDATED;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
      if (context) alcDestroyContext(context);
      alcCloseDevice(device);
      return XAUDIO2_E_DEVICE_INVALIDATED;
    }
    try {
      activity_ = std::make_shared<DeviceActivity>(device);
      *voice = new AlMastering(device, context, activity_);
    } catch (const std::bad_alloc&) {
      activity_.reset();
      alcMakeContextCurrent(nullptr);
      alcDestroyContext(context);
      alcCloseDevice(device);
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  HRESULT CreateSourceVoice(SourceVoice** voice, const WAVEFORMATEX* format, uint32_t, float) override {
    if (!voice || !format) return E_POINTER;
    *voice = nullptr;
    if (!activity_) return XAUDIO2_E_INVALID_CALL;
    if (!activity_->Connected()) return XAUDIO2_E_DEVICE_INVALIDATED;
    HRESULT result = S_OK;
    *voice = MakeSourceVoice(*format, activity_, result);
    return result;
  }

  void Release() override { delete this; }

 private:
  std::shared_ptr<DeviceActivity> activity_;  // set while the mastering voice lives
};

}  // namespace

IXAudio2* MakeEngine() { return new (std::nothrow) AlEngine; }

}  // namespace tav::sound::al
