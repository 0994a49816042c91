// The device's render, sampler and texture-stage states, the objects bound to
// it, and how they become OpenGL state.
#include <cmath>
#include <cstring>

#include "platform/gpu/gl/GlDevice.h"
#include "platform/gpu/gl/GlShaders.h"
#include "platform/gpu/gl/GlSurface.h"
#include "platform/gpu/gl/GlTexture.h"

namespace tav::gpu::gl {

namespace {

GLenum AddressMode(DWORD value) {
  switch (value) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    default:
      return GL_REPEAT;
  }
}

// Anything from linear up (anisotropic and the like) filters linearly.
bool Linear(DWORD filter) { return filter >= D3DTEXF_LINEAR; }

GLenum MinFilter(DWORD min, DWORD mip) {
  bool linear = Linear(min);
  if (mip == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (Linear(mip)) return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
}

GLenum BlendFactor(DWORD value, GLenum otherwise) {
  switch (value) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case 11:  // source alpha saturated
      return GL_SRC_ALPHA_SATURATE;
    default:
      return otherwise;
  }
}

GLenum BlendEquation(DWORD value) {
  switch (value) {
    case D3DBLENDOP_SUBTRACT:
      return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
      return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
      return GL_MIN;
    case D3DBLENDOP_MAX:
      return GL_MAX;
    default:
      return GL_FUNC_ADD;
  }
}

GLenum CompareFunc(DWORD value) {
  switch (value) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    case D3DCMP_ALWAYS:
      return GL_ALWAYS;
    default:
      return GL_LEQUAL;
  }
}

float FloatBits(DWORD value) {
  float f;
  std::memcpy(&f, &value, sizeof f);
  return std::isfinite(f) ? f : 0.0f;
}

constexpr DWORD kSampMipLodBias = 8;
constexpr DWORD kSampMaxMipLevel = 9;
constexpr DWORD kSampMaxAnisotropy = 10;
constexpr DWORD kStageTexCoordIndex = 11;

}  // namespace

void GlDevice::DefaultStates() {
  for (DWORD& value : renderStates_) value = 0;
  renderStates_[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  renderStates_[D3DRS_ZWRITEENABLE] = 1;
  renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates_[D3DRS_ALPHABLENDENABLE] = 0;
  renderStates_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  for (int i = 0; i < kSamplers; ++i) {
    DWORD* s = samplerStates_[i];
    for (DWORD k = 0; k < kSamplerStates; ++k) s[k] = 0;
    s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    s[kSampMaxAnisotropy] = 1;
    ApplySampler(i);
  }
  for (int i = 0; i < kFixedStages; ++i) {
    DWORD* s = stageStates_[i];
    for (DWORD k = 0; k < kStageStates; ++k) s[k] = 0;
    s[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[kStageTexCoordIndex] = DWORD(i);
  }
  fvf_ = 0;
  fixedFunction_ = true;
}

void GlDevice::ApplySampler(int i) {
  const DWORD* s = samplerStates_[i];
  GLuint sampler = samplers_[i];
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GLint(AddressMode(s[D3DSAMP_ADDRESSU])));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GLint(AddressMode(s[D3DSAMP_ADDRESSV])));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GLint(AddressMode(s[D3DSAMP_ADDRESSW])));
  D3DCOLOR border = s[D3DSAMP_BORDERCOLOR];
  GLfloat colour[4] = {float((border >> 16) & 0xFF) / 255.0f, float((border >> 8) & 0xFF) / 255.0f,
                       float(border & 0xFF) / 255.0f, float(border >> 24) / 255.0f};
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, colour);
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, Linear(s[D3DSAMP_MAGFILTER]) ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GLint(MinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER])));
  // The largest mip-map level used is Direct3D's "most detailed level".
  glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, float(s[kSampMaxMipLevel] > 1000 ? 1000 : s[kSampMaxMipLevel]));
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, FloatBits(s[kSampMipLodBias]));
}

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state >= kRenderStates) return D3DERR_INVALIDCALL;
  if (renderStates_[state] == value) return S_OK;
  Flush();
  renderStates_[state] = value;
  return S_OK;
}

HRESULT GlDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || state >= kRenderStates) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return S_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= DWORD(kSamplers) || type == 0 || type >= kSamplerStates) return D3DERR_INVALIDCALL;
  if (samplerStates_[sampler][type] == value) return S_OK;
  Flush();
  samplerStates_[sampler][type] = value;
  if (!core_->MakeCurrentForDevice()) return D3DERR_INVALIDCALL;
  ApplySampler(int(sampler));
  return S_OK;
}

HRESULT GlDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (!value || sampler >= DWORD(kSamplers) || type == 0 || type >= kSamplerStates) return D3DERR_INVALIDCALL;
  *value = samplerStates_[sampler][type];
  return S_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= DWORD(kFixedStages) || type == 0 || type >= kStageStates) return D3DERR_INVALIDCALL;
  if (stageStates_[stage][type] == value) return S_OK;
  Flush();
  stageStates_[stage][type] = value;
  return S_OK;
}

HRESULT GlDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= DWORD(kSamplers)) return D3DERR_INVALIDCALL;
  GlTexture* gl = nullptr;
  if (texture) {
    gl = dynamic_cast<GlTexture*>(texture);
    if (!gl || !Owns(gl->GetCore().get()) || gl->SystemMemory()) return D3DERR_INVALIDCALL;
  }
  if (textures_[stage] == gl) return S_OK;
  Flush();
  Rebind(textures_[stage], gl);
  return S_OK;
}

