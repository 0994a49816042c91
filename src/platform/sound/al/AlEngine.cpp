#include "platform/sound/al/AlEngine.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <new>

namespace tav::sound::al {
namespace {

class AlMastering final : public MasteringVoice {
 public:
  AlMastering(ALCdevice* device, ALCcontext* context, bool& taken) : device_(device), context_(context), taken_(taken) {}
  void DestroyVoice() override {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
    taken_ = false;
    delete this;
  }

 private:
  ALCdevice* device_;
  ALCcontext* context_;
  bool& taken_;
};

class AlEngine final : public IXAudio2 {
 public:
  HRESULT Initialize(uint32_t, uint32_t) override { return S_OK; }

  HRESULT CreateMasteringVoice(MasteringVoice** voice) override {
    if (!voice) return E_POINTER;
    *voice = nullptr;
    if (mastering_) return XAUDIO2_E_INVALID_CALL;
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return XAUDIO2_E_DEVICE_INVALIDATED;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
      if (context) alcDestroyContext(context);
      alcCloseDevice(device);
      return XAUDIO2_E_DEVICE_INVALIDATED;
    }
    *voice = new (std::nothrow) AlMastering(device, context, mastering_);
    if (!*voice) {
      alcMakeContextCurrent(nullptr);
      alcDestroyContext(context);
      alcCloseDevice(device);
      return E_OUTOFMEMORY;
    }
    mastering_ = true;
    return S_OK;
  }

  HRESULT CreateSourceVoice(SourceVoice** voice, const WAVEFORMATEX* format, uint32_t, float) override {
    if (!voice || !format) return E_POINTER;
    *voice = nullptr;
    if (!mastering_) return XAUDIO2_E_INVALID_CALL;
    HRESULT result = S_OK;
    *voice = MakeSourceVoice(*format, result);
    return result;
  }

  void Release() override { delete this; }

 private:
  bool mastering_ = false;
};

}  // namespace

IXAudio2* MakeEngine() { return new (std::nothrow) AlEngine; }

}  // namespace tav::sound::al
