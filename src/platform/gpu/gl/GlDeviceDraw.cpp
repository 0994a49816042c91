// Render targets, viewport, scenes, clearing, drawing and reading targets back.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gpu/gl/GlDevice.h"
#include "platform/gpu/gl/GlFormats.h"
#include "platform/gpu/gl/GlShaders.h"
#include "platform/gpu/gl/GlSurface.h"
#include "platform/gpu/gl/GlTexture.h"

namespace tav::gpu::gl {

namespace {

// Limits that keep one draw's copies and index arithmetic in range.
constexpr uint64_t kMaxIndices = uint64_t(1) << 26;
constexpr uint64_t kMaxVertexBytes = uint64_t(1) << 30;
constexpr int kMaxAttributes = 16;

bool IndexCount(D3DPRIMITIVETYPE type, UINT primitives, GLenum& mode, uint64_t& count) {
  uint64_t n = primitives;
  switch (type) {
    case D3DPT_POINTLIST:
      mode = GL_POINTS;
      count = n;
      return true;
    case D3DPT_LINELIST:
      mode = GL_LINES;
      count = n * 2;
      return true;
    case D3DPT_LINESTRIP:
      mode = GL_LINE_STRIP;
      count = n + 1;
      return true;
    case D3DPT_TRIANGLELIST:
      mode = GL_TRIANGLES;
      count = n * 3;
      return true;
    case D3DPT_TRIANGLESTRIP:
      mode = GL_TRIANGLE_STRIP;
      count = n + 2;
      return true;
    case D3DPT_TRIANGLEFAN:
      mode = GL_TRIANGLE_FAN;
      count = n + 2;
      return true;
    default:
      return false;
  }
}

template <typename Index>
bool IndicesInRange(const void* indices, uint64_t count, uint64_t first, uint64_t end) {
  const Index* p = static_cast<const Index*>(indices);
  for (uint64_t i = 0; i < count; ++i)
    if (p[i] < first || p[i] >= end) return false;
  return true;
}

}  // namespace

// Targets and viewport.

void GlDevice::FullViewport() {
  viewport_ = D3DVIEWPORT9{};
  if (!renderTarget_) return;
  viewport_.Width = renderTarget_->Desc().Width;
  viewport_.Height = renderTarget_->Desc().Height;
}

bool GlDevice::TargetHasNoAlpha() const {
  return renderTarget_ && renderTarget_->Desc().Format == D3DFMT_X8R8G8B8;
}

HRESULT GlDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  if (index != 0 || !surface) return D3DERR_INVALIDCALL;
  GlSurface* gl = dynamic_cast<GlSurface*>(surface);
  if (!gl || !Owns(gl->OwnerCore()) || !gl->IsRenderTarget() || !gl->ColourTexture()) return D3DERR_INVALIDCALL;
  Flush();
  Rebind(renderTarget_, gl);
  FullViewport();
  targetsDirty_ = true;
  return S_OK;
}

HRESULT GlDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (index != 0) return D3DERR_INVALIDCALL;
  if (!renderTarget_) return D3DERR_NOTFOUND;
  renderTarget_->AddRef();
  *surface = renderTarget_;
  return S_OK;
}

HRESULT GlDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  GlSurface* gl = nullptr;
  if (surface) {
    gl = dynamic_cast<GlSurface*>(surface);
    if (!gl || !Owns(gl->OwnerCore()) || !gl->IsDepthStencil() || !gl->DepthRenderbuffer()) return D3DERR_INVALIDCALL;
  }
  if (gl != depthStencil_) Flush();
  Rebind(depthStencil_, gl);
  targetsDirty_ = true;
  return S_OK;
}

HRESULT GlDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!depthStencil_) return D3DERR_NOTFOUND;
  depthStencil_->AddRef();
  *surface = depthStencil_;
  return S_OK;
}

HRESULT GlDevice::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport || !renderTarget_) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& target = renderTarget_->Desc();
  const D3DVIEWPORT9& v = *viewport;
  bool fits = v.Width > 0 && v.Height > 0 && uint64_t(v.X) + v.Width <= target.Width &&
              uint64_t(v.Y) + v.Height <= target.Height;
  bool depthOk = v.MinZ >= 0.0f && v.MaxZ <= 1.0f && v.MinZ <= v.MaxZ;
  if (!fits || !depthOk) return D3DERR_INVALIDCALL;
  if (std::memcmp(&viewport_, &v, sizeof v) != 0) Flush();
  viewport_ = v;
  return S_OK;
}

HRESULT GlDevice::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return S_OK;
}

bool GlDevice::BindTargets() {
  if (!renderTarget_ || !core_->Alive()) return false;
  state_.BindFramebuffer(drawFbo_);
  if (targetsDirty_) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, renderTarget_->ColourTexture(),
                           renderTarget_->ColourLevel());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (depthStencil_) {
      GLenum attachment = depthStencil_->HasStencil() ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depthStencil_->DepthRenderbuffer());
    }
    targetsComplete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    targetsDirty_ = false;
  }
  return targetsComplete_;
}

