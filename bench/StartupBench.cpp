// Start-up: from process start to the first presented frame of a tiny game
// (three 800 x 600 PNG backgrounds, a message window and one Japanese line,
// as the peer comparison uses), step by step, with the CPU time (user +
// system, every thread) and the memory (resident now, peak so far) at the end
// of each step.
//
// Each run is a fresh process (this program started again with --child), so
// loading the libraries and the driver is counted as a player sees it. Rounds
// interleave the variants so that a slow moment of the machine hurts all alike:
//   floor  the same process doing only what any OpenGL program does: load the
//          driver, open a window, make a device of the game's size, present
//          one cleared frame
//   warm   the full start-up with a Mesa shader cache kept from earlier runs
//   cold   the full start-up with empty caches (Mesa, fontconfig)
// Medians of each step are printed, then the totals as ratios to the floor.
//
//   tavri-bench-startup [ROUNDS]
//   tavri-bench-startup --write-game DIR   (only writes the game's archives)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "BenchSupport.h"
#include "app/Game.h"
#include "entry/StartUp.h"
#include "platform/gpu/D3D9.h"
#include "platform/os/Window.h"
#include "res/PacFormat.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 800, kHeight = 600;

// --- The game -------------------------------------------------------------

void ToPng(void* context, void* data, int size) {
  auto* out = static_cast<std::string*>(context);
  out->append(static_cast<const char*>(data), size_t(size));
}

// A gradient with a few discs and grain, so that it does not compress to
// nothing (like a painted background).
std::string Background(int seed) {
  std::mt19937 rng{uint32_t(seed)};
  std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
  const int cx = int(rng() % kWidth), cy = int(rng() % kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = &rgb[(size_t(y) * kWidth + x) * 3];
      const int d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      p[0] = uint8_t(x * 255 / kWidth + int(rng() % 8));
      p[1] = uint8_t(y * 255 / kHeight + int(rng() % 8));
      p[2] = uint8_t(d < 150 * 150 ? 230 : 40 * seed + int(rng() % 8));
    }
  std::string png;
  stbi_write_png_to_func(ToPng, &png, kWidth, kHeight, 3, rgb.data(), kWidth * 3);
  return png;
}

// The message window: 780 x 150, one translucent colour.
std::string WindowPicture() {
  const int w = 780, h = 150;
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = 20;
    rgba[i + 1] = 20;
    rgba[i + 2] = 40;
    rgba[i + 3] = 180;
  }
  std::string png;
  stbi_write_png_to_func(ToPng, &png, w, h, 4, rgba.data(), w * 4);
  return png;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

bool WriteArchive(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<tav::pac::PackedEntry> entries;
  for (const auto& [name, data] : files) {
    tav::pac::PackedEntry e;
    e.name = name;
    e.wideLength = uint32_t(name.size());
    e.size = uint32_t(data.size());
    uLongf length = compressBound(data.size());
    e.stream.resize(length);
    if (compress2(e.stream.data(), &length, reinterpret_cast<const Bytef*>(data.data()), data.size(), 6) != Z_OK)
      return false;
    e.stream.resize(length);
    entries.push_back(std::move(e));
  }
  std::vector<uint8_t> bytes;
  std::wstring problem;
  if (!tav::pac::BuildArchive(entries, 6, bytes, problem)) return false;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// The first scene of the peers' tiny game: a background, the message window
// and one line.
bool WriteGame(const fs::path& dir) {
  const std::string config = Lines({"VN baseline (Tavri)", "vnb_", "800", "600", "24", "FFFFFFFF", "30", "40", "480",
                                    "40", "450", "300", "3", "window.png", "0", "2000", "0"});
  const std::string story = Lines({"{", "\timg 0 0 bg1.png", "\timg 10 440 window.png",
                                   "\tmsg \xE3\x80\x90\xE3\x82\xA2\xE3\x83\xAA\xE3\x82\xB9\xE3\x80\x91\xE3\x80\x8C"
                                   "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF\xE3\x80\x81"
                                   "\xE4\xB8\x96\xE7\x95\x8C\xE3\x80\x82\xE3\x80\x8D",
                                   "}"});
  return WriteArchive(dir / "Txt.pac", {{"Txt\\config.txt", config},
                                        {"Txt\\id.txt", Lines({"1"})},
                                        {"Txt\\scene.txt", Lines({"story.txt"})},
                                        {"Txt\\story.txt", story}}) &&
         WriteArchive(dir / "ID.pac", {{"ID\\id.txt", Lines({"1"})}}) &&
         WriteArchive(dir / "Res.pac", {{"Res\\id.txt", Lines({"1"})},
                                        {"Res\\bg1.png", Background(1)},
                                        {"Res\\bg2.png", Background(2)},
                                        {"Res\\bg3.png", Background(3)},
                                        {"Res\\window.png", WindowPicture()}});
}

// --- One run (the child) ----------------------------------------------------

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The process's CPU and that of the children it has waited for (shaders are
// compiled in child processes).
double CpuSeconds() {
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage;
    getrusage(who, &usage);
    total += seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }
  return total;
}

