#include <gtest/gtest.h>

#include <random>
#include <string>

#include "res/ArchiveStore.h"
#include "res/PacFormat.h"
#include "res/Stores.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace {

using tav::ArchiveStore;
using tavtest::BuildArchive;
using tavtest::BuildRaw;
using tavtest::RawEntry;

std::string Entry(const ArchiveStore& store, const std::wstring& name) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!store.Get(name, &data, &size)) return "<missing>";
  return std::string(reinterpret_cast<const char*>(data), size);
}

std::wstring Wide(const std::filesystem::path& path) {
  std::string s = path.string();
  return std::wstring(s.begin(), s.end());
}

class ArchiveStoreTest : public testing::Test {
 protected:
  void SetUp() override { tavtest::ClearErrorLog(); }

  // Writes `bytes` as an archive file and loads it.
  bool LoadBytes(const std::string& bytes, ArchiveStore& store, unsigned threads = 0) {
    auto path = dir_ / "Test.pac";
    tavtest::WriteFileBytes(path, bytes);
    std::wstring wide = Wide(path);
    return threads ? ArchiveStore::Load(store, wide, threads) : ArchiveStore::Load(store, wide);
  }

  tavtest::TempDir dir_;
};

TEST_F(ArchiveStoreTest, LoadsEveryEntryAndFindsThemByExactName) {
  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(BuildArchive({{"Txt\\config.txt", "title\r\n"}, {"Txt\\id.txt", "7\r\n"}, {"Txt\\empty", ""}}),
                        store));
  EXPECT_EQ(store.Count(), 3u);
  EXPECT_EQ(Entry(store, L"Txt\\config.txt"), "title\r\n");
  EXPECT_EQ(Entry(store, L"Txt\\id.txt"), "7\r\n");
  EXPECT_EQ(Entry(store, L"Txt\\empty"), "");
  // Names compare exactly: no case folding, no separator normalisation.
  EXPECT_EQ(Entry(store, L"Txt\\Config.txt"), "<missing>");
  EXPECT_EQ(Entry(store, L"txt\\config.txt"), "<missing>");
  EXPECT_EQ(Entry(store, L"Txt/config.txt"), "<missing>");
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
}

TEST_F(ArchiveStoreTest, GetLeavesOutputsAloneWhenMissingAndAcceptsNullOutputs) {
  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(BuildArchive({{"ID\\id.txt", "42"}}), store));
  const uint8_t* data = reinterpret_cast<const uint8_t*>(0x1234);
  uint32_t size = 99;
  EXPECT_FALSE(store.Get(L"ID\\other.txt", &data, &size));
  EXPECT_EQ(data, reinterpret_cast<const uint8_t*>(0x1234));
  EXPECT_EQ(size, 99u);
  EXPECT_TRUE(store.Get(L"ID\\id.txt", nullptr, nullptr));
  EXPECT_TRUE(store.Get(L"ID\\id.txt", nullptr, &size));
  EXPECT_EQ(size, 2u);
}

TEST_F(ArchiveStoreTest, EmptyArchiveLoadsAndAddsNothing) {
  ArchiveStore store;
  EXPECT_TRUE(LoadBytes(BuildArchive({}), store));
  EXPECT_EQ(store.Count(), 0u);
}

TEST_F(ArchiveStoreTest, NameWithoutTerminatorIsRefused) {
  ArchiveStore store;
  EXPECT_FALSE(LoadBytes(BuildRaw({{"Txt\\a", 5, "x", {}, {}}}), store));
  EXPECT_EQ(store.Count(), 0u);
  std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("Test.pac: name 0"), std::string::npos) << log;
  EXPECT_NE(log.find("terminating NUL"), std::string::npos) << log;
}

TEST_F(ArchiveStoreTest, MultibyteNamesConvertInTheLocale) {
  // "Res\背景.png" in UTF-8: 3 + 1 + 2 + 4 wide characters.
  const std::string name = "Res\\\xE8\x83\x8C\xE6\x99\xAF.png";
  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(BuildRaw({{name + std::string(1, '\0'), 10, "png", {}, {}}}), store));
  EXPECT_EQ(Entry(store, L"Res\\\u80CC\u666F.png"), "png");

  // A wide length smaller than the real one leaves no room for the name.
  ArchiveStore other;
  EXPECT_FALSE(LoadBytes(BuildRaw({{name + std::string(1, '\0'), 9, "png", {}, {}}}), other));
  // Bytes that are not UTF-8 do not convert.
  ArchiveStore broken;
  EXPECT_FALSE(LoadBytes(BuildRaw({{std::string("Res\\\xFF\xFE") + '\0', 6, "x", {}, {}}}), broken));
  EXPECT_NE(tavtest::ReadErrorLog().find("cannot be converted"), std::string::npos);
}

