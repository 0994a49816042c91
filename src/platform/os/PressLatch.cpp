#include "platform/os/PressLatch.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace tav::os::detail {

namespace {

struct Latches {
  std::mutex mutex;
  // Per virtual key: the pump round in which the press was noted, 0 for none.
  std::array<uint64_t, 256> notedIn{};
  uint64_t round = 1;      // the pump round now under way
  uint64_t readRound = 0;  // the last round in which the key state was read
};

Latches& TheLatches() {
  static Latches* latches = new Latches;
  return *latches;
}

}  // namespace

void NotePress(int vk) {
  if (vk <= 0 || vk >= 256) return;
  Latches& l = TheLatches();
  std::lock_guard lock(l.mutex);
  l.notedIn[size_t(vk)] = l.round;
}

void ForgetReadPresses() {
  Latches& l = TheLatches();
  std::lock_guard lock(l.mutex);
  // A press lives until the end of the first round in which the key state was
  // read after it; rounds in which nobody read keys (more messages waiting)
  // do not count.
  if (l.readRound < l.round) return;
  for (uint64_t& noted : l.notedIn)
    if (noted != 0 && noted <= l.readRound) noted = 0;
  ++l.round;
}

bool PressNoted(int vk) {
  Latches& l = TheLatches();
  std::lock_guard lock(l.mutex);
  l.readRound = l.round;
  return vk > 0 && vk < 256 && l.notedIn[size_t(vk)] != 0;
}

}  // namespace tav::os::detail
