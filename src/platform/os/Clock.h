#pragma once
// The engine's one clock: unsigned 32-bit milliseconds that wrap about every
// 49.7 days, so every interval is measured as an unsigned difference.
#include "platform/os/WinTypes.h"

namespace tav::os {

// Milliseconds of a monotonic clock (time since boot on Linux); never goes back
// except by wrapping past 0xFFFFFFFF. Reads the installed clock source, if any.
DWORD timeGetTime();

// Suspends the calling thread for about `ms` milliseconds. An installed clock
// source may take the call instead (a fake clock advances).
void Sleep(DWORD ms);

// A replacement for the real clock, for tests and the replay harness.
class ClockSource {
 public:
  virtual ~ClockSource() = default;
  virtual DWORD Now() = 0;
  // True when the source took care of the sleep; false lets the thread really sleep.
  virtual bool Sleep(DWORD ms) = 0;
};

// Makes timeGetTime and Sleep use `source` (null: the real clock). Install and
// remove it while no other thread is reading the clock.
void InstallClock(ClockSource* source);
ClockSource* InstalledClock();

}  // namespace tav::os
