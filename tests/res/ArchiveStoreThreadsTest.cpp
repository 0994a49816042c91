// Entries of an archive inflated on first use, asked for by several threads
// at once. Also built under ThreadSanitizer (tests/tsan).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "res/ArchiveStore.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace {

TEST(ArchiveStoreThreads, ThreadsAskingAtOnceShareOneInflationPerEntry) {
  std::mt19937 rng(11);
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 24; ++i) {
    std::string data(50000 + rng() % 200000, '\0');
    for (char& c : data) c = static_cast<char>(rng() % 16);
    files.push_back({"Res\\f" + std::to_string(i), data});
  }
  tavtest::TempDir dir;
  const auto path = dir.Path() / "Res.pac";
  tavtest::WriteFileBytes(path, tavtest::BuildArchive(files));
  const std::string narrow = path.string();
  tav::ArchiveStore store;
  ASSERT_TRUE(tav::ArchiveStore::Load(store, std::wstring(narrow.begin(), narrow.end())));
  // Each thread walks every entry from its own starting point, so entries
  // are asked for by several threads at the same moment.
  constexpr int kThreads = 6;
  std::vector<std::vector<const uint8_t*>> seen(kThreads, std::vector<const uint8_t*>(files.size()));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (size_t k = 0; k < files.size(); ++k) {
        size_t i = (k + size_t(t) * 5) % files.size();
        const std::string& name = files[i].first;
        uint32_t size = 0;
        if (!store.Get(std::wstring(name.begin(), name.end()), &seen[t][i], &size) || size != files[i].second.size())
          seen[t][i] = nullptr;
      }
    });
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < files.size(); ++i) {
    ASSERT_NE(seen[0][i], nullptr) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(seen[0][i]), files[i].second.size()), files[i].second);
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t][i], seen[0][i]) << "thread " << t << ", entry " << i;
  }
  EXPECT_EQ(store.Stats().entries, files.size());
}

}  // namespace
