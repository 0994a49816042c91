#include "platform/os/Signals.h"

#include <csignal>

namespace tav::os {
namespace {

volatile std::sig_atomic_t requested = 0;
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnSignal(int number) {
  if (requested) {
    // Asked twice: the player or the session will not wait any longer.
    std::signal(number, SIG_DFL);
    std::raise(number);
    return;
  }
  requested = 1;
}

}  // namespace

void WatchTerminationSignals() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kSignals) sigaction(number, &action, nullptr);
}

bool TerminationRequested() { return requested != 0; }

void ClearTerminationRequest() { requested = 0; }

}  // namespace tav::os
