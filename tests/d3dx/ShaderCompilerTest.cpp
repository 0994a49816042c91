// HLSL to the compiled form: stage interfaces by semantic, samplers, the
// position fixup, GLSL that a GLSL front end accepts, and compile errors.
#include <glslang/Include/glslang_c_interface.h>
#include <glslang/Public/resource_limits_c.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <thread>

#include "d3dx/QuadShader.h"
#include "d3dx/TestDevice.h"
#include "platform/gpu/D3DX.h"
#include "platform/gpu/ShaderCode.h"

namespace d3dxtest {
namespace {

using tav::gpu::ShaderCode;

struct Compiled {
  HRESULT hr = E_FAIL;
  ShaderCode code;
  std::string errors;
};

Compiled Compile(const std::string& source, const char* entry, const char* profile,
                 const D3DXMACRO* defines = nullptr) {
  Compiled out;
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* errors = nullptr;
  out.hr = D3DXCompileShader(source.data(), UINT(source.size()), defines, nullptr, entry, profile, 0, &code, &errors,
                             nullptr);
  if (errors) {
    const char* text = static_cast<const char*>(errors->GetBufferPointer());
    EXPECT_EQ(text[errors->GetBufferSize() - 1], '\0');
    out.errors = text;
    errors->Release();
  }
  if (code) {
    EXPECT_TRUE(tav::gpu::DecodeShaderCode(static_cast<const DWORD*>(code->GetBufferPointer()), out.code));
    code->Release();
  }
  EXPECT_EQ(SUCCEEDED(out.hr), code != nullptr);
  return out;
}

// What a GLSL front end says about the translated source ("" when it accepts it).
std::string GlslErrors(const ShaderCode& code) {
  static const bool ready = glslang_initialize_process();
  if (!ready) return "front end not initialised";
  glslang_input_t input{};
  input.language = GLSLANG_SOURCE_GLSL;
  input.stage = code.vertex ? GLSLANG_STAGE_VERTEX : GLSLANG_STAGE_FRAGMENT;
  input.client = GLSLANG_CLIENT_NONE;
  input.target_language = GLSLANG_TARGET_NONE;
  input.code = code.glsl.c_str();
  input.default_version = 410;
  input.default_profile = GLSLANG_CORE_PROFILE;
  input.messages = GLSLANG_MSG_DEFAULT_BIT;
  input.resource = glslang_default_resource();
  glslang_shader_t* shader = glslang_shader_create(&input);
  std::string log;
  if (!glslang_shader_preprocess(shader, &input) || !glslang_shader_parse(shader, &input))
    log = std::string("rejected: ") + glslang_shader_get_info_log(shader);
  glslang_shader_delete(shader);
  return log;
}

// "layout(location = N) in|out TYPE NAME;" declarations: location by type.
std::map<std::string, int> Locations(const std::string& glsl, const std::string& direction) {
  std::map<std::string, int> out;
  std::istringstream lines(glsl);
  const std::string prefix = "layout(location = ";
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::istringstream fields(line.substr(prefix.size()));
    int location = -1;
    std::string close, dir, type;
    if (fields >> location >> close >> dir >> type && close == ")" && dir == direction) {
      EXPECT_TRUE(out.emplace(type, location).second) << "one varying per type in these tests";
    }
  }
  return out;
}

TEST(D3DXCompileShader, QuadVertexShaderReadsElementsBySemanticAndEndsWithTheFixup) {
  const Compiled vs = Compile(kQuadShader, "VSMain", "vs_2_0");
  ASSERT_EQ(vs.hr, D3D_OK) << vs.errors;
  ASSERT_TRUE(vs.code.vertex);
  EXPECT_EQ(GlslErrors(vs.code), "");

  const std::map<std::string, int> in = Locations(vs.code.glsl, "in");
  const struct {
    BYTE usage, index;
    const char* type;
  } expected[] = {
      {D3DDECLUSAGE_POSITION, 0, "vec3"}, {D3DDECLUSAGE_COLOR, 0, "vec4"}, {D3DDECLUSAGE_TEXCOORD, 0, "vec2"}};
  ASSERT_EQ(vs.code.inputs.size(), 3u);
  for (const auto& e : expected) {
    SCOPED_TRACE(e.type);
    auto input = std::find_if(vs.code.inputs.begin(), vs.code.inputs.end(),
                              [&](const tav::gpu::ShaderInput& i) { return i.usage == e.usage; });
    ASSERT_NE(input, vs.code.inputs.end());
    EXPECT_EQ(input->usageIndex, e.index);
    ASSERT_TRUE(in.count(e.type));
    EXPECT_EQ(input->location, in.at(e.type));
  }

  const std::string& glsl = vs.code.glsl;
  EXPECT_NE(glsl.find("uniform vec4 tav_PosFixup;"), std::string::npos);
  const std::string tail = std::string("    tav_main();\n") + tav::gpu::kPositionFixupGlsl + "}\n";
  ASSERT_GE(glsl.size(), tail.size());
  EXPECT_EQ(glsl.substr(glsl.size() - tail.size()), tail);
  EXPECT_EQ(glsl.find("void main()"), glsl.rfind("void main()"));
  EXPECT_NE(glsl.find("gl_Position = "), std::string::npos);
}

TEST(D3DXCompileShader, QuadPixelShadersMeetTheVertexOutputsAndSampleStageZero) {
  const Compiled vs = Compile(kQuadShader, "VSMain", "vs_3_0");
  ASSERT_EQ(vs.hr, D3D_OK) << vs.errors;
  const std::map<std::string, int> varyings = Locations(vs.code.glsl, "out");
  ASSERT_EQ(varyings.size(), 2u);
  for (const char* entry : {"PSMain", "PSNegative", "PSMonochrome", "PSSepia"}) {
    SCOPED_TRACE(entry);
    const Compiled ps = Compile(kQuadShader, entry, "ps_2_0");
    ASSERT_EQ(ps.hr, D3D_OK) << ps.errors;
    EXPECT_FALSE(ps.code.vertex);
    EXPECT_EQ(GlslErrors(ps.code), "");
    EXPECT_EQ(Locations(ps.code.glsl, "in"), varyings);
    ASSERT_EQ(ps.code.samplers.size(), 1u);
    EXPECT_EQ(ps.code.samplers[0].stage, 0);
    EXPECT_NE(ps.code.glsl.find("uniform sampler2D " + ps.code.samplers[0].uniform + ";"), std::string::npos);
    EXPECT_EQ(Locations(ps.code.glsl, "out"), (std::map<std::string, int>{{"vec4", 0}}));
    EXPECT_EQ(ps.code.glsl.find("tav_PosFixup"), std::string::npos);
  }
}

TEST(D3DXCompileShader, StagesWithDifferentlyOrderedStructsMatchBySemantic) {
  const Compiled vs = Compile(kReorderedShader, "vs", "vs_3_0");
  const Compiled ps = Compile(kReorderedShader, "ps", "ps_3_0");
  ASSERT_EQ(vs.hr, D3D_OK) << vs.errors;
  ASSERT_EQ(ps.hr, D3D_OK) << ps.errors;
  EXPECT_EQ(GlslErrors(vs.code), "");
  EXPECT_EQ(GlslErrors(ps.code), "");
  const std::map<std::string, int> out = Locations(vs.code.glsl, "out");
  const std::map<std::string, int> in = Locations(ps.code.glsl, "in");
  ASSERT_EQ(out.size(), 3u);
  ASSERT_EQ(in.size(), 2u);
  EXPECT_EQ(in.at("vec4"), out.at("vec4"));
  EXPECT_EQ(in.at("vec2"), out.at("vec2"));
  EXPECT_NE(ps.code.glsl.find("gl_FragCoord"), std::string::npos);
  // Struct members arrive in declaration order; "COLOR" is COLOR0.
  ASSERT_EQ(vs.code.inputs.size(), 3u);
  EXPECT_EQ(vs.code.inputs[1].usage, D3DDECLUSAGE_COLOR);
  EXPECT_EQ(vs.code.inputs[1].usageIndex, 0);
  EXPECT_EQ(vs.code.inputs[2].usage, D3DDECLUSAGE_POSITION);
}

TEST(D3DXCompileShader, ArraysAndPixelResultsTakeTheSlotsOfTheirSemantics) {
  // TEXCOORD1..2 as an array (split per element in the vertex output struct,
  // whole in the pixel input); two colour results and a depth result.
  const char* source = R"(
struct V { float4 pos : POSITION0; float4 t[2] : TEXCOORD1; float4 c : COLOR1; };
V vs(float4 p : POSITION0, float4 c : COLOR1) { V o; o.pos = p; o.t[0] = p; o.t[1] = c; o.c = c; return o; }
struct P { float4 c0 : COLOR0; float4 c1 : COLOR1; float d : DEPTH; };
P ps(float4 t[2] : TEXCOORD1, float4 c : COLOR1) { P o; o.c0 = t[0]; o.c1 = t[1] + c; o.d = 0.5; return o; }
)";
  const Compiled vs = Compile(source, "vs", "vs_3_0");
  const Compiled ps = Compile(source, "ps", "ps_3_0");
  ASSERT_EQ(vs.hr, D3D_OK) << vs.errors;
  ASSERT_EQ(ps.hr, D3D_OK) << ps.errors;
  EXPECT_EQ(GlslErrors(vs.code), "");
  EXPECT_EQ(GlslErrors(ps.code), "");
  const auto has = [](const ShaderCode& code, const std::string& text) {
    return code.glsl.find(text) != std::string::npos;
  };
  // COLOR1 -> 1; TEXCOORD1 -> 5, TEXCOORD2 -> 6.
  EXPECT_TRUE(has(vs.code, "layout(location = 5) out vec4 _entryPointOutput_t_0_;")) << vs.code.glsl;
  EXPECT_TRUE(has(vs.code, "layout(location = 6) out vec4 _entryPointOutput_t_1_;"));
  EXPECT_TRUE(has(vs.code, "layout(location = 1) out vec4 _entryPointOutput_c;"));
  EXPECT_TRUE(has(ps.code, "layout(location = 5) in vec4 t[2];")) << ps.code.glsl;
  EXPECT_TRUE(has(ps.code, "layout(location = 1) in vec4 c;"));
  EXPECT_TRUE(has(ps.code, "layout(location = 0) out vec4 _entryPointOutput_c0;"));
  EXPECT_TRUE(has(ps.code, "layout(location = 1) out vec4 _entryPointOutput_c1;"));
  EXPECT_TRUE(has(ps.code, "gl_FragDepth = "));
  ASSERT_EQ(vs.code.inputs.size(), 2u);
  EXPECT_EQ(vs.code.inputs[0].usage, D3DDECLUSAGE_POSITION);
  EXPECT_EQ(vs.code.inputs[1].usage, D3DDECLUSAGE_COLOR);
  EXPECT_EQ(vs.code.inputs[1].usageIndex, 1);
}

