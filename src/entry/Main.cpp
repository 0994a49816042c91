// Tavri: plays the game whose archives lie in the working directory.
#include "app/Game.h"
#include "app/GameWindow.h"
#include "audio/AudioEngine.h"
#include "entry/StartUp.h"
#include "platform/os/Signals.h"

int main() {
  // A logout or Ctrl+C lets the game keep the player's settings before it ends.
  tav::os::WatchTerminationSignals();
  // WM_QUIT's code: 0, as on every other way out.
  const int code = tav::StartUp() ? tav::RunMessageLoop(tav::GetGame()) : 0;
  // Every sound stops and the audio thread ends before the process does.
  tav::ShutDownAudio();
  return code;
}
