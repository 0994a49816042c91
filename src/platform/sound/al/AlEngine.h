#pragma once
// The OpenAL Soft backend: the device and context are the mastering voice, a
// source with its own buffers is a source voice.
#include "platform/sound/XAudio2.h"

namespace tav::sound::al {

IXAudio2* MakeEngine();
// A source voice on the current context; null (with `result` set) when none can be made.
SourceVoice* MakeSourceVoice(const WAVEFORMATEX& format, HRESULT& result);

}  // namespace tav::sound::al
