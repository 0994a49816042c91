#include <gtest/gtest.h>

#include <string>

#include "gfx/GfxFixture.h"
#include "res/Stores.h"

namespace {

using tavtest::GfxFixture;

std::string DemoShader(const std::string& file) {
  return tavtest::ReadFileBytes(std::string(TAVRI_SOURCE_DIR) + "/game/demo/Res/HLSL/" + file);
}

class ShadersTest : public GfxFixture {
 protected:
  // A resource archive holding the given shader sources.
  void WriteArchive(const std::vector<std::pair<std::string, std::string>>& files) {
    tavtest::WriteFileBytes(dir_ / "Res.pac", tavtest::BuildArchive(files));
  }
  void TearDown() override {
    GfxFixture::TearDown();
    tav::ResStore() = tav::ArchiveStore();
  }
};

TEST_F(ShadersTest, TheDemoShadersCompileIntoTheirStores) {
  WriteArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", DemoShader("QUAD_DEFAULT.hlsl")},
                {"Res\\HLSL\\PHONG_STATIC.hlsl", DemoShader("PHONG_STATIC.hlsl")},
                {"Res\\HLSL\\QUAD3D_DEFAULT.hlsl", DemoShader("QUAD3D_DEFAULT.hlsl")}});
  ASSERT_TRUE(Start()) << tavtest::ReadErrorLog();
  for (const wchar_t* name : {L"QUAD_DEFAULT", L"MESH_STATIC_PHONG", L"QUAD_3D_DEFAULT"}) {
    auto* record = d3d_->vertexShaders.Find(name);
    ASSERT_NE(record, nullptr) << name;
    EXPECT_NE((*record)->shader, nullptr);
    EXPECT_NE((*record)->declaration, nullptr);
  }
  for (const wchar_t* name : {L"QUAD_DEFAULT", L"QUAD_NEGA", L"QUAD_MONO", L"QUAD_SEPIA", L"MESH_PHONG",
                              L"QUAD_3D_DEFAULT"})
    EXPECT_NE(d3d_->pixelShaders.Find(name), nullptr) << name;
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
}

TEST_F(ShadersTest, MissingSourceFilesAreSkipped) {
  WriteArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", DemoShader("QUAD_DEFAULT.hlsl")}});
  ASSERT_TRUE(Start());
  EXPECT_EQ(d3d_->vertexShaders.Size(), 1u);
  EXPECT_EQ(d3d_->pixelShaders.Size(), 4u);
  EXPECT_EQ(d3d_->vertexShaders.Find(L"MESH_STATIC_PHONG"), nullptr);
}

TEST_F(ShadersTest, ASyntaxErrorIsLoggedWithTheCompilersMessageAndFailsTheDevice) {
  std::string broken = DemoShader("QUAD_DEFAULT.hlsl");
  broken.replace(broken.find("return Shade(input);"), 20, "return Shade(input) +;");
  WriteArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", broken}});
  EXPECT_FALSE(Start());
  std::string log = tavtest::ReadErrorLog();
  EXPECT_NE(log.find("E_FAIL"), std::string::npos) << log;
  EXPECT_NE(log.find("ERROR"), std::string::npos) << log;  // the compiler's own text
}

TEST_F(ShadersTest, ADeviceWithoutPixelShaderTwoCompilesNothingAndStillStarts) {
  WriteArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", "this would not compile"}});
  gpu_.caps.PixelShaderVersion = D3DPS_VERSION(1, 4);
  ASSERT_TRUE(Start());
  EXPECT_EQ(d3d_->vertexShaders.Size(), 0u);
  EXPECT_EQ(d3d_->pixelShaders.Size(), 0u);
}

TEST_F(ShadersTest, CreationFailuresAreLoggedByCallName) {
  WriteArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", DemoShader("QUAD_DEFAULT.hlsl")}});
  gpu_.Script("CreateVertexDeclaration", {E_OUTOFMEMORY});
  EXPECT_FALSE(Start());
  EXPECT_NE(tavtest::ReadErrorLog().find("CreateVertexDeclaration E_OUTOFMEMORY"), std::string::npos);
}

}  // namespace