TEST(D3DXCompileShader, SamplersTakeTheirRegisterElseTheNextFreeStage) {
  const char* source = R"(
sampler2D base;
sampler2D mask : register(s3);
sampler2D detail;
float4 ps(float2 uv : TEXCOORD0) : COLOR { return tex2D(base, uv) * tex2D(mask, uv) + tex2D(detail, uv); }
)";
  const Compiled ps = Compile(source, "ps", "ps_2_0");
  ASSERT_EQ(ps.hr, D3D_OK) << ps.errors;
  std::map<std::string, int> stages;
  for (const auto& s : ps.code.samplers) stages[s.uniform] = s.stage;
  EXPECT_EQ(stages, (std::map<std::string, int>{{"base", 0}, {"detail", 1}, {"mask", 3}}));
}

TEST(D3DXCompileShader, DefinesReachTheSource) {
  const char* source = "float4 ps(float4 c : COLOR0) : COLOR0 { return c * SCALE; }\n";
  const D3DXMACRO defines[] = {{"SCALE", "0.5"}, {nullptr, nullptr}};
  EXPECT_EQ(Compile(source, "ps", "ps_2_0", defines).hr, D3D_OK);
  EXPECT_EQ(Compile(source, "ps", "ps_2_0").hr, E_FAIL);
  const D3DXMACRO bad[] = {{"TWO WORDS", "1"}, {nullptr, nullptr}};
  EXPECT_EQ(Compile(source, "ps", "ps_2_0", bad).hr, D3DERR_INVALIDCALL);
}

