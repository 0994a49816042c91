#include "Lint.h"

#include <algorithm>

#include "Checks.h"
#include "res/TextLines.h"

namespace tavlint {

void Findings::Add(Finding finding) {
  if (!seen_.emplace(finding.archive, finding.file, finding.line, finding.message).second) return;
  list_.push_back(std::move(finding));
}

Finding At(const std::wstring& file, size_t line, std::wstring message) {
  return {L"Txt.pac", file, line, std::move(message)};
}

std::wstring ArchiveKind(const tav::ArchiveStore& store) {
  std::vector<std::wstring> names = store.Names();
  if (names.empty()) return L"";
  std::sort(names.begin(), names.end());
  std::wstring top = names.front().substr(0, names.front().find(L'\\'));
  return top == L"Txt" || top == L"ID" ? top : L"Res";
}

namespace {

// The configuration as start-up reads it. When it cannot be read, the scenario
// is still checked, with rows of one character if none are configured.
void ReadConfiguration(const tav::ArchiveStore& text, Scenario& scenario, Findings& findings) {
  tav::DiagnosticSink sink = findings.Sink();
  tav::ReadConfig(text, scenario.config, &sink);
  if (scenario.config.charactersPerRow == 0) scenario.config.charactersPerRow = 1;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  std::vector<std::string> lines;
  if (text.Get(L"Txt\\config.txt", &data, &size)) tav::SplitLines(data, size, lines, &scenario.configLines);
}

}  // namespace

std::vector<Finding> Check(const Game& game) {
  Findings findings;
  tav::DiagnosticSink sink = findings.Sink();
  Scenario scenario;
  if (game.text) {
    ReadConfiguration(*game.text, scenario, findings);
    if (game.res && game.id) tav::IdsAgree(*game.text, *game.res, *game.id, &sink);
    scenario.report.problems = sink;
    tav::LoadScenario(*game.text, scenario.config, nullptr, scenario.scenes, scenario.imageSets,
                      tav::kDefaultCopyBudget, &scenario.report);
    CheckScenes(scenario, findings);
  }
  if (game.res) {
    const tav::ArchiveStore& res = *game.res;
    if (!res.Contains(L"Res\\id.txt") && !(game.text && game.id))
      findings.Add({L"Res.pac", L"Res\\id.txt", 0, L"missing from Res.pac"});
    if (game.text) CheckMissingMedia(scenario, res, findings);
    CheckDecoding(game.text ? &scenario : nullptr, res, findings);
  }
  if (game.id && !(game.text && game.res) && !game.id->Contains(L"ID\\id.txt"))
    findings.Add({L"ID.pac", L"ID\\id.txt", 0, L"missing from ID.pac"});
  return findings.Take();
}

}  // namespace tavlint
