// The CPU cost of one frame of a busy scene on the real OpenGL device: a
// full-screen picture, 10 sprites, 400 revealed glyphs in 20 rows and a fade
// running, drawn through the engine's frame step. Rows, per round, in one run:
//   floor      clearing and presenting an empty frame: the least a frame costs
//   busy       the scene as the engine draws it
//   one-by-one the same scene with every draw issued alone and all of its
//              state set again (how the device drew before it batched)
//   pulse      a page waiting for a click while its line dims, drawn through
//              the fixed texture stages: only the line's box changes, so only
//              that box is drawn and presented
// and the draw calls, state changes and vertex uploads that reach OpenGL per
// frame. Run it where OpenGL is (SDL_VIDEODRIVER=offscreen works headless).
//   tavri-bench-frame [GAME_DIR] [ROUNDS]
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/RenderStates.h"
#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/Quad.h"
#include "platform/gpu/DrawCounters.h"
#include "platform/os/Window.h"

namespace {

constexpr UINT kWidth = 800, kHeight = 600;
constexpr int kFramesPerRound = 60;
constexpr int kRows = 20, kGlyphsPerRow = 20, kSprites = 10;

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Fills a texture with a pattern (opaque or with an alpha shape) so that the
// rasteriser samples real data.
bool Paint(CBaseD3D& d3d, const std::wstring& name, int seed, bool shaped) {
  IDirect3DTexture9* texture = d3d.GetTexture(name);
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  if (!texture || FAILED(texture->GetLevelDesc(0, &desc)) || FAILED(texture->LockRect(0, &locked, nullptr, 0)))
    return false;
  for (UINT y = 0; y < desc.Height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) {
      uint32_t alpha = shaped ? ((x / 7 + y / 5 + uint32_t(seed)) % 3 ? 0xFFu : 0x40u) : 0xFFu;
      row[x] = alpha << 24 | ((x * 3 + uint32_t(seed) * 40) & 0xFF) << 16 | ((y * 2) & 0xFF) << 8 | ((x ^ y) & 0xFF);
    }
  }
  texture->UnlockRect(0);
  return true;
}

struct Scene {
  std::vector<std::unique_ptr<tav::CQuad>> quads;  // in drawing order
  tav::CQuad* fade = nullptr;
  // A page waiting for a click: the picture, the message window and one line
  // of 12 glyphs, each glyph its own texture, whose colour moves every frame
  // as during the waiting pulse.
  std::vector<std::unique_ptr<tav::CQuad>> waiting;
  size_t firstGlyph = 0;
};

bool Build(CBaseD3D& d3d, Scene& scene) {
  auto add = [&](const std::wstring& name, float x, float y) {
    scene.quads.push_back(std::make_unique<tav::CQuad>());
    tav::CQuad& q = *scene.quads.back();
    if (!q.Attach(name, &d3d)) return static_cast<tav::CQuad*>(nullptr);
    q.translation = {x, y};
    q.Update();
    return &q;
  };
  if (!d3d.CreateNamedTexture(L"bench_bg", kWidth, kHeight, 0) || !Paint(d3d, L"bench_bg", 0, false) ||
      !add(L"bench_bg", 0, 0))
    return false;
  for (int i = 0; i < kSprites; ++i) {
    const std::wstring name = L"bench_sprite" + std::to_wstring(i);
    if (!d3d.CreateNamedTexture(name, 200, 400, 0) || !Paint(d3d, name, i + 1, true) ||
        !add(name, float(i * 60), float(100 + (i % 3) * 30)))
      return false;
  }
  // A row of text is one texture; each glyph is a quad showing its cell.
  constexpr float kCellWidth = 24, kCellHeight = 26;
  for (int row = 0; row < kRows; ++row) {
    const std::wstring name = L"bench_row" + std::to_wstring(row);
    if (!d3d.CreateNamedTexture(name, UINT(kCellWidth * kGlyphsPerRow), UINT(kCellHeight), D3DUSAGE_DYNAMIC) ||
        !Paint(d3d, name, row, true))
      return false;
    const tav::TextureSize* size = d3d.GetTextureSize(name);
    for (int g = 0; g < kGlyphsPerRow; ++g) {
      tav::CQuad* q = add(name, 20 + g * kCellWidth, 20 + row * (kCellHeight + 2));
      if (!q || !size) return false;
      const float u0 = g * kCellWidth / size->width, u1 = (g + 1) * kCellWidth / size->width;
      const float v1 = kCellHeight / size->height;
      q->localCorners = {{{0, 0}, {kCellWidth, 0}, {0, kCellHeight}, {kCellWidth, kCellHeight}}};
      q->uvs = {{{u0, 0}, {u1, 0}, {u0, v1}, {u1, v1}}};
      q->Update();
    }
  }
  auto addWaiting = [&](const std::wstring& name, float x, float y) {
    scene.waiting.push_back(std::make_unique<tav::CQuad>());
    tav::CQuad& q = *scene.waiting.back();
    q.translation = {x, y};
    if (!q.Attach(name, &d3d)) return false;
    // Drawn as a game without shader files draws: through the fixed stages.
    q.useShaders = false;
    q.Update();
    return true;
  };
  if (!addWaiting(L"bench_bg", 0, 0) || !d3d.CreateNamedTexture(L"bench_window", 760, 150, 0) ||
      !Paint(d3d, L"bench_window", 7, true) || !addWaiting(L"bench_window", 20, 430))
    return false;
  scene.firstGlyph = scene.waiting.size();
  for (int g = 0; g < 12; ++g) {
    const std::wstring name = L"bench_glyph" + std::to_wstring(g);
    if (!d3d.CreateNamedTexture(name, 24, 26, D3DUSAGE_DYNAMIC) || !Paint(d3d, name, g, true) ||
        !addWaiting(name, 40 + g * 24.0f, 460))
      return false;
  }
  scene.fade = add(L"DefaultTex", 0, 0);
  if (!scene.fade) return false;
  scene.fade->localCorners = {{{0, 0}, {float(kWidth), 0}, {0, float(kHeight)}, {float(kWidth), float(kHeight)}}};
  return true;
}

