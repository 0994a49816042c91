#pragma once
// Checks a packed game the way the engine reads it: the configuration, the id
// files and the scenario through the engine's own readers, then what those
// readers accept but the game would still get wrong (pictures and sounds that
// are missing or do not decode, scene numbers that lead nowhere, scenes that
// cannot be reached). Used by tavlint and by tavpack create --lint.
#include <string>
#include <vector>

#include "core/Diagnostic.h"
#include "res/ArchiveStore.h"

namespace tavlint {

using Finding = tav::Diagnostic;

// The archives of one game. A store that is null was not given: the checks
// that need it are left out.
struct Game {
  const tav::ArchiveStore* res = nullptr;
  const tav::ArchiveStore* text = nullptr;
  const tav::ArchiveStore* id = nullptr;
};

// Every finding, in the order the checks run: start-up (configuration, ids),
// the scenario's lines, scene numbers, reachability, message text, the message
// window, missing media, media that do not decode.
std::vector<Finding> Check(const Game& game);

// Which archive a store holds, by the folder its entry names start with:
// "Txt", "ID", otherwise the resource archive. Empty for an empty store.
std::wstring ArchiveKind(const tav::ArchiveStore& store);

// "Txt.pac: Txt\a.txt:12: message": archive, file and line where known.
std::string PlainLine(const Finding& finding);
// A JSON array of objects with "archive", "file", "line" and "message".
std::string JsonDocument(const std::vector<Finding>& findings);

}  // namespace tavlint
