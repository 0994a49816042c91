// .ico files: PNG and bitmap entries of every depth, the choice of entry by
// size, scaling, loading through LoadImageW, and damaged files (which must
// fail without reading outside the file: each case is decoded from a buffer
// of its exact size, so the address sanitizer sees any overrun).
#include <SDL.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "OsTestSupport.h"
#include "platform/os/IcoFile.h"

namespace {

using namespace tav::os;

struct Rgba {
  uint8_t r, g, b, a;
  bool operator==(const Rgba&) const = default;
};
using PixelFn = std::function<Rgba(int x, int y)>;
using MaskFn = std::function<bool(int x, int y)>;  // true: transparent

void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = char(v & 0xFF);
  s[at + 1] = char(v >> 8);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

struct Entry {
  int width, height, depth;
  std::string data;
  uint32_t offsetOverride = 0;  // to damage the directory
};

std::string BuildIco(const std::vector<Entry>& entries) {
  std::string file(6 + 16 * entries.size(), '\0');
  Put16(file, 2, 1);
  Put16(file, 4, uint16_t(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    size_t at = 6 + 16 * i;
    file[at] = char(e.width >= 256 ? 0 : e.width);
    file[at + 1] = char(e.height >= 256 ? 0 : e.height);
    Put16(file, at + 4, 1);
    Put16(file, at + 6, uint16_t(e.depth));
    Put32(file, at + 8, uint32_t(e.data.size()));
    Put32(file, at + 12, e.offsetOverride ? e.offsetOverride : uint32_t(file.size()));
    if (!e.offsetOverride) file += e.data;
  }
  return file;
}

std::string InfoHeader(int width, int height, int depth, uint32_t coloursUsed = 0) {
  std::string h(40, '\0');
  Put32(h, 0, 40);
  Put32(h, 4, uint32_t(width));
  Put32(h, 8, uint32_t(height * 2));
  Put16(h, 12, 1);
  Put16(h, 14, uint16_t(depth));
  Put32(h, 32, coloursUsed);
  return h;
}

std::string MaskRows(int width, int height, const MaskFn& mask) {
  size_t stride = (size_t(width) + 31) / 32 * 4;
  std::string rows;
  for (int row = height - 1; row >= 0; --row) {  // bottom-up
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x)
      if (mask(x, row)) line[size_t(x / 8)] = char(uint8_t(line[size_t(x / 8)]) | (0x80 >> (x % 8)));
    rows += line;
  }
  return rows;
}

// A bitmap entry of 16, 24 or 32 bits per pixel.
std::string DirectBitmap(int width, int height, int depth, const PixelFn& pixel, const MaskFn& mask) {
  std::string out = InfoHeader(width, height, depth);
  size_t stride = (size_t(width) * size_t(depth) + 31) / 32 * 4;
  for (int row = height - 1; row >= 0; --row) {
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      Rgba p = pixel(x, row);
      if (depth == 32) {
        line[size_t(x) * 4] = char(p.b);
        line[size_t(x) * 4 + 1] = char(p.g);
        line[size_t(x) * 4 + 2] = char(p.r);
        line[size_t(x) * 4 + 3] = char(p.a);
      } else if (depth == 24) {
        line[size_t(x) * 3] = char(p.b);
        line[size_t(x) * 3 + 1] = char(p.g);
        line[size_t(x) * 3 + 2] = char(p.r);
      } else {
        Put16(line, size_t(x) * 2, uint16_t((p.r >> 3) << 10 | (p.g >> 3) << 5 | (p.b >> 3)));
      }
    }
    out += line;
  }
  return out + MaskRows(width, height, mask);
}

// A bitmap entry of 1, 4 or 8 bits per pixel.
std::string PaletteBitmap(int width, int height, int depth, const std::vector<Rgba>& palette,
                          const std::function<int(int, int)>& index, const MaskFn& mask, uint32_t coloursUsed) {
  std::string out = InfoHeader(width, height, depth, coloursUsed);
  for (const Rgba& c : palette) out += std::string{char(c.b), char(c.g), char(c.r), 0};
  size_t stride = (size_t(width) * size_t(depth) + 31) / 32 * 4;
  for (int row = height - 1; row >= 0; --row) {
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      size_t bit = size_t(x) * size_t(depth);
      line[bit / 8] = char(uint8_t(line[bit / 8]) | index(x, row) << (8 - depth - int(bit % 8)));
    }
    out += line;
  }
  return out + MaskRows(width, height, mask);
}

