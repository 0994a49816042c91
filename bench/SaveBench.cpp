// What writing a save in one step costs: a slot file of a long game (2,000
// visited scenes, 8 KB) written as the engine writes it (a new file, flushed to
// the disk, renamed over the old one, the folder flushed) against a plain
// truncating write of the same bytes, in the temporary folder. Interleaved
// rounds; prints the medians and their ratio.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/os/Files.h"
#include "save/SlotFile.h"

int main() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "tavri-bench-save";
  fs::create_directories(dir);
  std::vector<int32_t> visited(2000);
  for (size_t i = 0; i < visited.size(); ++i) visited[i] = int32_t(i);
  std::tm now{};
  const std::string bytes = tav::EncodeSlot(7, visited, tav::MakeSlotLabel(now, L"春の終わり。", 35));
  const std::wstring safe = (dir / "safe.dat").wstring();
  const std::string plain = (dir / "plain.dat").string();

  std::vector<double> safeTimes, plainTimes;
  for (int round = 0; round < 41; ++round) {
    safeTimes.push_back(tavbench::Time([&] { tav::os::ReplaceFile(safe, bytes); }));
    plainTimes.push_back(tavbench::Time([&] {
      if (FILE* f = std::fopen(plain.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
      }
    }));
  }
  const double s = tavbench::Median(safeTimes), p = tavbench::Median(plainTimes);
  std::printf("slot file of %zu bytes, median of %zu rounds\n", bytes.size(), safeTimes.size());
  std::printf("  one-step write (fsync, rename, fsync folder)  %8.3f ms\n", s * 1e3);
  std::printf("  truncating write (\"wb\", no flush)             %8.3f ms\n", p * 1e3);
  std::printf("  ratio                                          %8.1fx\n", p > 0 ? s / p : 0.0);
  fs::remove_all(dir);
  return 0;
}
