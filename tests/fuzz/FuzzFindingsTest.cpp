// Inputs the fuzz targets found to crash or leak a reader, kept under
// tests/data/fuzz/<reader>/ and fed to the same reader here, so that every
// build with the sanitizers checks them again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/OggStream.h"
#include "platform/gpu/D3DX.h"
#include "platform/gpu/d3dx/HlslGlobals.h"
#include "platform/gpu/d3dx/ImageDecode.h"
#include "platform/gpu/d3dx/HlslText.h"

namespace {

std::vector<std::filesystem::path> Inputs(const char* reader) {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TAVRI_SOURCE_DIR) / "tests" /
                                                                "data" / "fuzz" / reader))
    paths.push_back(entry.path());
  return paths;
}

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Compiles each kept source of `reader` for `entry` and `profile`: every one
// must fail with no code and an error text holding `expected`.
void ExpectEachFailsToCompile(const char* reader, const char* entry, const char* profile, const std::string& expected) {
  const auto inputs = Inputs(reader);
  ASSERT_FALSE(inputs.empty());
  for (const auto& path : inputs) {
    const std::string source = Bytes(path);
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXCompileShader(source.data(), UINT(source.size()), nullptr, nullptr, entry, profile, 0, &code,
                                &errors, nullptr),
              E_FAIL)
        << path;
    EXPECT_EQ(code, nullptr);
    ASSERT_NE(errors, nullptr);
    const std::string text(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
    EXPECT_NE(text.find(expected), std::string::npos) << path << ": " << text;
    errors->Release();
  }
}

TEST(FuzzFindings, DamagedPicturesAreRejected) {
  const auto inputs = Inputs("image");
  ASSERT_FALSE(inputs.empty());
  for (const auto& path : inputs) {
    const std::string bytes = Bytes(path);
    D3DXIMAGE_INFO info;
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), &info), D3DXERR_INVALIDDATA)
        << path;
  }
}

// Pictures whose header reads well and whose data is damaged: decoding ends,
// with a picture or with an error, and sanitizer builds find nothing wrong.
TEST(FuzzFindings, DamagedPictureDataDecodesToAnEnd) {
  const auto inputs = Inputs("image-damaged-data");
  ASSERT_FALSE(inputs.empty());
  for (const auto& path : inputs) {
    const std::string bytes = Bytes(path);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    D3DXIMAGE_INFO info;
    ASSERT_TRUE(tav::gpu::d3dx::ReadCodecInfo(data, bytes.size(), info)) << path;
    tav::gpu::d3dx::Image image;
    const HRESULT hr = tav::gpu::d3dx::DecodeCodecImage(data, bytes.size(), image);
    EXPECT_TRUE(hr == D3D_OK || hr == D3DXERR_INVALIDDATA) << path;
  }
}

// A damaged stream is refused, or plays up to its damage (the first file is
// damaged past its first link); none reads as whole.
TEST(FuzzFindings, DamagedSoundsStopAtTheirDamage) {
  const auto inputs = Inputs("ogg");
  ASSERT_FALSE(inputs.empty());
  for (const auto& path : inputs) {
    const std::string bytes = Bytes(path);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (path.filename() == "failed-open-leak.ogg") {
      EXPECT_TRUE(tav::OpensAsOggVorbis(data, uint32_t(bytes.size())));
    }
    EXPECT_FALSE(tav::DecodesToItsEnd(data, uint32_t(bytes.size()))) << path;
  }
}

TEST(FuzzFindings, ShadersDeclaringAGlobalTwiceFailToCompile) {
  for (const char* profile : {"vs_3_0", "ps_3_0"})
    ExpectEachFailsToCompile("hlsl", "main", profile, "redefinition of 'Sr'");
}

TEST(FuzzFindings, ShadersThatAreNotTextFailToCompile) {
  ExpectEachFailsToCompile("hlsl-not-text", "main", "ps_3_0", "is not text");
  // Comments in any language and encoding are text; control bytes are not.
  size_t at = 0;
  EXPECT_TRUE(tav::gpu::d3dx::IsShaderText("// \x8C\xF5 光\r\n\tfloat4 c : COLOR0;\v\f", at));
  EXPECT_FALSE(tav::gpu::d3dx::IsShaderText("float a;\x01", at));
  EXPECT_EQ(at, 8u);
  EXPECT_FALSE(tav::gpu::d3dx::IsShaderText("float\x7F", at));
  EXPECT_EQ(at, 5u);
}

TEST(FuzzFindings, ShadersWithAnAssignmentInsideBracketsFailToCompile) {
  ExpectEachFailsToCompile("hlsl-bracket-assignment", "main", "ps_3_0", "line 5: an assignment inside [ ]");
  // Comparisons, attributes, indexing and assignments outside brackets pass,
  // as do comments and strings; a compound assignment does not.
  size_t at = 0;
  EXPECT_FALSE(tav::gpu::d3dx::FindBracketAssignment(
      "[unroll] for (int i = 0; i < 4; ++i) a[i] = b[i == 2 ? 0 : 1] + c[i <= 1] + d[i >= 2] + e[i != 3];\n"
      "// f[g = 1]\n/* h[i = 2] */ string s = \"[j = 3]\"; float k[2] = {1, 2};",
      at));
  EXPECT_TRUE(tav::gpu::d3dx::FindBracketAssignment("float a[3];\nx = y[i += 1];", at));
  EXPECT_EQ(at, 21u);
}

// Sources the HLSL front end crashes on: the compile runs in a child process,
// so the caller hears of a failure and goes on.
TEST(FuzzFindings, ShadersTheFrontEndCrashesOnFailToCompile) {
  ExpectEachFailsToCompile("hlsl-front-end-crash", "PS", "ps_3_0", "the shader compiler stopped on this source");
}

TEST(FuzzFindings, GlobalRedefinitionLooksOnlyAtGlobalVariables) {
  std::string name;
  EXPECT_TRUE(tav::gpu::d3dx::FindGlobalRedefinition("float a, b;\nfloat4 b : register(c0);", name));
  EXPECT_EQ(name, "b");
  // Arguments, parameters, members, locals, overloads, comments and branches.
  EXPECT_FALSE(tav::gpu::d3dx::FindGlobalRedefinition(
      "static const float3 L = float3(x, y, z);\nstatic const float3 M = float3(x, y, z);\n"
      "struct S { float a; float b; };\nstruct T { float a; };\n"
      "float f(float a) { float b = a; return b; }\nfloat f(float2 a) { float b = a.x; return b; }\n"
      "// float L;\n/* float M; */ sampler2D Tex : register(s0);\n",
      name));
  EXPECT_FALSE(tav::gpu::d3dx::FindGlobalRedefinition("#ifdef A\nfloat a;\n#else\nfloat a;\n#endif\n", name));
}

}  // namespace
