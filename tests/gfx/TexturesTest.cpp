#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gfx/GfxFixture.h"
#include "gfx/TextureMath.h"

namespace {

using tavtest::GfxFixture;

TEST(TextureMath, RoundsUpToPowersOfTwoAndCountsMipLevels) {
  EXPECT_EQ(tav::RoundUpToPowerOfTwo(0), 0u);
  EXPECT_EQ(tav::RoundUpToPowerOfTwo(1), 1u);
  EXPECT_EQ(tav::RoundUpToPowerOfTwo(300), 512u);
  EXPECT_EQ(tav::RoundUpToPowerOfTwo(512), 512u);
  EXPECT_EQ(tav::RoundUpToPowerOfTwo(513), 1024u);
  EXPECT_EQ(tav::RoundUpToPowerOfTwo(0xFFFFFFFFu), 0x80000000u);
  EXPECT_EQ(tav::FullMipChainLength(512, 256), 10u);
  EXPECT_EQ(tav::FullMipChainLength(1, 1), 1u);
  EXPECT_EQ(tav::FullMipChainLength(2, 1), 2u);
}

class TexturesTest : public GfxFixture {};

TEST_F(TexturesTest, NamedTextureIsAPowerOfTwoThatRemembersItsSize) {
  ASSERT_TRUE(Start());
  gpu_.ClearCalls();
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Line", 300, 200, D3DUSAGE_DYNAMIC));
  D3DSURFACE_DESC desc;
  ASSERT_EQ(d3d_->GetTexture(L"Line")->GetLevelDesc(0, &desc), S_OK);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(desc.Height, 256u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_TRUE(desc.Usage & D3DUSAGE_AUTOGENMIPMAP);
  const tav::TextureSize* size = d3d_->GetTextureSize(L"Line");
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->width, 300);
  EXPECT_EQ(size->height, 200);
  EXPECT_EQ(size->imageWidth, 300);
  EXPECT_EQ(size->imageHeight, 200);

  // The name is taken: a second texture under it is refused, the first stays.
  IDirect3DTexture9* first = d3d_->GetTexture(L"Line");
  EXPECT_FALSE(d3d_->CreateNamedTexture(L"Line", 16, 16, 0));
  EXPECT_EQ(d3d_->GetTexture(L"Line"), first);

  EXPECT_TRUE(d3d_->EraseTexture(L"Line"));
  EXPECT_EQ(d3d_->GetTexture(L"Line"), nullptr);
  EXPECT_FALSE(d3d_->EraseTexture(L"Line"));
}

TEST_F(TexturesTest, SquareOnlyAndSmallMaximumsShapeTheTexture) {
  gpu_.caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  gpu_.caps.MaxTextureWidth = gpu_.caps.MaxTextureHeight = 1024;
  ASSERT_TRUE(Start());
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Square", 300, 200, 0));
  D3DSURFACE_DESC desc;
  d3d_->GetTexture(L"Square")->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(desc.Height, 512u);

  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Wide", 3000, 100, 0));
  d3d_->GetTexture(L"Wide")->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 1024u);
  EXPECT_EQ(d3d_->GetTextureSize(L"Wide")->width, 1024);
  EXPECT_EQ(d3d_->GetTextureSize(L"Wide")->imageWidth, 3000);
}

TEST_F(TexturesTest, RenderTargetFallsBackToTheFirstSupportedFormat) {
  gpu_.renderTargetFormats = {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5};
  ASSERT_TRUE(Start());
  D3DSURFACE_DESC desc;
  ASSERT_EQ(d3d_->GetTexture(L"DefaultRenderTargetTex")->GetLevelDesc(0, &desc), S_OK);
  EXPECT_EQ(desc.Format, D3DFMT_A1R5G5B5);
  EXPECT_TRUE(desc.Usage & D3DUSAGE_RENDERTARGET);
}

