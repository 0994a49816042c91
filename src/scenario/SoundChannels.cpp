#include "scenario/SoundChannels.h"

#include "audio/SoundCommands.h"

namespace tav {

void CSoundChannels::EnterScene(const SceneData& scene, bool windowActive) {
  bool named[kChannelCount] = {false, false, false};
  for (const SoundEntry& sound : scene.sounds)
    if (sound.type >= 0 && size_t(sound.type) < kChannelCount) named[sound.type] = true;
  if (!scene.headerFlagB) {
    for (size_t c = 0; c < kChannelCount; ++c) {
      if (named[c] || !channels_[c].loop || channels_[c].name.empty()) continue;
      CXAudio2::Remove(channels_[c].name);
      channels_[c].name.clear();
    }
  }
  for (const SoundEntry& sound : scene.sounds) {
    if (sound.type < 0 || size_t(sound.type) >= kChannelCount) continue;
    SoundChannel& channel = channels_[size_t(sound.type)];
    channel.loop = sound.loop != 0;
    if (!channel.name.empty() && channel.name != sound.name) CXAudio2::Remove(channel.name);
    channel.name = sound.name;
    LoadResourceSound(sound.name, sound.name, sound.loop != 0);
    CXAudio2::SetVolume(sound.name, channel.volume);
    CXAudio2::Play(sound.name);
    if (!windowActive) CXAudio2::Pause(sound.name);
  }
}

void CSoundChannels::PlayMusic(const std::wstring& name) {
  CXAudio2::Remove(name);
  LoadResourceSound(name, name, true);
  CXAudio2::Play(name);
  channels_[kSoundMusic].name = name;
}

void CSoundChannels::Replay(size_t index) {
  if (index < kChannelCount && !channels_[index].name.empty()) CXAudio2::Play(channels_[index].name);
}

bool CSoundChannels::VoiceDone() const {
  return channels_[kSoundVoice].name.empty() || CXAudio2::IsStopped(channels_[kSoundVoice].name);
}

void CSoundChannels::StopAll() {
  CXAudio2::RemoveAll();
  for (SoundChannel& channel : channels_) channel.name.clear();
}

}  // namespace tav
