#pragma once
// Reads the whole scenario once, while the title scene is set up: the scene
// list "Txt\scene.txt" and every scene file it names.
#include <cstddef>
#include <string>
#include <vector>

#include "app/Config.h"
#include "core/Diagnostic.h"
#include "platform/os/WinTypes.h"
#include "scenario/CommandLine.h"
#include "scenario/SceneData.h"

namespace tav {

class ArchiveStore;

// Where one scene of the table came from: its file, the line of its "{" and
// the line of each of its message rows, image entries, draw entries and sound
// entries (the "[c]" line for copied entries), in the order of the lists.
struct SceneSource {
  std::wstring file;
  size_t headerLine = 0;
  std::vector<size_t> rowLines;
  std::vector<size_t> imageLines;
  std::vector<size_t> drawLines;
  std::vector<size_t> soundLines;
};

// For tools that check a scenario. With `problems` set, everything the loader
// would log goes there instead, together with what it passes over silently:
// text inside a block that is no command, and blocks never closed. `scenes`
// receives one SceneSource per scene of the table.
struct ScriptReport {
  DiagnosticSink problems;
  std::vector<SceneSource> scenes;
};

// Replaces the contents of both tables with the scenario in `texts` (the text
// store): one ImageSet per image-set block and one SceneData per scene block,
// in load order, image sets numbered over all files. After each file the
// caption of `window` (if not null) shows the progress and the processor is
// yielded once. True when every listed file was read. False, after one log
// line, when the list or a listed file is missing or a file opens a block
// inside an open block of the same kind; what earlier files and blocks added
// stays. Lines that are ignored are logged and do not make the result false.
// Line numbers in messages count every line of the file.
bool LoadScenario(const ArchiveStore& texts, const GameConfig& config, HWND window, std::vector<SceneData>& scenes,
                  std::vector<ImageSet>& imageSets, size_t copyBudget = kDefaultCopyBudget,
                  ScriptReport* report = nullptr);

// "Now Loading ." + done / total * 100 with six significant digits + "%".
std::wstring LoadingCaption(size_t done, size_t total);

}  // namespace tav
