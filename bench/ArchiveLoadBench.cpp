// Archive loading against plain zlib. Builds (once, cached in the temporary
// folder) a ~200 MB archive of text, noise and image-like data, then times in
// interleaved rounds:
//   raw       zlib uncompress of the same streams into fresh buffers, one thread
//   load-1    ArchiveStore::Load on one thread
//   load-N    ArchiveStore::Load of every entry at load, automatic thread count
// and prints the medians and the ratios.
#include <cstdio>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>
#include <zlib.h>

#include "BenchSupport.h"
#include "core/ErrorLog.h"
#include "platform/os/Locale.h"
#include "platform/os/Threads.h"
#include "res/ArchiveStore.h"
#include "res/PacFormat.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kTarget = 200u << 20;

// Text: lines drawn from a vocabulary of English and Japanese words, like scripts.
std::string MakeText(std::mt19937& rng, size_t size) {
  static const char* words[] = {"the", "door", "opened", "slowly", "and", "she", "looked", "back",
                                "\xE5\xA4\x95\xE6\x9A\xAE\xE3\x82\x8C", "\xE3\x81\xAF\xE3\x81\x84",
                                "\xE3\x80\x90\xE5\xA4\xAA\xE9\x83\x8E\xE3\x80\x91", "\xE3\x80\x8C", "\xE3\x80\x8D",
                                "msg", "img", "{", "}", "0", "128", "FF000000"};
  std::string out;
  out.reserve(size + 16);
  while (out.size() < size) {
    int n = 3 + rng() % 12;
    for (int i = 0; i < n; ++i) {
      out += words[rng() % std::size(words)];
      out += ' ';
    }
    out += "\r\n";
  }
  out.resize(size);
  return out;
}

std::string MakeNoise(std::mt19937& rng, size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i + 4 <= size; i += 4) {
    uint32_t v = rng();
    std::memcpy(&out[i], &v, 4);
  }
  return out;
}

// Image-like: 32-bit pixels of smooth gradients with soft shapes and a little
// grain, as backgrounds and sprites are before compression.
std::string MakeImage(std::mt19937& rng, size_t size) {
  size_t width = 1024, height = size / 4 / width;
  std::string out(width * height * 4, '\0');
  int cx = rng() % width, cy = rng() % (height ? height : 1), r = 50 + rng() % 300;
  for (size_t y = 0; y < height; ++y) {
    for (size_t x = 0; x < width; ++x) {
      long dx = long(x) - cx, dy = long(y) - cy;
      bool inside = dx * dx + dy * dy < long(r) * r;
      uint8_t grain = rng() % 4;
      uint8_t* p = reinterpret_cast<uint8_t*>(&out[(y * width + x) * 4]);
      p[0] = static_cast<uint8_t>(x * 255 / width + grain);
      p[1] = static_cast<uint8_t>(y * 255 / (height ? height : 1) + grain);
      p[2] = inside ? 220 : 40;
      p[3] = inside ? 255 : 0;
    }
  }
  return out;
}

bool BuildArchive(const fs::path& path) {
  std::mt19937 rng(1);
  std::vector<std::string> datas;
  std::vector<std::string> names;
  size_t total = 0;
  for (int i = 0; total < kTarget; ++i) {
    size_t size = 16384 + rng() % (6u << 20);
    std::string data;
    switch (i % 3) {
      case 0: data = MakeText(rng, size); break;
      case 1: data = MakeNoise(rng, size / 2); break;
      default: data = MakeImage(rng, size); break;
    }
    total += data.size();
    names.push_back("Res\\bench\\" + std::to_string(i) + (i % 3 == 0 ? ".txt" : i % 3 == 1 ? ".ogg" : ".bmp"));
    datas.push_back(std::move(data));
  }
  std::vector<tav::pac::PackedEntry> packed(datas.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < datas.size();) {
      auto& e = packed[i];
      e.name = names[i];
      e.wideLength = static_cast<uint32_t>(names[i].size());
      e.size = static_cast<uint32_t>(datas[i].size());
      uLongf length = compressBound(datas[i].size());
      e.stream.resize(length);
      compress2(e.stream.data(), &length, reinterpret_cast<const Bytef*>(datas[i].data()), datas[i].size(), 9);
      e.stream.resize(length);
    }
  };
  tav::os::RunOnThreads(std::thread::hardware_concurrency(), work);
  std::vector<uint8_t> bytes;
  std::wstring problem;
  if (!tav::pac::BuildArchive(packed, 9, bytes, problem)) return false;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  tav::os::SetUserLocale();
  tav::SetLogSink([](std::wstring_view line) { std::fprintf(stderr, "%ls\n", std::wstring(line).c_str()); });
  int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
  fs::path path = fs::temp_directory_path() / "tavri-bench-archive-v1.pac";
  if (!fs::exists(path)) {
    std::printf("building %s ...\n", path.c_str());
    std::fflush(stdout);
    if (!BuildArchive(path)) return 1;
  }
  std::wstring widePath = path.wstring();

  // The raw baseline reads the streams from memory, as the loader reads them
  // from its mapping.
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<tav::pac::Entry> entries;
  std::wstring problem;
  if (!tav::pac::ReadDirectory(file.data(), file.size(), entries, problem)) return 1;
  uint64_t inflated = 0;
  for (const auto& e : entries) inflated += e.size;
  std::printf("archive: %zu entries, %.1f MB packed, %.1f MB inflated, %u cores\n", entries.size(),
              file.size() / 1e6, inflated / 1e6, std::thread::hardware_concurrency());

  std::vector<double> raw, load1, loadN;
  for (int r = 0; r < rounds; ++r) {
    {
      std::vector<std::unique_ptr<uint8_t[]>> outputs(entries.size());
      raw.push_back(tavbench::Time([&] {
        for (size_t i = 0; i < entries.size(); ++i) {
          outputs[i].reset(new uint8_t[entries[i].size]);
          uLongf length = entries[i].size;
          if (uncompress(outputs[i].get(), &length, file.data() + entries[i].offset, entries[i].compressedSize) != Z_OK)
            std::abort();
        }
      }));
    }
    {
      tav::ArchiveStore store;
      load1.push_back(tavbench::Time([&] {
        if (!tav::ArchiveStore::Load(store, widePath, 1)) std::abort();
      }));
    }
    {
      tav::ArchiveStore store;
      loadN.push_back(tavbench::Time([&] {
        // Every entry at load, on the automatic thread count (by default a
        // store inflates each entry when first asked for, which is not what
        // this compares).
        if (!tav::ArchiveStore::Load(store, widePath, 0)) std::abort();
      }));
    }
  }
  double r0 = tavbench::Median(raw), l1 = tavbench::Median(load1), ln = tavbench::Median(loadN);
  std::printf("%-8s %8s %10s\n", "variant", "median", "MB/s out");
  std::printf("%-8s %7.3fs %10.0f\n", "raw", r0, inflated / 1e6 / r0);
  std::printf("%-8s %7.3fs %10.0f\n", "load-1", l1, inflated / 1e6 / l1);
  std::printf("%-8s %7.3fs %10.0f\n", "load-N", ln, inflated / 1e6 / ln);
  std::printf("load-1 speed relative to raw uncompress: %.3fx (goal >= 0.9x)\n", r0 / l1);
  std::printf("load-N speedup over load-1: %.2fx; relative to raw: %.2fx\n", l1 / ln, r0 / ln);
  return 0;
}
