// Quads against the Direct3D double: fitting, the transform order, shader
// choice, skipped binds and the vertices handed to the draw call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "gfx/GfxFixture.h"
#include "gfx/Quad.h"

namespace {

using tav::CQuad;

class QuadTest : public tavtest::GfxFixture {
 protected:
  void SetUp() override {
    GfxFixture::SetUp();
    ASSERT_TRUE(Start());
    // The double compiles nothing: empty entries stand for the quad shaders.
    d3d_->vertexShaders.Insert(L"QUAD_DEFAULT", std::make_shared<CBaseD3D::VertexShader>());
    for (const wchar_t* name : {L"QUAD_DEFAULT", L"QUAD_NEGA", L"QUAD_MONO", L"QUAD_SEPIA"})
      d3d_->pixelShaders.Insert(name, nullptr);
  }
  // The vertex floats of the last draw call.
  std::vector<float> LastFloats() const {
    const auto& bytes = gpu_.LastVertices();
    std::vector<float> floats(bytes.size() / 4);
    std::memcpy(floats.data(), bytes.data(), floats.size() * 4);
    return floats;
  }
};

TEST_F(QuadTest, FitsTheImagePartOfAPowerOfTwoTexture) {
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Pic", 300, 200, 0));
  CQuad quad;
  ASSERT_TRUE(quad.Attach(L"Pic", d3d_.get()));
  EXPECT_FLOAT_EQ(quad.localCorners[3].x, 300);
  EXPECT_FLOAT_EQ(quad.localCorners[3].y, 200);
  EXPECT_FLOAT_EQ(quad.localCorners[1].y, 0);
  EXPECT_FLOAT_EQ(quad.localCorners[2].x, 0);
  EXPECT_FLOAT_EQ(quad.uvs[3].x, 0.5859375f);
  EXPECT_FLOAT_EQ(quad.uvs[3].y, 0.78125f);
  EXPECT_FLOAT_EQ(quad.uvs[1].x, 0.5859375f);
  EXPECT_FLOAT_EQ(quad.uvs[2].y, 0.78125f);

  // A name not in the store leaves the rectangle as it was.
  quad.SetTextureName(L"Missing");
  EXPECT_EQ(quad.textureName, L"Missing");
  EXPECT_FLOAT_EQ(quad.localCorners[3].x, 300);
}

TEST_F(QuadTest, TransformsInTheOrderTranslateScaleRotateMatrix) {
  CQuad quad;
  ASSERT_TRUE(quad.Attach(L"", d3d_.get()));
  quad.localCorners = {{{0, 0}, {10, 0}, {0, 10}, {10, 10}}};
  quad.angle = std::numbers::pi_v<float> / 2;
  quad.Update();
  EXPECT_NEAR(quad.corners[1].x, 0, 1e-5);
  EXPECT_NEAR(quad.corners[1].y, 10, 1e-5);

  // Translation happens before scaling, so the scale centre sees the moved
  // corner; rotation about its centre comes next, the matrix last.
  CQuad moved;
  moved.Attach(L"", d3d_.get());
  moved.localCorners = {{{0, 0}, {10, 0}, {0, 10}, {10, 10}}};
  moved.translation = {5, 0};
  moved.scale = {2, 3};
  moved.scaleCentre = {5, 0};
  moved.angle = std::numbers::pi_v<float>;
  moved.rotationCentre = {5, 0};
  const float shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 100, 50, 0, 1};
  moved.SetMatrix(shift);
  moved.Update();
  // (10, 0) -> (15, 0) -> (25, 0) -> (-15, 0) -> (85, 50).
  EXPECT_NEAR(moved.corners[1].x, 85, 1e-4);
  EXPECT_NEAR(moved.corners[1].y, 50, 1e-4);
  // (0, 10) -> (5, 10) -> (5, 30) -> (5, -30) -> (105, 20).
  EXPECT_NEAR(moved.corners[2].x, 105, 1e-4);
  EXPECT_NEAR(moved.corners[2].y, 20, 1e-4);

