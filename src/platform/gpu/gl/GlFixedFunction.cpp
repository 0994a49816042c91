#include "platform/gpu/gl/GlFixedFunction.h"

#include <cstring>
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

// Each stage combines two arguments (diffuse 0, current 1, texture 2, with the
// complement 0x10 and alpha-replicate 0x20 modifiers) by select or modulate.
// A stage whose colour operation is disabled ends the cascade; an unknown
// operation passes its first argument. A stage without a texture reads white.
std::string PixelSource() {
  std::string s =
      "#version 410 core\n"
      "in vec4 v_Diffuse;\n"
      "in vec2 v_TexCoord;\n"
      "uniform sampler2D tav_Texture[8];\n"
      "uniform ivec4 tav_ColourStages[8];\n"
      "uniform ivec4 tav_AlphaStages[8];\n"
      "layout(location = 0) out vec4 tav_Colour;\n"
      "vec4 Arg(int arg, vec4 current, vec4 texel) {\n"
      "    int which = arg & 15;\n"
      "    vec4 v = which == 0 ? v_Diffuse : (which == 2 ? texel : current);\n"
      "    if ((arg & 16) != 0) v = vec4(1.0) - v;\n"
      "    if ((arg & 32) != 0) v = vec4(v.a);\n"
      "    return v;\n"
      "}\n"
      "vec4 Combine(int op, vec4 a1, vec4 a2) {\n"
      "    if (op == 3) return a2;\n"
      "    if (op == 4) return a1 * a2;\n"
      "    return a1;\n"
      "}\n"
      "void main() {\n"
      "    vec4 current = v_Diffuse;\n";
  // Unrolled so every sampler is picked by a constant index.
  for (int i = 0; i < kFixedStages; ++i) {
    std::string n = std::to_string(i);
    s += "    if (tav_ColourStages[" + n + "].x != 1) {\n";
    s += "        ivec4 c = tav_ColourStages[" + n + "];\n";
    s += "        ivec4 a = tav_AlphaStages[" + n + "];\n";
    s += "        vec4 texel = c.w != 0 ? texture(tav_Texture[" + n + "], v_TexCoord) : vec4(1.0);\n";
    s += "        vec3 rgb = Combine(c.x, Arg(c.y, current, texel), Arg(c.z, current, texel)).rgb;\n";
    s += "        float alpha = a.x == 1 ? current.a : Combine(a.x, Arg(a.y, current, texel), Arg(a.z, current, "
         "texel)).a;\n";
    s += "        current = vec4(rgb, alpha);\n";
    s += "    } else {\n";
    s += "        tav_Colour = current;\n";
    s += "        return;\n";
    s += "    }\n";
  }
  s += "    tav_Colour = current;\n}\n";
  return s;
}

}  // namespace

HRESULT FixedFunction::Build() {
  GLuint vertex = 0, pixel = 0;
  HRESULT hr = CompileGlsl(GL_VERTEX_SHADER, VertexSource(), vertex);
  if (SUCCEEDED(hr)) hr = CompileGlsl(GL_FRAGMENT_SHADER, PixelSource(), pixel);
  if (SUCCEEDED(hr)) hr = LinkGlsl(vertex, pixel, program_);
  if (vertex) glDeleteShader(vertex);
  if (pixel) glDeleteShader(pixel);
  if (FAILED(hr)) return hr;
  viewport_ = glGetUniformLocation(program_, "tav_Viewport");
  fixup_ = glGetUniformLocation(program_, kPositionFixupUniform);
  colourStages_ = glGetUniformLocation(program_, "tav_ColourStages");
  alphaStages_ = glGetUniformLocation(program_, "tav_AlphaStages");
  glUseProgram(program_);
  uniformsSet_ = false;
  GLint units[kFixedStages];
  for (int i = 0; i < kFixedStages; ++i) units[i] = i;
  glUniform1iv(glGetUniformLocation(program_, "tav_Texture"), kFixedStages, units);
  return S_OK;
}

void FixedFunction::Drop() {
  if (program_) glDeleteProgram(program_);
  program_ = 0;
}

void FixedFunction::Use(const D3DVIEWPORT9& viewport, const StageSetup (&stages)[kFixedStages], StateCache& state) {
  state.UseProgram(program_);
  GLint colour[kFixedStages * 4], alpha[kFixedStages * 4];
  for (int i = 0; i < kFixedStages; ++i) {
    const StageSetup& s = stages[i];
    colour[i * 4 + 0] = GLint(s.colourOp);
    colour[i * 4 + 1] = GLint(s.colourArg1);
    colour[i * 4 + 2] = GLint(s.colourArg2);
    colour[i * 4 + 3] = s.textured ? 1 : 0;
    alpha[i * 4 + 0] = GLint(s.alphaOp);
    alpha[i * 4 + 1] = GLint(s.alphaArg1);
    alpha[i * 4 + 2] = GLint(s.alphaArg2);
    alpha[i * 4 + 3] = 0;
  }
  const bool sameViewport = uniformsSet_ && viewport.X == lastViewport_.X && viewport.Y == lastViewport_.Y &&
                            viewport.Width == lastViewport_.Width && viewport.Height == lastViewport_.Height;
  if (!sameViewport) {
    glUniform4f(viewport_, float(viewport.X), float(viewport.Y), float(viewport.Width), float(viewport.Height));
    glUniform4f(fixup_, 1.0f / float(viewport.Width), 1.0f / float(viewport.Height), 0.0f, 0.0f);
    state.Count(2);
    lastViewport_ = viewport;
  }
  if (!uniformsSet_ || std::memcmp(colour, lastColour_, sizeof colour) != 0) {
    glUniform4iv(colourStages_, kFixedStages, colour);
    std::memcpy(lastColour_, colour, sizeof colour);
    state.Count();
  }
  if (!uniformsSet_ || std::memcmp(alpha, lastAlpha_, sizeof alpha) != 0) {
    glUniform4iv(alphaStages_, kFixedStages, alpha);
    std::memcpy(lastAlpha_, alpha, sizeof alpha);
    state.Count();
  }
  uniformsSet_ = true;
}

VertexLayout FixedFunction::Layout(UINT stride) {
  return {stride,
          {{0, 4, GL_FLOAT, GL_FALSE, 0}, {1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 16}, {2, 2, GL_FLOAT, GL_FALSE, 20}}};
}

}  // namespace tav::gpu::gl
