#pragma once
// Paces a loop to the display: Wait returns at the next refresh tick,
// sleeping until then, so that a loop that has nothing to draw sleeps instead
// of spinning. A frame that took longer than a tick starts the count afresh
// rather than hurrying the next ones. Real time, not the game's clock: the
// display does not wait for a clock that a test holds still.
#include <chrono>

namespace tav::os {

class CFramePacer {
 public:
  // `hertz` of 0 (unknown) paces at 60.
  explicit CFramePacer(unsigned hertz = 60) { SetRate(hertz); }
  void SetRate(unsigned hertz);
  void Wait();

 private:
  std::chrono::steady_clock::duration period_{};
  std::chrono::steady_clock::time_point next_{};
};

}  // namespace tav::os
