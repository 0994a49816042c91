// Every test runs in the user's locale (UTF-8 at least) with the per-user folder
// in a temporary folder, so tests never touch the real one.
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/os/Locale.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
  tav::os::SetUserLocale();
  tavtest::TempDir dataHome, runtimeDir;
  setenv("XDG_DATA_HOME", dataHome.Path().c_str(), 1);
  // Single-instance locks live here: tests running side by side must not see
  // each other's games.
  setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
  // Graphics tests run without a display unless one is asked for, and sound
  // goes nowhere.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
