#include "platform/os/FramePacer.h"

#include <thread>

namespace tav::os {

void CFramePacer::SetRate(unsigned hertz) {
  // Rates beyond 240 Hz are taken as 240: the game's timing gains nothing from more.
  const unsigned rate = hertz == 0 ? 60 : hertz > 240 ? 240 : hertz;
  period_ = std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::seconds(1)) / rate;
}

void CFramePacer::Wait() {
  const auto now = std::chrono::steady_clock::now();
  next_ += period_;
  if (next_ <= now) {
    // Late (or the first call): this frame is the new start of the count.
    next_ = now;
    return;
  }
  std::this_thread::sleep_until(next_);
}

}  // namespace tav::os