std::string Png(int width, int height, const PixelFn& pixel) {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Rgba p = pixel(x, y);
      rgba.insert(rgba.end(), {p.r, p.g, p.b, p.a});
    }
  std::string out;
  stbi_write_png_to_func([](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
  }, &out, width, height, 4, rgba.data(), width * 4);
  return out;
}

Rgba At(const IcoImage& image, int x, int y) {
  const uint8_t* p = image.rgba.data() + (size_t(y) * size_t(image.width) + size_t(x)) * 4;
  return Rgba{p[0], p[1], p[2], p[3]};
}

bool Decode(const std::string& file, int width, int height, IcoImage& out) {
  // Exactly as large as the file, so any read past its end is an overrun.
  std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size() ? file.size() : 1]);
  std::memcpy(copy.get(), file.data(), file.size());
  return DecodeIco(std::span<const uint8_t>(copy.get(), file.size()), width, height, out);
}

Rgba Solid(uint8_t r, uint8_t g, uint8_t b) { return Rgba{r, g, b, 255}; }
const PixelFn kGradient = [](int x, int y) { return Rgba{uint8_t(x * 20), uint8_t(y * 40), uint8_t(100 + x), 255}; };
const MaskFn kDiagonal = [](int x, int y) { return x == y; };
const MaskFn kNoMask = [](int, int) { return false; };

TEST(OsIcon, PngEntriesDecodeToTheirPixels) {
  PixelFn pixel = [](int x, int y) { return Rgba{uint8_t(x * 8), uint8_t(y * 8), 7, uint8_t(x == 3 ? 0 : 200)}; };
  IcoImage image;
  ASSERT_TRUE(Decode(BuildIco({{32, 32, 32, Png(32, 32, pixel)}}), 32, 32, image));
  ASSERT_EQ(image.width, 32);
  ASSERT_EQ(image.height, 32);
  for (int y = 0; y < 32; y += 5)
    for (int x = 0; x < 32; x += 3) EXPECT_EQ(At(image, x, y), pixel(x, y)) << x << "," << y;
}

TEST(OsIcon, BitmapEntriesOfEveryDepthDecodeTopDownWithTheirMask) {
  const int w = 9, h = 3;  // rows that need padding at every depth
  // 32 bits with alpha: the alpha channel decides, the mask is ignored.
  PixelFn translucent = [](int x, int y) { return Rgba{uint8_t(x), uint8_t(y), 50, uint8_t(10 + x)}; };
  IcoImage image;
  ASSERT_TRUE(Decode(BuildIco({{w, h, 32, DirectBitmap(w, h, 32, translucent, kDiagonal)}}), w, h, image));
  EXPECT_EQ(At(image, 0, 0), translucent(0, 0));
  EXPECT_EQ(At(image, 8, 2), translucent(8, 2));

  // 32 bits with an empty alpha channel, 24 bits, 16 bits: the mask decides.
  PixelFn noAlpha = [](int x, int y) { return Rgba{uint8_t(x * 24), uint8_t(y * 80), 200, 0}; };
  for (int depth : {32, 24, 16}) {
    SCOPED_TRACE(depth);
    ASSERT_TRUE(Decode(BuildIco({{w, h, depth, DirectBitmap(w, h, depth, noAlpha, kDiagonal)}}), w, h, image));
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    EXPECT_EQ(At(image, 1, 1), (Rgba{0, 0, 0, 0})) << "masked";
    Rgba top = At(image, 5, 0);
    Rgba bottom = At(image, 5, 2);
    EXPECT_EQ(top.a, 255);
    if (depth == 16) {
      EXPECT_EQ(top.r, uint8_t((120 >> 3) * 255 / 31));
      EXPECT_EQ(bottom.g, uint8_t((160 >> 3) * 255 / 31));
    } else {
      EXPECT_EQ(top, (Rgba{120, 0, 200, 255}));
      EXPECT_EQ(bottom, (Rgba{120, 160, 200, 255}));
    }
  }

  std::vector<Rgba> palette;
  for (int i = 0; i < 16; ++i) palette.push_back(Solid(uint8_t(i * 16), uint8_t(255 - i), uint8_t(i)));
  for (int depth : {1, 4, 8}) {
    SCOPED_TRACE(depth);
    int colours = depth == 1 ? 2 : 16;
    std::vector<Rgba> used(palette.begin(), palette.begin() + colours);
    auto index = [colours](int x, int y) { return (x + 2 * y) % colours; };
    std::string bitmap = PaletteBitmap(w, h, depth, used, index, kDiagonal, depth == 1 ? 0 : 16);
    ASSERT_TRUE(Decode(BuildIco({{w, h, depth, bitmap}}), w, h, image));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Rgba want = x == y ? Rgba{0, 0, 0, 0} : used[size_t(index(x, y))];
        EXPECT_EQ(At(image, x, y), want) << x << "," << y;
      }
  }

  // Indices past the colours in use are black.
  std::vector<Rgba> two = {Solid(255, 0, 0), Solid(0, 255, 0)};
  auto index = [](int x, int) { return x; };  // 0, 1, then past the two colours
  std::string bitmap = PaletteBitmap(4, 1, 8, two, index, kNoMask, 2);
  ASSERT_TRUE(Decode(BuildIco({{4, 1, 8, bitmap}}), 4, 1, image));
  EXPECT_EQ(At(image, 0, 0), Solid(255, 0, 0));
  EXPECT_EQ(At(image, 1, 0), Solid(0, 255, 0));
  EXPECT_EQ(At(image, 2, 0), Solid(0, 0, 0));
  EXPECT_EQ(At(image, 3, 0), Solid(0, 0, 0));
}

