#include "platform/os/IcoFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

namespace tav::os {

namespace {

constexpr size_t kDirectoryHeader = 6;
constexpr size_t kDirectoryEntry = 16;
constexpr size_t kInfoHeader = 40;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
int32_t I32(const uint8_t* p) { return int32_t(U32(p)); }

struct Entry {
  int width = 0;   // from the directory; 0 there means 256
  int height = 0;
  int depth = 0;   // bits per pixel, 0 when unknown
  uint32_t size = 0;
  uint32_t offset = 0;
  size_t index = 0;
};

bool IsPng(std::span<const uint8_t> bytes) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

// A bottom-up bitmap with its AND mask, as stored in icon files.
bool DecodeBitmap(std::span<const uint8_t> bytes, IcoImage& out) {
  if (bytes.size() < kInfoHeader) return false;
  const uint8_t* p = bytes.data();
  uint32_t headerSize = U32(p);
  int32_t width = I32(p + 4);
  int32_t doubledHeight = I32(p + 8);  // colour rows plus mask rows
  uint16_t depth = U16(p + 14);
  uint32_t compression = U32(p + 16);
  uint32_t coloursUsed = U32(p + 32);
  if (headerSize < kInfoHeader || headerSize > bytes.size()) return false;
  if (width < 1 || width > kMaxIconSide || doubledHeight < 2 || doubledHeight > 2 * kMaxIconSide) return false;
  if (compression != 0) return false;  // only uncompressed RGB
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
  if (coloursUsed > 256) return false;
  int height = doubledHeight / 2;

  size_t paletteCount = 0;
  if (depth <= 8) {
    size_t full = size_t(1) << depth;
    if (coloursUsed > full) return false;
    paletteCount = coloursUsed ? coloursUsed : full;
  } else {
    paletteCount = coloursUsed;  // an optional table that deeper bitmaps skip
  }
  size_t colourStride = (size_t(width) * depth + 31) / 32 * 4;
  size_t maskStride = (size_t(width) + 31) / 32 * 4;
  size_t paletteAt = headerSize;
  size_t colourAt = paletteAt + paletteCount * 4;
  size_t maskAt = colourAt + colourStride * size_t(height);
  if (maskAt > bytes.size()) return false;
  bool hasMask = maskAt + maskStride * size_t(height) <= bytes.size();
  // Without a mask only a bitmap with its own alpha channel is complete.
  if (!hasMask && depth != 32) return false;

  const uint8_t* palette = p + paletteAt;
  out.width = width;
  out.height = height;
  out.rgba.assign(size_t(width) * size_t(height) * 4, 0);
  bool anyAlpha = false;
  for (int row = 0; row < height; ++row) {
    const uint8_t* src = p + colourAt + colourStride * size_t(row);
    uint8_t* dst = out.rgba.data() + size_t(height - 1 - row) * size_t(width) * 4;
    for (int x = 0; x < width; ++x, dst += 4) {
      uint8_t b = 0, g = 0, r = 0, a = 255;
      if (depth == 32) {
        b = src[x * 4];
        g = src[x * 4 + 1];
        r = src[x * 4 + 2];
        a = src[x * 4 + 3];
        anyAlpha |= a != 0;
      } else if (depth == 24) {
        b = src[x * 3];
        g = src[x * 3 + 1];
        r = src[x * 3 + 2];
      } else if (depth == 16) {
        uint16_t v = U16(src + x * 2);  // 5 bits each of red, green, blue
        r = uint8_t(((v >> 10) & 31) * 255 / 31);
        g = uint8_t(((v >> 5) & 31) * 255 / 31);
        b = uint8_t((v & 31) * 255 / 31);
      } else {
        size_t bit = size_t(x) * depth;
        unsigned index = (src[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        if (index < paletteCount) {
          b = palette[index * 4];
          g = palette[index * 4 + 1];
          r = palette[index * 4 + 2];
        }
      }
      dst[0] = r;
      dst[1] = g;
      dst[2] = b;
      dst[3] = a;
    }
  }
  // A 32-bit image whose alpha is all zero predates alpha channels: its mask
  // decides, as it does for every shallower image.
  bool useMask = depth != 32 || !anyAlpha;
  for (int row = 0; row < height; ++row) {
    uint8_t* dst = out.rgba.data() + size_t(height - 1 - row) * size_t(width) * 4;
    const uint8_t* mask = hasMask ? p + maskAt + maskStride * size_t(row) : nullptr;
    for (int x = 0; x < width; ++x, dst += 4) {
      if (!useMask) continue;
      bool transparent = mask && (mask[x / 8] >> (7 - x % 8) & 1);
      if (transparent)
        std::memset(dst, 0, 4);
      else
        dst[3] = 255;
    }
  }
  return true;
}

bool DecodeEntry(std::span<const uint8_t> file, const Entry& entry, IcoImage& out) {
  // 64-bit sum: offset and size are both file-controlled 32-bit values.
  if (uint64_t(entry.offset) + entry.size > file.size() || entry.size == 0) return false;
  std::span<const uint8_t> bytes = file.subspan(entry.offset, entry.size);
  return IsPng(bytes) ? DecodeIconPng(bytes, out) : DecodeBitmap(bytes, out);
}

}  // namespace

bool DecodeIco(std::span<const uint8_t> file, int width, int height, IcoImage& out) {
  if (file.size() < kDirectoryHeader) return false;
  const uint8_t* p = file.data();
  if (U16(p) != 0 || U16(p + 2) != 1) return false;
  size_t count = U16(p + 4);
  if (count == 0 || kDirectoryHeader + count * kDirectoryEntry > file.size()) return false;

  std::vector<Entry> entries(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + kDirectoryHeader + i * kDirectoryEntry;
    Entry& entry = entries[i];
    entry.width = e[0] ? e[0] : 256;
    entry.height = e[1] ? e[1] : 256;
    entry.depth = U16(e + 6);
    if (entry.depth == 0 && e[2] != 0) entry.depth = e[2] <= 2 ? 1 : e[2] <= 16 ? 4 : 8;
    entry.size = U32(e + 8);
    entry.offset = U32(e + 12);
    entry.index = i;
  }

  // Rank: 0 same size, 1 larger (nearest first), 2 smaller (largest first);
  // then more bits per pixel; then directory order.
  auto rank = [&](const Entry& e) {
    int64_t want = int64_t(width) * height;
    int64_t area = int64_t(e.width) * e.height;
    if (width <= 0 || height <= 0) return std::make_tuple(1, -area, -e.depth, e.index);
    if (e.width == width && e.height == height) return std::make_tuple(0, int64_t(0), -e.depth, e.index);
    if (e.width >= width && e.height >= height) return std::make_tuple(1, area - want, -e.depth, e.index);
    return std::make_tuple(2, -area, -e.depth, e.index);
  };
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) { return rank(a) < rank(b); });
  for (const Entry& entry : entries) {
    IcoImage image;
    if (DecodeEntry(file, entry, image)) {
      out = std::move(image);
      return true;
    }
  }
  return false;
}

IcoImage ResizeIcoImage(const IcoImage& image, int width, int height) {
  if (width == image.width && height == image.height) return image;
  IcoImage out;
  if (width < 1 || height < 1 || image.width < 1 || image.height < 1) return out;
  out.width = width;
  out.height = height;
  out.rgba.assign(size_t(width) * size_t(height) * 4, 0);

  // For each new column (row), the old columns (rows) it covers and how much.
  using Span = std::vector<std::pair<int, double>>;
  auto spans = [](int from, int to) {
    std::vector<Span> result(static_cast<size_t>(to));
    double scale = double(from) / to;
    for (int i = 0; i < to; ++i) {
      double start = i * scale, end = (i + 1) * scale;
      for (int s = int(start); s < from && s < end; ++s) {
        double cover = std::min(end, double(s + 1)) - std::max(start, double(s));
        if (cover > 0) result[size_t(i)].emplace_back(s, cover / scale);
      }
    }
    return result;
  };
  std::vector<Span> columns = spans(image.width, width);
  std::vector<Span> rows = spans(image.height, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double sum[4] = {0, 0, 0, 0};
      for (auto [sy, wy] : rows[size_t(y)]) {
        for (auto [sx, wx] : columns[size_t(x)]) {
          const uint8_t* s = image.rgba.data() + (size_t(sy) * size_t(image.width) + size_t(sx)) * 4;
          double w = wx * wy;
          double alpha = s[3] * w;
          sum[0] += s[0] * alpha;
          sum[1] += s[1] * alpha;
          sum[2] += s[2] * alpha;
          sum[3] += alpha;
        }
      }
      uint8_t* d = out.rgba.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
      if (sum[3] > 0) {
        for (int c = 0; c < 3; ++c) d[c] = uint8_t(std::clamp(std::lround(sum[c] / sum[3]), 0L, 255L));
      }
      d[3] = uint8_t(std::clamp(std::lround(sum[3]), 0L, 255L));
    }
  }
  return out;
}

}  // namespace tav::os
