// Damaged, lying and random image bytes fail with D3DXERR_INVALIDDATA, create
// nothing and read nothing outside the bytes (the sanitizer build checks).
#include <gtest/gtest.h>

#include <random>

#include "d3dx/ImageBytes.h"
#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"

namespace d3dxtest {
namespace {

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(v >> (8 * i));
}

// Both entry points reject the bytes, and no texture is left behind.
void ExpectRejected(const std::vector<uint8_t>& bytes) {
  D3DXIMAGE_INFO info;
  if (!bytes.empty()) {
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), &info), D3DXERR_INVALIDDATA);
  }
  TestDevice device;
  IDirect3DTexture9* texture = nullptr;
  HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(&device, bytes.data(), UINT(bytes.size()), D3DX_DEFAULT,
                                                   D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                   D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
  EXPECT_EQ(hr, bytes.empty() ? D3DERR_INVALIDCALL : D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device.liveTextures, 0);
}

TEST(D3DXMalformedImage, TruncatedDdsIsRejectedAtEveryLength) {
  std::vector<uint8_t> data(32 + 8 + 8 + 8, 0x5A);
  const std::vector<uint8_t> full = MakeDds(8, 8, kDdsDxt1, 4, data);
  D3DXIMAGE_INFO info;
  ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(full.data(), UINT(full.size()), &info), D3D_OK);
  for (size_t length = 1; length < full.size(); ++length) {
    SCOPED_TRACE(length);
    // A copy of exactly `length` bytes, so that reading past it is caught.
    ExpectRejected(std::vector<uint8_t>(full.begin(), full.begin() + length));
  }
}

TEST(D3DXMalformedImage, DdsHeadersThatDisagreeWithTheData) {
  const std::vector<uint8_t> hundred(100, 0);
  std::vector<std::vector<uint8_t>> files = {
      MakeDds(65536, 65536, kDdsA8R8G8B8, 0, hundred),        // beyond the size cap
      MakeDds(16384, 16384, kDdsA8R8G8B8, 0, hundred),        // allowed size, data missing
      MakeDds(0xFFFFFFFF, 0xFFFFFFFF, kDdsDxt5, 0, hundred),  // sizes that overflow
      MakeDds(0, 4, kDdsA8R8G8B8, 0, hundred),
      MakeDds(4, 4, kDdsA8R8G8B8, 40, std::vector<uint8_t>(4096)),    // more levels than a 4x4 chain has
      MakeDds(4, 4, kDdsA8R8G8B8, 3, std::vector<uint8_t>(64 + 16)),  // last level missing
      MakeDds(2, 2, {0x40, 0, 32, 0xFF, 0xFF, 0xFF, 0}, 0, hundred),  // unknown masks
      MakeDds(4, 4, {0x4, FourCC("ATI2"), 0, 0, 0, 0, 0}, 0, hundred),
  };
  std::vector<uint8_t> badSize = MakeDds(2, 2, kDdsA8R8G8B8, 0, hundred);
  Put32(badSize, 4, 100);  // description size must be 124
  files.push_back(badSize);
  std::vector<uint8_t> cube = MakeDds(2, 2, kDdsA8R8G8B8, 0, std::vector<uint8_t>(16 * 6));
  Put32(cube, 112, 0xFE00);  // cube map with all faces
  files.push_back(cube);
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectRejected(files[i]);
  }
}

// Offset of the IHDR width in a PNG: signature, chunk length, chunk type.
constexpr size_t kPngWidth = 8 + 4 + 4;

TEST(D3DXMalformedImage, PngWhoseHeaderLiesIsRejectedWhenDecoded) {
  const std::vector<uint8_t> pixels(4 * 4 * 4, 0x77);
  std::vector<uint8_t> png = MakePng(4, 4, 4, pixels);
  // Wider than the data: the header alone looks fine, the pixels do not match.
  png[kPngWidth + 2] = 0x03;  // 4 -> 0x304
  D3DXIMAGE_INFO info;
  ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(png.data(), UINT(png.size()), &info), D3D_OK);
  EXPECT_EQ(info.Width, 0x304u);
  TestDevice device;
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(
      D3DXCreateTextureFromFileInMemoryEx(&device, png.data(), UINT(png.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                          D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
      D3DXERR_INVALIDDATA);
  EXPECT_EQ(device.liveTextures, 0);

  // Larger than any texture this layer makes: rejected from the header.
  png[kPngWidth + 1] = 0x01;  // 0x010304
  ExpectRejected(png);
}

TEST(D3DXMalformedImage, TruncatedPngIsRejected) {
  std::vector<uint8_t> pixels(8 * 8 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 37);
  const std::vector<uint8_t> png = MakePng(8, 8, 3, pixels);
  // Every cut that loses picture data or chunk structure; only the closing
  // chunk's checksum (the last 4 bytes) is not needed to show the picture.
  for (size_t length = 1; length < png.size() - 4; ++length) {
    SCOPED_TRACE(length);
    std::vector<uint8_t> cut(png.begin(), png.begin() + length);
    TestDevice device;
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        D3DXCreateTextureFromFileInMemoryEx(&device, cut.data(), UINT(cut.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
        D3DXERR_INVALIDDATA);
    EXPECT_EQ(device.liveTextures, 0);
  }
}

TEST(D3DXMalformedImage, RandomBytesAreRejected) {
  std::mt19937 random(20240611);
  const std::vector<std::string> prefixes = {"", "DDS ", "\x89PNG\r\n\x1a\n", "\xFF\xD8", "BM", "#?RADIANCE\n", "P6"};
  for (const std::string& prefix : prefixes) {
    for (size_t length : {1u, 7u, 64u, 200u, 1000u}) {
      SCOPED_TRACE(prefix + " " + std::to_string(length));
      std::vector<uint8_t> bytes(prefix.begin(), prefix.end());
      while (bytes.size() < prefix.size() + length) bytes.push_back(uint8_t(random()));
      ExpectRejected(bytes);
    }
  }
}

}  // namespace
}  // namespace d3dxtest