TEST(OsIcon, TheEntryThatFitsTheSizeBestIsChosen) {
  auto solid = [](uint8_t r, uint8_t g, uint8_t b) { return [=](int, int) { return Solid(r, g, b); }; };
  std::string file = BuildIco({
      {16, 16, 32, DirectBitmap(16, 16, 32, solid(255, 0, 0), kNoMask)},
      {32, 32, 8, PaletteBitmap(32, 32, 8, {Solid(9, 9, 9)}, [](int, int) { return 0; }, kNoMask, 1)},
      {32, 32, 32, Png(32, 32, solid(0, 0, 255))},
      {48, 48, 24, DirectBitmap(48, 48, 24, solid(0, 255, 0), kNoMask)},
  });
  struct Case {
    int size, width;
    Rgba colour;
  } cases[] = {
      {16, 16, Solid(255, 0, 0)},  // exact
      {32, 32, Solid(0, 0, 255)},  // exact, the deeper of two
      {24, 32, Solid(0, 0, 255)},  // the nearest larger
      {64, 48, Solid(0, 255, 0)},  // none larger: the largest
      {0, 48, Solid(0, 255, 0)},   // no size: the largest
  };
  for (const Case& c : cases) {
    IcoImage image;
    ASSERT_TRUE(Decode(file, c.size, c.size, image)) << c.size;
    EXPECT_EQ(image.width, c.width) << c.size;
    EXPECT_EQ(At(image, 0, 0), c.colour) << c.size;
  }
}

TEST(OsIcon, ADamagedBestEntryGivesWayToTheNextBest) {
  Entry broken{32, 32, 32, std::string(100, 'x'), 0xFFFFFF00u};
  Entry good{16, 16, 24, DirectBitmap(16, 16, 24, kGradient, kNoMask)};
  IcoImage image;
  ASSERT_TRUE(Decode(BuildIco({broken, good}), 32, 32, image));
  EXPECT_EQ(image.width, 16);
}

