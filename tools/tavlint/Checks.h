#pragma once
// The parts of the game check, over what the engine's readers made of the
// archives.
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Lint.h"
#include "app/Config.h"
#include "scenario/ScenarioLoader.h"
#include "scenario/SceneData.h"

namespace tavlint {

// Findings in order, each reported once however many records share it (an
// image set copied into many scenes names its missing picture once per line).
class Findings {
 public:
  void Add(Finding finding);
  tav::DiagnosticSink Sink() {
    return [this](const Finding& f) { Add(f); };
  }
  std::vector<Finding> Take() { return std::move(list_); }

 private:
  std::vector<Finding> list_;
  std::set<std::tuple<std::wstring, std::wstring, size_t, std::wstring>> seen_;
};

// The scenario as the engine loads it, with where each record came from.
struct Scenario {
  tav::GameConfig config;
  std::vector<size_t> configLines;  // the file line of each kept line of the configuration
  std::vector<tav::SceneData> scenes;
  std::vector<tav::ImageSet> imageSets;
  tav::ScriptReport report;
};

// Scene numbers out of range, scenes no path reaches, speaker names cut by a
// row end, the message window that no scene shows.
void CheckScenes(const Scenario& scenario, Findings& findings);

// Pictures and sounds the scenario (or the title set-up) names but the
// resource archive lacks; with no scenario, only the decoding.
void CheckMissingMedia(const Scenario& scenario, const tav::ArchiveStore& res, Findings& findings);
// Pictures that do not decode and sounds that are not Ogg Vorbis: every entry
// whose name says it is one, and every name the scenario plays as a sound.
void CheckDecoding(const Scenario* scenario, const tav::ArchiveStore& res, Findings& findings);

// A finding at a line of the scenario.
Finding At(const std::wstring& file, size_t line, std::wstring message);

}  // namespace tavlint