TEST_F(TexturesTest, DefaultTexturesAreWhiteAndAPeephole) {
  ASSERT_TRUE(Start(true, 64, 32));
  auto texel = [&](const wchar_t* name, UINT x, UINT y) {
    D3DLOCKED_RECT locked;
    IDirect3DTexture9* t = d3d_->GetTexture(name);
    EXPECT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    uint32_t v;
    std::memcpy(&v, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
    t->UnlockRect(0);
    return v;
  };
  // White is white at any size: the texture is small, quads are fitted to
  // the screen's size all the same.
  D3DSURFACE_DESC desc;
  ASSERT_EQ(d3d_->GetTexture(L"DefaultTex")->GetLevelDesc(0, &desc), S_OK);
  EXPECT_LE(desc.Width * desc.Height, 4u);
  for (UINT y = 0; y < desc.Height; ++y)
    for (UINT x = 0; x < desc.Width; ++x) EXPECT_EQ(texel(L"DefaultTex", x, y), 0xFFFFFFFFu);
  EXPECT_EQ(d3d_->GetTextureSize(L"DefaultTex")->imageWidth, 64);
  EXPECT_EQ(d3d_->GetTextureSize(L"DefaultTex")->imageHeight, 32);
  // 64 x 32: the disc is an ellipse filling the texture.
  EXPECT_EQ(texel(L"DefaultPeepholeTex", 32, 16), 0x00000000u);
  EXPECT_EQ(texel(L"DefaultPeepholeTex", 2, 16), 0x00000000u);
  EXPECT_EQ(texel(L"DefaultPeepholeTex", 0, 0), 0xFF000000u);
  EXPECT_EQ(texel(L"DefaultPeepholeTex", 32, 0), 0x00000000u);
  EXPECT_EQ(texel(L"DefaultPeepholeTex", 63, 31), 0xFF000000u);
}

TEST_F(TexturesTest, EveryTextureComesBackAfterAReset) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Text", 100, 20, D3DUSAGE_DYNAMIC));
  std::vector<std::wstring> before;
  for (auto& [name, texture] : d3d_->textures) before.push_back(name);
  ASSERT_TRUE(d3d_->ReleaseForReset({}));
  EXPECT_EQ(gpu_.LiveDefaultResources(), 0);
  EXPECT_EQ(d3d_->textures.Size(), 0u);
  ASSERT_TRUE(d3d_->RestoreAfterReset({}, nullptr));
  // The default textures come back when asked for; named textures that are
  // not image files are their owners' to make again.
  for (const wchar_t* name : {L"DefaultTex", L"DefaultPeepholeTex", L"DefaultRenderTargetTex"})
    EXPECT_NE(d3d_->GetTexture(name), nullptr);
  std::vector<std::wstring> after;
  for (auto& [name, texture] : d3d_->textures) after.push_back(name);
  EXPECT_EQ(after, (std::vector<std::wstring>{L"DefaultTex", L"DefaultPeepholeTex", L"DefaultRenderTargetTex"}));
  EXPECT_EQ(before.size(), 1u);
}

TEST_F(TexturesTest, DefaultTexturesAreMadeOnFirstUseAndNotWhileTheDeviceIsReset) {
  ASSERT_TRUE(Start(true, 64, 32));
  EXPECT_EQ(gpu_.Count("CreateTexture"), 0u);
  // The target's depth surface is made at once: a render to texture finds it
  // before it asks for the target.
  EXPECT_NE(d3d_->surfaces.Find(L"DefaultRenderTargetSurface"), nullptr);
  // Sizes are known before the textures exist, so quads can be fitted to them.
  const tav::TextureSize* size = d3d_->GetTextureSize(L"DefaultPeepholeTex");
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->width, 64);
  EXPECT_EQ(size->height, 32);
  IDirect3DTexture9* target = d3d_->GetTexture(L"DefaultRenderTargetTex");
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(d3d_->GetTexture(L"DefaultRenderTargetTex"), target);
  EXPECT_EQ(gpu_.Count("CreateTexture"), 1u);

  // Between the release and the restore of a reset nothing is made.
  ASSERT_TRUE(d3d_->ReleaseForReset({}));
  EXPECT_EQ(d3d_->GetTexture(L"DefaultTex"), nullptr);
  ASSERT_TRUE(d3d_->RestoreAfterReset({}, nullptr));
  // An erased default stays erased; one that cannot be made is not tried at
  // every frame.
  EXPECT_TRUE(d3d_->EraseTexture(L"DefaultTex"));
  EXPECT_EQ(d3d_->GetTexture(L"DefaultTex"), nullptr);
  gpu_.Script("CreateTexture", {D3DERR_OUTOFVIDEOMEMORY});
  const size_t made = gpu_.Count("CreateTexture");
  EXPECT_EQ(d3d_->GetTexture(L"DefaultPeepholeTex"), nullptr);
  EXPECT_EQ(d3d_->GetTexture(L"DefaultPeepholeTex"), nullptr);
  EXPECT_EQ(gpu_.Count("CreateTexture"), made + 1);
}

TEST_F(TexturesTest, CreationFailuresAreLoggedAndKeepTheStores) {
  ASSERT_TRUE(Start());
  size_t count = d3d_->textures.Size();
  gpu_.Script("CreateTexture", {D3DERR_OUTOFVIDEOMEMORY});
  EXPECT_FALSE(d3d_->CreateNamedTexture(L"Big", 64, 64, 0));
  EXPECT_EQ(d3d_->textures.Size(), count);
  EXPECT_EQ(d3d_->GetTextureSize(L"Big"), nullptr);
  EXPECT_NE(tavtest::ReadErrorLog().find("CreateTexture D3DERR_OUTOFVIDEOMEMORY"), std::string::npos);
}

}  // namespace

// Image textures, from the bytes of image files.
#include "app/Game.h"
#include "d3dx/ImageBytes.h"
#include "res/Stores.h"

namespace {

std::vector<uint8_t> Gradient(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgba;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) rgba.insert(rgba.end(), {uint8_t(x), uint8_t(y), uint8_t(x ^ y), 255});
  return d3dxtest::MakePng(width, height, 4, rgba);
}

std::vector<uint8_t> Level0(IDirect3DTexture9* texture) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked;
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return {};
  auto* bytes = static_cast<uint8_t*>(locked.pBits);
  std::vector<uint8_t> copy(bytes, bytes + size_t(locked.Pitch) * desc.Height);
  texture->UnlockRect(0);
  return copy;
}