TEST(OsIcon, DamagedFilesAreRefused) {
  std::string good = DirectBitmap(8, 8, 24, kGradient, kNoMask);
  auto withHeader = [&](size_t at, uint32_t value, bool wide) {
    std::string bitmap = good;
    if (wide)
      Put32(bitmap, at, value);
    else
      Put16(bitmap, at, uint16_t(value));
    return BuildIco({{8, 8, 24, bitmap}});
  };
  std::string directory = BuildIco({{8, 8, 24, good}});
  std::string tinyWithHugeCount = directory.substr(0, 22);
  Put16(tinyWithHugeCount, 4, 65535);
  std::string wrongType = directory;
  Put16(wrongType, 2, 2);
  std::string noEntries = directory;
  Put16(noEntries, 4, 0);
  std::string twoEntriesOneListed = directory.substr(0, 22);
  Put16(twoEntriesOneListed, 4, 2);
  std::string sizeWraps = directory;
  Put32(sizeWraps, 6 + 8, 0xFFFFFFF0u);
  std::string emptyEntry = directory;
  Put32(emptyEntry, 6 + 8, 0);
  std::string pngHeader = Png(8, 8, kGradient);
  std::string badPng = pngHeader.substr(0, 8) + std::string(200, '\x55');
  std::string hugePng = pngHeader;
  Put32(hugePng, 16, 0x00000100u);  // IHDR width 65536 (big-endian bytes 00 01 00 00)
  std::string maskMissing = good.substr(0, good.size() - 8 * 4);

  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"shorter than the header", directory.substr(0, 5)},
      {"directory cut short", directory.substr(0, 15)},
      {"count 65535 in a tiny file", tinyWithHugeCount},
      {"not an icon", wrongType},
      {"no entries", noEntries},
      {"more entries than listed", twoEntriesOneListed},
      {"offset past the end", BuildIco({{8, 8, 24, good, uint32_t(directory.size() + 1)}})},
      {"size past the end", directory.substr(0, directory.size() - 1)},
      {"offset plus size wraps", sizeWraps},
      {"empty entry", emptyEntry},
      {"absurd width", withHeader(4, 0x7FFFFFFF, true)},
      {"negative width", withHeader(4, 0xFFFFFFF8, true)},
      {"no rows", withHeader(8, 1, true)},
      {"absurd height", withHeader(8, 0x7FFFFFFE, true)},
      {"header size past the entry", withHeader(0, 0x10000, true)},
      {"odd depth", withHeader(14, 7, false)},
      {"compressed", withHeader(16, 1, true)},
      {"palette too large", withHeader(32, 300, true)},
      {"mask missing", BuildIco({{8, 8, 24, maskMissing}})},
      {"bad PNG stream", BuildIco({{8, 8, 32, badPng}})},
      {"PNG of absurd size", BuildIco({{8, 8, 32, hugePng}})},
  };
  for (const Case& c : cases) {
    IcoImage image;
    EXPECT_FALSE(Decode(c.file, 8, 8, image)) << c.what;
  }
  // The untouched file decodes, so each case failed for its own damage.
  IcoImage image;
  EXPECT_TRUE(Decode(directory, 8, 8, image));
}

TEST(OsIcon, EveryCutAndRandomDamageIsSafe) {
  std::string file = BuildIco({
      {16, 16, 32, Png(16, 16, kGradient)},
      {8, 8, 4,
       PaletteBitmap(8, 8, 4, std::vector<Rgba>(16, Solid(1, 2, 3)), [](int x, int) { return x; }, kDiagonal, 0)},
      {12, 12, 32, DirectBitmap(12, 12, 32, kGradient, kDiagonal)},
  });
  auto check = [](const std::string& damaged) {
    IcoImage image;
    if (Decode(damaged, 16, 16, image)) {
      ASSERT_GT(image.width, 0);
      ASSERT_LE(image.width, kMaxIconSide);
      ASSERT_EQ(image.rgba.size(), size_t(image.width) * size_t(image.height) * 4);
    }
  };
  for (size_t length = 0; length < file.size(); ++length) check(file.substr(0, length));
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = file;
    int flips = 1 + int(random() % 4);
    for (int i = 0; i < flips; ++i) damaged[random() % damaged.size()] = char(random());
    check(damaged);
  }
}

TEST(OsIcon, ResizingAveragesCoveredPixelsWithoutBleedingTransparentColour) {
  IcoImage two{2, 1, {255, 0, 0, 255, 0, 0, 255, 0}};  // red, then transparent blue
  IcoImage one = ResizeIcoImage(two, 1, 1);
  ASSERT_EQ(one.rgba.size(), 4u);
  EXPECT_EQ(one.rgba[0], 255);
  EXPECT_EQ(one.rgba[2], 0) << "no blue from the transparent pixel";
  EXPECT_NEAR(one.rgba[3], 128, 1);

  IcoImage big = ResizeIcoImage(IcoImage{1, 1, {10, 20, 30, 255}}, 4, 3);
  ASSERT_EQ(big.width, 4);
  ASSERT_EQ(big.height, 3);
  for (size_t i = 0; i < big.rgba.size(); i += 4) EXPECT_EQ(big.rgba[i + 1], 20);
}

