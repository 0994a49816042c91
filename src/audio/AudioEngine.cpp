#include "audio/AudioEngine.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "audio/OggStream.h"
#include "audio/SoundCommands.h"
#include "audio/SoundInfo.h"
#include "core/ErrorLog.h"
#include "platform/os/Event.h"
#include "platform/sound/XAudio2.h"

namespace tav {
namespace {

class AudioThread {
 public:
  // Runs the thread until its engine is up (true) or has failed (false).
  bool Start() {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
      LogException(e.what());
      return false;
    }
    ready_.Wait();
    if (!up_) thread_.join();
    return up_;
  }

  // The caller's side of a command: hand it over and wait for its result.
  bool Request(SoundCommand command, const CXAudio2::ArgList& args) {
    std::lock_guard caller(callers_);
    {
      std::lock_guard hold(lock_);
      args_ = args;
      args_.result = false;
      command_ = command;
      hasCommand_ = true;
    }
    request_.Set();
    std::this_thread::yield();
    done_.Wait();
    bool result;
    {
      std::lock_guard hold(lock_);
      result = args_.result;
    }
    done_.Reset();
    return result;
  }

  void Quit() {
    {
      std::lock_guard hold(lock_);
      quit_ = true;
    }
    request_.Set();
    thread_.join();
  }

  std::vector<SoundState> Sounds() {
    std::lock_guard hold(lock_);
    std::vector<SoundState> states;
    for (auto& [name, info] : registry_) {
      std::lock_guard sound(info->lock);
      states.push_back({name, info->streaming, info->streaming && !info->runEvent.IsSet(), info->loop, info->volume,
                        info->submitted});
    }
    std::sort(states.begin(), states.end(), [](const SoundState& a, const SoundState& b) { return a.name < b.name; });
    return states;
  }

 private:
  using Registry = std::unordered_map<std::wstring, std::shared_ptr<CXAudio2::Info>>;

  void Run() {
    try {
      HRESULT hr = sound::XAudio2Create(&engine_);
      if (SUCCEEDED(hr)) {
        hr = engine_->Initialize(0, sound::XAUDIO2_DEFAULT_PROCESSOR);
        if (FAILED(hr)) {
          engine_->Release();
          engine_ = nullptr;
        }
      }
      if (FAILED(hr)) {
        LogHResult(hr, L"Failed to init XAudio2 engine");
      } else if (FAILED(hr = engine_->CreateMasteringVoice(&mastering_))) {
        LogHResult(hr, L"Failed creating mastering voice");
      } else {
        up_ = true;
      }
    } catch (const std::exception& e) {
      LogException(e.what());
    }
    if (up_) {
      ready_.Set();
      Serve();
    }
    if (mastering_) mastering_->DestroyVoice();
    if (engine_) engine_->Release();
    mastering_ = nullptr;
    engine_ = nullptr;
    ready_.Set();  // a failed start: the starter reads up_ false
  }

  void Serve() {
    for (;;) {
      request_.Wait();
      std::unique_lock hold(lock_);
      if (quit_) {
        for (auto& [name, info] : registry_) StopSound(*info);
        registry_.clear();
        return;
      }
      if (hasCommand_) {
        try {
          args_.result = Carry(command_, args_);
        } catch (const std::exception& e) {
          LogException(e.what());
          args_.result = false;
        }
        hasCommand_ = false;
        done_.Set();
        request_.Reset();
      }
      hold.unlock();
      std::this_thread::yield();
    }
  }

  CXAudio2::Info* Find(const std::wstring& name) {
    auto it = registry_.find(name);
    return it == registry_.end() ? nullptr : it->second.get();
  }

  bool Carry(SoundCommand command, const CXAudio2::ArgList& args) {
    switch (command) {
      case SoundCommand::Create: {
        if (registry_.count(args.name)) return false;
        auto info = std::make_shared<CXAudio2::Info>();
        info->loop = args.loop;
        info->data = args.data;
        info->size = args.size;
        registry_.emplace(args.name, std::move(info));
        return true;
      }
      case SoundCommand::RemoveAll: {
        bool all = true;
        for (auto& [name, info] : registry_) all &= StopSound(*info);
        if (all) registry_.clear();
        return all;
      }
      case SoundCommand::Remove: {
        auto it = registry_.find(args.name);
        if (it == registry_.end()) return false;
        StopSound(*it->second);
        registry_.erase(it);
        return true;
      }
      case SoundCommand::Play: {
        auto it = registry_.find(args.name);
        return it != registry_.end() && Play(it->second);
      }
      case SoundCommand::PauseAll:
        for (auto& [name, info] : registry_)
          if (!PauseSound(*info)) return false;
        return true;
      case SoundCommand::Pause: {
        CXAudio2::Info* info = Find(args.name);
        return info && PauseSound(*info);
      }
      case SoundCommand::ResumeAll:
        for (auto& [name, info] : registry_)
          if (!ResumeSound(*info)) return false;
        return true;
      case SoundCommand::SetVolume: {
        CXAudio2::Info* info = Find(args.name);
        if (!info) return false;
        std::lock_guard hold(info->lock);
        info->volume = args.volume;
        if (!info->voice) return true;
        const HRESULT hr = info->voice->SetVolume(args.volume, 0);
        if (FAILED(hr)) deviceLoss_.LogFailure(hr, L"SetVolume");
        return SUCCEEDED(hr);
      }
      case SoundCommand::IsStopped: {
        CXAudio2::Info* info = Find(args.name);
        if (!info) return true;
        std::lock_guard hold(info->lock);
        return !info->streaming;
      }
    }
    return false;
  }

