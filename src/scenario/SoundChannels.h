#pragma once
// The scene's three sound channels (music, sound effect, voice): the name of
// what plays on each, whether it loops, its volume, and the sound commands
// that go with entering a scene, music by name, replaying and stopping.
#include <array>
#include <cstddef>
#include <string>

#include "scenario/SceneData.h"

namespace tav {

// A sound channel: the name of what plays on it, whether that loops, its volume.
struct SoundChannel {
  std::wstring name;
  bool loop = false;
  float volume = 1.0f;
};

// One channel per sound type, indexed by it (kSoundMusic, kSoundEffect, kSoundVoice).
inline constexpr size_t kChannelCount = 3;

class CSoundChannels {
 public:
  SoundChannel& operator[](size_t index) { return channels_[index]; }
  const SoundChannel& operator[](size_t index) const { return channels_[index]; }
  auto begin() { return channels_.begin(); }
  auto end() { return channels_.end(); }

  // The sounds of a scene being entered. Unless the scene keeps other sounds
  // (`headerFlagB`), a looping channel the scene does not name stops. Each
  // entry replaces what its channel played (the same name goes on), is
  // registered, given the channel's volume and started; paused at once while
  // the window is not active.
  void EnterScene(const SceneData& scene, bool windowActive);
  // Music by name, registered afresh and looping; what the music channel
  // played before is not stopped.
  void PlayMusic(const std::wstring& name);
  // The channel's sound from its start again, when it has one.
  void Replay(size_t index);
  // Whether the voice has finished (or there is none).
  bool VoiceDone() const;
  // Every sound stops and every channel forgets its name.
  void StopAll();

 private:
  std::array<SoundChannel, kChannelCount> channels_;
};

}  // namespace tav
