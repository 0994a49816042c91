// Image files into textures: sizes, placement and scaling, generated levels,
// format choice and conversion, and failures that leave nothing behind.
#include <gtest/gtest.h>

#include "d3dx/ImageBytes.h"
#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"

namespace d3dxtest {
namespace {

struct Load {
  UINT width = D3DX_DEFAULT, height = D3DX_DEFAULT, levels = 1;
  DWORD usage = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  DWORD filter = D3DX_DEFAULT;
  D3DCOLOR colourKey = 0;
};

HRESULT LoadFile(TestDevice& device, const std::vector<uint8_t>& file, const Load& load, TextureRef& texture,
                 D3DXIMAGE_INFO* info = nullptr) {
  return D3DXCreateTextureFromFileInMemoryEx(&device, file.data(), UINT(file.size()), load.width, load.height,
                                             load.levels, load.usage, load.format, D3DPOOL_MANAGED, load.filter,
                                             D3DX_DEFAULT, load.colourKey, info, nullptr, &texture);
}

// 3x2 RGBA: red, green, blue / white, half-transparent grey, clear black.
std::vector<uint8_t> ThreeByTwo() {
  return MakePng(3, 2, 4,
                 {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255, 128, 128, 128, 128, 0, 0, 0, 0});
}
const uint32_t kThreeByTwo[2][3] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0xFFFFFFFF, 0x80808080, 0x00000000}};

std::vector<uint32_t> Row(const TestLevel& level, UINT y) {
  std::vector<uint32_t> row;
  for (UINT x = 0; x < level.width; ++x) row.push_back(level.Argb(x, y));
  return row;
}

TEST(D3DXTextureFromFile, PngRoundTripKeepsSizeTexelsAndInfo) {
  TestDevice device;
  TextureRef texture;
  D3DXIMAGE_INFO info;
  ASSERT_EQ(LoadFile(device, ThreeByTwo(), {}, texture, &info), D3D_OK);
  EXPECT_EQ(info.Width, 3u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
  ASSERT_EQ(texture->Format(), D3DFMT_A8R8G8B8);
  const TestLevel& level = texture->Level(0);
  ASSERT_EQ(level.width, 3u);
  ASSERT_EQ(level.height, 2u);
  for (UINT y = 0; y < 2; ++y)
    for (UINT x = 0; x < 3; ++x) EXPECT_EQ(level.Argb(x, y), kThreeByTwo[y][x]) << x << "," << y;
  // A8R8G8B8 texels are bytes B, G, R, A.
  EXPECT_EQ(level.Texel(2, 0, 4)[0], 0xFF);

  // Without alpha: X8R8G8B8.
  ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(MakePng(1, 1, 3, {1, 2, 3}).data(),
                                             UINT(MakePng(1, 1, 3, {1, 2, 3}).size()), &info),
            D3D_OK);
  EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);
}

TEST(D3DXTextureFromFile, FilterNonePlacesTheImageTopLeftOfALargerTexture) {
  const std::vector<uint8_t> png = ThreeByTwo();
  // By default the size rounds up on a device that needs powers of two; given
  // explicitly it is used as it is.
  TestDevice pow2({D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_MIPMAP});
  TestDevice any;
  TestDevice* devices[] = {&pow2, &any};
  const UINT sizes[] = {D3DX_DEFAULT, 4};
  for (int i = 0; i < 2; ++i) {
    TextureRef texture;
    Load load;
    load.width = sizes[i];
    load.height = sizes[i] == 4 ? 2 : D3DX_DEFAULT;
    load.filter = D3DX_FILTER_NONE;
    ASSERT_EQ(LoadFile(*devices[i], png, load, texture), D3D_OK);
    const TestLevel& level = texture->Level(0);
    ASSERT_EQ(level.width, 4u);
    ASSERT_EQ(level.height, 2u);
    // The padding column repeats the edge beside it.
    for (UINT y = 0; y < 2; ++y)
      EXPECT_EQ(Row(level, y),
                (std::vector<uint32_t>{kThreeByTwo[y][0], kThreeByTwo[y][1], kThreeByTwo[y][2], kThreeByTwo[y][2]}));
  }
  // Wider padding: its near half repeats the right (bottom) edge, its far half
  // the left (top) edge, which a wrapping sampler reaches across.
  TextureRef texture;
  Load load;
  load.width = 8;
  load.height = 4;
  load.filter = D3DX_FILTER_NONE;
  ASSERT_EQ(LoadFile(any, png, load, texture), D3D_OK);
  const TestLevel& level = texture->Level(0);
  for (UINT y = 0; y < 4; ++y) {
    const auto& source = kThreeByTwo[y == 0 || y == 3 ? 0 : 1];
    EXPECT_EQ(Row(level, y), (std::vector<uint32_t>{source[0], source[1], source[2], source[2], source[2], source[2],
                                                    source[0], source[0]}))
        << y;
  }
}