  bool Play(const std::shared_ptr<CXAudio2::Info>& info) {
    // After the device went away nothing plays any more; the game goes on
    // silently, as on a machine without sound.
    if (deviceLoss_.Lost()) return false;
    {
      std::lock_guard hold(info->lock);
      // The stream runs (a looping sound between two passes has no voice for
      // a moment, and still runs): nothing to start.
      if (info->streaming) return true;
    }
    if (info->thread.joinable()) info->thread.join();  // the last pass has ended
    {
      std::lock_guard hold(info->lock);
      info->streaming = true;
    }
    try {
      info->thread = std::thread(StreamSound, engine_, info, &deviceLoss_);
    } catch (const std::system_error& e) {
      LogException(e.what());
      std::lock_guard hold(info->lock);
      info->streaming = false;
      return false;
    }
    return true;
  }

  // Ends the sound's stream and waits for its thread. A paused stream is
  // woken first so that it sees the request.
  static bool StopSound(CXAudio2::Info& info) {
    bool running;
    {
      std::lock_guard hold(info.lock);
      running = info.streaming;
    }
    if (running) {
      info.runEvent.Set();
      {
        std::lock_guard hold(info.lock);
        info.stopRequested = true;
      }
      info.stopEvent.Set();
    }
    if (info.thread.joinable()) info.thread.join();
    std::lock_guard hold(info.lock);
    info.stopRequested = false;
    info.stopEvent.Reset();
    return true;
  }

  bool PauseSound(CXAudio2::Info& info) { return SetRunning(info, false); }
  bool ResumeSound(CXAudio2::Info& info) { return SetRunning(info, true); }

  // Starts or stops the voice where it is (the call's name goes to the log
  // when it fails), and lets the stream feed it or holds the stream.
  bool SetRunning(CXAudio2::Info& info, bool run) {
    std::lock_guard hold(info.lock);
    if (info.voice) {
      const HRESULT hr = run ? info.voice->Start(0, 0) : info.voice->Stop(0, 0);
      if (FAILED(hr)) {
        deviceLoss_.LogFailure(hr, run ? L"Start" : L"Stop");
        return false;
      }
    }
    if (run)
      info.runEvent.Set();
    else if (info.streaming)  // between two passes there is no voice: the next pass waits as well
      info.runEvent.Reset();
    return true;
  }

  std::thread thread_;
  os::Event ready_;
  bool up_ = false;
  sound::IXAudio2* engine_ = nullptr;
  sound::MasteringVoice* mastering_ = nullptr;
  CDeviceLoss deviceLoss_;  // read by the streams, which end before this object

  std::mutex callers_;  // one command at a time
  std::mutex lock_;     // the engine lock: the command slot and the registry
  os::Event request_, done_;
  CXAudio2::ArgList args_;
  SoundCommand command_ = SoundCommand::IsStopped;
  bool hasCommand_ = false;
  bool quit_ = false;
  Registry registry_;
};

// Neither is ever destroyed: the exit handler may still need them after
// other static objects are gone.
std::mutex& StartLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
AudioThread* running = nullptr;

}  // namespace

bool StartAudio() {
  std::lock_guard hold(StartLock());
  if (running) return true;
  auto audio = std::make_unique<AudioThread>();
  if (!audio->Start()) return false;
  running = audio.release();
  AudioThread* thread = running;
  InstallSoundExecutor([thread](SoundCommand command, const CXAudio2::ArgList& args) { return thread->Request(command, args); });
  // However the process ends, the sounds stop and the thread is joined
  // before the sound device is closed.
  static const bool handlerRegistered = std::atexit(ShutDownAudio) == 0;
  (void)handlerRegistered;
  return true;
}

void ShutDownAudio() {
  std::lock_guard hold(StartLock());
  if (!running) return;
  InstallSoundExecutor(nullptr);
  running->Quit();
  delete running;
  running = nullptr;
}

bool AudioRunning() {
  std::lock_guard hold(StartLock());
  return running != nullptr;
}

std::vector<SoundState> RegisteredSounds() {
  std::lock_guard hold(StartLock());
  return running ? running->Sounds() : std::vector<SoundState>{};
}

}  // namespace tav
