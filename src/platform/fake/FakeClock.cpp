#include "platform/fake/FakeClock.h"

namespace tav::fake {

FakeClock::~FakeClock() { Uninstall(); }

void FakeClock::Install() {
  owner_ = std::this_thread::get_id();
  os::InstallClock(this);
}

void FakeClock::Uninstall() {
  if (os::InstalledClock() == this) os::InstallClock(nullptr);
}

bool FakeClock::Sleep(DWORD ms) {
  if (std::this_thread::get_id() != owner_) return false;
  Advance(ms);
  return true;
}

}  // namespace tav::fake
