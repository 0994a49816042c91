// Every test runs in the user's locale (UTF-8 at least) with the per-user folder
// in a temporary folder, so tests never touch the real one.
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/os/Locale.h"
#include "support/TempDir.h"

// The sanitizer's tracking of dynamic thread-local storage (its __tls_get_addr
// hook) records ranges that are not valid with this glibc, and the leak check
// at exit then crashes on them ("Tracer caught signal 11"), depending on how
// the heap happens to be laid out. Without the hook the check still scans every
// thread's stack and static TLS. Read by the sanitizer before main; the
// programs the tests start get the same through the environment.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

int main(int argc, char** argv) {
  setenv("ASAN_OPTIONS", "intercept_tls_get_addr=0", 0);
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
  // Mesa's on-disk shader cache stays out of test runs. The tests must not
  // write into the user's cache; and on the first run against an empty cache
  // the driver's cache code leaves a dynamic TLS block that the leak checker
  // at exit reads after it is gone ("Tracer caught signal 11").
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
