#include "core/Tween.h"

#include "platform/os/Clock.h"

namespace tav {

void Tween::Start(uint32_t durationMs, float from0, float to0) {
  from = {from0, 0, 0, 0};
  to = {to0, 0, 0, 0};
  duration = durationMs;
  startTime = 0;
  running = true;
}

bool Tween::Evaluate(float out[4]) {
  if (running && duration != 0) {
    uint32_t now = os::timeGetTime();
    if (startTime == 0) startTime = now;
    // Unsigned difference: the millisecond clock wraps every 49.7 days.
    double f = double(uint32_t(now - startTime)) / double(duration);
    float e = f > 1.0 ? 1.0f : float(f);
    for (int i = 0; i < 4; ++i) out[i] = from[i] + e * (to[i] - from[i]);
    if (e >= 1.0f) {
      running = false;
      return true;
    }
    return false;
  }
  running = false;
  for (int i = 0; i < 4; ++i) out[i] = from[i] + (to[i] - from[i]);
  return true;
}

}  // namespace tav
