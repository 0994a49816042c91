#pragma once
// The audio thread: it owns the sound engine, its mastering voice and the
// registry of named sounds, and carries out the sound commands one at a time
// for their callers, who wait for each result.
#include <cstdint>
#include <string>
#include <vector>

namespace tav {

// Starts the audio thread and waits until it has its engine; while it runs
// the commands of SoundCommands.h reach it. False (logged) when there is no
// sound device or the thread cannot start: the commands then return false
// and the game plays on without sound. Starting twice keeps the first.
bool StartAudio();
// Stops every sound and ends the audio thread; the commands return false
// afterwards. Nothing when it is not running.
void ShutDownAudio();
bool AudioRunning();

// A registered sound as the replay dump shows it.
struct SoundState {
  std::wstring name;
  bool playing = false;  // its stream runs
  bool paused = false;
  bool loop = false;
  float volume = 1.0f;
  uint64_t submitted = 0;  // sample frames submitted in the current pass
};
// Every registered sound, sorted by name; empty while the audio thread is not running.
std::vector<SoundState> RegisteredSounds();

}  // namespace tav
