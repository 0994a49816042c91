#pragma once
// The OpenAL Soft backend: the device and context are the mastering voice, a
// source with its own buffers is a source voice.
#include <memory>

#include "platform/sound/XAudio2.h"
#include "platform/sound/al/AlActivity.h"

namespace tav::sound::al {

IXAudio2* MakeEngine();
// A source voice on the current context, telling `activity` when it holds
// audio to play; null (with `result` set) when none can be made.
SourceVoice* MakeSourceVoice(const WAVEFORMATEX& format, std::shared_ptr<DeviceActivity> activity, HRESULT& result);

}  // namespace tav::sound::al
