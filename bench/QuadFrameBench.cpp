// Update + Draw of 1,000 glyph-sized quads per frame on the Direct3D double,
// against the least a frame can cost: the same vertices written by hand, a
// texture bind where the texture changes and one draw call per quad. The double does no drawing, so both rows measure the
// engine's CPU work alone.
#include "QuadFrameBench.h"

#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "FakeDevice.h"
#include "gfx/BaseD3D.h"
#include "gfx/Quad.h"

namespace tavbench {
namespace {

constexpr int kQuads = 1000;
constexpr int kFramesPerRound = 200;

struct Vertex {
  float x, y, z, r, g, b, a, u, v;
};

}  // namespace

int RunQuadFrameBench(int rounds) {
  FakeDevice fake(1280, 720);
  if (!fake.Ok()) {
    std::fprintf(stderr, "quads: the device could not be made\n");
    return 1;
  }
  CBaseD3D& d3d = fake.Device();
  // A message of glyphs: 40 distinct textures, laid out in rows.
  for (int i = 0; i < 40; ++i) d3d.CreateNamedTexture(L"g" + std::to_wstring(i), 25, 32, D3DUSAGE_DYNAMIC);
  std::vector<tav::CQuad> quads(kQuads);
  for (int i = 0; i < kQuads; ++i) {
    quads[i].Attach(L"g" + std::to_wstring(i % 40), &d3d);
    quads[i].translation = {float(i % 50) * 25, float(i / 50) * 33};
    quads[i].colours.fill(0xFFFFFFFF - uint32_t(i));
  }
  IDirect3DDevice9* device = d3d.Device();
  // The baseline knows each quad's texture without looking it up.
  std::vector<IDirect3DTexture9*> textures;
  for (const tav::CQuad& q : quads) textures.push_back(d3d.GetTexture(q.textureName));
  static const uint16_t kIndices[6] = {0, 2, 1, 1, 2, 3};

  std::vector<double> engine, baseline;
  for (int r = 0; r < rounds; ++r) {
    baseline.push_back(Time([&] {
      for (int frame = 0; frame < kFramesPerRound; ++frame) {
        d3d.BeginFrame();
        IDirect3DTexture9* bound = nullptr;
        for (const tav::CQuad& q : quads) {
          IDirect3DTexture9* texture = textures[&q - quads.data()];
          if (texture != bound) device->SetTexture(0, bound = texture);
          Vertex v[4];
          for (int c = 0; c < 4; ++c)
            v[c] = {q.localCorners[c].x + q.translation.x, q.localCorners[c].y + q.translation.y, 0, 1, 1, 1, 1,
                    q.uvs[c].x, q.uvs[c].y};
          device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kIndices, D3DFMT_INDEX16, v, sizeof v[0]);
        }
        d3d.EndFrame();
      }
    }));
    engine.push_back(Time([&] {
      for (int frame = 0; frame < kFramesPerRound; ++frame) {
        d3d.BeginFrame();
        for (tav::CQuad& q : quads) {
          q.Update();
          q.Draw();
        }
        d3d.EndFrame();
      }
    }));
  }
  const double perFrameEngine = Median(engine) / kFramesPerRound * 1e6;
  const double perFrameBaseline = Median(baseline) / kFramesPerRound * 1e6;
  std::printf("quads: %d per frame, medians of %d rounds of %d frames on the Direct3D double\n", kQuads, rounds,
              kFramesPerRound);
  std::printf("  hand-written vertices + draw call  %8.1f us/frame\n", perFrameBaseline);
  std::printf("  CQuad Update + Draw                %8.1f us/frame  (%.2fx the baseline)\n", perFrameEngine,
              perFrameEngine / perFrameBaseline);
  return 0;
}

}  // namespace tavbench
