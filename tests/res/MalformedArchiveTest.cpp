// Damaged archives: thousands of mutations and truncations of a valid archive.
// Each must be loaded or refused without reading outside the file (the archive
// is held in a heap buffer of its exact size, so the address sanitizer sees any
// stray read), and the parallel loader must agree with the sequential one.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "core/ErrorLog.h"
#include "res/ArchiveStore.h"
#include "support/PacBuilder.h"

namespace {

using tav::ArchiveStore;

struct Result {
  bool ok = false;
  std::map<std::wstring, std::string> entries;
  bool operator==(const Result&) const = default;
};

Result LoadCopy(const std::string& bytes, unsigned threads, const std::vector<std::wstring>& names) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  ArchiveStore store;
  Result r;
  r.ok = ArchiveStore::LoadFromMemory(store, exact.get(), bytes.size(), L"fuzz.pac", threads);
  for (const std::wstring& name : names) {
    const uint8_t* data;
    uint32_t size;
    if (store.Get(name, &data, &size)) r.entries[name] = std::string(reinterpret_cast<const char*>(data), size);
  }
  return r;
}

TEST(MalformedArchive, MutationsAndTruncationsNeverCrashAndAgreeAcrossThreads) {
  std::vector<std::pair<std::string, std::string>> files = {
      {"Txt\\config.txt", "Demo\r\nDemo\r\n800\r\n600\r\n"},
      {"Txt\\scene.txt", std::string(300, 'x') + "\r\n"},
      {"Res\\bg.png", std::string("\x89PNG\r\n\x1a\n") + std::string(200, '\x07')},
      {"Res\\empty", ""},
      {"ID\\id.txt", "7\r\n"},
  };
  std::vector<tavtest::RawEntry> raw;
  for (const auto& [name, data] : files)
    raw.push_back({name + std::string(1, '\0'), static_cast<uint32_t>(name.size()), data, {}, {}});
  raw.push_back({"Res\\\xE9\x9F\xB3.ogg" + std::string(1, '\0'), 9, "OggS", {}, {}});
  const std::string base = tavtest::BuildRaw(raw);

  // Names any mutation could leave readable, to compare the stores.
  std::vector<std::wstring> names;
  for (const auto& f : files) names.emplace_back(f.first.begin(), f.first.end());
  names.push_back(L"Res\\\u97F3.ogg");

  // The undamaged archive loads whole.
  ASSERT_EQ(LoadCopy(base, 1, names).entries.size(), names.size());

  tav::SetLogSink([](std::wstring_view) {});  // thousands of lines are not worth writing
  std::mt19937 rng(20261208);
  const uint32_t edges[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF0,
                            static_cast<uint32_t>(base.size()), static_cast<uint32_t>(base.size() + 1)};
  // Spread the damage over the three regions of the file (names, directory,
  // data) so that each reader path gets its share.
  const size_t namesEnd = base.size() - 12 * raw.size() - [&] {
    size_t data = 0;
    for (const auto& e : raw) data += tavtest::Deflate(e.data).size();
    return data;
  }();
  const size_t bounds[] = {0, namesEnd, namesEnd + 12 * raw.size(), base.size()};
  auto somewhere = [&](size_t size) {
    int region = rng() % 3;
    size_t lo = std::min(bounds[region], size - 1), hi = std::min(bounds[region + 1], size);
    return lo + rng() % std::max<size_t>(1, hi - lo);
  };
  int refused = 0;
  const int cases = 4000;
  for (int c = 0; c < cases; ++c) {
    std::string bytes = base;
    int mutations = 1 + rng() % 3;
    for (int m = 0; m < mutations; ++m) {
      switch (rng() % 4) {
        case 0:  // flip a byte
          bytes[somewhere(bytes.size())] ^= static_cast<char>(1 + rng() % 255);
          break;
        case 1: {  // overwrite a 32-bit field with an edge value
          if (bytes.size() < 4) break;
          size_t at = std::min(somewhere(bytes.size()), bytes.size() - 4);
          uint32_t v = edges[rng() % std::size(edges)];
          for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
          break;
        }
        case 2:  // truncate
          bytes.resize(somewhere(bytes.size()));
          break;
        default:  // garbage appended or inserted
          bytes.insert(somewhere(bytes.size()), std::string(1 + rng() % 16, static_cast<char>(rng())));
          break;
      }
      if (bytes.empty()) break;
    }
    Result one = LoadCopy(bytes, 1, names);
    Result three = LoadCopy(bytes, 3, names);
    ASSERT_EQ(one, three) << "case " << c;
    if (!one.ok) ++refused;
  }
  tav::SetLogSink(nullptr);
  // The loop must really exercise the refusal paths.
  EXPECT_GT(refused, cases / 2);
}

}  // namespace
