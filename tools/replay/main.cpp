// tavri-replay GAME_DIR SCRIPT: runs the game in GAME_DIR headless on a clock
// that starts at 10000 ms and moves 16 ms a frame, with the input, screenshots
// and state dumps of SCRIPT (see Script.h). Exit codes: 0 when the script ends
// or the window is destroyed, 1 when the game does not start or an output file
// cannot be written, 2 for a bad command line or script.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Replay.h"
#include "Script.h"
#include "app/Game.h"
#include "audio/AudioEngine.h"
#include "entry/StartUp.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/ScriptedInput.h"
#include "platform/os/Locale.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBadScript = 2;
constexpr int kFailed = 1;

bool ReadAll(const fs::path& file, std::string& text) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tavri-replay GAME_DIR SCRIPT\n";
    return kBadScript;
  }
  const std::string scriptName = argv[2];
  std::error_code error;
  const fs::path startDir = fs::current_path(error);
  std::string text;
  if (!ReadAll(scriptName, text)) {
    std::cerr << scriptName << ": cannot read: " << std::strerror(errno) << "\n";
    return kBadScript;
  }
  tav::replay::ScriptError problem;
  // Files named in the script are taken from where the harness was started.
  auto commands = tav::replay::ParseScript(text, startDir, problem);
  if (!commands) {
    std::cerr << scriptName << ":" << problem.line << ": " << problem.problem << "\n";
    return kBadScript;
  }
  if (fs::current_path(argv[1], error); error) {
    std::cerr << argv[1] << ": " << error.message() << "\n";
    return kBadScript;
  }

  // Headless unless the environment asks for a video or sound driver.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);

  tav::fake::FakeClock clock(DWORD(tav::replay::kStartTime));
  tav::fake::ScriptedInput input;
  clock.Install();
  input.Install();
  std::wstring failure;
  if (!tav::StartUp(&failure)) {
    tav::ShutDownAudio();
    std::cerr << argv[1] << ": the game did not start: "
              << (failure.empty() ? std::string("another copy runs") : tav::os::WideToMultiByte(failure)) << "\n";
    return kFailed;
  }
  const tav::replay::RunResult result = tav::replay::RunScript(tav::GetGame(), clock, input, *commands);
  tav::ShutDownAudio();
  if (result.end == tav::replay::RunEnd::OutputFailed) {
    std::cerr << scriptName << ":" << result.problem << "\n";
    return kFailed;
  }
  return 0;
}
