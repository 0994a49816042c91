// Filling textures from a per-texel function.
#include <gtest/gtest.h>

#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"

namespace d3dxtest {
namespace {

struct Calls {
  std::vector<std::pair<D3DXVECTOR2, D3DXVECTOR2>> seen;  // centre, texel size
};

// Transparent inside the circle touching the texture's edges, opaque white outside.
void Peephole(D3DXVECTOR4* out, const D3DXVECTOR2* uv, const D3DXVECTOR2* size, void* data) {
  static_cast<Calls*>(data)->seen.push_back({*uv, *size});
  const float du = uv->x - 0.5f, dv = uv->y - 0.5f;
  *out = {1, 1, 1, du * du + dv * dv < 0.25f ? 0.0f : 1.0f};
}

void Constant(D3DXVECTOR4* out, const D3DXVECTOR2*, const D3DXVECTOR2*, void* data) {
  *out = *static_cast<D3DXVECTOR4*>(data);
}

IDirect3DTexture9* Create(TestDevice& device, UINT width, UINT height, UINT levels, D3DFORMAT format, DWORD usage = 0) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device.CreateTexture(width, height, levels, usage, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  return texture;
}

TEST(D3DXFillTexture, CallsOncePerTexelAtItsCentreOnEveryLevel) {
  TestDevice device;
  TextureRef texture;
  texture.texture = Create(device, 8, 4, 0, D3DFMT_A8R8G8B8);
  Calls calls;
  ASSERT_EQ(D3DXFillTexture(texture.texture, Peephole, &calls), D3D_OK);
  ASSERT_EQ(calls.seen.size(), 32u + 8u + 2u + 1u);
  EXPECT_FLOAT_EQ(calls.seen[0].first.x, 1.0f / 16);
  EXPECT_FLOAT_EQ(calls.seen[0].first.y, 1.0f / 8);
  EXPECT_FLOAT_EQ(calls.seen[0].second.x, 1.0f / 8);
  EXPECT_FLOAT_EQ(calls.seen[0].second.y, 1.0f / 4);
  EXPECT_FLOAT_EQ(calls.seen[9].first.x, 1.5f / 8);  // texel (1, 1)
  EXPECT_FLOAT_EQ(calls.seen[9].first.y, 1.5f / 4);
  EXPECT_FLOAT_EQ(calls.seen.back().first.x, 0.5f);  // the 1x1 level
  EXPECT_FLOAT_EQ(calls.seen.back().second.y, 1.0f);

  const TestLevel& top = texture->Level(0);
  EXPECT_EQ(top.Argb(0, 0), 0xFFFFFFFFu);  // corner: outside
  EXPECT_EQ(top.Argb(4, 2), 0x00FFFFFFu);  // (0.5625, 0.625): inside
  EXPECT_EQ(top.Argb(1, 2), 0x00FFFFFFu);  // (0.1875, 0.625): inside
  EXPECT_EQ(top.Argb(0, 2), 0x00FFFFFFu);  // (0.0625, 0.625): inside
  EXPECT_EQ(top.Argb(7, 3), 0xFFFFFFFFu);  // (0.9375, 0.875): outside
  EXPECT_EQ(top.Argb(0, 3), 0xFFFFFFFFu);  // (0.0625, 0.875): outside
  EXPECT_EQ(top.Argb(3, 0), 0x00FFFFFFu);  // (0.4375, 0.125): inside
  EXPECT_EQ(texture->Level(3).Argb(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(device.openLocks, 0);
}

TEST(D3DXFillTexture, WritesEachFormatClampedToItsRange) {
  // Red above 1 and alpha below 0 clamp; green 0.5; blue 0.25.
  D3DXVECTOR4 colour{1.5f, 0.5f, 0.25f, -1.0f};
  D3DXVECTOR4 opaque{1.5f, 0.5f, 0.25f, 0.6f};
  const struct {
    D3DFORMAT format;
    D3DXVECTOR4* colour;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {D3DFMT_A8R8G8B8, &colour, {0x40, 0x80, 0xFF, 0x00}},
      {D3DFMT_X8R8G8B8, &colour, {0x40, 0x80, 0xFF, 0xFF}},
      {D3DFMT_A8B8G8R8, &opaque, {0xFF, 0x80, 0x40, 0x99}},
      {D3DFMT_X8B8G8R8, &colour, {0xFF, 0x80, 0x40, 0xFF}},
      {D3DFMT_R8G8B8, &colour, {0x40, 0x80, 0xFF}},
      {D3DFMT_X1R5G5B5, &colour, {0x08, 0xFE}},  // x, 31, 16, 8
      {D3DFMT_R5G6B5, &colour, {0x08, 0xFC}},    // 31, 32, 8
      {D3DFMT_A1R5G5B5, &opaque, {0x08, 0xFE}},  // 1, 31, 16, 8
      {D3DFMT_A4R4G4B4, &opaque, {0x84, 0x9F}},  // 9, 15, 8, 4
      {D3DFMT_L8, &colour, {0x96}},              // 0.2126 * 255 + 0.7152 * 128 + 0.0722 * 64
      {D3DFMT_A8, &opaque, {0x99}},
      {D3DFMT_A8L8, &opaque, {0x96, 0x99}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    TestDevice device;
    device.config.formats.insert(c.format);
    TextureRef texture;
    texture.texture = Create(device, 2, 2, 1, c.format);
    ASSERT_EQ(D3DXFillTexture(texture.texture, Constant, c.colour), D3D_OK);
    const size_t n = c.bytes.size();
    for (UINT y = 0; y < 2; ++y)
      for (UINT x = 0; x < 2; ++x) {
        const uint8_t* t = texture->Level(0).Texel(x, y, UINT(n));
        EXPECT_EQ(std::vector<uint8_t>(t, t + n), c.bytes) << x << "," << y;
      }
  }
}

TEST(D3DXFillTexture, RefusesWhatItCannotWrite) {
  TestDevice device;
  D3DXVECTOR4 colour{1, 1, 1, 1};
  TextureRef compressed;
  compressed.texture = Create(device, 4, 4, 1, D3DFMT_DXT1);
  EXPECT_EQ(D3DXFillTexture(compressed.texture, Constant, &colour), D3DERR_INVALIDCALL);
  EXPECT_EQ(compressed->Level(0).bytes[0], 0xCD);  // untouched

  // A level that cannot be locked: the lock's own result.
  TextureRef lost;
  lost.texture = Create(device, 4, 4, 0, D3DFMT_A8R8G8B8);
  device.config.failLockOnLevel = 1;
  EXPECT_EQ(D3DXFillTexture(lost.texture, Constant, &colour), D3DERR_DEVICELOST);
  EXPECT_EQ(device.openLocks, 0);

  EXPECT_EQ(D3DXFillTexture(nullptr, Constant, &colour), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXFillTexture(lost.texture, nullptr, &colour), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3dxtest