// VmRSS, VmHWM and RssAnon (memory not backed by files) in MiB.
void Memory(double& rss, double& peak, double& anon) {
  std::ifstream in("/proc/self/status");
  std::string line;
  rss = peak = anon = 0;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) rss = std::atof(line.c_str() + 6) / 1024;
    if (line.rfind("VmHWM:", 0) == 0) peak = std::atof(line.c_str() + 6) / 1024;
    if (line.rfind("RssAnon:", 0) == 0) anon = std::atof(line.c_str() + 8) / 1024;
  }
}

// Writes "step<TAB>cpu<TAB>wall<TAB>rss<TAB>peak<TAB>anon" lines to `out`.
class StepLog {
 public:
  explicit StepLog(FILE* out) : out_(out) {}
  void Step(const char* name) {
    double rss, peak, anon;
    Memory(rss, peak, anon);
    std::fprintf(out_, "%s\t%.6f\t%.6f\t%.3f\t%.3f\t%.3f\n", name, CpuSeconds(), Now(), rss, peak, anon);
    std::fflush(out_);
  }

 private:
  FILE* out_;
};

// What every OpenGL program pays: the driver, a window, a device, a frame.
int RunFloor(StepLog& log) {
  const tav::gpu::D3D9Module* module = tav::gpu::LoadD3D9();
  IDirect3D9Ex* object = nullptr;
  if (!module || FAILED(module->Direct3DCreate9Ex(D3D_SDK_VERSION, &object)) || !object) return 1;
  log.Step("driver loaded");
  tav::os::Window* window = tav::os::Window::Create(L"bench", kWidth, kHeight, true);
  D3DPRESENT_PARAMETERS params = tavbench::WindowedPresent(window, kWidth, kHeight);
  IDirect3DDevice9Ex* device = nullptr;
  if (!window || FAILED(object->CreateDeviceEx(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                               &params, nullptr, &device)))
    return 1;
  log.Step("window, device");
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
  if (FAILED(device->PresentEx(nullptr, nullptr, nullptr, nullptr, 0))) return 1;
  log.Step("first frame");
  return 0;
}

int RunGame(StepLog& log, const char* gameDir) {
  if (chdir(gameDir) != 0) return 1;
  if (!tav::StartUp(nullptr, [&log](const char* step) { log.Step(step); })) return 1;
  if (!tav::GetGame().Frame()) return 1;
  log.Step("first frame");
  return 0;
}

int Child(const std::string& variant, const char* gameDir, int fd) {
  FILE* out = fdopen(fd, "w");
  if (!out) return 1;
  StepLog log(out);
  int code = variant == "floor" ? RunFloor(log) : RunGame(log, gameDir);
  std::fflush(out);
  // What comes after the first frame is not measured: leave at once.
  _exit(code);
}

// --- The rounds (the parent) --------------------------------------------------

struct Step {
  std::string name;
  double cpu = 0, wall = 0, rss = 0, peak = 0, anon = 0;
};

// Runs one child; its steps with wall times from the moment it was started.
bool RunOnce(const std::string& self, const std::string& variant, const fs::path& game, const fs::path& cacheHome,
             std::vector<Step>& steps) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  const double started = Now();
  pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    setenv("MESA_SHADER_CACHE_DIR", (cacheHome / "mesa_shader_cache").c_str(), 1);
    const std::string fd = std::to_string(pipeFds[1]);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 2);
    execl(self.c_str(), self.c_str(), "--child", variant.c_str(), game.c_str(), fd.c_str(), nullptr);
    _exit(127);
  }
  close(pipeFds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  steps.clear();
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    Step s;
    std::istringstream fields(line);
    std::getline(fields, s.name, '\t');
    fields >> s.cpu >> s.wall >> s.rss >> s.peak >> s.anon;
    s.wall -= started;
    steps.push_back(s);
  }
  return !steps.empty();
}

