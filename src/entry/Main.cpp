// Tavri: plays the game whose archives lie in the working directory.
#include <cstdio>
#include <string>

#include "app/Game.h"
#include "app/GameWindow.h"
#include "audio/AudioEngine.h"
#include "entry/StartUp.h"
#include "platform/os/Locale.h"
#include "platform/os/Signals.h"

int main() {
  // A logout or Ctrl+C lets the game keep the player's settings before it ends.
  tav::os::WatchTerminationSignals();
  std::wstring failure;
  int code = 0;
  if (tav::StartUp(&failure)) {
    // WM_QUIT's code: 0 when the player quits.
    code = tav::RunMessageLoop(tav::GetGame());
  } else if (!failure.empty()) {
    // The game did not start: say why where the player looks, as the log does.
    std::fprintf(stderr, "%s\n", tav::os::WideToMultiByte(failure).c_str());
    code = 1;
  }
  // Every sound stops and the audio thread ends before the process does.
  tav::ShutDownAudio();
  return code;
}