  // Field writes show only after Update.
  moved.translation = {1000, 1000};
  EXPECT_NEAR(moved.GetCorners()[1].x, 85, 1e-4);
}

TEST_F(QuadTest, ModesChooseThePixelShaderAndUnknownModesDrawAsDefault) {
  CQuad quad;
  quad.Attach(L"", d3d_.get());
  const std::pair<int, const wchar_t*> cases[] = {
      {0, L"QUAD_DEFAULT"}, {1, L"QUAD_NEGA"}, {2, L"QUAD_MONO"}, {3, L"QUAD_SEPIA"}, {7, L"QUAD_DEFAULT"}, {-1, L"QUAD_DEFAULT"}};
  for (auto [mode, name] : cases) {
    quad.mode = mode;
    quad.Update();
    EXPECT_EQ(quad.pixelShaderName, name) << mode;
    EXPECT_EQ(quad.vertexShaderName, L"QUAD_DEFAULT");
  }
}

TEST_F(QuadTest, DetectsShadersFromTheDeviceVersions) {
  CQuad quad;
  quad.Attach(L"", d3d_.get());
  EXPECT_TRUE(quad.useShaders);
  d3d_->caps.VertexShaderVersion = D3DVS_VERSION(1, 0);
  quad.DetectShaders();
  EXPECT_FALSE(quad.useShaders);
  d3d_->caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
  d3d_->caps.PixelShaderVersion = D3DPS_VERSION(1, 4);
  quad.DetectShaders();
  EXPECT_FALSE(quad.useShaders);
  d3d_->caps.PixelShaderVersion = D3DPS_VERSION(2, 0);
  quad.DetectShaders();
  EXPECT_TRUE(quad.useShaders);
}

TEST_F(QuadTest, RunsOfEqualStateBindOnceAndAResetBindsAgain) {
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"A", 16, 16, 0));
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"B", 16, 16, 0));
  CQuad a1, a2, b;
  a1.Attach(L"A", d3d_.get());
  a2.Attach(L"A", d3d_.get());
  b.Attach(L"B", d3d_.get());
  for (CQuad* q : {&a1, &a2, &b}) q->Update();

  d3d_->BeginFrame();
  gpu_.ClearCalls();
  EXPECT_TRUE(a1.Draw());
  EXPECT_TRUE(a2.Draw());
  EXPECT_TRUE(b.Draw());
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP 36"), 3u);
  EXPECT_EQ(gpu_.Count("SetTexture"), 2u);
  EXPECT_EQ(gpu_.Count("SetVertexShader"), 1u);
  EXPECT_EQ(gpu_.Count("SetPixelShader"), 1u);
  b.mode = 1;
  b.Update();
  EXPECT_TRUE(b.Draw());
  EXPECT_EQ(gpu_.Count("SetPixelShader"), 2u);
  EXPECT_EQ(gpu_.Count("SetTexture"), 2u);

  // The fixed-function path sets its vertex format once.
  a1.useShaders = a2.useShaders = false;
  gpu_.ClearCalls();
  a1.Draw();
  a2.Draw();
  EXPECT_EQ(gpu_.Count("SetFVF 0x144"), 1u);
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP 28"), 2u);
  // The vertex format replaced the declaration: a shader quad binds again.
  gpu_.ClearCalls();
  b.Draw();
  EXPECT_EQ(gpu_.Count("SetVertexShader"), 1u);

  // After a reset the record is back to its start: everything binds again.
  d3d_->drawState = tav::DrawStateRecord{};
  gpu_.ClearCalls();
  a1.Draw();
  EXPECT_EQ(gpu_.Count("SetTexture"), 1u);
  EXPECT_EQ(gpu_.Count("SetFVF"), 1u);
  EXPECT_TRUE(d3d_->EndFrame());
}

