#pragma once
// Four floats carried linearly from a start to an end vector over a duration in
// milliseconds. The clock starts at the first evaluation, not at Start.
#include <array>
#include <cstdint>

namespace tav {

struct Tween {
  uint32_t duration = 0;   // 0: jump to the end at once
  uint32_t startTime = 0;  // clock at the first evaluation; 0 = not started
  bool running = false;
  std::array<float, 4> from{};
  std::array<float, 4> to{};

  void Reset() { *this = Tween{}; }
  void Start(uint32_t durationMs, float from0, float to0);
  // Writes the current vector; true once the end has been reached.
  bool Evaluate(float out[4]);
};

}  // namespace tav
