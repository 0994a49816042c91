#pragma once
// The sound engine as the system calls it: an engine, one mastering voice
// (the output device) and source voices that play queued 16-bit PCM buffers.
// The production backend is OpenAL Soft (sound/al); tests install a double.
// Calls on one voice must not run at the same time (the audio code holds the
// sound's lock around them); different voices may be used from different threads.
#include <cstdint>

#include "platform/os/ResultCodes.h"

namespace tav::sound {

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr uint32_t XAUDIO2_END_OF_STREAM = 0x40;
inline constexpr uint32_t XAUDIO2_DEFAULT_PROCESSOR = 1;

// WAVEFORMATEX for PCM.
struct WAVEFORMATEX {
  uint16_t wFormatTag = WAVE_FORMAT_PCM;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;
};

// One buffer handed to a voice. The bytes are copied at submission.
struct XAUDIO2_BUFFER {
  uint32_t Flags = 0;  // XAUDIO2_END_OF_STREAM on the last buffer of a stream
  uint32_t AudioBytes = 0;
  const uint8_t* pAudioData = nullptr;
};

struct XAUDIO2_VOICE_STATE {
  uint32_t BuffersQueued = 0;  // submitted and not yet played to their end
  uint64_t SamplesPlayed = 0;  // sample frames played since the voice was made
};

// Once the output device is gone (unplugged, or its sound server stopped),
// every call of a voice that would play returns XAUDIO2_E_DEVICE_INVALIDATED,
// GetState reports nothing queued, and no new voice can be made.
class SourceVoice {
 public:
  // Plays the queue from where it stopped. A started voice whose queue ran
  // dry plays again as soon as a buffer arrives.
  virtual HRESULT Start(uint32_t flags = 0, uint32_t operationSet = 0) = 0;
  // Stops where it is; the queue and the position stay.
  virtual HRESULT Stop(uint32_t flags = 0, uint32_t operationSet = 0) = 0;
  virtual HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer) = 0;
  virtual void GetState(XAUDIO2_VOICE_STATE* state) = 0;
  // The stream has no more data for now: a hint, nothing is lost.
  virtual HRESULT Discontinuity() = 0;
  // Linear: 1 plays the samples as they are.
  virtual HRESULT SetVolume(float volume, uint32_t operationSet = 0) = 0;
  // Stops the voice and frees it; the pointer is invalid afterwards.
  virtual void DestroyVoice() = 0;

 protected:
  virtual ~SourceVoice() = default;
};

class MasteringVoice {
 public:
  virtual void DestroyVoice() = 0;

 protected:
  virtual ~MasteringVoice() = default;
};

class IXAudio2 {
 public:
  virtual HRESULT Initialize(uint32_t flags = 0, uint32_t processor = XAUDIO2_DEFAULT_PROCESSOR) = 0;
  // Opens the output device; XAUDIO2_E_DEVICE_INVALIDATED when there is none.
  // One mastering voice per engine.
  virtual HRESULT CreateMasteringVoice(MasteringVoice** voice) = 0;
  // A voice for 16-bit PCM of 1 or 2 channels; needs the mastering voice.
  virtual HRESULT CreateSourceVoice(SourceVoice** voice, const WAVEFORMATEX* format, uint32_t flags = 0,
                                    float maxFrequencyRatio = 2.0f) = 0;
  // Frees the engine; its mastering voice must have been destroyed.
  virtual void Release() = 0;

 protected:
  virtual ~IXAudio2() = default;
};

// A new engine of the installed backend (OpenAL Soft unless a double is installed).
HRESULT XAudio2Create(IXAudio2** engine);

// Tests install a double's engine maker; null puts OpenAL Soft back.
using EngineMaker = IXAudio2* (*)();
void InstallEngineMaker(EngineMaker maker);

// For tests: from now on the output device of every engine behaves as one
// that was unplugged; false gives engines made afterwards a device again.
void SimulateDeviceLoss(bool lost);
bool DeviceLossSimulated();

}  // namespace tav::sound
