// DDS files: every supported layout decoded to known texels, stored blocks and
// mip levels kept when the device takes them.
#include <gtest/gtest.h>

#include "d3dx/ImageBytes.h"
#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"

namespace d3dxtest {
namespace {

// Loads `file` unscaled into a one-level A8R8G8B8 texture.
HRESULT LoadArgb(TestDevice& device, const std::vector<uint8_t>& file, TextureRef& texture,
                 D3DXIMAGE_INFO* info = nullptr) {
  return D3DXCreateTextureFromFileInMemoryEx(&device, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                             D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, info,
                                             nullptr, &texture);
}

std::vector<uint32_t> Row(const TestLevel& level, UINT y) {
  std::vector<uint32_t> row;
  for (UINT x = 0; x < level.width; ++x) row.push_back(level.Argb(x, y));
  return row;
}

struct PlainCase {
  const char* name;
  DdsPixelFormat pixelFormat;
  D3DFORMAT format;
  std::vector<uint8_t> texels;     // 4 texels as stored, forming a 2x2 picture
  std::vector<uint32_t> expected;  // as A8R8G8B8
};

TEST(D3DXDds, UncompressedLayoutsDecodeToKnownTexels) {
  // clang-format off
  const PlainCase cases[] = {
      {"A8R8G8B8", kDdsA8R8G8B8, D3DFMT_A8R8G8B8, {0x10, 0x20, 0x30, 0x40, 0, 0, 0, 0, 0xFF, 0, 0, 0x80, 1, 2, 3, 0xFF},
       {0x40302010, 0x00000000, 0x800000FF, 0xFF030201}},
      {"X8R8G8B8", kDdsX8R8G8B8, D3DFMT_X8R8G8B8, {0x10, 0x20, 0x30, 0x00, 0, 0, 0, 0x12, 0xFF, 0, 0, 0, 1, 2, 3, 0},
       {0xFF302010, 0xFF000000, 0xFF0000FF, 0xFF030201}},
      {"A8B8G8R8", kDdsA8B8G8R8, D3DFMT_A8B8G8R8, {0x10, 0x20, 0x30, 0x40, 0, 0, 0, 0, 0xFF, 0, 0, 0x80, 1, 2, 3, 0xFF},
       {0x40102030, 0x00000000, 0x80FF0000, 0xFF010203}},
      {"X8B8G8R8", kDdsX8B8G8R8, D3DFMT_X8B8G8R8, {0x10, 0x20, 0x30, 0x99, 0, 0, 0, 0, 0xFF, 0, 0, 0x80, 1, 2, 3, 0xFF},
       {0xFF102030, 0xFF000000, 0xFFFF0000, 0xFF010203}},
      {"R8G8B8", kDdsR8G8B8, D3DFMT_R8G8B8, {0x10, 0x20, 0x30, 0, 0, 0, 0xFF, 0, 0, 1, 2, 3},
       {0xFF302010, 0xFF000000, 0xFF0000FF, 0xFF030201}},
      {"A1R5G5B5", kDdsA1R5G5B5, D3DFMT_A1R5G5B5, {0x00, 0xFC, 0x1F, 0x00, 0xE0, 0x83, 0x21, 0x04},
       {0xFFFF0000, 0x000000FF, 0xFF00FF00, 0x00080808}},
      {"X1R5G5B5", kDdsX1R5G5B5, D3DFMT_X1R5G5B5, {0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x83, 0x21, 0x04},
       {0xFFFF0000, 0xFF0000FF, 0xFF00FF00, 0xFF080808}},
      {"A4R4G4B4", kDdsA4R4G4B4, D3DFMT_A4R4G4B4, {0x0F, 0xF0, 0x34, 0x12, 0x00, 0x00, 0xFF, 0xFF},
       {0xFF0000FF, 0x11223344, 0x00000000, 0xFFFFFFFF}},
      {"R5G6B5", kDdsR5G6B5, D3DFMT_R5G6B5, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x41, 0x08},
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF080808}},
      {"L8", kDdsL8, D3DFMT_L8, {0x80, 0x00, 0xFF, 0x01}, {0xFF808080, 0xFF000000, 0xFFFFFFFF, 0xFF010101}},
      {"A8", kDdsA8, D3DFMT_A8, {0x80, 0x00, 0xFF, 0x01}, {0x80000000, 0x00000000, 0xFF000000, 0x01000000}},
      {"A8L8", kDdsA8L8, D3DFMT_A8L8, {0x40, 0xC0, 0xFF, 0x00, 0x00, 0xFF, 0x12, 0x34},
       {0xC0404040, 0x00FFFFFF, 0xFF000000, 0x34121212}},
  };
  // clang-format on
  for (const PlainCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestDevice device;
    TextureRef texture;
    D3DXIMAGE_INFO info;
    const std::vector<uint8_t> file = MakeDds(2, 2, c.pixelFormat, 0, c.texels);
    ASSERT_EQ(LoadArgb(device, file, texture, &info), D3D_OK);
    EXPECT_EQ(info.Format, c.format);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(Row(texture->Level(0), 0), (std::vector<uint32_t>{c.expected[0], c.expected[1]}));
    EXPECT_EQ(Row(texture->Level(0), 1), (std::vector<uint32_t>{c.expected[2], c.expected[3]}));
  }
}