class OsIconFile : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override { std::filesystem::current_path(saved_); }
  tavtest::TempDir dir_;
  std::filesystem::path saved_;
};

TEST_F(OsIconFile, LoadImageReadsIconIcoFromTheWorkingFolder) {
  auto solid = [](uint8_t r, uint8_t g, uint8_t b) { return [=](int, int) { return Solid(r, g, b); }; };
  tavtest::WriteFileBytes(dir_ / "Icon.ico", BuildIco({
                                                 {16, 16, 32, DirectBitmap(16, 16, 32, solid(255, 0, 0), kNoMask)},
                                                 {32, 32, 32, Png(32, 32, solid(0, 0, 255))},
                                             }));
  const UINT flags = LR_SHARED | LR_LOADFROMFILE;
  HICON large = static_cast<HICON>(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 32, 32, flags));
  HICON small = static_cast<HICON>(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 16, 16, flags));
  ASSERT_NE(large, nullptr);
  ASSERT_NE(small, nullptr);
  EXPECT_NE(large, small);
  EXPECT_EQ(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 32, 32, flags), large) << "shared";
  SDL_Surface* surface = IconSurface(large);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->w, 32);
  EXPECT_EQ(surface->format->format, Uint32(SDL_PIXELFORMAT_RGBA32));
  const uint8_t* p = static_cast<const uint8_t*>(surface->pixels);
  EXPECT_EQ((Rgba{p[0], p[1], p[2], p[3]}), Solid(0, 0, 255));
  EXPECT_TRUE(DestroyIcon(large));
  EXPECT_NE(IconSurface(large), nullptr) << "a shared icon stays";

  // Sharing is by file, not by name: another file of the same name is read.
  std::filesystem::path other = dir_ / "other";
  std::filesystem::create_directory(other);
  tavtest::WriteFileBytes(other / "Icon.ico", BuildIco({{32, 32, 24, DirectBitmap(32, 32, 24, solid(0, 255, 0), kNoMask)}}));
  std::filesystem::current_path(other);
  HICON fromOther = static_cast<HICON>(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 32, 32, flags));
  ASSERT_NE(fromOther, nullptr);
  EXPECT_NE(fromOther, large);
  p = static_cast<const uint8_t*>(IconSurface(fromOther)->pixels);
  EXPECT_EQ((Rgba{p[0], p[1], p[2], p[3]}), Solid(0, 255, 0));
  std::filesystem::current_path(dir_.Path());

  // An unshared icon of a size the file lacks is scaled, and goes when destroyed.
  HICON scaled = static_cast<HICON>(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 24, 24, LR_LOADFROMFILE));
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(IconSurface(scaled)->w, 24);
  p = static_cast<const uint8_t*>(IconSurface(scaled)->pixels);
  EXPECT_EQ((Rgba{p[0], p[1], p[2], p[3]}), Solid(0, 0, 255)) << "from the 32 entry";
  EXPECT_TRUE(DestroyIcon(scaled));
  EXPECT_EQ(IconSurface(scaled), nullptr);
  EXPECT_FALSE(DestroyIcon(scaled));
}

TEST_F(OsIconFile, MissingDamagedOrUnsupportedImagesGiveNull) {
  EXPECT_EQ(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 32, 32, LR_SHARED | LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), ENOENT);
  tavtest::WriteFileBytes(dir_ / "Icon.ico", BuildIco({{8, 8, 24, std::string(30, '\0')}}));
  EXPECT_EQ(LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 32, 32, LR_SHARED | LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), EINVAL);
  std::filesystem::create_directory(dir_ / "Folder.ico");
  EXPECT_EQ(LoadImageW(nullptr, L"Folder.ico", IMAGE_ICON, 32, 32, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, L"Icon.ico", IMAGE_CURSOR, 32, 32, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), ENOTSUP);
  EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_LOADFROMFILE), nullptr);
  EXPECT_FALSE(DestroyIcon(nullptr));
}

}  // namespace