struct Series {
  std::vector<std::string> names;
  std::map<std::string, std::vector<Step>> runs;  // by step name
  void Add(const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      if (!runs.count(s.name)) names.push_back(s.name);
      runs[s.name].push_back(s);
    }
  }
  Step Median(const std::string& name) const {
    const std::vector<Step>& all = runs.at(name);
    auto median = [&all](double Step::*field) {
      std::vector<double> v;
      for (const Step& s : all) v.push_back(s.*field);
      return tavbench::Median(v);
    };
    return {name,
            median(&Step::cpu),
            median(&Step::wall),
            median(&Step::rss),
            median(&Step::peak),
            median(&Step::anon)};
  }
  Step Last() const { return Median(names.back()); }
};

void Print(const char* title, const Series& series) {
  const size_t runs = series.runs.empty() ? 0 : series.runs.begin()->second.size();
  std::printf("\n%s (medians of %zu runs)\n", title, runs);
  std::printf("  %-46s %9s %9s %9s %9s %9s %9s\n", "step", "CPU ms", "+CPU ms", "wall ms", "RSS MiB", "anon MiB",
              "peak MiB");
  double previous = 0;
  for (const std::string& name : series.names) {
    const Step s = series.Median(name);
    std::printf("  %-46s %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f\n", name.c_str(), s.cpu * 1e3, (s.cpu - previous) * 1e3,
                s.wall * 1e3, s.rss, s.anon, s.peak);
    previous = s.cpu;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    return Child(argv[2], argv[3], std::atoi(argv[4]));
  }
  if (argc == 3 && std::strcmp(argv[1], "--write-game") == 0) return WriteGame(argv[2]) ? 0 : 1;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::error_code error;
  const std::string self = fs::read_symlink("/proc/self/exe", error).string();
  const fs::path root = fs::temp_directory_path() / ("tavri-bench-startup-" + std::to_string(getpid()));
  const fs::path game = root / "game", warmCache = root / "warm-cache", coldCache = root / "cold-cache";
  fs::create_directories(game, error);
  fs::create_directories(root / "data", error);
  fs::create_directories(warmCache, error);
  setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);  // the game's per-user folder
  if (error || !WriteGame(game)) {
    std::fprintf(stderr, "cannot write the game under %s\n", root.c_str());
    return 1;
  }
  std::vector<Step> steps;
  // One unmeasured run of each kind fills the warm cache and the page cache.
  if (!RunOnce(self, "floor", game, warmCache, steps) || !RunOnce(self, "game", game, warmCache, steps)) {
    std::fprintf(stderr, "the game did not start\n");
    fs::remove_all(root, error);
    return 1;
  }
  Series floor, warm, cold;
  std::vector<double> warmRatio, coldRatio, warmPeakRatio, coldPeakRatio;
  for (int r = 0; r < rounds; ++r) {
    std::vector<Step> f, w, c;
    // Mesa makes its cache folder but not the folders above it.
    fs::remove_all(coldCache, error);
    fs::create_directories(coldCache, error);
    bool ok = RunOnce(self, "floor", game, warmCache, f) && RunOnce(self, "game", game, warmCache, w) &&
              RunOnce(self, "game", game, coldCache, c);
    if (!ok) {
      std::fprintf(stderr, "a run failed\n");
      fs::remove_all(root, error);
      return 1;
    }
    floor.Add(f);
    warm.Add(w);
    cold.Add(c);
    warmRatio.push_back(w.back().cpu / f.back().cpu);
    coldRatio.push_back(c.back().cpu / f.back().cpu);
    warmPeakRatio.push_back(w.back().peak / f.back().peak);
    coldPeakRatio.push_back(c.back().peak / f.back().peak);
  }
  fs::remove_all(root, error);

  Print("floor: driver, window, device, one frame", floor);
  Print("warm: start-up and first frame", warm);
  Print("cold: start-up and first frame, empty caches", cold);
  const Step fl = floor.Last(), wl = warm.Last(), cl = cold.Last();
  std::printf("\ntotals              CPU ms   wall ms  peak MiB   CPU/floor  peak/floor\n");
  std::printf("  floor          %9.1f %9.1f %9.1f\n", fl.cpu * 1e3, fl.wall * 1e3, fl.peak);
  std::printf("  warm           %9.1f %9.1f %9.1f %11.2f %11.2f\n", wl.cpu * 1e3, wl.wall * 1e3, wl.peak,
              tavbench::Median(warmRatio), tavbench::Median(warmPeakRatio));
  std::printf("  cold           %9.1f %9.1f %9.1f %11.2f %11.2f\n", cl.cpu * 1e3, cl.wall * 1e3, cl.peak,
              tavbench::Median(coldRatio), tavbench::Median(coldPeakRatio));
  return 0;
}
