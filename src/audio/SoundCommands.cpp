#include "audio/SoundCommands.h"

#include <mutex>


namespace tav {
namespace {

std::mutex executorLock;
SoundExecutor executor;

bool Send(SoundCommand command, CXAudio2::ArgList args) {
  SoundExecutor run;
  {
    std::lock_guard<std::mutex> hold(executorLock);
    run = executor;
  }
  return run ? run(command, args) : false;
}

}  // namespace

void InstallSoundExecutor(SoundExecutor replacement) {
  std::lock_guard<std::mutex> hold(executorLock);
  executor = std::move(replacement);
}

bool CXAudio2::Create(const std::wstring& name, const uint8_t* data, uint32_t size, bool loop) {
  return Send(SoundCommand::Create, {name, data, size, loop, 1.0f});
}
bool CXAudio2::RemoveAll() { return Send(SoundCommand::RemoveAll, {}); }
bool CXAudio2::Remove(const std::wstring& name) { return Send(SoundCommand::Remove, {name}); }
bool CXAudio2::Play(const std::wstring& name) { return Send(SoundCommand::Play, {name}); }
bool CXAudio2::PauseAll() { return Send(SoundCommand::PauseAll, {}); }
bool CXAudio2::Pause(const std::wstring& name) { return Send(SoundCommand::Pause, {name}); }
bool CXAudio2::ResumeAll() { return Send(SoundCommand::ResumeAll, {}); }
bool CXAudio2::SetVolume(const std::wstring& name, float volume) {
  CXAudio2::ArgList args{name};
  args.volume = volume;
  return Send(SoundCommand::SetVolume, args);
}
// Without an engine nothing plays: a sound that cannot play has finished, so
// auto mode does not wait for a voice forever on a machine without sound.
bool CXAudio2::IsStopped(const std::wstring& name) {
  {
    std::lock_guard<std::mutex> hold(executorLock);
    if (!executor) return true;
  }
  return Send(SoundCommand::IsStopped, {name});
}

}  // namespace tav