// Scenes and clearing.

HRESULT GlDevice::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return S_OK;
}

HRESULT GlDevice::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return FlushAndTakeError();
}

HRESULT GlDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
  constexpr DWORD kAll = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  if (flags == 0 || (flags & ~kAll) || (count && !rects)) return D3DERR_INVALIDCALL;
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && !depthStencil_->HasStencil()) return D3DERR_INVALIDCALL;
  Flush();
  if (!core_->MakeCurrentForDevice()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  if (!BindTargets()) return D3DERR_INVALIDCALL;

  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
  if (flags & D3DCLEAR_STENCIL) bits |= GL_STENCIL_BUFFER_BIT;
  // Clearing ignores the write masks of drawing. A target without alpha keeps
  // alpha at one, so blending with destination alpha reads one.
  state_.ColourMask(true);
  state_.DepthMask(true);
  glStencilMask(0xFF);
  float alpha = TargetHasNoAlpha() ? 1.0f : float(colour >> 24) / 255.0f;
  glClearColor(float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
               float(colour & 0xFF) / 255.0f, alpha);
  glClearDepth(std::clamp(double(z), 0.0, 1.0));
  glClearStencil(GLint(stencil & 0xFF));
  state_.Enable(GL_SCISSOR_TEST, true);
  int64_t vx1 = viewport_.X, vy1 = viewport_.Y;
  int64_t vx2 = vx1 + viewport_.Width, vy2 = vy1 + viewport_.Height;
  auto clearArea = [&](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    x1 = std::max(x1, vx1);
    y1 = std::max(y1, vy1);
    x2 = std::min(x2, vx2);
    y2 = std::min(y2, vy2);
    if (x1 >= x2 || y1 >= y2) return;
    // Rows are stored top first, so Direct3D's rectangle is OpenGL's as it is.
    state_.Scissor(GLint(x1), GLint(y1), GLsizei(x2 - x1), GLsizei(y2 - y1));
    glClear(bits);
  };
  if (count == 0) {
    clearArea(vx1, vy1, vx2, vy2);
  } else {
    for (DWORD i = 0; i < count; ++i) clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  if (flags & D3DCLEAR_TARGET) renderTarget_->Rendered();
  return GlErrorResult();
}

// Drawing.

HRESULT GlDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                         UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                         const void* vertices, UINT stride) {
  if (!inScene_ || !indices || !vertices || stride == 0 || numVertices == 0) return D3DERR_INVALIDCALL;
  GLenum mode;
  uint64_t count;
  if (!IndexCount(type, primitiveCount, mode, count)) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return S_OK;
  if (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  bool wide = indexFormat == D3DFMT_INDEX32;
  uint64_t vertexBytes = uint64_t(numVertices) * stride;
  uint64_t end = uint64_t(minVertexIndex) + numVertices;
  if (count > kMaxIndices || vertexBytes > kMaxVertexBytes || minVertexIndex > uint64_t(INT32_MAX))
    return D3DERR_INVALIDCALL;
  // Every index must name one of the vertices given, or OpenGL would read
  // past the copy of them.
  bool inRange = wide ? IndicesInRange<uint32_t>(indices, count, minVertexIndex, end)
                      : IndicesInRange<uint16_t>(indices, count, minVertexIndex, end);
  if (!inRange) return D3DERR_INVALIDCALL;

  bool fixed = fixedFunction_ || !vertexShader_;
  if (fixed) {
    if (fvf_ != kPretransformedFvf || stride < kPretransformedStride) return D3DERR_INVALIDCALL;
  } else {
    if (!pixelShader_ || !declaration_) return D3DERR_INVALIDCALL;
    for (const D3DVERTEXELEMENT9& e : declaration_->Elements()) {
      AttributeFormat format;
      if (e.Stream == 0 && DeclTypeFormat(e.Type, format) && uint64_t(e.Offset) + format.bytes > stride)
        return D3DERR_INVALIDCALL;
    }
  }
  ++counters_.draws;
  if (!batch_.Accepts(mode, stride, vertexBytes, count)) Flush();
  if (batch_.Empty()) {
    // What can fail about the state is found out now, for this draw to
    // report: the targets and the program.
    HRESULT kept = batchError_;
    batchError_ = S_OK;
    if (FAILED(kept)) return kept;
    if (!core_->MakeCurrentForDevice()) return D3DERR_INVALIDCALL;
    if (!BindTargets()) return D3DERR_INVALIDCALL;
    if (!fixed) {
      const Core::Program* program = nullptr;
      const size_t linked = core_->Programs().size();
      HRESULT hr = ProgramFor(*core_, *vertexShader_, *pixelShader_, &program);
      // Linking makes the new program current behind the cache's back.
      if (core_->Programs().size() != linked) state_.Forget();
      if (FAILED(hr)) return hr;
    }
  }
  batch_.Append(mode, vertices, minVertexIndex, numVertices, stride, indices, count, wide);
  if (!batching_ || mode != GL_TRIANGLES) return FlushAndTakeError();
  return S_OK;
}

HRESULT GlDevice::UseProgramFor(bool fixed, VertexLayout& layout) {
  if (fixed) {
    StageSetup stages[kFixedStages];
    for (int i = 0; i < kFixedStages; ++i) {
      const DWORD* s = stageStates_[i];
      stages[i] = {s[D3DTSS_COLOROP], s[D3DTSS_COLORARG1], s[D3DTSS_COLORARG2], s[D3DTSS_ALPHAOP],
                   s[D3DTSS_ALPHAARG1], s[D3DTSS_ALPHAARG2], textures_[i] != nullptr};
    }
    const HRESULT hr = fixed_.Use(viewport_, stages, state_);
    if (FAILED(hr)) return hr;
    layout = FixedFunction::Layout(layout.stride);
    return S_OK;
  }
  const Core::Program* program = nullptr;
  HRESULT hr = ProgramFor(*core_, *vertexShader_, *pixelShader_, &program);
  if (FAILED(hr)) return hr;
  state_.UseProgram(program->name);
  const float width = 1.0f / float(viewport_.Width), height = 1.0f / float(viewport_.Height);
  if (program->posFixup >= 0 && (program->fixupWidth != width || program->fixupHeight != height)) {
    glUniform4f(program->posFixup, width, height, 0.0f, 0.0f);
    program->fixupWidth = width;
    program->fixupHeight = height;
    state_.Count();
  }
  for (const ShaderInput& input : vertexShader_->Code().inputs) {
    if (input.location < 0 || input.location >= kMaxAttributes) continue;
    for (const D3DVERTEXELEMENT9& e : declaration_->Elements()) {
      AttributeFormat format;
      if (e.Stream != 0 || e.Usage != input.usage || e.UsageIndex != input.usageIndex ||
          !DeclTypeFormat(e.Type, format))
        continue;
      layout.attributes.push_back({GLuint(input.location), format.size, format.type, format.normalised, e.Offset});
      break;
    }
  }
  return S_OK;
}

void GlDevice::Flush() {
  if (batch_.Empty() || flushing_) return;
  flushing_ = true;
  HRESULT hr = IssueBatch();
  batch_.Clear();
  flushing_ = false;
  if (FAILED(hr) && SUCCEEDED(batchError_)) batchError_ = hr;
}

HRESULT GlDevice::FlushAndTakeError() {
  Flush();
  HRESULT hr = batchError_;
  batchError_ = S_OK;
  return hr;
}

HRESULT GlDevice::IssueBatch() {
  if (!core_->MakeCurrentForDevice()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  if (!batching_) state_.Forget();
  if (!BindTargets()) return D3DERR_INVALIDCALL;
  const bool fixed = fixedFunction_ || !vertexShader_;
  VertexLayout layout;
  layout.stride = batch_.Stride();
  HRESULT hr = UseProgramFor(fixed, layout);
  if (FAILED(hr)) return hr;
  const GLenum mode = batch_.Mode();
  const GLsizei count = batch_.Count();
  buffers_.Bind(batch_, layout, !batching_, state_, counters_.uploads, counters_.uploadedBytes);
  ApplyDrawState();
  ApplyTextures(fixed);
  glDrawElements(mode, count, GL_UNSIGNED_INT, nullptr);
  ++counters_.drawCalls;
  renderTarget_->Rendered();
  return GlErrorResult();
}

DrawCounters GlDevice::Counters() const {
  DrawCounters counters = counters_;
  counters.stateChanges = state_.Changes();
  return counters;
}

void GlDevice::SetBatching(bool on) {
  Flush();
  batching_ = on;
}

// Reading a render target back.

HRESULT GlDevice::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination) {
  GlSurface* from = dynamic_cast<GlSurface*>(renderTarget);
  GlSurface* to = dynamic_cast<GlSurface*>(destination);
  if (!from || !to || !Owns(from->OwnerCore()) || !Owns(to->OwnerCore())) return D3DERR_INVALIDCALL;
  if (!from->IsRenderTarget() || !from->ColourTexture() || !to->SystemBits() ||
      to->Desc().Pool != D3DPOOL_SYSTEMMEM)
    return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& a = from->Desc();
  const D3DSURFACE_DESC& b = to->Desc();
  if (a.Width != b.Width || a.Height != b.Height || a.Format != b.Format) return D3DERR_INVALIDCALL;
  const FormatInfo* info = TextureFormat(a.Format, false);
  if (!info || info->Compressed()) return D3DERR_INVALIDCALL;
  UINT pitch = RowPitch(*info, a.Width);
  RECT area{0, 0, int32_t(a.Width), int32_t(a.Height)};
  HRESULT hr = core_->ReadColour(from->ColourTexture(), from->ColourLevel(), area, info->glFormat, info->glType,
                                 to->SystemBits(), pitch, info->bytesPerTexel);
  if (SUCCEEDED(hr) && info->noAlpha) {
    BYTE* bits = to->SystemBits();
    for (size_t i = 3; i < size_t(pitch) * a.Height; i += 4) bits[i] = 0xFF;
  }
  return hr;
}

}  // namespace tav::gpu::gl
