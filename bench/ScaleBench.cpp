// The start of a large game: tavri-bench-scale GAME_DIR [--rounds N] [--frames N] [--shot FILE.png]
// GAME_DIR holds Res.pac, Txt.pac and ID.pac (bench/run-scale.sh generates a
// game of 500 scenes and 300 MB there). Each round starts the real runtime in
// a fresh process of its own, once per way of inflating the archives:
//   at-load       every entry inflated while the archives load (the old way)
//   on-first-use  entries inflated when the engine first asks for them
// and times, on the same archives, plain zlib inflating every entry on one
// thread. A child runs StartUp() and then plays the first scene for a number
// of frames on the replay harness's clock, headless, and reports its wall and
// CPU time, its peak resident memory and what its stores inflated. Rounds
// interleave the variants; the medians and their ratios are printed.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "BenchSupport.h"
#include "Replay.h"
#include "app/Game.h"
#include "audio/AudioEngine.h"
#include "entry/StartUp.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/ScriptedInput.h"
#include "platform/os/MappedFile.h"
#include "platform/os/Threads.h"
#include "res/ArchiveStore.h"
#include "res/PacFormat.h"
#include "res/Stores.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const kArchives[] = {"Res.pac", "Txt.pac", "ID.pac"};

// What one child reports, in the order it prints them.
struct Start {
  double startWall = 0, startCpu = 0;  // process start to StartUp() returning
  double sceneWall = 0, sceneCpu = 0;  // ... to the last frame of the first scene
  double peakMb = 0;                   // VmHWM
  double inflateSeconds = 0;           // summed over the entries the stores inflated: elapsed
  double inflateCpu = 0;               // ... and processor time
  double inflatedEntries = 0, inflatedMb = 0;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakResidentMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024;
  return 0;
}

