// The sound tests that listen to the real output: OpenAL Soft's wave driver
// writes what it plays into a file, 16-bit stereo at 44.1 kHz. The driver is
// chosen when OpenAL first starts, so these tests run in a program of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "WaveFile.h"
#include "platform/os/Locale.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
  tav::os::SetUserLocale();
  tavtest::TempDir folder;
  setenv("XDG_DATA_HOME", folder.Path().c_str(), 1);
  const std::filesystem::path config = folder.Path() / "alsoft.conf";
  wavetest::OutputPath() = folder.Path() / "out.wav";
  std::ofstream(config) << "[general]\nchannels=stereo\nsample-type=int16\nfrequency=44100\n"
                        << "[wave]\nfile=" << wavetest::OutputPath().string() << "\n";
  setenv("ALSOFT_CONF", config.c_str(), 1);
  setenv("ALSOFT_DRIVERS", "wave", 1);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
