// The per-user files byte for byte: save slots with their labels, Config.dat
// and Unlocked.dat, what damaged or hostile files turn into, and writing a
// file so that no crash can leave it torn.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/UserFolder.h"
#include "platform/os/Files.h"
#include "platform/os/LastError.h"
#include "platform/os/Paths.h"
#include "save/Bytes.h"
#include "save/SettingsFile.h"
#include "save/SlotFile.h"
#include "save/UserFiles.h"
#include "support/TempDir.h"

namespace {

std::string Ints(std::initializer_list<int32_t> values) {
  std::string out;
  for (int32_t v : values) tav::PutInt32(out, v);
  return out;
}

std::string Units(const std::u16string& text) {
  std::string out;
  for (char16_t u : text) tav::PutUnit(out, uint16_t(u));
  return out;
}

std::tm At(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}

TEST(SlotFile, NamesNumbersAndLabels) {
  EXPECT_EQ(tav::SlotFileName(L"", L"07"), L"Save07.dat");
  EXPECT_EQ(tav::SlotFileName(L"dm_", L"3"), L"dm_Save3.dat");
  EXPECT_EQ(tav::SlotNumber(L"07"), 7);
  EXPECT_EQ(tav::SlotNumber(L"  12th"), 12);
  EXPECT_EQ(tav::SlotNumber(L"slot"), 0);

  // 09:05 on 3 February 2014, "Hello", L = 30: 22 units and eight zeros.
  const std::u16string hello = tav::MakeSlotLabel(At(2014, 2, 3, 9, 5), L"Hello", 30);
  EXPECT_EQ(hello, std::u16string(u"09:05 2014/02/03 Hello") + std::u16string(8, u'\0'));
  // An empty text keeps the stamp and its blank.
  EXPECT_EQ(tav::MakeSlotLabel(At(2026, 12, 31, 23, 59), L"", 20),
            std::u16string(u"23:59 2026/12/31 ") + std::u16string(3, u'\0'));
  // A long text is cut to L - 1 units: one zero always ends the label.
  const std::u16string cut = tav::MakeSlotLabel(At(2014, 2, 3, 9, 5), L"春の終わり。放課後の空", 21);
  EXPECT_EQ(cut, std::u16string(u"09:05 2014/02/03 春の終") + u'\0');
  // A character beyond the first plane is two units; half of it is never kept.
  const std::u16string pair = tav::MakeSlotLabel(At(2014, 2, 3, 9, 5), L"a\U0001F600", 22);
  EXPECT_EQ(pair.substr(17, 3), u"a\xD83D\xDE00");
  EXPECT_EQ(tav::MakeSlotLabel(At(2014, 2, 3, 9, 5), L"ab\U0001F600", 21)[19], u'\0');
}

TEST(SlotFile, BytesAreTheLayoutAndReadBack) {
  const std::u16string label = tav::MakeSlotLabel(At(2014, 2, 3, 9, 5), L"Hi", 24);
  const std::string bytes = tav::EncodeSlot(5, {1, 3}, label);
  EXPECT_EQ(bytes, Ints({5, 2, 1, 3, 24}) + Units(label));

  tav::SlotContents slot;
  ASSERT_TRUE(tav::DecodeSlot(bytes, 6, slot));
  EXPECT_EQ(slot.storyScene, 5);
  EXPECT_EQ(slot.visited, (std::vector<int32_t>{1, 3}));
  std::wstring text;
  ASSERT_TRUE(tav::DecodeSlotLabel(bytes, text));
  EXPECT_EQ(text, L"09:05 2014/02/03 Hi");

  // N = 0: an empty backlog.
  ASSERT_TRUE(tav::DecodeSlot(tav::EncodeSlot(0, {}, label), 6, slot));
  EXPECT_TRUE(slot.visited.empty());
}

TEST(SlotFile, DamagedFilesNeverReachBeyondTheirBytesOrTheScenes) {
  tav::SlotContents slot;
  EXPECT_FALSE(tav::DecodeSlot(Ints({5}), 6, slot));     // short header
  EXPECT_FALSE(tav::DecodeSlot(Ints({6, 0}), 6, slot));  // story beyond the table
  EXPECT_FALSE(tav::DecodeSlot(Ints({-1, 0}), 6, slot));
  // A count of two thousand million with two entries present: two are read.
  ASSERT_TRUE(tav::DecodeSlot(Ints({2, 2000000000, 4, 9}), 6, slot));
  EXPECT_EQ(slot.visited, (std::vector<int32_t>{4, -1}));  // 9 is not a scene: unusable
  ASSERT_TRUE(tav::DecodeSlot(Ints({2, 3, -1, 1, 0}), 6, slot));
  EXPECT_EQ(slot.visited, (std::vector<int32_t>{-1, 1, 0}));

  std::wstring label = L"kept";
  EXPECT_FALSE(tav::DecodeSlotLabel(Ints({0, 2000000000, 1}), label));
  EXPECT_FALSE(tav::DecodeSlotLabel(Ints({0, 0, 2000000000}) + Units(u"ab"), label));
  EXPECT_FALSE(tav::DecodeSlotLabel(Ints({0, 0, -3}), label));
  EXPECT_EQ(label, L"kept");
  // A label without its end zero is read to the end of its field.
  ASSERT_TRUE(tav::DecodeSlotLabel(Ints({0, 0, 2}) + Units(u"ab"), label));
  EXPECT_EQ(label, L"ab");
}

TEST(SettingsFile, ConfigBytesDefaultsAndEditList) {
  tav::Settings s = tav::DefaultSettings(101, 4000);
  EXPECT_EQ(s.textSpeed, 50);
  EXPECT_EQ(s.autoWait, 2000);
  EXPECT_TRUE(s.option);
  EXPECT_EQ(s.knobs[tav::kKnobAutoWait], -1.0f);
  s.volumes = {0.5f, 1.0f, 2.0f};
  s.skipUnread = true;
  s.level = 0.75f;
  s.knobs[tav::kKnobVoice] = 333;
  s.offsets = {1, 2, 3, 4};
  const std::string bytes = tav::EncodeConfig(s, {7, 2});

  std::string expected;
  for (float v : {0.5f, 1.0f, 2.0f}) tav::PutFloat(expected, v);
  expected += Ints({50, 2000});
  expected += std::string("\0\1\1\0", 4);  // instant effects, skip unread, option, padding
  for (float v : {0.75f, -1.0f, -1.0f, 333.0f, -1.0f, -1.0f, 1.0f, 2.0f, 3.0f, 4.0f}) tav::PutFloat(expected, v);
  expected += Ints({2, 7, 2});
  EXPECT_EQ(bytes, expected);

  const tav::SettingsLimits limits{10, 101, 4000, 800, 600};
  tav::Settings read = tav::DefaultSettings(101, 4000);
  std::vector<int32_t> editList{9};
  tav::DecodeConfig(bytes, limits, read, editList);
  EXPECT_EQ(tav::EncodeConfig(read, editList), bytes);

  // A record shorter than 64 bytes changes nothing and lists nothing.
  tav::Settings untouched = tav::DefaultSettings(101, 4000);
  tav::DecodeConfig(bytes.substr(0, 63), limits, untouched, editList);
  EXPECT_EQ(tav::EncodeConfig(untouched, {}), tav::EncodeConfig(tav::DefaultSettings(101, 4000), {}));
  EXPECT_TRUE(editList.empty());

  // -1 and scenes outside the table leave the edit list; a count beyond the
  // file stops at its end.
  tav::DecodeConfig(bytes.substr(0, 64) + Ints({1000000, 3, -1, 10, 4}), limits, read, editList);
  EXPECT_EQ(editList, (std::vector<int32_t>{3, 4}));
}

TEST(SettingsFile, ValuesAFileCannotMeanFallBackOrAreClamped) {
  tav::Settings s;
  s.volumes = {NAN, 1e9f, -2.0f};
  s.textSpeed = -5;
  s.autoWait = 99999;
  s.level = INFINITY;
  s.knobs = {NAN, 5000.0f, -20.0f, 120.0f, -1.0f};
  s.offsets = {NAN, 1e9f, -1e9f, 12.5f};
  const tav::SettingsLimits limits{10, 100, 4000, 800, 600};
  tav::Settings read;
  std::vector<int32_t> editList;
  tav::DecodeConfig(tav::EncodeConfig(s, {}), limits, read, editList);
  EXPECT_EQ(read.volumes[0], 1.0f);
  EXPECT_FLOAT_EQ(read.volumes[1], tav::kMaximumVolume);
  EXPECT_EQ(read.volumes[2], 0.0f);
  EXPECT_EQ(read.textSpeed, 0);
  EXPECT_EQ(read.autoWait, 4000);
  EXPECT_EQ(read.level, 1.0f);
  EXPECT_EQ(read.knobs, (std::array<float, 5>{-1.0f, -1.0f, -1.0f, 120.0f, -1.0f}));
  EXPECT_EQ(read.offsets, (std::array<float, 4>{0.0f, 600.0f, -800.0f, 12.5f}));
}

TEST(SettingsFile, UnlockedKeepsEachSceneOnceInOrder) {
  std::set<int32_t> seen;
  tav::DecodeUnlocked(Ints({3, 3, 1, 3}), 10, seen);
  EXPECT_EQ(seen, (std::set<int32_t>{1, 3}));
  EXPECT_EQ(tav::EncodeUnlocked(seen), Ints({2, 1, 3}));
  tav::DecodeUnlocked(Ints({2000000000, -1, 12, 5}), 10, seen);  // damaged: only 5 is a scene
  EXPECT_EQ(seen, (std::set<int32_t>{1, 3, 5}));
}

// A write that fails leaves what was there and says why, once.
TEST(UserFiles, AFailedWriteKeepsTheOldFileAndLogsOneLine) {
  tavtest::ClearErrorLog();
  ASSERT_TRUE(tav::WriteUserFile(L"kept.dat", "old"));
  std::string bytes;
  ASSERT_TRUE(tav::ReadUserFile(L"kept.dat", bytes));
  EXPECT_EQ(bytes, "old");
  // A folder where the file should be: the new file cannot take its place.
  std::wstring folder;
  ASSERT_TRUE(tav::GetUserFolder(folder));
  const std::filesystem::path place = std::filesystem::path(folder) / "busy.dat";
  std::filesystem::create_directories(place / "inside");
  EXPECT_FALSE(tav::WriteUserFile(L"busy.dat", "new"));
  EXPECT_TRUE(std::filesystem::is_directory(place / "inside"));
  const std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("busy.dat: cannot write"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  // No half-written file is left beside it.
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_EQ(entry.path().filename().string().find("busy.dat."), std::string::npos) << entry.path();
  EXPECT_FALSE(tav::ReadUserFile(L"missing.dat", bytes));
  std::filesystem::remove_all(place);
}

// Names come from the game's data: one that would reach another folder
// reads nothing and writes nothing, with one line for the write.
TEST(UserFiles, NamesThatLeaveTheFolderReachNothing) {
  std::wstring folder;
  ASSERT_TRUE(tav::GetUserFolder(folder));
  const std::filesystem::path outside = std::filesystem::path(folder).parent_path() / "outside.dat";
  ASSERT_TRUE(tav::os::ReplaceFile(outside.wstring(), "player's own"));
  std::string bytes;
  for (const std::wstring& name : std::vector<std::wstring>{L"../outside.dat", L"sub/../../outside.dat", L"..", L"",
                                                              std::wstring(L"a\0/b", 4)}) {
    SCOPED_TRACE(tav::os::NativePath(name));
    tavtest::ClearErrorLog();
    EXPECT_FALSE(tav::ReadUserFile(name, bytes));
    EXPECT_FALSE(tav::WriteUserFile(name, "game's"));
    const std::string log = tavtest::ReadErrorLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  }
  EXPECT_EQ(tavtest::ReadFileBytes(outside), "player's own");
  std::filesystem::remove(outside);
  // A dot or a backslash is part of a plain name here.
  EXPECT_TRUE(tav::WriteUserFile(L"..demo\\Save1.dat", "kept"));
  EXPECT_TRUE(tav::ReadUserFile(L"..demo\\Save1.dat", bytes));
  EXPECT_EQ(bytes, "kept");
}

// A disk that takes no more bytes, as the system reports it (a file-size
// limit of nothing: every write fails with EFBIG) and as the replay harness
// simulates it (ENOSPC): a replaced file keeps its old bytes with nothing
// left beside it, and the error log, which cannot be written either, stays
// as it was.
TEST(UserFiles, ADiskThatTakesNoMoreBytesKeepsEveryOldFile) {
  tavtest::TempDir dir;
  const std::wstring save = (dir.Path() / "Save1.dat").wstring(), log = (dir.Path() / "Err.txt").wstring();
  ASSERT_TRUE(tav::os::ReplaceFile(save, "old save"));
  ASSERT_TRUE(tav::os::AppendToFile(log, "old line\n"));
  auto unchanged = [&](const char* how) {
    SCOPED_TRACE(how);
    EXPECT_EQ(tavtest::ReadFileBytes(dir.Path() / "Save1.dat"), "old save");
    EXPECT_EQ(tavtest::ReadFileBytes(dir.Path() / "Err.txt"), "old line\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
  };
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 0;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    if (tav::os::ReplaceFile(save, "new save") || tav::os::GetLastError() != EFBIG) _exit(1);
    if (tav::os::AppendToFile(log, "new line\n") || tav::os::GetLastError() != EFBIG) _exit(2);
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  unchanged("file-size limit");

  tav::os::SimulateWriteFailure(ENOSPC);
  EXPECT_FALSE(tav::os::ReplaceFile(save, "new save"));
  EXPECT_EQ(tav::os::GetLastError(), ENOSPC);
  EXPECT_FALSE(tav::os::AppendToFile(log, "new line\n"));
  tav::os::SimulateWriteFailure(0);
  unchanged("simulated");
  EXPECT_TRUE(tav::os::ReplaceFile(save, "new save"));
}

// A writer killed at random moments, 200 times: the file is always the whole
// old contents or the whole new, never a mix, a part or nothing.
TEST(UserFiles, AWriterKilledAtAnyMomentLeavesTheOldFileOrTheNew) {
  tavtest::TempDir dir;
  const std::wstring path = (dir.Path() / "Save1.dat").wstring();
  const std::string first(150000, 'a'), second(90000, 'b');
  ASSERT_TRUE(tav::os::ReplaceFile(path, first));
  std::mt19937 random(7);
  int torn = 0, news = 0;
  for (int round = 0; round < 200; ++round) {
    // The writer tells when its first file is down, so that however loaded
    // the machine, the kill comes while it is writing on.
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(started[0]);
      for (int i = 0;; ++i) {
        tav::os::ReplaceFile(path, i % 2 ? first : second);
        if (i == 0 && write(started[1], "w", 1) != 1) _exit(1);
      }
    }
    close(started[1]);
    char byte = 0;
    ASSERT_EQ(read(started[0], &byte, 1), 1);
    close(started[0]);
    usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string now = tavtest::ReadFileBytes(dir.Path() / "Save1.dat");
    if (now != first && now != second) ++torn;
    news += now == second;
  }
  EXPECT_EQ(torn, 0);
  EXPECT_GT(news, 0);
}

}  // namespace
