#pragma once
// One command line of a scene script into the scene being filled.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/Config.h"
#include "scenario/SceneData.h"

namespace tav {

// Image entries that "[c]" lines may copy during one load. Copying is the only
// way a short script makes a lot of data (sets made of copies of sets), so this
// bounds the tables; a real scenario stays far below it.
constexpr size_t kDefaultCopyBudget = size_t(1) << 20;

// What a command line reads besides its own text.
struct ParseContext {
  const GameConfig& config;               // message position, size, colour, row length; effect duration
  const std::vector<ImageSet>& imageSets;  // the sets "[c]" copies from
  size_t copyBudget = kDefaultCopyBudget;  // lowered by every copy "[c]" makes
};

// Parses lines[index] (a line that ends in a line feed) into `scene`. A line
// that holds no command is ignored and gives true. A command line that breaks
// the format (no separator after the command, too few or too many arguments,
// a set that does not exist, a budget that would be exceeded, no memory) is
// ignored as a whole: it gives false, leaves `scene` as it was and, when
// `problem` is given, says why there.
// Whether the line names one of the commands, where the parser looks for it
// (it may still break the format after the name).
bool HoldsCommand(std::wstring_view line);

bool ParseCommandLine(size_t index, SceneData& scene, ParseContext& context, const std::vector<std::wstring>& lines,
                      std::wstring* problem = nullptr);

}  // namespace tav