TEST_F(ArchiveStoreTest, StatedSizesBoundTheOutput) {
  // Larger than the real size: loads, with the real size.
  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(BuildRaw({{std::string("A\\big") + '\0', 5, "hello", 1000, {}},
                                  {std::string("A\\huge") + '\0', 6, "tiny", 0xFFFFFFFFu, {}}}),
                        store));
  EXPECT_EQ(Entry(store, L"A\\big"), "hello");
  EXPECT_EQ(Entry(store, L"A\\huge"), "tiny");

  // Smaller than the real size: refused, for data (when inflated) and for names.
  ArchiveStore small;
  EXPECT_FALSE(LoadBytes(BuildRaw({{std::string("A\\x") + '\0', 3, "hello", 4, {}}}), small, 1));
  EXPECT_NE(tavtest::ReadErrorLog().find("inflates to more than its stated length"), std::string::npos);
  ArchiveStore smallName;
  EXPECT_FALSE(LoadBytes(BuildRaw({{std::string("A\\x") + '\0', 3, "hello", {}, 2}}), smallName));
}

TEST_F(ArchiveStoreTest, HighlyCompressibleEntryFitsTheInflateBound) {
  // Deflate's best ratio is close to 1032:1; a real stream must never be cut.
  const std::string zeros(16 << 20, '\0');
  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(BuildArchive({{"Res\\zeros", zeros}}), store, 1));
  EXPECT_EQ(Entry(store, L"Res\\zeros"), zeros);
  EXPECT_GE(tav::pac::MaxInflatedSize(tavtest::Deflate(zeros).size()), zeros.size());
}

TEST_F(ArchiveStoreTest, DuplicateNameFailsAndKeepsEarlierEntries) {
  ArchiveStore store;
  EXPECT_FALSE(LoadBytes(BuildArchive({{"T\\a", "1"}, {"T\\b", "2"}, {"T\\a", "3"}, {"T\\c", "4"}}), store));
  EXPECT_EQ(Entry(store, L"T\\a"), "1");
  EXPECT_EQ(Entry(store, L"T\\b"), "2");
  EXPECT_EQ(Entry(store, L"T\\c"), "<missing>");
  EXPECT_NE(tavtest::ReadErrorLog().find("\"T\\a\" occurs twice"), std::string::npos);

  // A name that an earlier archive put into the same store is refused too.
  EXPECT_FALSE(LoadBytes(BuildArchive({{"T\\z", "9"}, {"T\\b", "5"}}), store));
  EXPECT_EQ(Entry(store, L"T\\b"), "2");
  EXPECT_EQ(Entry(store, L"T\\z"), "9");
}

