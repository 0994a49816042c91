// Fitting texture sizes, level counts and formats to a device.
#include <gtest/gtest.h>

#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"

namespace d3dxtest {
namespace {

constexpr DWORD kPow2 = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_MIPMAP;

TEST(D3DXCheckTextureRequirements, SizesRoundSquareAndClamp) {
  const struct {
    const char* name;
    DWORD caps;
    DWORD maxWidth, maxHeight;
    UINT width, height, expectedWidth, expectedHeight;
  } cases[] = {
      {"powers of two", kPow2, 4096, 4096, 300, 200, 512, 256},
      {"any size", D3DPTEXTURECAPS_MIPMAP, 4096, 4096, 300, 200, 300, 200},
      {"square only", kPow2 | D3DPTEXTURECAPS_SQUAREONLY, 4096, 4096, 300, 200, 512, 512},
      {"clamped", kPow2, 4096, 4096, 5000, 100, 4096, 128},
      {"clamped, any size", D3DPTEXTURECAPS_MIPMAP, 2000, 1000, 5000, 5000, 2000, 1000},
      {"maximum not a power of two", kPow2, 3000, 3000, 2500, 1, 2048, 1},
      {"square within the smaller maximum", kPow2 | D3DPTEXTURECAPS_SQUAREONLY, 1024, 256, 600, 10, 256, 256},
      {"zero becomes one", kPow2, 4096, 4096, 0, 0, 1, 1},
      {"default", kPow2, 4096, 4096, D3DX_DEFAULT, 5, 256, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestDevice device({c.caps, c.maxWidth, c.maxHeight});
    UINT width = c.width, height = c.height;
    ASSERT_EQ(D3DXCheckTextureRequirements(&device, &width, &height, nullptr, 0, nullptr, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(width, c.expectedWidth);
    EXPECT_EQ(height, c.expectedHeight);
  }
}

TEST(D3DXCheckTextureRequirements, LevelsAreTheFullChainOrFewer) {
  TestDevice device({kPow2});
  for (const auto& [requested, expected] :
       std::vector<std::pair<UINT, UINT>>{{0, 10}, {D3DX_DEFAULT, 10}, {3, 3}, {1, 1}, {20, 10}}) {
    UINT width = 300, height = 200, levels = requested;
    ASSERT_EQ(D3DXCheckTextureRequirements(&device, &width, &height, &levels, 0, nullptr, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(levels, expected) << requested;
  }
  // A device without mip-maps takes one level.
  device.config.textureCaps = D3DPTEXTURECAPS_POW2;
  UINT levels = 0;
  ASSERT_EQ(D3DXCheckTextureRequirements(&device, nullptr, nullptr, &levels, 0, nullptr, D3DPOOL_MANAGED), D3D_OK);
  EXPECT_EQ(levels, 1u);
}

TEST(D3DXCheckTextureRequirements, FormatsFallBackToTheClosestSupported) {
  const struct {
    D3DFORMAT requested;
    std::set<D3DFORMAT> supported;
    D3DFORMAT expected;
  } cases[] = {
      {D3DFMT_DXT5, {D3DFMT_DXT5, D3DFMT_A8R8G8B8}, D3DFMT_DXT5},
      {D3DFMT_R5G6B5, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}, D3DFMT_X8R8G8B8},
      {D3DFMT_A4R4G4B4, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}, D3DFMT_A8R8G8B8},
      {D3DFMT_DXT1, {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5}, D3DFMT_A1R5G5B5},
      {D3DFMT_L8, {D3DFMT_R5G6B5}, D3DFMT_R5G6B5},
      {D3DFMT_UNKNOWN, {D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.requested);
    TestDevice device;
    device.config.formats = c.supported;
    D3DFORMAT format = c.requested;
    ASSERT_EQ(D3DXCheckTextureRequirements(&device, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(format, c.expected);
    EXPECT_EQ(device.OutstandingD3DRefs(), 0u);
  }
  TestDevice none;
  none.config.formats.clear();
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  EXPECT_EQ(D3DXCheckTextureRequirements(&none, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(none.OutstandingD3DRefs(), 0u);
  EXPECT_EQ(D3DXCheckTextureRequirements(nullptr, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED),
            D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3dxtest
