#pragma once
// A button acts 100 ms after it is pressed, so that its pressed picture is
// seen first. One press is held at a time; presses while one is held are not
// taken.
#include <cstdint>

namespace tav {

class CDelayedPress {
 public:
  static constexpr uint32_t kDelay = 100;  // ms

  // Holds a press of button `which` (any number but -1) made at `now`;
  // nothing while another press is held.
  void Press(int32_t which, uint32_t now) {
    if (which_ != -1 || which == -1) return;
    which_ = which;
    time_ = now;
  }
  // The button whose press is held, -1 when none is.
  int32_t Held() const { return which_; }
  // The button whose press is due at `now`, which is then let go; -1 while
  // none is due.
  int32_t Due(uint32_t now) {
    if (which_ == -1 || now - time_ < kDelay) return -1;
    const int32_t which = which_;
    which_ = -1;
    return which;
  }
  void Reset() { which_ = -1; }

 private:
  int32_t which_ = -1;
  uint32_t time_ = 0;
};

}  // namespace tav