// Two 4x4 blocks side by side; only the first row of texels varies.
TEST(D3DXDds, CompressedBlocksDecodeToKnownTexels) {
  struct Case {
    const char* name;
    DdsPixelFormat pixelFormat;
    std::vector<uint8_t> blocks;
    std::vector<uint32_t> firstRow;
    uint32_t elsewhere;  // texel (0, 3)
  };
  const Case cases[] = {
      // Red above blue: four colours. Blue above red: midpoint and transparent.
      {"DXT1",
       kDdsDxt1,
       {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0, 0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0},
       {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA, 0xFF0000FF, 0xFFFF0000, 0xFF7F007F, 0x00000000},
       0xFFFF0000},
      // Explicit alpha 0, F, 8, 1 over white; second block black with alpha F.
      {"DXT3",
       kDdsDxt3,
       {0xF0, 0x18, 0,    0,    0,    0,    0,    0,    0xFF, 0xFF, 0, 0, 0, 0, 0, 0,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0, 0, 0, 0, 0, 0},
       {0x00FFFFFF, 0xFFFFFFFF, 0x88FFFFFF, 0x11FFFFFF, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000},
       0x00FFFFFF},
      // Eight-value alpha (255 > 0) then six-value alpha (0 < 255), on black.
      {"DXT5",
       kDdsDxt5,
       {0xFF, 0x00, 0x88, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x00, 0xFF, 0xAA, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {0xFF000000, 0x00000000, 0xDA000000, 0x24000000, 0x33000000, 0xCC000000, 0x00000000, 0xFF000000},
       0xFF000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDevice device;
    device.config.formats.erase(D3DFORMAT(c.pixelFormat.fourCC));
    TextureRef texture;
    // Default format: the device lacks the compressed one, so it is decoded.
    const std::vector<uint8_t> file = MakeDds(8, 4, c.pixelFormat, 0, c.blocks);
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                  1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &texture),
              D3D_OK);
    EXPECT_EQ(texture->Format(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(Row(texture->Level(0), 0), c.firstRow);
    EXPECT_EQ(texture->Level(0).Argb(0, 3), c.elsewhere);
  }
}

// An 8x8 DXT1 file with its four levels, each block a different colour.
std::vector<uint8_t> Dxt1WithMips() {
  std::vector<uint8_t> data;
  for (int block = 0; block < 4 + 1 + 1 + 1; ++block) {
    const uint8_t colour[8] = {uint8_t(block * 16), uint8_t(block * 8), 0, 0, 0, 0, 0, 0};
    data.insert(data.end(), colour, colour + 8);
  }
  return MakeDds(8, 8, kDdsDxt1, 4, data);
}

TEST(D3DXDds, CompressedFileWithMipsIsCopiedAsStored) {
  TestDevice device;
  TextureRef texture;
  D3DXIMAGE_INFO info;
  const std::vector<uint8_t> file = Dxt1WithMips();
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                D3DX_DEFAULT, 0, &info, nullptr, &texture),
            D3D_OK);
  EXPECT_EQ(info.MipLevels, 4u);
  EXPECT_EQ(info.Format, D3DFMT_DXT1);
  ASSERT_EQ(texture->Format(), D3DFMT_DXT1);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  const uint8_t* stored = file.data() + 128;
  for (UINT level = 0; level < 4; ++level) {
    SCOPED_TRACE(level);
    const TestLevel& l = texture->Level(level);
    const UINT blocksWide = (l.width + 3) / 4, blocksHigh = (l.height + 3) / 4;
    for (UINT by = 0; by < blocksHigh; ++by, stored += blocksWide * 8)
      EXPECT_EQ(std::vector<uint8_t>(l.Texel(0, by, 8), l.Texel(0, by, 8) + blocksWide * 8),
                std::vector<uint8_t>(stored, stored + blocksWide * 8));
  }
  EXPECT_EQ(device.openLocks, 0);

  // Without stored mips there is nothing to copy the lower levels from: the
  // texture is decoded, its levels filtered.
  const std::vector<uint8_t> topOnly =
      MakeDds(8, 8, kDdsDxt1, 0, std::vector<uint8_t>(file.begin() + 128, file.begin() + 128 + 32));
  TextureRef decoded;
  ASSERT_EQ(
      D3DXCreateTextureFromFileInMemoryEx(&device, topOnly.data(), UINT(topOnly.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                          D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &decoded),
      D3D_OK);
  EXPECT_EQ(decoded->Format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(decoded->GetLevelCount(), 4u);
}

TEST(D3DXDds, StoredMipsAreUsedAndMissingOnesAreBoxFiltered) {
  // 4x4 A8R8G8B8: columns alternate black and white; a stored level 1 of
  // green shows whether the file's level or a filtered one is used.
  std::vector<uint8_t> level0, level1;
  for (int i = 0; i < 16; ++i) {
    const uint8_t v = (i % 2) ? 0xFF : 0x00;
    level0.insert(level0.end(), {v, v, v, 0xFF});
  }
  for (int i = 0; i < 4; ++i) level1.insert(level1.end(), {0x00, 0xFF, 0x00, 0xFF});
  std::vector<uint8_t> withMips = level0;
  withMips.insert(withMips.end(), level1.begin(), level1.end());
  withMips.insert(withMips.end(), {0x00, 0x00, 0xFF, 0xFF});

  const struct {
    std::vector<uint8_t> file;
    uint32_t level1, level2;
  } cases[] = {
      {MakeDds(4, 4, kDdsA8R8G8B8, 3, withMips), 0xFF00FF00, 0xFFFF0000},
      {MakeDds(4, 4, kDdsA8R8G8B8, 0, level0), 0xFF808080, 0xFF808080},
  };
  for (const auto& c : cases) {
    TestDevice device;
    TextureRef texture;
    ASSERT_EQ(
        D3DXCreateTextureFromFileInMemoryEx(&device, c.file.data(), UINT(c.file.size()), 0, 0, 0, 0, D3DFMT_X8R8G8B8,
                                            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
        D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(texture->Level(0).Argb(1, 2), 0xFFFFFFFF);
    EXPECT_EQ(Row(texture->Level(1), 1), (std::vector<uint32_t>{c.level1, c.level1}));
    EXPECT_EQ(texture->Level(2).Argb(0, 0), c.level2);
  }
}

}  // namespace
}  // namespace d3dxtest
