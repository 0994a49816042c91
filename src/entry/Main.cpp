// Tavri: plays the game whose archives lie in the working directory.
#include "app/Game.h"
#include "app/GameWindow.h"
#include "entry/StartUp.h"

int main() {
  if (!tav::StartUp()) return 0;
  // WM_QUIT's code: 0, as on every other way out.
  return tav::RunMessageLoop(tav::GetGame());
}
