#pragma once
// A manual-reset event: Set wakes every waiter and stays set until Reset.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tav::os {

class Event {
 public:
  explicit Event(bool initiallySet = false) : set_(initiallySet) {}

  void Set() {
    {
      std::lock_guard hold(lock_);
      set_ = true;
    }
    wake_.notify_all();
  }
  void Reset() {
    std::lock_guard hold(lock_);
    set_ = false;
  }
  bool IsSet() const {
    std::lock_guard hold(lock_);
    return set_;
  }
  void Wait() {
    std::unique_lock hold(lock_);
    wake_.wait(hold, [this] { return set_; });
  }
  // Waits until set, or `ms` milliseconds at most; true when set.
  bool WaitFor(unsigned ms) {
    std::unique_lock hold(lock_);
    return wake_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return set_; });
  }

 private:
  mutable std::mutex lock_;
  std::condition_variable wake_;
  bool set_;
};

}  // namespace tav::os