TEST(D3DXCompileShader, ErrorsAreReportedWithTheCompilersText) {
  const Compiled syntax =
      Compile("float4 ps(float2 uv : TEXCOORD0) : COLOR {\n  float4 x = uv.xyxy;\n  return x +;\n}\n", "ps", "ps_2_0");
  EXPECT_EQ(syntax.hr, E_FAIL);
  EXPECT_NE(syntax.errors.find(":3:"), std::string::npos) << syntax.errors;

  const Compiled missing = Compile(kQuadShader, "NoSuchEntry", "ps_2_0");
  EXPECT_EQ(missing.hr, E_FAIL);
  EXPECT_NE(missing.errors.find("NoSuchEntry"), std::string::npos) << missing.errors;

  // Semantics this layer cannot carry between stages, a vertex shader
  // without a position, and a profile it does not compile for.
  const Compiled vpos = Compile("float4 ps(float2 p : VPOS) : COLOR { return p.xyxy; }", "ps", "ps_3_0");
  EXPECT_EQ(vpos.hr, E_FAIL);
  EXPECT_NE(vpos.errors.find("VPOS"), std::string::npos) << vpos.errors;
  const Compiled noPosition = Compile("float4 vs(float4 p : POSITION) : TEXCOORD0 { return p; }", "vs", "vs_2_0");
  EXPECT_EQ(noPosition.hr, E_FAIL);
  EXPECT_NE(noPosition.errors.find("POSITION"), std::string::npos) << noPosition.errors;
  const Compiled oldModel = Compile(kQuadShader, "PSMain", "ps_1_4");
  EXPECT_EQ(oldModel.hr, E_FAIL);
  EXPECT_NE(oldModel.errors.find("ps_1_4"), std::string::npos);

  ID3DXBuffer* code = nullptr;
  const UINT length = UINT(std::strlen(kQuadShader));
  EXPECT_EQ(D3DXCompileShader(kQuadShader, length, nullptr, nullptr, "PSMain", "ps_5_0", 0, &code, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCompileShader(kQuadShader, length, nullptr, nullptr, "PSMain", nullptr, 0, &code, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCompileShader(nullptr, 0, nullptr, nullptr, "PSMain", "ps_2_0", 0, &code, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCompileShader(kQuadShader, length, nullptr, nullptr, "PSMain", "ps_2_0", 0, nullptr, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(code, nullptr);
  // No constant table is made: the caller's pointer is cleared.
  void* table = &code;
  EXPECT_EQ(D3DXCompileShader(kQuadShader, length, nullptr, nullptr, "PSMain", "ps_2_0", 0, &code, nullptr, &table),
            D3D_OK);
  EXPECT_EQ(table, nullptr);
  code->Release();
}

TEST(D3DXCompileShader, CompilesOnSeveralThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::vector<HRESULT> results(8, E_FAIL);
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&results, i] {
      ID3DXBuffer* code = nullptr;
      results[i] =
          D3DXCompileShader(kQuadShader, UINT(std::strlen(kQuadShader)), nullptr, nullptr, i % 2 ? "VSMain" : "PSSepia",
                            i % 2 ? "vs_3_0" : "ps_3_0", 0, &code, nullptr, nullptr);
      if (code) code->Release();
    });
  }
  for (std::thread& t : threads) t.join();
  for (HRESULT hr : results) EXPECT_EQ(hr, D3D_OK);
}

TEST(D3DXShaderProfile, HighestProfileTheCapsAllow) {
  const struct {
    DWORD vs, ps;
    const char* vertex;
    const char* pixel;
  } cases[] = {
      {D3DVS_VERSION(3, 0), D3DPS_VERSION(3, 0), "vs_3_0", "ps_3_0"},
      {D3DVS_VERSION(2, 1), D3DPS_VERSION(2, 0), "vs_2_0", "ps_2_0"},
      {D3DVS_VERSION(1, 1), D3DPS_VERSION(1, 4), "vs_1_1", "ps_1_4"},
      {D3DVS_VERSION(1, 0), D3DPS_VERSION(1, 3), nullptr, "ps_1_1"},
      {0, 0, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    TestDevice device;
    device.config.vertexShaderVersion = c.vs;
    device.config.pixelShaderVersion = c.ps;
    EXPECT_STREQ(D3DXGetVertexShaderProfile(&device), c.vertex);
    EXPECT_STREQ(D3DXGetPixelShaderProfile(&device), c.pixel);
  }
  EXPECT_EQ(D3DXGetVertexShaderProfile(nullptr), nullptr);
}

}  // namespace
}  // namespace d3dxtest
