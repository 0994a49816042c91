#include "platform/gpu/gl/GlFixedFunction.h"

#include <string>

#include "platform/gpu/ShaderCode.h"
#include "platform/gpu/gl/GlShaders.h"
#include "platform/gpu/gl/GlStateCache.h"

namespace tav::gpu::gl {

namespace {

// x and y are pixels of the render target with pixel centres on integers; the
// viewport maps them back to clip space, then the usual fix-up moves the
// centres and turns the rows so the first row lands at the top of memory. A
// clip w of 1 / rhw keeps interpolation perspective-correct.
std::string VertexSource() {
  return std::string(
             "#version 410 core\n"
             "layout(location = 0) in vec4 tav_Vertex;\n"
             "layout(location = 1) in vec4 tav_Diffuse;\n"
             "layout(location = 2) in vec2 tav_TexCoord;\n"
             "uniform vec4 tav_Viewport;\n"
             "uniform vec4 ") +
         kPositionFixupUniform +
         ";\n"
         "out vec4 v_Diffuse;\n"
         "out vec2 v_TexCoord;\n"
         "void main() {\n"
         "    float w = tav_Vertex.w != 0.0 ? 1.0 / tav_Vertex.w : 1.0;\n"
         "    vec2 ndc = vec2((tav_Vertex.x - tav_Viewport.x) / tav_Viewport.z * 2.0 - 1.0,\n"
         "                    1.0 - (tav_Vertex.y - tav_Viewport.y) / tav_Viewport.w * 2.0);\n"
         "    gl_Position = vec4(ndc, tav_Vertex.z, 1.0) * w;\n"
         "    v_Diffuse = tav_Diffuse;\n"
         "    v_TexCoord = tav_TexCoord;\n" +
         kPositionFixupGlsl + "}\n";
}

// An argument: diffuse, current or texture (anything else reads current),
// with the complement and alpha-replicate modifiers.
std::string Argument(DWORD arg) {
  const DWORD which = arg & 15;
  std::string v = which == D3DTA_DIFFUSE ? "v_Diffuse" : which == D3DTA_TEXTURE ? "texel" : "current";
  if (arg & D3DTA_COMPLEMENT) v = std::string("(vec4(1.0) - ").append(v).append(")");
  if (arg & D3DTA_ALPHAREPLICATE) v = std::string("vec4(").append(v).append(".a)");
  return v;
}

// Select-argument-2 and modulate; any other operation passes its first argument.
std::string Combined(DWORD op, DWORD arg1, DWORD arg2) {
  if (op == D3DTOP_SELECTARG2) return Argument(arg2);
  if (op == D3DTOP_MODULATE) {
    std::string product = "(";
    product += Argument(arg1);
    product += " * ";
    product += Argument(arg2);
    return product += ")";
  }
  return Argument(arg1);
}

bool ReadsTexture(DWORD arg) { return (arg & 15) == D3DTA_TEXTURE; }

// The stages that run: those before the first whose colour operation is disabled.
int ActiveStages(const StageSetup (&stages)[kFixedStages]) {
  int count = 0;
  while (count < kFixedStages && stages[count].colourOp != D3DTOP_DISABLE) ++count;
  return count;
}

bool StageSamples(const StageSetup& s) {
  return s.textured && (ReadsTexture(s.colourArg1) || ReadsTexture(s.colourArg2) ||
                        (s.alphaOp != D3DTOP_DISABLE && (ReadsTexture(s.alphaArg1) || ReadsTexture(s.alphaArg2))));
}

std::string SamplerName(int stage) { return "tav_Texture" + std::to_string(stage); }

// The default stage set-up: the first stage modulates texture and diffuse
// colour and takes the texture's alpha, the second is disabled.
void DefaultStages(StageSetup (&stages)[kFixedStages]) {
  for (StageSetup& s : stages)
    s = {D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, false};
  stages[0] = {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, true};
}

// The values that decide a set-up's program. Values a stage does not read
// stay out, so that they do not make programs that draw alike.
void StageKey(const StageSetup (&stages)[kFixedStages], std::vector<DWORD>& key) {
  key.clear();
  auto readsSecond = [](DWORD op) { return op == D3DTOP_MODULATE || op == D3DTOP_SELECTARG2; };
  for (int i = 0; i < ActiveStages(stages); ++i) {
    const StageSetup& st = stages[i];
    const bool alpha = st.alphaOp != D3DTOP_DISABLE;
    key.insert(key.end(), {st.colourOp, st.colourArg1, readsSecond(st.colourOp) ? st.colourArg2 : 0, st.alphaOp,
                           alpha ? st.alphaArg1 : 0, alpha && readsSecond(st.alphaOp) ? st.alphaArg2 : 0,
                           DWORD(StageSamples(st))});
  }
}

}  // namespace

std::string FixedPixelSource(const StageSetup (&stages)[kFixedStages]) {
  const int active = ActiveStages(stages);
  std::string s =
      "#version 410 core\n"
      "in vec4 v_Diffuse;\n"
      "in vec2 v_TexCoord;\n";
  for (int i = 0; i < active; ++i)
    if (StageSamples(stages[i])) s += "uniform sampler2D " + SamplerName(i) + ";\n";
  s +=
      "layout(location = 0) out vec4 tav_Colour;\n"
      "void main() {\n"
      "    vec4 current = v_Diffuse;\n";
  // Both operations of a stage read the colour the stage before left.
  for (int i = 0; i < active; ++i) {
    const StageSetup& st = stages[i];
    s += "    {\n";
    const std::string texel = StageSamples(st) ? "texture(" + SamplerName(i) + ", v_TexCoord)" : "vec4(1.0)";
    s += "        vec4 texel = " + texel + ";\n";
    s += "        vec3 rgb = " + Combined(st.colourOp, st.colourArg1, st.colourArg2) + ".rgb;\n";
    s += "        float alpha = " +
         (st.alphaOp == D3DTOP_DISABLE ? std::string("current.a")
                                       : Combined(st.alphaOp, st.alphaArg1, st.alphaArg2) + ".a") +
         ";\n";
    s += "        current = vec4(rgb, alpha);\n";
    s += "    }\n";
  }
  s += "    tav_Colour = current;\n}\n";
  return s;
}

HRESULT FixedFunction::Build() {
  HRESULT hr = CompileGlsl(GL_VERTEX_SHADER, VertexSource(), vertex_);
  if (FAILED(hr)) return hr;
  // The default set-up is made now, so a driver that cannot build these
  // programs is found when the device is made rather than at a draw.
  StageSetup stages[kFixedStages];
  DefaultStages(stages);
  Program program;
  hr = Make(stages, program);
  if (FAILED(hr)) return hr;
  StageKey(stages, key_);
  programs_.clear();
  programs_.emplace(key_, program);
  return S_OK;
}

HRESULT FixedFunction::Make(const StageSetup (&stages)[kFixedStages], Program& program) {
  GLuint pixel = 0;
  HRESULT hr = CompileGlsl(GL_FRAGMENT_SHADER, FixedPixelSource(stages), pixel);
  if (SUCCEEDED(hr)) hr = LinkGlsl(vertex_, pixel, program.name);
  if (pixel) glDeleteShader(pixel);
  if (FAILED(hr)) return hr;
  program.viewport = glGetUniformLocation(program.name, "tav_Viewport");
  program.fixup = glGetUniformLocation(program.name, kPositionFixupUniform);
  glUseProgram(program.name);
  for (int i = 0; i < kFixedStages; ++i) {
    const GLint sampler = glGetUniformLocation(program.name, SamplerName(i).c_str());
    if (sampler >= 0) glUniform1i(sampler, i);
  }
  return S_OK;
}

void FixedFunction::Drop() {
  for (auto& [key, program] : programs_) glDeleteProgram(program.name);
  programs_.clear();
  if (vertex_) glDeleteShader(vertex_);
  vertex_ = 0;
}

HRESULT FixedFunction::Use(const D3DVIEWPORT9& viewport, const StageSetup (&stages)[kFixedStages],
                           StateCache& state) {
  StageKey(stages, key_);
  auto found = programs_.find(key_);
  if (found == programs_.end()) {
    Program program;
    const HRESULT hr = Make(stages, program);
    if (FAILED(hr)) return hr;
    found = programs_.emplace(key_, program).first;
  }
  Program& program = found->second;
  state.UseProgram(program.name);
  const bool sameViewport = program.viewportSet && viewport.X == program.lastViewport.X &&
                            viewport.Y == program.lastViewport.Y && viewport.Width == program.lastViewport.Width &&
                            viewport.Height == program.lastViewport.Height;
  if (!sameViewport) {
    glUniform4f(program.viewport, float(viewport.X), float(viewport.Y), float(viewport.Width), float(viewport.Height));
    glUniform4f(program.fixup, 1.0f / float(viewport.Width), 1.0f / float(viewport.Height), 0.0f, 0.0f);
    state.Count(2);
    program.lastViewport = viewport;
    program.viewportSet = true;
  }
  return S_OK;
}

VertexLayout FixedFunction::Layout(UINT stride) {
  return {stride,
          {{0, 4, GL_FLOAT, GL_FALSE, 0}, {1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 16}, {2, 2, GL_FLOAT, GL_FALSE, 20}}};
}

}  // namespace tav::gpu::gl