TEST_F(ArchiveStoreTest, MissingFileLogsOneLineWithTheSystemText) {
  ArchiveStore store;
  EXPECT_FALSE(ArchiveStore::Load(store, L"no-such-folder/ID.pac"));
  std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("no-such-folder/ID.pac: cannot open: No such file or directory\n"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
}

TEST_F(ArchiveStoreTest, StructuralDamageIsNamedInTheLog) {
  const std::string good = BuildArchive({{"T\\a", "alpha"}, {"T\\b", "beta"}});
  auto expectRefused = [&](const std::string& bytes, const char* problem, unsigned threads = 0) {
    tavtest::ClearErrorLog();
    ArchiveStore store;
    EXPECT_FALSE(LoadBytes(bytes, store, threads)) << problem;
    std::string log = tavtest::ReadErrorLog();
    EXPECT_NE(log.find(problem), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  };
  expectRefused("", "too short");
  expectRefused("\x01\x00", "too short");
  std::string count = good;
  count[3] = '\x7F';  // N = 0x7F000002
  expectRefused(count, "entry count 2130706434 is more than");
  // Cut inside the second name record, inside the directory, inside the data.
  size_t namesEnd = good.size() - 24 - tavtest::Deflate("alpha").size() - tavtest::Deflate("beta").size();
  std::string longName = good;
  size_t secondNameSize = 4 + 12 + tavtest::Deflate(std::string("T\\a") + '\0').size() + 8;
  longName[secondNameSize + 3] = '\x40';
  expectRefused(longName, "name 1 runs past the end of the file");
  expectRefused(good.substr(0, namesEnd + 13), "directory runs past the end");
  expectRefused(good.substr(0, good.size() - 1), "lies outside the file");
  std::string garbage = good;
  garbage[good.size() - 3] ^= 0x55;
  garbage[good.size() - 4] ^= 0x55;
  garbage[good.size() - 5] ^= 0x55;
  // A data stream that is not zlib, inflated at load.
  expectRefused(garbage, "\"T\\b\"", 1);
}

TEST_F(ArchiveStoreTest, EntriesInflateOnFirstUseAndDamageIsReportedOnceThen) {
  std::string bytes = BuildArchive({{"T\\a", "alpha"}, {"T\\b", "beta"}});
  for (size_t back = 3; back <= 5; ++back) bytes[bytes.size() - back] ^= 0x55;  // T\b's stream
  const std::string tooSmall = BuildRaw({{std::string("T\\x") + '\0', 3, "hello", 4, {}}});

  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(bytes, store));
  EXPECT_EQ(store.Count(), 2u);
  EXPECT_TRUE(store.Contains(L"T\\b"));
  EXPECT_EQ(store.Stats().entries, 0u);  // nothing inflated by loading

  const uint8_t* first = nullptr;
  ASSERT_TRUE(store.Get(L"T\\a", &first, nullptr));
  EXPECT_EQ(Entry(store, L"T\\a"), "alpha");
  const uint8_t* again = nullptr;
  ASSERT_TRUE(store.Get(L"T\\a", &again, nullptr));
  EXPECT_EQ(first, again);  // inflated once; callers keep pointers into it
  EXPECT_EQ(store.Stats().entries, 1u);
  EXPECT_EQ(store.Stats().bytes, 5u);
  EXPECT_EQ(tavtest::ReadErrorLog(), "");

  // The damaged entry fails when asked for, with one line naming the archive
  // and the entry, and fails quietly after that.
  EXPECT_EQ(Entry(store, L"T\\b"), "<missing>");
  EXPECT_EQ(store.Find(L"T\\b"), nullptr);
  std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("Test.pac: the data of \"T\\b\""), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_EQ(store.Stats().entries, 1u);
  EXPECT_EQ(Entry(store, L"Txt\\a"), "<missing>");

  // A stream larger than its stated size is refused the same way.
  ArchiveStore small;
  ASSERT_TRUE(LoadBytes(tooSmall, small));
  EXPECT_EQ(Entry(small, L"T\\x"), "<missing>");
  EXPECT_NE(tavtest::ReadErrorLog().find("inflates to more than its stated length"), std::string::npos);

  // A store set to inflate at load refuses the damaged archive outright.
  tavtest::ClearErrorLog();
  ArchiveStore eager;
  eager.SetInflation(ArchiveStore::Inflation::AtLoad);
  EXPECT_FALSE(LoadBytes(bytes, eager));
  EXPECT_NE(tavtest::ReadErrorLog().find("\"T\\b\""), std::string::npos);
  eager = ArchiveStore();
  eager.SetInflation(ArchiveStore::Inflation::AtLoad);
  ASSERT_TRUE(LoadBytes(BuildArchive({{"T\\a", "alpha"}}), eager));
  EXPECT_EQ(eager.Stats().entries, 1u);  // before anyone asked
}

// The archive stays open while the game runs; a player cutting it short (or
// an update replacing it) costs the entries not read yet, not the process.
TEST_F(ArchiveStoreTest, AnArchiveCutShortDuringPlayLosesOnlyItsUnreadEntries) {
  const std::string big(200000, 'x');
  ArchiveStore store;
  ASSERT_TRUE(LoadBytes(BuildArchive({{"T\\a", "alpha"}, {"T\\b", big}}), store));
  EXPECT_EQ(Entry(store, L"T\\a"), "alpha");
  std::filesystem::resize_file(dir_ / "Test.pac", 16);
  EXPECT_EQ(Entry(store, L"T\\b"), "<missing>");
  EXPECT_EQ(Entry(store, L"T\\a"), "alpha");
  const std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("\"T\\b\" cannot be read"), std::string::npos) << log;
}

TEST_F(ArchiveStoreTest, FolderInsteadOfFileIsRefused) {
  ArchiveStore store;
  EXPECT_FALSE(ArchiveStore::Load(store, Wide(dir_.Path())));
  EXPECT_NE(tavtest::ReadErrorLog().find("Is a directory"), std::string::npos);
}

TEST_F(ArchiveStoreTest, ParallelLoadGivesTheSameStore) {
  std::mt19937 rng(7);
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 40; ++i) {
    std::string data(rng() % 300000, '\0');
    for (char& c : data) c = static_cast<char>(rng() % (i % 2 ? 256 : 4));
    files.push_back({"Res\\file" + std::to_string(i), data});
  }
  const std::string bytes = BuildArchive(files);
  for (unsigned threads : {0u, 1u, 2u, 5u}) {
    ArchiveStore store;
    ASSERT_TRUE(LoadBytes(bytes, store, threads)) << threads;
    ASSERT_EQ(store.Count(), files.size());
    for (const auto& [name, data] : files)
      EXPECT_EQ(Entry(store, std::wstring(name.begin(), name.end())), data) << threads;
  }
}

TEST(ResourceNaming, ResKeyJoinsTheFolderNameWithABackslash) {
  EXPECT_EQ(tav::ResKey(L"Default\\v1.dds"), L"Res\\Default\\v1.dds");
  EXPECT_EQ(tav::ResArchiveFileName(), L"Res.pac");
  EXPECT_EQ(&tav::TextStore(), &tav::TextStore());
  EXPECT_NE(&tav::TextStore(), &tav::IdStore());
}

}  // namespace
