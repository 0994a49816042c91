#include "platform/os/Clock.h"

#include <time.h>

#include <atomic>
#include <cerrno>

namespace tav::os {

namespace {
std::atomic<ClockSource*> installedClock{nullptr};
}

void InstallClock(ClockSource* source) { installedClock.store(source); }
ClockSource* InstalledClock() { return installedClock.load(); }

DWORD timeGetTime() {
  if (ClockSource* source = installedClock.load()) return source->Now();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Truncation to 32 bits is the wrap the engine expects.
  uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
  return DWORD(ms);
}

void Sleep(DWORD ms) {
  if (ClockSource* source = installedClock.load(); source && source->Sleep(ms)) return;
  timespec left{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  // Signals cut nanosleep short; the rest of the interval is slept anyway.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace tav::os
