#pragma once
// A clock that moves only when told: timeGetTime reads it while it is
// installed. Sleep on the thread that installed it advances it by the time
// asked (so a loop that waits for the clock runs at once and the same way every
// time); other threads still really sleep and never move it.
#include <atomic>
#include <thread>

#include "platform/os/Clock.h"

namespace tav::fake {

class FakeClock : public os::ClockSource {
 public:
  explicit FakeClock(DWORD start = 0) : now_(start) {}
  ~FakeClock() override;
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  void Install();
  // Puts the real clock back if this one is installed.
  void Uninstall();

  void Set(DWORD ms) { now_.store(ms); }
  // Wraps past 0xFFFFFFFF as the real clock does.
  void Advance(DWORD ms) { now_.fetch_add(ms); }

  DWORD Now() override { return now_.load(); }
  bool Sleep(DWORD ms) override;

 private:
  std::atomic<DWORD> now_;
  std::thread::id owner_;
};

}  // namespace tav::fake