TEST_F(QuadTest, AnErasedTextureIsUnboundSoItsSuccessorBinds) {
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Line", 16, 16, 0));
  CQuad quad;
  quad.Attach(L"Line", d3d_.get());
  quad.Update();
  d3d_->BeginFrame();
  quad.Draw();
  ASSERT_TRUE(d3d_->EraseTexture(L"Line"));
  ASSERT_TRUE(d3d_->CreateNamedTexture(L"Line", 32, 16, 0));
  gpu_.ClearCalls();
  quad.Draw();
  EXPECT_EQ(gpu_.Count("SetTexture"), 1u);
  EXPECT_TRUE(d3d_->EndFrame());
}

TEST_F(QuadTest, VerticesOfBothPathsForACornerAtTheOrigin) {
  CQuad quad;
  quad.Attach(L"", d3d_.get());
  quad.localCorners = {{{0, 0}, {800, 0}, {0, 600}, {800, 600}}};
  quad.uvs = {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}};
  quad.colours = {0x80FF0000, 0xFF00FF00, 0xFF0000FF, 0x00FFFFFF};
  quad.Update();
  d3d_->BeginFrame();
  ASSERT_TRUE(quad.Draw());
  std::vector<float> v = LastFloats();
  ASSERT_EQ(v.size(), 4u * 9);
  EXPECT_FLOAT_EQ(v[0], -1.00125f);
  EXPECT_NEAR(v[1], 1.0016667f, 1e-6);
  EXPECT_FLOAT_EQ(v[2], 0);
  EXPECT_FLOAT_EQ(v[3], 1.0f);                 // red
  EXPECT_FLOAT_EQ(v[6], 128.0f / 255.0f);      // alpha
  EXPECT_FLOAT_EQ(v[9 + 4], 1.0f);             // corner 1 green
  EXPECT_FLOAT_EQ(v[27 + 7], 1.0f);            // corner 3 u
  EXPECT_FLOAT_EQ(v[27 + 0], (799.5f / 400.0f) - 1);

  quad.useShaders = false;
  ASSERT_TRUE(quad.Draw());
  const auto& bytes = gpu_.LastVertices();
  ASSERT_EQ(bytes.size(), 4u * 28);
  float x, y, rhw;
  D3DCOLOR colour;
  std::memcpy(&x, &bytes[0], 4);
  std::memcpy(&y, &bytes[4], 4);
  std::memcpy(&rhw, &bytes[12], 4);
  std::memcpy(&colour, &bytes[16], 4);
  EXPECT_FLOAT_EQ(x, -0.5f);
  EXPECT_FLOAT_EQ(y, -0.5f);
  EXPECT_FLOAT_EQ(rhw, 1.0f);
  EXPECT_EQ(colour, 0x80FF0000u);
  EXPECT_TRUE(d3d_->EndFrame());
}

TEST_F(QuadTest, WithoutItsShadersAQuadDrawsThroughTheFixedFunctionPath) {
  d3d_->pixelShaders.Erase(L"QUAD_SEPIA");
  CQuad quad;
  quad.Attach(L"", d3d_.get());
  quad.mode = 3;
  quad.Update();
  d3d_->BeginFrame();
  gpu_.ClearCalls();
  EXPECT_TRUE(quad.Draw());
  EXPECT_EQ(gpu_.Count("DrawIndexedPrimitiveUP 28"), 1u);
  EXPECT_TRUE(d3d_->EndFrame());
}

TEST(QuadHitTest, EdgesAreInsideAndOnePixelBeyondIsNot) {
  const tav::QuadCorners box = {{{10, 20}, {110, 20}, {10, 70}, {110, 70}}};
  EXPECT_TRUE(CQuad::HitTest(box, 10, 20));
  EXPECT_TRUE(CQuad::HitTest(box, 110, 70));
  EXPECT_TRUE(CQuad::HitTest(box, 60, 20));
  EXPECT_FALSE(CQuad::HitTest(box, 9, 40));
  EXPECT_FALSE(CQuad::HitTest(box, 111, 40));
  EXPECT_FALSE(CQuad::HitTest(box, 60, 19));
  EXPECT_FALSE(CQuad::HitTest(box, 60, 71));
  EXPECT_FALSE(CQuad::HitTest(box, std::nanf(""), 40));
  EXPECT_FALSE(CQuad::HitTest(box, 60, std::nanf("")));
}

}  // namespace
