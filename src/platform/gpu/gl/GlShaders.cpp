#include "platform/gpu/gl/GlShaders.h"

#include <new>

namespace tav::gpu::gl {

namespace {

thread_local std::string shaderLog;

constexpr int kMaxStages = 16;
constexpr size_t kMaxDeclElements = 64;

std::string ShaderInfoLog(GLuint shader) {
  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  std::string log(size_t(length > 0 ? length : 0), '\0');
  if (length > 0) glGetShaderInfoLog(shader, length, nullptr, log.data());
  while (!log.empty() && log.back() == '\0') log.pop_back();
  return log;
}

std::string ProgramInfoLog(GLuint program) {
  GLint length = 0;
  glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
  std::string log(size_t(length > 0 ? length : 0), '\0');
  if (length > 0) glGetProgramInfoLog(program, length, nullptr, log.data());
  while (!log.empty() && log.back() == '\0') log.pop_back();
  return log;
}

}  // namespace

const std::string& LastShaderLog() { return shaderLog; }

HRESULT CompileGlsl(GLenum stage, const std::string& source, GLuint& shader) {
  DrainGlErrors();
  shader = glCreateShader(stage);
  if (!shader) return GlErrorResult() == D3DERR_OUTOFVIDEOMEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
  const char* text = source.c_str();
  GLint length = GLint(source.size());
  glShaderSource(shader, 1, &text, &length);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    shaderLog = ShaderInfoLog(shader);
    glDeleteShader(shader);
    shader = 0;
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

HRESULT LinkGlsl(GLuint vertex, GLuint pixel, GLuint& program) {
  DrainGlErrors();
  program = glCreateProgram();
  if (!program) return D3DERR_INVALIDCALL;
  glAttachShader(program, vertex);
  glAttachShader(program, pixel);
  glLinkProgram(program);
  glDetachShader(program, vertex);
  glDetachShader(program, pixel);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    shaderLog = ProgramInfoLog(program);
    glDeleteProgram(program);
    program = 0;
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

GlShader::GlShader(std::shared_ptr<Core> core, ShaderCode code)
    : CoreResource(core, D3DPOOL_MANAGED, false), code_(std::move(code)), id_(core->NextShaderId()) {}

HRESULT GlShader::Compile() {
  return CompileGlsl(code_.vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, code_.glsl, shader_);
}

void GlShader::DropGl() {
  GetCore()->ForgetShader(id_);
  if (shader_) glDeleteShader(shader_);
  shader_ = 0;
}

HRESULT CreateShader(const std::shared_ptr<Core>& core, const DWORD* code, bool vertex, GlShader** shader) {
  if (!code || !shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  if (!core->MakeCurrent()) return D3DERR_INVALIDCALL;
  try {
    ShaderCode decoded;
    if (!DecodeShaderCode(code, decoded) || decoded.vertex != vertex) return D3DERR_INVALIDCALL;
    for (const ShaderSampler& sampler : decoded.samplers)
      if (sampler.stage >= kMaxStages) return D3DERR_INVALIDCALL;
    GlShader* made;
    if (vertex)
      made = new GlVertexShader(core, std::move(decoded));
    else
      made = new GlPixelShader(core, std::move(decoded));
    HRESULT hr = made->Compile();
    if (FAILED(hr)) {
      if (vertex)
        static_cast<GlVertexShader*>(made)->Release();
      else
        static_cast<GlPixelShader*>(made)->Release();
      return hr;
    }
    *shader = made;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

bool DeclTypeFormat(BYTE type, AttributeFormat& format) {
  switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
      format = {GLint(type) + 1, GL_FLOAT, GL_FALSE, UINT(type + 1) * 4};
      return true;
    case D3DDECLTYPE_D3DCOLOR:
      // Bytes B, G, R, A; OpenGL reorders them with the BGRA size.
      format = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4};
      return true;
    default:
      return false;
  }
}

HRESULT CreateDeclaration(const Core* core, const D3DVERTEXELEMENT9* elements, GlVertexDeclaration** declaration) {
  if (!elements || !declaration) return D3DERR_INVALIDCALL;
  *declaration = nullptr;
  try {
    std::vector<D3DVERTEXELEMENT9> copied;
    for (size_t i = 0;; ++i) {
      if (i > kMaxDeclElements) return D3DERR_INVALIDCALL;
      const D3DVERTEXELEMENT9& e = elements[i];
      if (e.Stream == 0xFF) break;
      AttributeFormat format;
      if (e.Stream >= 16 || !DeclTypeFormat(e.Type, format)) return D3DERR_INVALIDCALL;
      copied.push_back(e);
    }
    *declaration = new GlVertexDeclaration(core, std::move(copied));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ProgramFor(Core& core, GlShader& vertex, GlShader& pixel, const Core::Program** program) {
  Core::ProgramKey key{vertex.Id(), pixel.Id()};
  auto found = core.Programs().find(key);
  if (found != core.Programs().end()) {
    *program = &found->second;
    return S_OK;
  }
  Core::Program linked;
  HRESULT hr = LinkGlsl(vertex.Name(), pixel.Name(), linked.name);
  if (FAILED(hr)) return hr;
  glUseProgram(linked.name);
  for (const GlShader* shader : {&vertex, &pixel})
    for (const ShaderSampler& sampler : shader->Code().samplers) {
      GLint location = glGetUniformLocation(linked.name, sampler.uniform.c_str());
      if (location >= 0) glUniform1i(location, sampler.stage);
    }
  linked.posFixup = glGetUniformLocation(linked.name, kPositionFixupUniform);
  try {
    *program = &core.Programs().emplace(key, linked).first->second;
  } catch (const std::bad_alloc&) {
    glDeleteProgram(linked.name);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace tav::gpu::gl
