#pragma once
// The generated game's text archive: configuration, scene list, id and the
// scene files, in the demo's layout and with CR LF line ends.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace scalegen {

struct ScenarioPlan {
  int scenes = 0;
  int scenesPerFile = 50;
  int width = 1280;
  int height = 720;
  uint64_t seed = 1;
  // Resource names below the resource folder, with backslashes ("bg\b000.jpg").
  std::string messageWindow;
  std::vector<std::string> backgrounds, sprites, voices, music;
};

// Every fifth scene is narration; the others are spoken, each with a voice
// of its own, taken in order.
inline bool IsSpoken(int scene) { return scene % 5 != 4; }

// Writes config.txt, scene.txt, id.txt and the scene files into `txtDir`.
// Throws std::runtime_error when a file cannot be written.
void WriteScenario(const ScenarioPlan& plan, const std::filesystem::path& txtDir);

// Writes a one-line id file (the three archives' ids must agree).
void WriteIdFile(const std::filesystem::path& file, int id);

}  // namespace scalegen
