#pragma once
// The built tavri-replay run as a child process, and what tests read back
// from its outputs.
#include <filesystem>
#include <string>

#include "platform/os/IcoFile.h"

namespace tavtest {

struct Outcome {
  int code = -1;  // -1: killed or did not end in time
  std::string errors;
};

// Runs the harness from `workDir` (where its shots and dumps land) on `game`.
Outcome Replay(const std::filesystem::path& game, const std::string& script, const std::filesystem::path& workDir);

bool Has(const std::string& text, const std::string& part);

// A PNG shot as RGBA rows.
tav::os::IcoImage ReadPng(const std::filesystem::path& file);

}  // namespace tavtest
