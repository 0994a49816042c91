#pragma once
// The replay script: one command per line, each starting with the clock time
// (ms) at which it acts; '#' starts a comment.
//   T move X Y      cursor to client coordinates
//   T down KEY      key or mouse button down (KEY: see KeyCode)
//   T up KEY
//   T click X Y     move, left button down at T and up at T + 150
//   T wheel N       wheel rotation, 120 a notch (positive away from the user)
//   T activate | T deactivate | T close
//   T shot FILE.png     the back buffer after the frame at T
//   T dump FILE.json    the engine state after the frame at T
//   T lose          the device is lost after the frame at T; the next frame
//                   resets it as it would after a real loss
//   T end
// Times never go back from one line to the next.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav::replay {

enum class Action { Move, Down, Up, Wheel, Activate, Deactivate, Close, Shot, Dump, LoseDevice, End };

struct Command {
  uint64_t time = 0;  // ms on the harness clock
  Action action = Action::End;
  int x = 0, y = 0;   // Move: the cursor; Down / Up: x is the virtual key; Wheel: x is the rotation
  std::filesystem::path file;  // Shot, Dump
  int line = 0;                // where it was written, for messages
};

// The press that a click adds after its "down" and the time the button stays down.
inline constexpr uint64_t kClickHold = 150;

// The virtual key of a script key name, or nothing for an unknown name.
std::optional<int> KeyCode(std::string_view name);

struct ScriptError {
  int line = 0;
  std::string problem;
};

// Parses `text`. Relative output files are taken against `baseDir`. The
// commands come out ordered by time, a click split into its move, down and up;
// commands of the same time keep the order they were written in. On the first
// bad line nothing is returned and `error` tells which and why.
std::optional<std::vector<Command>> ParseScript(std::string_view text, const std::filesystem::path& baseDir,
                                                ScriptError& error);

}  // namespace tav::replay
