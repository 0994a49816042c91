// tavlint: checks a packed game as the engine would read it and lists every
// problem with its archive, file and line.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Lint.h"
#include "core/ErrorLog.h"
#include "platform/os/Locale.h"
#include "res/Stores.h"

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::fputs(
      "usage: tavlint [--json] GAME_DIR          check the game whose archives lie in GAME_DIR\n"
      "       tavlint [--json] A.pac B.pac C.pac  check the three archives of a game, in any order\n"
      "Exit status: 0 when clean, 1 with findings, 2 when the game cannot be read.\n",
      stderr);
  return 2;
}

struct Archives {
  tav::ArchiveStore res, text, id;
};

// Loads every archive, entries inflated now so that damage shows here. The
// loader's own lines (a missing file, a damaged entry) become findings.
bool Load(const std::vector<std::string>& paths, Archives& archives, std::vector<tavlint::Finding>& findings) {
  bool ok = true;
  for (const std::string& path : paths) {
    std::wstring wide;
    if (!tav::os::MultiByteToWide(path, wide)) wide = L"archive";
    tav::ArchiveStore store;
    if (!tav::ArchiveStore::Load(store, wide, 0)) {
      ok = false;
      continue;
    }
    const std::wstring kind = tavlint::ArchiveKind(store);
    tav::ArchiveStore& slot = kind == L"Txt" ? archives.text : kind == L"ID" ? archives.id : archives.res;
    if (slot.Count() != 0) {
      findings.push_back({L"", L"", 0, wide + L": a second archive of the same kind"});
      ok = false;
      continue;
    }
    slot = std::move(store);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  tav::os::SetUserLocale();
  bool json = false;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0)
      json = true;
    else
      paths.emplace_back(argv[i]);
  }
  if (paths.size() == 1) {
    const fs::path dir(paths[0]);
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return Usage();
    paths = {(dir / tav::os::WideToMultiByte(tav::ResArchiveFileName())).string(), (dir / "Txt.pac").string(),
             (dir / "ID.pac").string()};
  }
  if (paths.size() != 3) return Usage();

  std::vector<tavlint::Finding> findings;
  // The engine's log lines are findings here, not lines in the player's log.
  tav::SetLogSink([&findings](std::wstring_view line) { findings.push_back({L"", L"", 0, std::wstring(line)}); });
  Archives archives;
  const bool read = Load(paths, archives, findings);
  if (read) {
    std::vector<tavlint::Finding> more = tavlint::Check({&archives.res, &archives.text, &archives.id});
    findings.insert(findings.end(), more.begin(), more.end());
  }
  tav::SetLogSink({});

  if (json)
    std::fputs(tavlint::JsonDocument(findings).c_str(), stdout);
  else
    for (const tavlint::Finding& f : findings) std::printf("%s\n", tavlint::PlainLine(f).c_str());
  if (!read) return 2;
  return findings.empty() ? 0 : 1;
}