TEST(D3DXTextureFromFile, FiltersScaleToTheTextureSize) {
  // Black and white, stretched to four texels.
  const std::vector<uint8_t> png = MakePng(2, 1, 3, {0, 0, 0, 255, 255, 255});
  const struct {
    DWORD filter;
    std::vector<uint32_t> row;
  } cases[] = {
      {D3DX_DEFAULT, {0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF}},
      {D3DX_FILTER_LINEAR, {0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF}},
      {D3DX_FILTER_POINT, {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}},
  };
  for (const auto& c : cases) {
    TestDevice device;
    TextureRef texture;
    Load load;
    load.width = 4;
    load.height = 1;
    load.filter = c.filter;
    ASSERT_EQ(LoadFile(device, png, load, texture), D3D_OK);
    EXPECT_EQ(Row(texture->Level(0), 0), c.row) << c.filter;
  }
  // Shrinking averages: 4x2 -> 2x1.
  TestDevice device;
  TextureRef texture;
  Load load;
  load.width = 2;
  load.height = 1;
  const std::vector<uint8_t> wide = MakePng(
      4, 2, 3, {0, 0, 0, 255, 255, 255, 10, 10, 10, 10, 10, 10, 0, 0, 0, 255, 255, 255, 30, 30, 30, 30, 30, 30});
  ASSERT_EQ(LoadFile(device, wide, load, texture), D3D_OK);
  EXPECT_EQ(Row(texture->Level(0), 0), (std::vector<uint32_t>{0xFF808080, 0xFF141414}));
}

TEST(D3DXTextureFromFile, FullChainIsGeneratedByBoxFiltering) {
  // 4x4: left half white, right half black, bottom-right texel red.
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const uint8_t v = x < 2 ? 255 : 0;
      if (x == 3 && y == 3)
        pixels.insert(pixels.end(), {252, 0, 0, 255});
      else
        pixels.insert(pixels.end(), {v, v, v, 255});
    }
  TestDevice device;
  TextureRef texture;
  Load load;
  load.levels = D3DX_DEFAULT;
  ASSERT_EQ(LoadFile(device, MakePng(4, 4, 4, pixels), load, texture), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  EXPECT_EQ(device.lastLevels, 3u);
  EXPECT_EQ(Row(texture->Level(1), 0), (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000}));
  EXPECT_EQ(Row(texture->Level(1), 1), (std::vector<uint32_t>{0xFFFFFFFF, 0xFF3F0000}));
  // (255 * 2 + 0 + 63) / 4 red, (255 * 2) / 4 green and blue.
  EXPECT_EQ(texture->Level(2).Argb(0, 0), 0xFF8F8080);
  EXPECT_EQ(device.openLocks, 0);
}

TEST(D3DXTextureFromFile, ConvertsToTheRequestedOrNearestSupportedFormat) {
  // Red opaque, then green at alpha 0x44.
  const std::vector<uint8_t> png = MakePng(2, 1, 4, {255, 0, 0, 255, 0, 255, 0, 0x44});
  const struct {
    D3DFORMAT requested, created;
    std::vector<uint8_t> bytes;
    bool withoutR5G6B5;
  } cases[] = {
      {D3DFMT_R5G6B5, D3DFMT_R5G6B5, {0x00, 0xF8, 0xE0, 0x07}, false},
      {D3DFMT_A4R4G4B4, D3DFMT_A4R4G4B4, {0x00, 0xFF, 0xF0, 0x40}, false},
      {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5, {0x00, 0xFC, 0xE0, 0x03}, false},
      {D3DFMT_A8L8, D3DFMT_A8L8, {0x36, 0xFF, 0xB6, 0x44}, false},
      {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, {0, 0, 0xFF, 0xFF, 0, 0xFF, 0, 0xFF}, true},
      // No encoder for compressed formats: decoded A8R8G8B8 instead.
      {D3DFMT_DXT5, D3DFMT_A8R8G8B8, {0, 0, 0xFF, 0xFF, 0, 0xFF, 0, 0x44}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.requested);
    TestDevice device;
    if (c.withoutR5G6B5) device.config.formats.erase(D3DFMT_R5G6B5);
    TextureRef texture;
    Load load;
    load.format = c.requested;
    ASSERT_EQ(LoadFile(device, png, load, texture), D3D_OK);
    ASSERT_EQ(texture->Format(), c.created);
    const uint8_t* first = texture->Level(0).Texel(0, 0, 1);
    EXPECT_EQ(std::vector<uint8_t>(first, first + c.bytes.size()), c.bytes);
  }
}

