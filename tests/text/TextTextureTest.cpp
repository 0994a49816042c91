// Text textures through the font double and the Direct3D double: layout and
// size, the shrinking loop, the pixel formats, the registry and its rebuild
// after a device reset, and the failure paths.
#include <gtest/gtest.h>

#include <cstring>

#include "app/Game.h"
#include "gfx/DeviceObject.h"
#include "app/GameFixture.h"
#include "platform/fake/FakeFont.h"
#include "text/TexString.h"

namespace {

using tav::fake::FakeFont;

// Every glyph in a 20-pixel cell; the line is 31 pixels high, ascent 25.
TEXTMETRICW Metrics31(LONG) {
  TEXTMETRICW m{};
  m.tmHeight = 31;
  m.tmAscent = 25;
  m.tmDescent = 6;
  return m;
}

class TextTextureTest : public tavtest::GameFixture {
 protected:
  void SetUp() override {
    GameFixture::SetUp();
    font_.metrics = Metrics31;
    font_.cellIncrement = [](LONG, wchar_t) { return short(20); };
  }

  // The level-0 texels of a texture as bytes, row by row without padding.
  std::vector<uint8_t> Texels(const std::wstring& name, D3DSURFACE_DESC* descOut = nullptr) {
    IDirect3DTexture9* texture = game_->device.GetTexture(name);
    if (!texture) return {};
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    if (descOut) *descOut = desc;
    const size_t bytesPerTexel = desc.Format == D3DFMT_A8R8G8B8 ? 4 : 2;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return {};
    std::vector<uint8_t> out;
    for (UINT y = 0; y < desc.Height; ++y) {
      const uint8_t* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
      out.insert(out.end(), row, row + desc.Width * bytesPerTexel);
    }
    texture->UnlockRect(0);
    return out;
  }
  static uint32_t Texel32(const std::vector<uint8_t>& texels, UINT width, UINT x, UINT y) {
    uint32_t v;
    std::memcpy(&v, &texels[(size_t(y) * width + x) * 4], 4);
    return v;
  }

  FakeFont font_;
};

TEST_F(TextTextureTest, ALineIsOneCellPlusOnePixelPerGlyphAndOneLinePlusOneHigh) {
  ASSERT_TRUE(game_->GetText(24, L"abc", L"abc")) << tavtest::ReadErrorLog();
  const tav::TextureSize* size = game_->device.GetTextureSize(L"abc");
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->width, 63);
  EXPECT_EQ(size->height, 32);
  EXPECT_EQ(size->imageWidth, 63);
  EXPECT_EQ(size->imageHeight, 32);
  D3DSURFACE_DESC desc{};
  Texels(L"abc", &desc);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 32u);
  EXPECT_EQ(desc.Usage & D3DUSAGE_DYNAMIC, DWORD(D3DUSAGE_DYNAMIC));
  // The request the text makes: 24 pixels of character height from "Meiryo".
  EXPECT_EQ(font_.RequestedHeights(), std::vector<LONG>{-24});
  EXPECT_EQ(font_.LiveDCs(), 0u);
  EXPECT_EQ(font_.LiveFonts(), 1u);  // the text keeps its font
  game_->RemoveText(L"abc");
  EXPECT_EQ(font_.LiveFonts(), 0u);
  EXPECT_EQ(game_->device.GetTexture(L"abc"), nullptr);
}

TEST_F(TextTextureTest, GlyphsSitOnTheBaselineAndASpaceOnlyAdvances) {
  // A 2 x 3 glyph whose top is 5 above the baseline, one column right of the pen.
  FakeFont::Glyph mark{2, 3, {1, 5}, {64, 64, 64, 1, 32, 0}};
  font_.glyphs[L'x'] = mark;
  ASSERT_TRUE(game_->GetText(24, L"line", L"x x"));
  D3DSURFACE_DESC desc{};
  const std::vector<uint8_t> texels = Texels(L"line", &desc);
  ASSERT_FALSE(texels.empty());
  // Row = ascent 25 - origin 5 = 20. First glyph at column 1, the second
  // after two advances of 21 at column 43.
  for (UINT base : {1u, 43u}) {
    EXPECT_EQ(Texel32(texels, desc.Width, base, 20), 0xFFFFFFFFu);
    EXPECT_EQ(Texel32(texels, desc.Width, base + 1, 20), 0xFFFFFFFFu);
    EXPECT_EQ(Texel32(texels, desc.Width, base, 21), 0xFFFFFFFFu);
    EXPECT_EQ(Texel32(texels, desc.Width, base + 1, 21), 0x03FFFFFFu);  // level 1
    EXPECT_EQ(Texel32(texels, desc.Width, base, 22), 0x7FFFFFFFu);      // level 32
    EXPECT_EQ(Texel32(texels, desc.Width, base + 1, 22), 0u);           // level 0 untouched
  }
  size_t inked = 0;
  for (size_t i = 0; i < texels.size(); i += 4) inked += texels[i + 3] != 0;
  EXPECT_EQ(inked, 10u);  // nothing from the space
}

