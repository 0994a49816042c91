// The demo game's quad shaders on the real OpenGL device: a PNG and a DDS image
// drawn in the four colour modes, checked texel by texel. With
// TAVRI_SCREENSHOT_DIR set the frame is also written there as a PNG.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "d3dx/ImageBytes.h"
#include "gfx/BaseD3D.h"
#include "gfx/GlScene.h"
#include "platform/os/Window.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace {

constexpr UINT kWidth = 288, kHeight = 128;

struct Vertex {
  float x, y, z, r, g, b, a, u, v;
};

std::string Shader(const char* file) {
  return tavtest::ReadFileBytes(std::string(TAVRI_SOURCE_DIR) + "/game/demo/Res/HLSL/" + file);
}

class ShaderPixelsTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    // A 64 x 64 PNG of smooth colour and a 64 x 64 DDS checkerboard.
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) rgba.insert(rgba.end(), {uint8_t(x * 4), uint8_t(y * 4), 160, 255});
    png_ = d3dxtest::MakePng(64, 64, 4, rgba);
    std::vector<uint8_t> bgra;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        bool dark = ((x / 8) + (y / 8)) % 2;
        bgra.insert(bgra.end(), dark ? std::initializer_list<uint8_t>{40, 60, 200, 255}
                                     : std::initializer_list<uint8_t>{230, 220, 90, 255});
      }
    dds_ = d3dxtest::MakeDds(64, 64, d3dxtest::kDdsA8R8G8B8, 0, bgra);
    tavtest::WriteFileBytes(dir_ / "Res.pac", tavtest::BuildArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl",
                                                                       Shader("QUAD_DEFAULT.hlsl")}}));
    std::filesystem::current_path(dir_.Path());
    tav::direct3D.reset();
    tav::ex = false;
  }
  void TearDown() override {
    d3d_.reset();
    tav::direct3D.reset();
    window_.reset();
    std::filesystem::current_path(saved_);
  }

  // A quad at pixel rectangle (x, y, w, h) the way quads are drawn: corners
  // moved by half a pixel into clip space, indices 0 2 1 1 2 3.
  void DrawQuad(const wchar_t* texture, const wchar_t* pixelShader, float x, float y, float w, float h) {
    IDirect3DDevice9* device = d3d_->Device();
    auto clip = [&](float px, float py, float u, float v) {
      return Vertex{(px - 0.5f) / (kWidth / 2.0f) - 1, 1 - (py - 0.5f) / (kHeight / 2.0f), 0, 1, 1, 1, 1, u, v};
    };
    Vertex v[4] = {clip(x, y, 0, 0), clip(x + w, y, 1, 0), clip(x, y + h, 0, 1), clip(x + w, y + h, 1, 1)};
    const uint16_t indices[6] = {0, 2, 1, 1, 2, 3};
    auto& vs = *d3d_->vertexShaders.Find(L"QUAD_DEFAULT");
    device->SetVertexShader(vs->shader.get());
    device->SetVertexDeclaration(vs->declaration.get());
    device->SetPixelShader(d3d_->pixelShaders.Find(pixelShader)->get());
    device->SetTexture(0, d3d_->GetTexture(texture));
    device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v, sizeof(Vertex));
  }

  tavtest::TempDir dir_;
  std::filesystem::path saved_;
  std::unique_ptr<tav::os::Window> window_;
  std::unique_ptr<CBaseD3D> d3d_;
  std::vector<uint8_t> png_, dds_;
};

TEST_F(ShaderPixelsTest, TheFourColourModesOfTheDemoShaders) {
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  window_.reset(tav::os::Window::Create(L"shader pixels", kWidth, kHeight, false));
  ASSERT_NE(window_, nullptr);
  d3d_ = std::make_unique<CBaseD3D>();
  ASSERT_TRUE(d3d_->InitDevice(window_.get(), kWidth, kHeight, true)) << tavtest::ReadErrorLog();
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"png", png_.data(), uint32_t(png_.size()), 0));
  ASSERT_TRUE(d3d_->LoadTextureFromMemory(L"dds", dds_.data(), uint32_t(dds_.size()), 0));

  IDirect3DDevice9* device = d3d_->Device();
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_ZENABLE, 0);
  d3d_->clearColour = 0xFF202020;

  std::vector<uint32_t> pixels(kWidth * kHeight);
  d3d_->BeginFrame();
  const wchar_t* modes[4] = {L"QUAD_DEFAULT", L"QUAD_NEGA", L"QUAD_MONO", L"QUAD_SEPIA"};
  for (int m = 0; m < 4; ++m) {
    DrawQuad(L"png", modes[m], float(m * 64), 0, 64, 64);
    DrawQuad(L"dds", modes[m], float(m * 64), 64, 64, 64);
  }
  pixels = tavtest::ReadBackBuffer(*d3d_, kWidth, kHeight);
  ASSERT_EQ(pixels.size(), size_t(kWidth) * kHeight);
  ASSERT_TRUE(d3d_->EndFrame());

  tavtest::SaveScreenshot(pixels, kWidth, kHeight, "shader-modes.png");

  auto at = [&](int x, int y) { return pixels[y * kWidth + x] & 0xFFFFFF; };
  auto channel = [](uint32_t c, int shift) { return int((c >> shift) & 0xFF); };
  auto near = [&](uint32_t got, int r, int g, int b) {
    return std::abs(channel(got, 16) - r) <= 3 && std::abs(channel(got, 8) - g) <= 3 && std::abs(channel(got, 0) - b) <= 3;
  };
  // PNG texel (20, 10) is (80, 40, 160); each quad shows the image texel for texel.
  EXPECT_TRUE(near(at(20, 10), 80, 40, 160)) << std::hex << at(20, 10);
  EXPECT_TRUE(near(at(64 + 20, 10), 175, 215, 95)) << std::hex << at(84, 10);
  int grey = int(std::lround(80 * 0.299 + 40 * 0.587 + 160 * 0.114));
  EXPECT_TRUE(near(at(128 + 20, 10), grey, grey, grey)) << std::hex << at(148, 10);
  EXPECT_TRUE(near(at(192 + 20, 10), std::min(255, int(grey * 1.07)), int(grey * 0.74), int(grey * 0.43)))
      << std::hex << at(212, 10);
  // DDS checker: light (90, 220, 230) at (2, 66), dark (200, 60, 40) at (10, 66).
  EXPECT_TRUE(near(at(2, 66), 90, 220, 230)) << std::hex << at(2, 66);
  EXPECT_TRUE(near(at(10, 66), 200, 60, 40)) << std::hex << at(10, 66);
  EXPECT_TRUE(near(at(64 + 10, 66), 55, 195, 215)) << std::hex << at(74, 66);
  // Outside the quads the clear colour remains.
  EXPECT_EQ(at(280, 10), 0x202020u);
}

}  // namespace
