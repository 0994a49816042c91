// Compiled shaders and loaded textures on the OpenGL device: what the
// compiler and the image loader produce works there, drawn and read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "d3dx/ImageBytes.h"
#include "d3dx/QuadShader.h"
#include "gpu/GlTestSupport.h"
#include "platform/gpu/D3DX.h"

namespace d3dxtest {
namespace {

using tavtest::gl::Ref;

class D3DXOnGlDevice : public tavtest::gl::GlTest {
 protected:
  struct Vertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
  };

  // Compiles `entry` for the device's highest profile of its stage.
  std::vector<DWORD> Compile(const char* source, const char* entry, bool vertex) {
    const char* profile = vertex ? D3DXGetVertexShaderProfile(device_.Get()) : D3DXGetPixelShaderProfile(device_.Get());
    EXPECT_NE(profile, nullptr);
    if (!profile) return {};
    Ref<ID3DXBuffer> code, errors;
    const HRESULT hr = D3DXCompileShader(source, UINT(std::strlen(source)), nullptr, nullptr, entry, profile, 0,
                                         code.Out(), errors.Out(), nullptr);
    EXPECT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    if (FAILED(hr)) return {};
    const auto* words = static_cast<const DWORD*>(code->GetBufferPointer());
    return std::vector<DWORD>(words, words + code->GetBufferSize() / sizeof(DWORD));
  }

  // Draws the pixels [10, 14) x [5, 9) with the given shaders and returns the
  // back buffer. The quad's texture coordinates run 0..1, its colour `colour`.
  std::vector<uint32_t> Draw(const std::vector<DWORD>& vertexCode, const std::vector<DWORD>& pixelCode,
                             uint32_t colour) {
    Ref<IDirect3DVertexShader9> vs;
    Ref<IDirect3DPixelShader9> ps;
    EXPECT_EQ(device_->CreateVertexShader(vertexCode.data(), vs.Out()), S_OK);
    EXPECT_EQ(device_->CreatePixelShader(pixelCode.data(), ps.Out()), S_OK);
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                          {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    Ref<IDirect3DVertexDeclaration9> declaration;
    EXPECT_EQ(device_->CreateVertexDeclaration(elements, declaration.Out()), S_OK);
    EXPECT_EQ(device_->SetVertexDeclaration(declaration.Get()), S_OK);
    EXPECT_EQ(device_->SetVertexShader(vs.Get()), S_OK);
    EXPECT_EQ(device_->SetPixelShader(ps.Get()), S_OK);
    // Direct3D clip space; corners half a pixel up and left put texels on pixels.
    auto x = [](float px) { return (px - 0.5f) / kWidth * 2.0f - 1.0f; };
    auto y = [](float py) { return 1.0f - (py - 0.5f) / kHeight * 2.0f; };
    const Vertex vertices[] = {{x(10), y(5), 0.5f, colour, 0, 0},
                               {x(14), y(5), 0.5f, colour, 1, 0},
                               {x(10), y(9), 0.5f, colour, 0, 1},
                               {x(14), y(9), 0.5f, colour, 1, 1}};
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), S_OK);
    EXPECT_EQ(device_->BeginScene(), S_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, tavtest::gl::kClockwise, D3DFMT_INDEX16,
                                              vertices, sizeof(Vertex)),
              S_OK);
    EXPECT_EQ(device_->EndScene(), S_OK);
    return ReadBackBuffer();
  }

  static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels.at(size_t(y) * kWidth + x); }
};

TEST_F(D3DXOnGlDevice, QuadShadersDrawALoadedTexture) {
  // 2x2 PNG: red, green / blue, white; each texel covers 2x2 pixels.
  const std::vector<uint8_t> png =
      MakePng(2, 2, 4, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255});
  Ref<IDirect3DTexture9> texture;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_.Get(), png.data(), UINT(png.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT,
                                                0, nullptr, nullptr, texture.Out()),
            D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);

  const std::vector<DWORD> vertexCode = Compile(kQuadShader, "VSMain", true);
  const std::vector<uint32_t> plain = Draw(vertexCode, Compile(kQuadShader, "PSMain", false), 0xFFFFFFFF);
  EXPECT_EQ(At(plain, 10, 5), 0xFFFF0000u);
  EXPECT_EQ(At(plain, 13, 5), 0xFF00FF00u);
  EXPECT_EQ(At(plain, 10, 8), 0xFF0000FFu);
  EXPECT_EQ(At(plain, 13, 8), 0xFFFFFFFFu);
  EXPECT_EQ(At(plain, 9, 5), 0xFF000000u);
  EXPECT_EQ(At(plain, 14, 8), 0xFF000000u);

  const std::vector<uint32_t> negative = Draw(vertexCode, Compile(kQuadShader, "PSNegative", false), 0xFFFFFFFF);
  EXPECT_EQ(At(negative, 10, 5), 0xFF00FFFFu);
  EXPECT_EQ(At(negative, 13, 8), 0xFF000000u);
}

TEST_F(D3DXOnGlDevice, StagesWithReorderedStructsLinkAndPassValuesBySemantic) {
  // Red scaled by the texture coordinate u, which grows to the right.
  const std::vector<uint32_t> pixels =
      Draw(Compile(kReorderedShader, "vs", true), Compile(kReorderedShader, "ps", false), 0xFFFF0000);
  for (int x = 10; x < 14; ++x) {
    SCOPED_TRACE(x);
    const uint32_t p = At(pixels, x, 6);
    const int expectedRed = int((x - 10 + 0.5f) / 4 * 255);
    EXPECT_NEAR(int(p >> 16 & 0xFF), expectedRed, 6);
    EXPECT_LE(int(p >> 8 & 0xFF), 6);  // only the small FragCoord term
    EXPECT_LE(int(p & 0xFF), 6);
  }
}

}  // namespace
}  // namespace d3dxtest
