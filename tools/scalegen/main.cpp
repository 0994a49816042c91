// tavri-scalegen: writes a large generated game for the scale benchmark as a
// staging folder with Res, Txt and ID below it, ready for tavpack.
//   tavri-scalegen STAGE_DIR [--scenes N] [--megabytes M] [--seed S]
//                  [--music-seconds T] [--hlsl DIR]
// The pictures fill what the sounds leave of M megabytes (default 300), so the
// resource folder ends up just over M. The same arguments always give the
// same bytes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Noise.h"
#include "Pictures.h"
#include "Scenario.h"
#include "Sounds.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  fs::path stage;
  int scenes = 500;
  double megabytes = 300;
  uint64_t seed = 1;
  double musicSeconds = 45;
  fs::path hlsl;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  if (argc < 2) return false;
  o.stage = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const char* value = argv[i + 1];
    char* end = nullptr;
    if (key == "--scenes") o.scenes = int(std::strtol(value, &end, 10));
    else if (key == "--megabytes") o.megabytes = std::strtod(value, &end);
    else if (key == "--seed") o.seed = std::strtoull(value, &end, 10);
    else if (key == "--music-seconds") o.musicSeconds = std::strtod(value, &end);
    else if (key == "--hlsl") o.hlsl = value, end = const_cast<char*>(value) + std::strlen(value);
    else return false;
    if (!end || *end) return false;
  }
  return (argc % 2 == 0) && o.scenes > 0 && o.megabytes > 0 && o.musicSeconds > 0;
}

// Writes one resource below Res and counts its bytes.
class ResWriter {
 public:
  explicit ResWriter(fs::path root) : root_(std::move(root)) {}
  // `name` uses backslashes, as the scenes name it.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::path path = root_;
    size_t start = 0;
    for (size_t cut; (cut = name.find('\\', start)) != std::string::npos; start = cut + 1)
      path /= name.substr(start, cut - start);
    fs::create_directories(path);
    path /= name.substr(start);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    bytes_ += bytes.size();
    return name;
  }
  uint64_t Bytes() const { return bytes_; }

 private:
  fs::path root_;
  uint64_t bytes_ = 0;
};

std::string Numbered(const char* prefix, size_t n, const char* extension) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%04zu%s", prefix, n, extension);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fputs("usage: tavri-scalegen STAGE_DIR [--scenes N] [--megabytes M] [--seed S] [--music-seconds T] "
               "[--hlsl DIR]\n",
               stderr);
    return 2;
  }
  try {
    fs::remove_all(o.stage);
    ResWriter res(o.stage / "Res");
    scalegen::ScenarioPlan plan;
    plan.scenes = o.scenes;
    plan.seed = o.seed;
    plan.messageWindow = res.Write("ui\\msgwin.png", scalegen::PaintMessageWindow(plan.width - 80, 170));

    // Seeds are derived per file, so one file does not depend on how many
    // came before it.
    const uint64_t seed = o.seed * 1000003;
    int spoken = 0;
    for (int s = 0; s < o.scenes; ++s) spoken += scalegen::IsSpoken(s);
    for (int v = 0; v < spoken; ++v) {
      scalegen::Noise length(seed + 1 + 7 * uint64_t(v));
      plan.voices.push_back(res.Write(Numbered("voice\\v", size_t(v), ".ogg"),
                                      scalegen::MakeVoice(seed + 2 + 7 * uint64_t(v), length.Range(2.5, 5.0))));
    }
    const int tracks = std::min(12, (o.scenes + 39) / 40);
    for (int m = 0; m < tracks; ++m)
      plan.music.push_back(res.Write(Numbered("bgm\\m", size_t(m), ".ogg"),
                                     scalegen::MakeMusic(seed + 3 + 7 * uint64_t(m), o.musicSeconds)));
    const uint64_t soundBytes = res.Bytes();

    // Backgrounds alternate JPEG and PNG; a sprite follows each. Pictures are
    // added until the resources reach the size asked for.
    const uint64_t target = uint64_t(o.megabytes * 1024 * 1024);
    for (size_t k = 0; plan.backgrounds.empty() || res.Bytes() < target; ++k) {
      const bool png = k % 2 == 1;
      plan.backgrounds.push_back(res.Write(
          Numbered("bg\\b", k, png ? ".png" : ".jpg"),
          scalegen::PaintBackground(seed + 4 + 7 * k, plan.width, plan.height,
                                    png ? scalegen::PictureFormat::Png : scalegen::PictureFormat::Jpeg)));
      plan.sprites.push_back(
          res.Write(Numbered("ch\\c", k, ".png"), scalegen::PaintSprite(seed + 5 + 7 * k, 480, 640)));
    }
    scalegen::WriteIdFile(o.stage / "Res" / "id.txt", 1);
    if (!o.hlsl.empty()) fs::copy(o.hlsl, o.stage / "Res" / "HLSL", fs::copy_options::recursive);

    scalegen::WriteScenario(plan, o.stage / "Txt");
    fs::create_directories(o.stage / "ID");
    scalegen::WriteIdFile(o.stage / "ID" / "id.txt", 1);
    std::printf("tavri-scalegen: %d scenes, %zu voices, %zu tracks, %zu backgrounds, %zu sprites; "
                "%.1f MB of sounds, %.1f MB in all, in %s\n",
                o.scenes, plan.voices.size(), plan.music.size(), plan.backgrounds.size(), plan.sprites.size(),
                double(soundBytes) / 1048576, double(res.Bytes()) / 1048576, o.stage.string().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavri-scalegen: %s\n", e.what());
    return 1;
  }
  return 0;
}
