#pragma once
// The sound commands as their callers see them. Each command is handed to
// whoever carries commands out (the audio thread while it runs) and waits for
// its result; with nobody to carry them out, as on a machine without a sound
// device, every command returns false (IsStopped true: nothing plays) and the
// game plays on silently.
#include <cstdint>
#include <functional>
#include <string>

namespace tav {

enum class SoundCommand { Create, RemoveAll, Remove, Play, PauseAll, Pause, ResumeAll, SetVolume, IsStopped };

class CXAudio2 {
 public:
  // The single argument record of a command.
  struct ArgList {
    std::wstring name;
    const uint8_t* data = nullptr;  // Ogg Vorbis bytes (Create only); they stay in the resource store
    uint32_t size = 0;
    bool loop = false;    // Create only
    float volume = 1.0f;  // SetVolume only
    bool result = false;  // written by whoever carries the command out
  };
  // One registered sound (audio/SoundInfo.h).
  struct Info;

  static bool Create(const std::wstring& name, const uint8_t* data, uint32_t size, bool loop);
  static bool RemoveAll();
  static bool Remove(const std::wstring& name);
  static bool Play(const std::wstring& name);
  static bool PauseAll();
  static bool Pause(const std::wstring& name);
  static bool ResumeAll();
  static bool SetVolume(const std::wstring& name, float volume);
  static bool IsStopped(const std::wstring& name);
};

using SoundExecutor = std::function<bool(SoundCommand, const CXAudio2::ArgList&)>;
// The audio engine installs itself here; tests install a double. An empty
// executor means no engine runs.
void InstallSoundExecutor(SoundExecutor executor);

// Registers the resource "Res\" + `relative` as the sound `name`; false when
// the resource is missing or Create fails.
bool LoadResourceSound(const std::wstring& relative, const std::wstring& name, bool loop);

}  // namespace tav
