#pragma once
// Image files built byte by byte for the D3DX tests.
#include <cstdint>
#include <string>
#include <vector>

namespace d3dxtest {

struct DdsPixelFormat {
  uint32_t flags, fourCC, bits, r, g, b, a;
};

constexpr uint32_t FourCC(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

inline constexpr DdsPixelFormat kDdsDxt1{0x4, FourCC("DXT1"), 0, 0, 0, 0, 0};
inline constexpr DdsPixelFormat kDdsDxt3{0x4, FourCC("DXT3"), 0, 0, 0, 0, 0};
inline constexpr DdsPixelFormat kDdsDxt5{0x4, FourCC("DXT5"), 0, 0, 0, 0, 0};
inline constexpr DdsPixelFormat kDdsA8R8G8B8{0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
inline constexpr DdsPixelFormat kDdsX8R8G8B8{0x40, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0};
inline constexpr DdsPixelFormat kDdsA1R5G5B5{0x41, 0, 16, 0x7C00, 0x3E0, 0x1F, 0x8000};
inline constexpr DdsPixelFormat kDdsA4R4G4B4{0x41, 0, 16, 0xF00, 0xF0, 0xF, 0xF000};
inline constexpr DdsPixelFormat kDdsR5G6B5{0x40, 0, 16, 0xF800, 0x7E0, 0x1F, 0};
inline constexpr DdsPixelFormat kDdsL8{0x20000, 0, 8, 0xFF, 0, 0, 0};
inline constexpr DdsPixelFormat kDdsA8{0x2, 0, 8, 0, 0, 0, 0xFF};
inline constexpr DdsPixelFormat kDdsA8L8{0x20001, 0, 16, 0xFF, 0, 0, 0xFF00};
inline constexpr DdsPixelFormat kDdsA8B8G8R8{0x41, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000};
inline constexpr DdsPixelFormat kDdsX8B8G8R8{0x40, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0};
inline constexpr DdsPixelFormat kDdsX1R5G5B5{0x40, 0, 16, 0x7C00, 0x3E0, 0x1F, 0};
inline constexpr DdsPixelFormat kDdsR8G8B8{0x40, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0};

// 'DDS ', the 124-byte description, then `data`. mipCount 0 leaves the
// mip-map count flag unset.
std::vector<uint8_t> MakeDds(uint32_t width, uint32_t height, const DdsPixelFormat& format, uint32_t mipCount,
                             const std::vector<uint8_t>& data);

// A PNG of width x height texels with `channels` bytes each (R, G, B, A order).
std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& pixels);

// `png` with a tRNS chunk after its header: for a grey or RGB file the
// transparent colour, as the file stores it (2 bytes a channel, big-endian).
std::vector<uint8_t> WithTransparentColour(std::vector<uint8_t> png, const std::vector<uint8_t>& colour);

// An opaque PNG of one colour, as file bytes ready for an archive.
std::string SolidPngFile(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b);

// A Radiance HDR file of RGB float texels.
std::vector<uint8_t> MakeHdr(uint32_t width, uint32_t height, const std::vector<float>& rgb);

}  // namespace d3dxtest