struct Row {
  const char* name;
  std::vector<double> cpu, wall;
  tav::gpu::DrawCounters perFrame;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  tav::SetLogSink([](std::wstring_view line) { std::fprintf(stderr, "frame: %ls\n", std::wstring(line).c_str()); });
  const std::string game = argc > 1 ? argv[1] : TAVRI_BENCH_GAME_DIR;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  std::error_code error;
  std::filesystem::current_path(game, error);
  if (error || !tav::CreateDirect3D(L"Tavri")) {
    std::fprintf(stderr, "frame: no game with the quad shaders in %s\n", game.c_str());
    return 1;
  }
  std::unique_ptr<tav::os::Window> window(tav::os::Window::Create(L"frame bench", kWidth, kHeight, false));
  auto d3d = std::make_unique<CBaseD3D>();
  // The device comes with the default textures and the quad shaders.
  if (!window || !d3d->InitDevice(window.get(), kWidth, kHeight, true)) {
    std::fprintf(stderr, "frame: the OpenGL device could not be made\n");
    return 1;
  }
  tav::ApplyDefaultRenderStates(d3d->Device());
  Scene scene;
  if (!Build(*d3d, scene)) {
    std::fprintf(stderr, "frame: the scene could not be built\n");
    return 1;
  }

  int frame = 0;
  bool drawScene = false, waitingPage = false;
  CBaseD3D::FrameHooks hooks;
  hooks.skipUnchanged = true;
  hooks.update = [&] {
    if (waitingPage) {
      const uint32_t grey = uint32_t(255 - frame % 200);
      for (size_t i = scene.firstGlyph; i < scene.waiting.size(); ++i) {
        scene.waiting[i]->colours.fill(0xFF000000u | grey << 16 | grey << 8 | grey);
        scene.waiting[i]->Update();
      }
      return true;
    }
    // The fade's opacity moves every frame, as during a fade.
    const uint32_t alpha = uint32_t(40 + frame % 160);
    scene.fade->colours.fill(alpha << 24);
    scene.fade->Update();
    return true;
  };
  hooks.draw = [&] {
    if (waitingPage) {
      for (auto& q : scene.waiting)
        if (!q->Draw()) return false;
      return true;
    }
    if (!drawScene) return true;
    for (auto& q : scene.quads)
      if (!q->Draw()) return false;
    return true;
  };

  Row rows[] = {{"floor", {}, {}, {}}, {"busy", {}, {}, {}}, {"one-by-one", {}, {}, {}}, {"pulse", {}, {}, {}}};
  IDirect3DDevice9* device = d3d->Device();
  for (int r = 0; r < rounds; ++r) {
    for (Row& row : rows) {
      const bool busy = &row != &rows[0];
      waitingPage = &row == &rows[3];
      drawScene = busy && !waitingPage;
      tav::gpu::SetDrawBatching(device, &row != &rows[2]);
      d3d->InvalidateFrame();
      tav::gpu::DrawCounters before, after;
      tav::gpu::ReadDrawCounters(device, before);
      const double cpu0 = ProcessCpuSeconds();
      const double wall = tavbench::Time([&] {
        for (int i = 0; i < kFramesPerRound; ++i, ++frame) {
          // An empty frame looks unchanged: invalidating it keeps it drawn.
          if (!busy) d3d->InvalidateFrame();
          if (!d3d->RunFrame(window.get(), hooks)) std::exit(1);
        }
      });
      row.cpu.push_back((ProcessCpuSeconds() - cpu0) / kFramesPerRound);
      row.wall.push_back(wall / kFramesPerRound);
      tav::gpu::ReadDrawCounters(device, after);
      row.perFrame = after - before;
    }
  }
  tav::gpu::SetDrawBatching(device, true);

  std::printf("frame of a busy scene (%d quads: picture, %d sprites, %d glyphs, fade), %ux%u, %d rounds of %d frames\n",
              int(scene.quads.size()), kSprites, kRows * kGlyphsPerRow, kWidth, kHeight, rounds, kFramesPerRound);
  std::printf("%-11s %12s %12s %10s %12s %10s %12s\n", "", "CPU ms", "wall ms", "draws", "state calls", "uploads",
              "upload KiB");
  const double floorCpu = tavbench::Median(rows[0].cpu);
  for (const Row& row : rows) {
    const tav::gpu::DrawCounters& c = row.perFrame;
    const double frames = kFramesPerRound;
    std::printf("%-11s %12.2f %12.2f %10.1f %12.1f %10.1f %12.1f\n", row.name, tavbench::Median(row.cpu) * 1e3,
                tavbench::Median(row.wall) * 1e3, double(c.drawCalls) / frames, double(c.stateChanges) / frames,
                double(c.uploads) / frames, double(c.uploadedBytes) / 1024.0 / frames);
  }
  const double busyCpu = tavbench::Median(rows[1].cpu), loneCpu = tavbench::Median(rows[2].cpu);
  std::printf("busy / floor CPU: %.2fx; one-by-one / busy CPU: %.2fx\n", busyCpu / floorCpu, loneCpu / busyCpu);
  scene.quads.clear();
  d3d.reset();
  return 0;
}