HRESULT GlDevice::SetFVF(DWORD fvf) {
  if (fvf_ == fvf && fixedFunction_ && !declaration_) return S_OK;
  Flush();
  fvf_ = fvf;
  fixedFunction_ = true;
  Rebind<GlVertexDeclaration>(declaration_, nullptr);
  return S_OK;
}

HRESULT GlDevice::GetFVF(DWORD* fvf) {
  if (!fvf) return D3DERR_INVALIDCALL;
  *fvf = fvf_;
  return S_OK;
}

HRESULT GlDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  GlVertexDeclaration* gl = nullptr;
  if (declaration) {
    gl = dynamic_cast<GlVertexDeclaration*>(declaration);
    if (!gl || !Owns(gl->Owner())) return D3DERR_INVALIDCALL;
  }
  Flush();
  if (gl) {
    fixedFunction_ = false;
    fvf_ = 0;
  }
  Rebind(declaration_, gl);
  return S_OK;
}

HRESULT GlDevice::SetVertexShader(IDirect3DVertexShader9* shader) {
  GlVertexShader* gl = nullptr;
  if (shader) {
    gl = dynamic_cast<GlVertexShader*>(shader);
    if (!gl || !Owns(gl->GetCore().get())) return D3DERR_INVALIDCALL;
  }
  if (gl == vertexShader_ && (!gl || !fixedFunction_)) return S_OK;
  Flush();
  if (gl) fixedFunction_ = false;
  Rebind(vertexShader_, gl);
  return S_OK;
}

HRESULT GlDevice::SetPixelShader(IDirect3DPixelShader9* shader) {
  GlPixelShader* gl = nullptr;
  if (shader) {
    gl = dynamic_cast<GlPixelShader*>(shader);
    if (!gl || !Owns(gl->GetCore().get())) return D3DERR_INVALIDCALL;
  }
  if (gl == pixelShader_) return S_OK;
  Flush();
  Rebind(pixelShader_, gl);
  return S_OK;
}

HRESULT GlDevice::SetScissorRect(const RECT* rect) {
  if (!rect || rect->left > rect->right || rect->top > rect->bottom) return D3DERR_INVALIDCALL;
  if (std::memcmp(&scissor_, rect, sizeof scissor_) == 0) return S_OK;
  Flush();
  scissor_ = *rect;
  return S_OK;
}

void GlDevice::ApplyDrawState() {
  state_.Viewport(GLint(viewport_.X), GLint(viewport_.Y), GLsizei(viewport_.Width), GLsizei(viewport_.Height));
  state_.DepthRange(viewport_.MinZ, viewport_.MaxZ);
  const bool scissor = renderStates_[D3DRS_SCISSORTESTENABLE] != 0;
  state_.Enable(GL_SCISSOR_TEST, scissor);
  // Rows are stored top first, so Direct3D's rectangle is OpenGL's as it is.
  if (scissor)
    state_.Scissor(GLint(scissor_.left), GLint(scissor_.top), GLsizei(scissor_.right - scissor_.left),
                   GLsizei(scissor_.bottom - scissor_.top));
  state_.Enable(GL_STENCIL_TEST, false);
  state_.ColourMask(!TargetHasNoAlpha());

  // Rows are stored top first, so window y runs down the screen as Direct3D's
  // does and a triangle clockwise on screen has a positive area in OpenGL's
  // terms, which OpenGL calls counter-clockwise.
  const DWORD cull = renderStates_[D3DRS_CULLMODE];
  state_.Enable(GL_CULL_FACE, cull != D3DCULL_NONE);
  if (cull != D3DCULL_NONE) {
    state_.FrontFace(cull == D3DCULL_CW ? GL_CW : GL_CCW);
    state_.CullFace(GL_BACK);
  }

  const bool depth = renderStates_[D3DRS_ZENABLE] != D3DZB_FALSE && depthStencil_;
  state_.Enable(GL_DEPTH_TEST, depth);
  if (depth) state_.DepthFunc(CompareFunc(renderStates_[D3DRS_ZFUNC]));
  state_.DepthMask(renderStates_[D3DRS_ZWRITEENABLE] != 0);

  const bool blend = renderStates_[D3DRS_ALPHABLENDENABLE] != 0;
  state_.Enable(GL_BLEND, blend);
  if (blend) {
    DWORD src = renderStates_[D3DRS_SRCBLEND];
    GLenum srcFactor = BlendFactor(src, GL_ONE);
    GLenum dstFactor = BlendFactor(renderStates_[D3DRS_DESTBLEND], GL_ZERO);
    if (src == 12) {  // both source alpha: the source factor sets the destination's too
      srcFactor = GL_SRC_ALPHA;
      dstFactor = GL_ONE_MINUS_SRC_ALPHA;
    } else if (src == 13) {  // both inverse source alpha
      srcFactor = GL_ONE_MINUS_SRC_ALPHA;
      dstFactor = GL_SRC_ALPHA;
    }
    state_.BlendFunc(srcFactor, dstFactor);
    state_.BlendEquation(BlendEquation(renderStates_[D3DRS_BLENDOP]));
  }
}

void GlDevice::ApplyTextures(bool fixedFunction) {
  int units = fixedFunction ? kFixedStages : kSamplers;
  for (int i = 0; i < kSamplers; ++i) {
    GlTexture* texture = i < units ? textures_[i] : nullptr;
    if (texture && texture->MipsPending()) {
      // Generating mip-maps binds the texture to the active unit.
      state_.ActiveTexture(i);
      texture->PrepareForSampling();
      state_.Count();
    }
    state_.BindTexture(i, texture ? texture->Name() : 0);
  }
}

}  // namespace tav::gpu::gl
