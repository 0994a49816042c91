#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>

#include "res/ArchiveStore.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
  int code = -1;
  std::string output;  // stdout and stderr together
};

// Runs tavpack with `args`, under `env` (assignments for env(1)) when given.
ToolRun Tavpack(const std::string& args, const std::string& env = "") {
  ToolRun run;
  std::string command = (env.empty() ? "" : "env " + env + " ") + TAVPACK_PATH + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) run.output.append(buf, n);
  int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

// Relative path -> bytes, for every regular file under `root`.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[e.path().lexically_relative(root).string()] = tavtest::ReadFileBytes(e.path());
  return files;
}

class TavpackTest : public testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(3);
    std::string noise(100000, '\0');
    for (char& c : noise) c = static_cast<char>(rng());
    tavtest::WriteFileBytes(src_ / "Txt/config.txt", "Demo\r\nDemo\r\n800\r\n");
    tavtest::WriteFileBytes(src_ / "Txt/b/deep/noise.bin", noise);
    tavtest::WriteFileBytes(src_ / "Txt/empty.txt", "");
    tavtest::WriteFileBytes(src_ / "Txt/\xE9\x9F\xB3\xE6\xA5\xBD.txt", "music");
    tavtest::WriteFileBytes(src_ / "Txt/A.txt", "upper");
  }
  tavtest::TempDir dir_;
  fs::path src_ = dir_ / "src";
};

TEST_F(TavpackTest, CreateListExtractVerifyRoundTripByteForByte) {
  fs::path pac = dir_ / "Txt.pac";
  ToolRun create = Tavpack("create " + Q(pac) + " " + Q(src_ / "Txt/"));
  ASSERT_EQ(create.code, 0) << create.output;

  ToolRun list = Tavpack("list " + Q(pac));
  ASSERT_EQ(list.code, 0) << list.output;
  // Sorted names with the folder's own name first and backslash separators.
  size_t a = list.output.find("  Txt\\A.txt\n"), b = list.output.find("  Txt\\b\\deep\\noise.bin\n"),
         c = list.output.find("  Txt\\config.txt\n"), e = list.output.find("  Txt\\empty.txt\n"),
         m = list.output.find("  Txt\\\xE9\x9F\xB3\xE6\xA5\xBD.txt\n");
  ASSERT_NE(m, std::string::npos) << list.output;
  EXPECT_TRUE(a < b && b < c && c < e && e < m) << list.output;
  EXPECT_NE(list.output.find("5 entries"), std::string::npos);

  ToolRun verify = Tavpack("verify " + Q(pac));
  EXPECT_EQ(verify.code, 0) << verify.output;
  EXPECT_NE(verify.output.find("ok, 5 entries"), std::string::npos);

  ToolRun extract = Tavpack("extract " + Q(pac) + " " + Q(dir_ / "out"));
  ASSERT_EQ(extract.code, 0) << extract.output;
  EXPECT_EQ(Tree(dir_ / "out/Txt"), Tree(src_ / "Txt"));

  // The engine reads what the tool wrote, under the names the engine asks for.
  tav::ArchiveStore store;
  std::string path = pac.string();
  ASSERT_TRUE(tav::ArchiveStore::Load(store, std::wstring(path.begin(), path.end())));
  const uint8_t* data;
  uint32_t size;
  ASSERT_TRUE(store.Get(L"Txt\\\u97F3\u697D.txt", &data, &size));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "music");
}

TEST_F(TavpackTest, PlainCLocaleTreatsNamesAsUtf8) {
  fs::path pac = dir_ / "Txt.pac";
  ASSERT_EQ(Tavpack("create " + Q(pac) + " " + Q(src_ / "Txt")).code, 0);
  // Under LC_ALL=C names still convert, as UTF-8, and come out unchanged.
  ToolRun list = Tavpack("list " + Q(pac), "LC_ALL=C LANG=C");
  EXPECT_EQ(list.code, 0);
  EXPECT_NE(list.output.find("  Txt\\\xE9\x9F\xB3\xE6\xA5\xBD.txt\n"), std::string::npos) << list.output;
}

TEST_F(TavpackTest, BadInputFailsClearlyAndLeavesNoOutput) {
  ToolRun missing = Tavpack("create " + Q(dir_ / "x.pac") + " " + Q(dir_ / "nope"));
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.output.find("is not a folder"), std::string::npos) << missing.output;
  EXPECT_FALSE(fs::exists(dir_ / "x.pac"));

  ToolRun noFolder = Tavpack("create " + Q(dir_ / "no/such/x.pac") + " " + Q(src_ / "Txt"));
  EXPECT_EQ(noFolder.code, 1);
  EXPECT_NE(noFolder.output.find("cannot create"), std::string::npos) << noFolder.output;

  EXPECT_EQ(Tavpack("").code, 2);
  EXPECT_EQ(Tavpack("create only-one-arg").code, 2);
  EXPECT_EQ(Tavpack("frobnicate a b").code, 2);

  // Nothing but the sources and the folder itself may remain: no temporary files.
  for (const auto& e : fs::directory_iterator(dir_.Path())) EXPECT_EQ(e.path().filename(), "src");
}

TEST_F(TavpackTest, DamagedArchivesAreReportedAndNotExtracted) {
  fs::path pac = dir_ / "Res.pac";
  ASSERT_EQ(Tavpack("create " + Q(pac) + " " + Q(src_ / "Txt")).code, 0);
  std::string bytes = tavtest::ReadFileBytes(pac);
  tavtest::WriteFileBytes(dir_ / "cut.pac", bytes.substr(0, bytes.size() - 10));

  ToolRun verify = Tavpack("verify " + Q(dir_ / "cut.pac"));
  EXPECT_EQ(verify.code, 1);
  EXPECT_NE(verify.output.find("lies outside the file"), std::string::npos) << verify.output;
  EXPECT_NE(verify.output.find("damaged"), std::string::npos) << verify.output;

  ToolRun list = Tavpack("list " + Q(dir_ / "cut.pac"));
  EXPECT_EQ(list.code, 1);

  ToolRun extract = Tavpack("extract " + Q(dir_ / "cut.pac") + " " + Q(dir_ / "out"));
  EXPECT_EQ(extract.code, 1);
  EXPECT_FALSE(fs::exists(dir_ / "out"));

  ToolRun absent = Tavpack("verify " + Q(dir_ / "absent.pac"));
  EXPECT_EQ(absent.code, 1);
  EXPECT_NE(absent.output.find("No such file or directory"), std::string::npos) << absent.output;
}

TEST_F(TavpackTest, ExtractRefusesNamesThatLeaveTheFolder) {
  for (const std::string name : {"..\\evil.txt", "Txt\\..\\..\\evil.txt", "\\abs.txt", "Txt\\a/../../evil.txt",
                                 "Txt\\\\double.txt"}) {
    tavtest::WriteFileBytes(dir_ / "evil.pac", tavtest::BuildArchive({{"Txt\\ok.txt", "ok"}, {name, "gotcha"}}));
    ToolRun extract = Tavpack("extract " + Q(dir_ / "evil.pac") + " " + Q(dir_ / "out/inner"));
    EXPECT_EQ(extract.code, 1) << name;
    EXPECT_NE(extract.output.find("not a safe relative path"), std::string::npos) << extract.output;
    EXPECT_FALSE(fs::exists(dir_ / "out")) << name;
    EXPECT_FALSE(fs::exists(dir_ / "evil.txt")) << name;
  }
}

}  // namespace
