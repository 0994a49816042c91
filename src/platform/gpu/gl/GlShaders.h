#pragma once
// Shaders of the programmable path, vertex declarations, and linking a vertex
// and a pixel shader into a program.
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/D3D9.h"
#include "platform/gpu/RefCounted.h"
#include "platform/gpu/ShaderCode.h"
#include "platform/gpu/gl/GlApi.h"
#include "platform/gpu/gl/GlCore.h"

namespace tav::gpu::gl {

// The info log of the last shader compile or program link that failed on this
// thread (empty when none has).
const std::string& LastShaderLog();

// Compiles one stage; D3DERR_INVALIDCALL (with the log kept) when it fails.
HRESULT CompileGlsl(GLenum stage, const std::string& source, GLuint& shader);
// Links compiled stages; D3DERR_INVALIDCALL (with the log kept) when it fails.
HRESULT LinkGlsl(GLuint vertex, GLuint pixel, GLuint& program);

class GlShader : public CoreResource {
 public:
  GlShader(std::shared_ptr<Core> core, ShaderCode code);
  // Compiles the code (the context is current).
  HRESULT Compile();
  void DropGl() override;
  const ShaderCode& Code() const { return code_; }
  GLuint Name() const { return shader_; }
  uint64_t Id() const { return id_; }

 private:
  ShaderCode code_;
  GLuint shader_ = 0;
  uint64_t id_;
};

class GlVertexShader final : public RefCounted<IDirect3DVertexShader9>, public GlShader {
 public:
  using GlShader::GlShader;

 private:
  ~GlVertexShader() override { ReleaseGl(); }
};

class GlPixelShader final : public RefCounted<IDirect3DPixelShader9>, public GlShader {
 public:
  using GlShader::GlShader;

 private:
  ~GlPixelShader() override { ReleaseGl(); }
};

// Decodes and compiles `code`, which must be of the given stage.
HRESULT CreateShader(const std::shared_ptr<Core>& core, const DWORD* code, bool vertex, GlShader** shader);

class GlVertexDeclaration final : public RefCounted<IDirect3DVertexDeclaration9> {
 public:
  GlVertexDeclaration(const Core* core, std::vector<D3DVERTEXELEMENT9> elements)
      : core_(core), elements_(std::move(elements)) {}
  const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }
  // Identifies the device that made it (never dereferenced).
  const Core* Owner() const { return core_; }

 private:
  ~GlVertexDeclaration() override = default;
  const Core* core_;
  std::vector<D3DVERTEXELEMENT9> elements_;
};

// Copies the elements up to the end marker; D3DERR_INVALIDCALL for an element
// of a type or stream the device does not know, or no end within 64 elements.
HRESULT CreateDeclaration(const Core* core, const D3DVERTEXELEMENT9* elements, GlVertexDeclaration** declaration);

// The attribute layout of a declaration element type: components, OpenGL
// type, normalised, bytes. False for types the device does not read.
struct AttributeFormat {
  GLint size;
  GLenum type;
  GLboolean normalised;
  UINT bytes;
};
bool DeclTypeFormat(BYTE type, AttributeFormat& format);

// The program of a vertex and a pixel shader, linked on first use, its sampler
// uniforms bound to their stages' texture units.
HRESULT ProgramFor(Core& core, GlShader& vertex, GlShader& pixel, const Core::Program** program);

}  // namespace tav::gpu::gl
