#pragma once
// Runs the started engine frame by frame on the harness clock, feeding the
// script's input and writing its shots and dumps.
#include <cstdint>
#include <string>
#include <vector>

#include "Script.h"

namespace tav {
class CGame;
}
namespace tav::fake {
class FakeClock;
class ScriptedInput;
}  // namespace tav::fake

namespace tav::replay {

// The clock when the run starts, and how far it moves each frame.
inline constexpr uint64_t kStartTime = 10000;
inline constexpr uint64_t kFrameTime = 16;

enum class RunEnd { ScriptDone, WindowDestroyed, OutputFailed };

struct RunResult {
  RunEnd end = RunEnd::ScriptDone;
  uint64_t frames = 0;
  std::string problem;  // OutputFailed: "LINE: FILE: problem" (or "LINE: lose: problem")
};

// Frame n runs with the clock at kStartTime + n * kFrameTime. Before it, the
// input commands due by then are given to `input` and the messages are pumped
// as the game's loop does; after it, the shots and dumps due by then are
// written and a "lose" marks the device lost. The run ends after the frame
// of the last command or of an "end", when the window is destroyed, or when
// one of those after-frame commands fails (OutputFailed).
RunResult RunScript(CGame& game, fake::FakeClock& clock, fake::ScriptedInput& input,
                    const std::vector<Command>& commands);

}  // namespace tav::replay