// The child: the runtime's own start-up in GAME_DIR, then `frames` frames.
int RunChild(const char* mode, const char* game, int frames, const char* shot) {
  const auto begin = std::chrono::steady_clock::now();
  const bool atLoad = std::strcmp(mode, "at-load") == 0;
  if (!atLoad && std::strcmp(mode, "on-first-use") != 0) return 2;
  const fs::path shotPath = shot ? fs::absolute(shot) : fs::path();
  if (chdir(game) != 0) {
    std::perror(game);
    return 1;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  const auto inflation = atLoad ? tav::ArchiveStore::Inflation::AtLoad : tav::ArchiveStore::Inflation::OnFirstUse;
  for (tav::ArchiveStore* store : {&tav::ResStore(), &tav::TextStore(), &tav::IdStore()})
    store->SetInflation(inflation);

  tav::fake::FakeClock clock(DWORD(tav::replay::kStartTime));
  tav::fake::ScriptedInput input;
  clock.Install();
  input.Install();
  if (!tav::StartUp()) {
    tav::ShutDownAudio();
    std::fprintf(stderr, "%s: the game did not start\n", game);
    return 1;
  }
  Start s;
  s.startWall = tavbench::Seconds(begin);
  s.startCpu = CpuSeconds();
  std::vector<tav::replay::Command> script;
  const uint64_t last = tav::replay::kStartTime + uint64_t(frames) * tav::replay::kFrameTime;
  if (shot) script.push_back({last, tav::replay::Action::Shot, 0, 0, shotPath, 0});
  script.push_back({last, tav::replay::Action::End, 0, 0, {}, 0});
  const tav::replay::RunResult result = tav::replay::RunScript(tav::GetGame(), clock, input, script);
  s.sceneWall = tavbench::Seconds(begin);
  s.sceneCpu = CpuSeconds();
  s.peakMb = PeakResidentMb();
  for (const tav::ArchiveStore* store : {&tav::ResStore(), &tav::TextStore(), &tav::IdStore()}) {
    tav::ArchiveStore::InflateStats stats = store->Stats();
    s.inflateSeconds += stats.seconds;
    s.inflateCpu += stats.cpuSeconds;
    s.inflatedEntries += double(stats.entries);
    s.inflatedMb += double(stats.bytes) / 1048576;
  }
  tav::ShutDownAudio();
  if (result.end != tav::replay::RunEnd::ScriptDone) {
    std::fprintf(stderr, "%s: the first scene did not play through (%s)\n", game, result.problem.c_str());
    return 1;
  }
  std::printf("%.6f %.6f %.6f %.6f %.3f %.6f %.6f %.0f %.3f\n", s.startWall, s.startCpu, s.sceneWall, s.sceneCpu,
              s.peakMb, s.inflateSeconds, s.inflateCpu, s.inflatedEntries, s.inflatedMb);
  return 0;
}

// Starts this program as a child in `mode` and reads its report.
bool Spawn(const std::vector<std::string>& args, Start& out) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; spawned == 0 && (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  close(pipeEnds[0]);
  if (spawned != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  std::istringstream in(text);
  in >> out.startWall >> out.startCpu >> out.sceneWall >> out.sceneCpu >> out.peakMb >> out.inflateSeconds >>
      out.inflateCpu >> out.inflatedEntries >> out.inflatedMb;
  return bool(in);
}

struct RawInflate {
  double seconds = 0, cpu = 0;
  uint64_t entries = 0, compressedBytes = 0, bytes = 0;
};

// Plain zlib over every entry of the three archives, one thread, into one
// reused buffer: the least inflating them can cost.
bool InflateRaw(const fs::path& game, RawInflate& out) {
  out = {};
  std::vector<uint8_t> buffer;
  for (const char* name : kArchives) {
    tav::os::MappedFile file;
    std::vector<tav::pac::Entry> entries;
    std::wstring problem;
    const std::string path = (game / name).string();
    if (file.Open(std::wstring(path.begin(), path.end())) != tav::os::MappedFile::Status::Ok ||
        !tav::pac::ReadDirectory(file.Data(), file.Size(), entries, problem)) {
      std::fprintf(stderr, "%s: not a readable archive\n", path.c_str());
      return false;
    }
    for (const tav::pac::Entry& e : entries) {
      if (buffer.size() < e.size) buffer.resize(e.size);
      uLongf length = e.size;
      const auto start = std::chrono::steady_clock::now();
      const double cpuStart = tav::os::ThreadCpuSeconds();
      const int result = uncompress(buffer.data(), &length, file.Data() + e.offset, e.compressedSize);
      out.cpu += tav::os::ThreadCpuSeconds() - cpuStart;
      out.seconds += tavbench::Seconds(start);
      if (result != Z_OK) {
        std::fprintf(stderr, "%s: an entry does not inflate\n", path.c_str());
        return false;
      }
      ++out.entries;
      out.compressedBytes += e.compressedSize;
      out.bytes += length;
    }
  }
  return true;
}

void Row(const char* what, double before, double after, const char* unit) {
  std::printf("  %-34s %12.3f %12.3f %s  after/before %.3f\n", what, before, after, unit,
              before > 0 ? after / before : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
    return RunChild(argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 30, argc > 5 ? argv[5] : nullptr);
  if (argc < 2) {
    std::fputs("usage: tavri-bench-scale GAME_DIR [--rounds N] [--frames N] [--shot FILE.png]\n", stderr);
    return 2;
  }
  const fs::path game = fs::absolute(argv[1]);
  int rounds = 3, frames = 30;
  std::string shot;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    else if (std::strcmp(argv[i], "--frames") == 0) frames = std::max(1, std::atoi(argv[i + 1]));
    else if (std::strcmp(argv[i], "--shot") == 0) shot = fs::absolute(argv[i + 1]).string();
  }
  std::printf("scale bench: %s\n", game.string().c_str());
  for (const char* name : kArchives) {
    std::error_code error;
    std::printf("  %-8s %10.1f MB\n", name, double(fs::file_size(game / name, error)) / 1048576);
  }
  std::printf("  %d rounds, first scene played for %d frames; medians\n", rounds, frames);
  std::fflush(stdout);

  const char* modes[] = {"at-load", "on-first-use"};
  std::vector<Start> runs[2];
  std::vector<double> rawWall, rawCpu;
  RawInflate rawTotals;
  for (int r = 0; r < rounds; ++r) {
    for (int m = 0; m < 2; ++m) {
      std::vector<std::string> args = {"tavri-bench-scale", "--child", modes[m], game.string(), std::to_string(frames)};
      if (!shot.empty() && m == 1 && r == 0) args.push_back(shot);
      Start s;
      if (!Spawn(args, s)) {
        std::fprintf(stderr, "the %s start-up failed\n", modes[m]);
        return 1;
      }
      runs[m].push_back(s);
    }
    if (!InflateRaw(game, rawTotals)) return 1;
    rawWall.push_back(rawTotals.seconds);
    rawCpu.push_back(rawTotals.cpu);
  }
  auto median = [&](int m, double Start::*field) {
    std::vector<double> v;
    for (const Start& s : runs[m]) v.push_back(s.*field);
    return tavbench::Median(v);
  };
  const double rawSeconds = tavbench::Median(rawWall), rawCpuSeconds = tavbench::Median(rawCpu);
  std::printf("raw zlib inflate of all %llu entries (%.1f MB -> %.1f MB), one thread, one reused buffer:\n"
              "  %.3f s elapsed, %.3f s CPU\n\n",
              (unsigned long long)rawTotals.entries, double(rawTotals.compressedBytes) / 1048576,
              double(rawTotals.bytes) / 1048576, rawSeconds, rawCpuSeconds);
  std::printf("  %-34s %12s %12s\n", "", modes[0], modes[1]);
  Row("start-up wall", median(0, &Start::startWall), median(1, &Start::startWall), "s ");
  Row("start-up CPU", median(0, &Start::startCpu), median(1, &Start::startCpu), "s ");
  Row("start-up + first scene wall", median(0, &Start::sceneWall), median(1, &Start::sceneWall), "s ");
  Row("start-up + first scene CPU", median(0, &Start::sceneCpu), median(1, &Start::sceneCpu), "s ");
  Row("peak memory (VmHWM)", median(0, &Start::peakMb), median(1, &Start::peakMb), "MB");
  Row("entries inflated", median(0, &Start::inflatedEntries), median(1, &Start::inflatedEntries), "  ");
  Row("bytes inflated", median(0, &Start::inflatedMb), median(1, &Start::inflatedMb), "MB");
  Row("inflating, CPU of its threads", median(0, &Start::inflateCpu), median(1, &Start::inflateCpu), "s ");
  Row("inflating, elapsed on its threads", median(0, &Start::inflateSeconds), median(1, &Start::inflateSeconds),
      "s ");
  std::printf("\n  %-58s %12s %12s\n", "ratios", modes[0], modes[1]);
  std::printf("  %-58s %12.3f %12.3f\n", "inflating CPU at start / raw inflate CPU of every entry",
              median(0, &Start::inflateCpu) / rawCpuSeconds, median(1, &Start::inflateCpu) / rawCpuSeconds);
  std::printf("  %-58s %12.3f %12.3f\n", "inflating CPU at start / start-up + first scene CPU",
              median(0, &Start::inflateCpu) / median(0, &Start::sceneCpu),
              median(1, &Start::inflateCpu) / median(1, &Start::sceneCpu));
  return 0;
}