TEST_F(TextTextureTest, GlyphsReachingPastTheTextureAreClipped) {
  // Ink left of the first pen position, above the top and beyond the last advance.
  FakeFont::Glyph wide{70, 40, {-3, 30}, std::vector<BYTE>(70 * 40, 64)};
  font_.glyphs[L'w'] = wide;
  ASSERT_TRUE(game_->GetText(24, L"w", L"ww"));
  D3DSURFACE_DESC desc{};
  const std::vector<uint8_t> texels = Texels(L"w", &desc);
  ASSERT_EQ(desc.Width, 64u);
  EXPECT_EQ(Texel32(texels, desc.Width, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Texel32(texels, desc.Width, 63, 31), 0xFFFFFFFFu);
}

TEST_F(TextTextureTest, ALineTooWideForTheDeviceShrinksUntilItFits) {
  game_->device.caps.MaxTextureWidth = 64;
  font_.cellIncrement = [](LONG height, wchar_t) { return short(height < 0 ? -height : height); };
  // Four cells of h + 1 fit 64 once h is 15.
  ASSERT_TRUE(game_->GetText(24, L"fit", L"abcd"));
  const std::vector<LONG> expected = {-24, -23, -22, -21, -20, -19, -18, -17, -16, -15};
  EXPECT_EQ(font_.RequestedHeights(), expected);
  EXPECT_EQ(game_->device.GetTextureSize(L"fit")->width, 64);
  EXPECT_EQ(font_.LiveFonts(), 1u);  // each smaller font replaced the last

  // A positive (cell) height shrinks too; a line that never fits fails quietly.
  game_->device.caps.MaxTextureWidth = 8;
  tavtest::ClearErrorLog();
  EXPECT_FALSE(game_->GetText(3, L"never", L"abcdefgh"));
  EXPECT_EQ(game_->texts.Find(L"never"), nullptr);
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
  CTexString direct(&game_->device);
  LOGFONTW cell = tav::TextFont(0);
  cell.lfHeight = 3;
  EXPECT_FALSE(tav::Rasterise(L"abcdefgh", &game_->device, direct, L"cell", cell));
  EXPECT_EQ(std::vector<LONG>(font_.RequestedHeights().end() - 3, font_.RequestedHeights().end()),
            (std::vector<LONG>{3, 2, 1}));
}

TEST_F(TextTextureTest, SizeZeroAndAnEmptyText) {
  EXPECT_FALSE(game_->GetText(0, L"zero", L"abc"));
  EXPECT_EQ(game_->texts.Size(), 0u);
  EXPECT_EQ(game_->device.GetTexture(L"zero"), nullptr);
  EXPECT_TRUE(font_.RequestedHeights().empty());

  // An empty line is a blank texture one line high.
  ASSERT_TRUE(game_->GetText(24, L"empty", L""));
  ASSERT_NE(game_->device.GetTexture(L"empty"), nullptr);
  EXPECT_EQ(game_->device.GetTextureSize(L"empty")->height, 32);
}

TEST_F(TextTextureTest, ANameIsRegisteredOnceAndKeepsItsFirstText) {
  font_.glyphs[L'a'] = {1, 1, {0, 10}, {64}};
  font_.glyphs[L'b'] = {1, 1, {0, 20}, {64}};
  ASSERT_TRUE(game_->GetText(24, L"name", L"a"));
  const std::vector<uint8_t> before = Texels(L"name");
  EXPECT_FALSE(game_->GetText(24, L"name", L"b"));
  EXPECT_EQ(Texels(L"name"), before);
  EXPECT_EQ(game_->texts.Find(L"name")->text, L"a");
  EXPECT_EQ(game_->texts.Size(), 1u);
}

TEST_F(TextTextureTest, AfterADeviceResetEveryTextHasItsPixelsAgain) {
  font_.glyphs[L'q'] = {3, 2, {0, 12}, {64, 20, 1, 0, 0, 64}};
  ASSERT_TRUE(game_->GetText(24, L"one", L"qq q"));
  ASSERT_TRUE(game_->GetText(30, L"two", L"q"));
  ASSERT_TRUE(game_->GetText(24, L"blank", L""));
  const std::vector<uint8_t> one = Texels(L"one"), two = Texels(L"two"), blank = Texels(L"blank");
  IDirect3DTexture9* old = game_->device.GetTexture(L"one");
  const int fontCallsBefore = font_.Count("GetGlyphOutlineW");

  gpu_.Script("CheckDeviceState", {D3DERR_DEVICELOST});
  ASSERT_TRUE(game_->Frame()) << tavtest::ReadErrorLog();
  ASSERT_NE(game_->device.GetTexture(L"one"), nullptr);
  EXPECT_NE(game_->device.GetTexture(L"one"), old);
  EXPECT_EQ(Texels(L"one"), one);
  EXPECT_EQ(Texels(L"two"), two);
  EXPECT_EQ(Texels(L"blank"), blank);
  EXPECT_EQ(font_.Count("GetGlyphOutlineW"), fontCallsBefore);  // rebuilt from the stored glyphs
}

TEST_F(TextTextureTest, SixteenBitFormatsTakeTheLevelsAsTheirAlphaBits) {
  font_.glyphs[L'z'] = {3, 1, {0, 25}, {64, 32, 1}};
  for (D3DFORMAT format : {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4}) {
    CTexString text(&game_->device);
    ASSERT_TRUE(text.BuildGlyphs(L"z", tav::TextFont(24)));
    text.textureName = L"sixteen";
    IDirect3DTexture9* raw = nullptr;
    ASSERT_EQ(game_->device.Device()->CreateTexture(32, 32, 1, D3DUSAGE_DYNAMIC, format, D3DPOOL_DEFAULT, &raw,
                                                    nullptr),
              S_OK);
    game_->device.textures.Insert(L"sixteen", tav::AdoptDeviceObject(raw));
    game_->device.textureSizes.Insert(L"sixteen", {21, 32, 21, 32});
    ASSERT_TRUE(text.FillTexture());
    const std::vector<uint8_t> texels = Texels(L"sixteen");
    auto at = [&](UINT x) {
      uint16_t v;
      std::memcpy(&v, &texels[x * 2], 2);
      return v;
    };
    if (format == D3DFMT_A1R5G5B5) {
      EXPECT_EQ(at(0), 0xFFFF);  // 255 sets the alpha bit
      EXPECT_EQ(at(1), 0x7FFF);  // 127 does not
      EXPECT_EQ(at(2), 0x7FFF);
    } else {
      EXPECT_EQ(at(0), 0xFFFF);  // (255 + 8) / 17 = 15
      EXPECT_EQ(at(1), 0x7FFF);  // (127 + 8) / 17 = 7
      EXPECT_EQ(at(2), 0x0FFF);  // (3 + 8) / 17 = 0
    }
    EXPECT_EQ(at(3), 0);
    game_->device.EraseTexture(L"sixteen");
  }
}

TEST_F(TextTextureTest, TexturesWithoutAlphaAreDrawnThroughADeviceContext) {
  CTexString text(&game_->device);
  ASSERT_TRUE(text.BuildGlyphs(L"ab", tav::TextFont(24)));
  text.textureName = L"opaque";
  text.text = L"ab";
  IDirect3DTexture9* raw = nullptr;
  ASSERT_EQ(game_->device.Device()->CreateTexture(64, 32, 1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                  &raw, nullptr),
            S_OK);
  game_->device.textures.Insert(L"opaque", tav::AdoptDeviceObject(raw));
  game_->device.textureSizes.Insert(L"opaque", {42, 32, 42, 32});
  ASSERT_TRUE(text.FillTexture()) << tavtest::ReadErrorLog();
  EXPECT_EQ(font_.Count("TextOutW"), 1);
  EXPECT_EQ(font_.LiveDCs(), 0u);
  font_.Script("TextOutW", {5});
  EXPECT_FALSE(text.FillTexture());
  EXPECT_EQ(font_.LiveDCs(), 0u);
}

TEST_F(TextTextureTest, FailuresAreLoggedAndRegisterNothing) {
  font_.Script("CreateFontIndirectW", {12});
  EXPECT_FALSE(game_->GetText(24, L"f1", L"abc"));
  font_.Script("GetTextMetricsW", {5});
  EXPECT_FALSE(game_->GetText(24, L"f2", L"abc"));
  font_.Script("GetGlyphOutlineW", {0, 0, 22});  // the second glyph's size query
  EXPECT_FALSE(game_->GetText(24, L"f3", L"abc"));
  gpu_.Script("LockRect", {D3DERR_INVALIDCALL});
  EXPECT_FALSE(game_->GetText(24, L"f4", L"abc"));
  gpu_.Script("CreateTexture", {E_OUTOFMEMORY});
  EXPECT_FALSE(game_->GetText(24, L"f5", L"abc"));
  EXPECT_EQ(game_->texts.Size(), 0u);
  const std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("LockRect"), std::string::npos) << log;
  EXPECT_NE(log.find("CreateTexture"), std::string::npos) << log;
  size_t lines = 0;
  for (char c : log) lines += c == '\n';
  EXPECT_EQ(lines, 5u) << log;
  EXPECT_EQ(font_.LiveDCs(), 0u);
  // Each failed text still owns its font until it dies; none is left now.
  EXPECT_EQ(font_.LiveFonts(), 0u);
  // A scripted failure is used up: the next text works, also under a name
  // whose texture could not be filled before.
  EXPECT_TRUE(game_->GetText(24, L"ok", L"abc"));
  EXPECT_TRUE(game_->GetText(24, L"f4", L"abc")) << tavtest::ReadErrorLog();
}

}  // namespace