class ImageTexturesTest : public GfxFixture {
 protected:
  const std::vector<uint8_t> png_ = Gradient(300, 200);
};

TEST_F(ImageTexturesTest, AnImageBecomesAPowerOfTwoTextureWithItsImageSize) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"bg", png_.data(), uint32_t(png_.size()), 0));
  D3DSURFACE_DESC desc;
  d3d_->GetTexture(L"bg")->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(desc.Height, 256u);
  const tav::TextureSize* size = d3d_->GetTextureSize(L"bg");
  EXPECT_EQ(size->width, 300);
  EXPECT_EQ(size->height, 200);
  EXPECT_EQ(size->imageWidth, 300);
  EXPECT_EQ(size->imageHeight, 200);

  // A second load under the name is refused quietly and keeps the first.
  IDirect3DTexture9* first = d3d_->GetTexture(L"bg");
  std::vector<uint8_t> other = Gradient(8, 8);
  tavtest::ClearErrorLog();
  EXPECT_FALSE(d3d_->LoadTextureFromMemory(L"bg", other.data(), uint32_t(other.size()), 0));
  EXPECT_EQ(d3d_->GetTexture(L"bg"), first);
  EXPECT_EQ(d3d_->GetTextureSize(L"bg")->imageWidth, 300);
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
}

TEST_F(ImageTexturesTest, SquareOnlyDevicesAndSmallMaximumsShapeImageTextures) {
  gpu_.caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  ASSERT_TRUE(Start());
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"bg", png_.data(), uint32_t(png_.size()), 0));
  D3DSURFACE_DESC desc;
  d3d_->GetTexture(L"bg")->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(desc.Height, 512u);

  gpu_.caps.TextureCaps &= ~D3DPTEXTURECAPS_SQUAREONLY;
  gpu_.caps.MaxTextureWidth = 256;
  d3d_->caps.MaxTextureWidth = 256;
  d3d_->caps.TextureCaps = gpu_.caps.TextureCaps;
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"wide", png_.data(), uint32_t(png_.size()), 0));
  d3d_->GetTexture(L"wide")->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 256u);
  EXPECT_EQ(d3d_->GetTextureSize(L"wide")->width, 256);
  EXPECT_EQ(d3d_->GetTextureSize(L"wide")->imageWidth, 300);
}

TEST_F(ImageTexturesTest, ImageTexturesComeBackAfterAResetWithTheSamePixels) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"bg", png_.data(), uint32_t(png_.size()), 0));
  std::vector<uint8_t> before = Level0(d3d_->GetTexture(L"bg"));
  ASSERT_FALSE(before.empty());
  gpu_.Script("CheckDeviceState", {D3DERR_DEVICELOST});
  CBaseD3D::FrameHooks hooks;
  ASSERT_TRUE(d3d_->RunFrame(nullptr, hooks));
  EXPECT_EQ(gpu_.Count("ResetEx live 0"), 1u);
  ASSERT_NE(d3d_->GetTexture(L"bg"), nullptr);
  EXPECT_EQ(d3d_->GetTextureSize(L"bg")->imageWidth, 300);
  EXPECT_EQ(Level0(d3d_->GetTexture(L"bg")), before);
}

TEST_F(ImageTexturesTest, BytesThatAreNoImageAreLoggedAndRefused) {
  ASSERT_TRUE(Start());
  const char junk[] = "not an image at all";
  EXPECT_FALSE(d3d_->LoadTextureFromMemory(L"junk", reinterpret_cast<const uint8_t*>(junk), sizeof junk, 0));
  EXPECT_NE(tavtest::ReadErrorLog().find("D3DXGetImageInfoFromFileInMemory D3DXERR_INVALIDDATA"), std::string::npos);
  EXPECT_EQ(d3d_->GetTexture(L"junk"), nullptr);
  EXPECT_EQ(d3d_->restoreRecords.Find(L"junk"), nullptr);
}

TEST_F(ImageTexturesTest, TheGameLoadsImagesFromTheResourceArchiveByName) {
  std::string png(png_.begin(), png_.end());
  tavtest::WriteFileBytes(dir_ / "Res.pac", tavtest::BuildArchive({{"Res\\Default\\v1.png", png}}));
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  tav::CGame game;
  ASSERT_TRUE(game.device.InitDevice(nullptr, 800, 600, true));
  EXPECT_TRUE(game.LoadTexture(L"Default\\v1.png"));
  EXPECT_NE(game.device.GetTexture(L"Default\\v1.png"), nullptr);
  EXPECT_FALSE(game.LoadTexture(L"Default\\v1.png"));  // already there
  EXPECT_FALSE(game.LoadTexture(L""));
  EXPECT_FALSE(game.LoadTexture(L"Default\\v2.png"));  // not in the archive
  EXPECT_FALSE(game.LoadTexture(L"Res\\Default\\v1.png"));
  game.device.textures.Clear();
  tav::ResStore() = tav::ArchiveStore();
}

}  // namespace
