// tavpack create --lint: the game check on an archive about to be written,
// together with the game's other archives where they already lie beside it.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Commands.h"
#include "Lint.h"
#include "core/ErrorLog.h"
#include "platform/os/Locale.h"
#include "res/Stores.h"

namespace fs = std::filesystem;

namespace tavpack {

bool LintArchive(const std::vector<uint8_t>& bytes, const char* archivePath) {
  std::vector<tavlint::Finding> findings;
  tav::SetLogSink([&findings](std::wstring_view line) { findings.push_back({L"", L"", 0, std::wstring(line)}); });
  tav::ArchiveStore packed, res, text, id;
  bool read = tav::ArchiveStore::LoadFromMemory(packed, bytes.data(), bytes.size(), L"the packed archive");
  if (read) {
    const std::wstring kind = tavlint::ArchiveKind(packed);
    tavlint::Game game;
    // The sibling archives are read only for what they tell about this one.
    auto sibling = [&](const std::wstring& name, tav::ArchiveStore& store) -> const tav::ArchiveStore* {
      const fs::path path = fs::path(archivePath).parent_path() / tav::os::WideToMultiByte(name);
      std::error_code ec;
      if (!fs::is_regular_file(path, ec)) return nullptr;
      std::wstring wide;
      if (!tav::os::MultiByteToWide(path.string(), wide) || !tav::ArchiveStore::Load(store, wide, 0)) return nullptr;
      return &store;
    };
    game.res = kind == L"Res" ? &packed : sibling(tav::ResArchiveFileName(), res);
    game.text = kind == L"Txt" ? &packed : sibling(L"Txt.pac", text);
    game.id = kind == L"ID" ? &packed : sibling(L"ID.pac", id);
    // A sibling that does not load is not this archive's fault.
    findings.clear();
    std::vector<tavlint::Finding> more = tavlint::Check(game);
    findings.insert(findings.end(), more.begin(), more.end());
  }
  tav::SetLogSink({});
  for (const tavlint::Finding& f : findings) std::fprintf(stderr, "%s\n", tavlint::PlainLine(f).c_str());
  return read && findings.empty();
}

}  // namespace tavpack