TEST(D3DXTextureFromFile, HdrLoadsToneMappedIntoEightBits) {
  const std::vector<uint8_t> hdr = MakeHdr(2, 1, {1.0f, 0.5f, 0.0f, 4.0f, 4.0f, 4.0f});
  D3DXIMAGE_INFO info;
  ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(hdr.data(), UINT(hdr.size()), &info), D3D_OK);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_HDR);
  EXPECT_EQ(info.Format, D3DFMT_A32B32G32R32F);
  TestDevice device;
  TextureRef texture;
  ASSERT_EQ(LoadFile(device, hdr, {}, texture), D3D_OK);
  ASSERT_EQ(texture->Format(), D3DFMT_X8R8G8B8);
  const uint8_t* texel = texture->Level(0).Texel(0, 0, 4);
  EXPECT_EQ(texel[2], 255);
  EXPECT_NEAR(texel[1], 186, 2);  // 0.5 ^ (1 / 2.2)
  EXPECT_EQ(texel[0], 0);
  EXPECT_EQ(texture->Level(0).Argb(1, 0), 0xFFFFFFFFu);
}

TEST(D3DXTextureFromFile, ColourKeyedTexelsBecomeTransparentBlack) {
  const std::vector<uint8_t> png = MakePng(2, 1, 3, {255, 0, 255, 10, 20, 30});
  TestDevice device;
  TextureRef texture;
  Load load;
  load.format = D3DFMT_A8R8G8B8;
  load.colourKey = 0xFFFF00FF;
  ASSERT_EQ(LoadFile(device, png, load, texture), D3D_OK);
  EXPECT_EQ(Row(texture->Level(0), 0), (std::vector<uint32_t>{0x00000000, 0xFF0A141E}));
}

TEST(D3DXTextureFromFile, FailuresCreateOrKeepNothing) {
  const std::vector<uint8_t> png = ThreeByTwo();
  TestDevice device;
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(&device);  // must be cleared
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, png.data(), UINT(png.size()), 0, 0, 1, D3DUSAGE_RENDERTARGET,
                                                D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                                nullptr, &texture),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device.createCalls, 0);

  const struct {
    IDirect3DDevice9* device;
    const void* data;
    UINT size;
    DWORD filter;
  } badCalls[] = {
      {nullptr, png.data(), UINT(png.size()), D3DX_DEFAULT},
      {&device, nullptr, UINT(png.size()), D3DX_DEFAULT},
      {&device, png.data(), 0, D3DX_DEFAULT},
      {&device, png.data(), UINT(png.size()), 7},
  };
  for (const auto& c : badCalls)
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(c.device, c.data, c.size, 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                  c.filter, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
              D3DERR_INVALIDCALL);
  EXPECT_EQ(
      D3DXCreateTextureFromFileInMemoryEx(&device, png.data(), UINT(png.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                          D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, nullptr),
      D3DERR_INVALIDCALL);

  // A level that cannot be locked: its result, the texture released.
  device.config.failLockOnLevel = 1;
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(
      D3DXCreateTextureFromFileInMemoryEx(&device, png.data(), UINT(png.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                          D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &texture),
      D3DERR_DEVICELOST);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device.liveTextures, 0);
  EXPECT_EQ(device.openLocks, 0);
  EXPECT_EQ(info.Width, 0u);  // not filled on failure
  EXPECT_EQ(device.OutstandingD3DRefs(), 0u);
}

}  // namespace
}  // namespace d3dxtest
