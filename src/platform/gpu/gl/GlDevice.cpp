#include "platform/gpu/gl/GlDevice.h"

#include <algorithm>
#include <new>

#include "platform/gpu/gl/GlDirect3D.h"
#include "platform/gpu/gl/GlFormats.h"
#include "platform/gpu/gl/GlPresentParams.h"
#include "platform/gpu/gl/GlShaders.h"
#include "platform/gpu/gl/GlSurface.h"
#include "platform/gpu/gl/GlTexture.h"
#include "platform/os/Window.h"

namespace tav::gpu::gl {

namespace {

template <typename T>
void Unbind(T*& slot) {
  if (slot) slot->Release();
  slot = nullptr;
}

bool SizeFits(const D3DPRESENT_PARAMETERS& params, int maxSize) {
  return params.BackBufferWidth <= UINT(maxSize) && params.BackBufferHeight <= UINT(maxSize);
}

}  // namespace

GlDevice::GlDevice(IDirect3D9Ex* creator, const AdapterInfo& adapter, std::shared_ptr<Core> core, bool ex)
    : creator_(creator), adapter_(adapter), core_(std::move(core)), ex_(ex) {
  creator_->AddRef();
}

HRESULT GlDevice::Create(IDirect3D9Ex* creator, const AdapterInfo& adapter, HWND focusWindow,
                         D3DPRESENT_PARAMETERS& params, bool ex, const D3DDISPLAYMODEEX* fullscreenMode,
                         GlDevice** device) {
  *device = nullptr;
  D3DPRESENT_PARAMETERS used = params;
  HRESULT hr = CheckPresentParams(used, focusWindow, ex, ex, fullscreenMode);
  if (FAILED(hr)) return hr;
  hr = ApplyWindowMode(used);
  if (FAILED(hr)) return hr;
  if (!SizeFits(used, adapter.maxTextureSize)) return D3DERR_NOTAVAILABLE;

  os::PrepareOpenGLAttributes();
  SDL_GLContext context = SDL_GL_CreateContext(used.hDeviceWindow->Sdl());
  if (!context) return D3DERR_NOTAVAILABLE;
  std::shared_ptr<Core> core;
  try {
    core = std::make_shared<Core>(used.hDeviceWindow, context);
  } catch (const std::bad_alloc&) {
    SDL_GL_DeleteContext(context);
    return E_OUTOFMEMORY;
  }
  GlDevice* made = new (std::nothrow) GlDevice(creator, adapter, core, ex);
  if (!made) {
    core->Shutdown();
    return E_OUTOFMEMORY;
  }
  hr = made->Init(used);
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  params = used;
  *device = made;
  return S_OK;
}

HRESULT GlDevice::Init(const D3DPRESENT_PARAMETERS& params) {
  if (!core_->MakeCurrent()) return D3DERR_NOTAVAILABLE;
  DrainGlErrors();
  glGenFramebuffers(1, &drawFbo_);
  glGenFramebuffers(1, &presentFbo_);
  glGenSamplers(kSamplers, samplers_);
  for (int i = 0; i < kSamplers; ++i) glBindSampler(GLuint(i), samplers_[i]);
  if (FAILED(GlErrorResult())) return D3DERR_NOTAVAILABLE;
  if (FAILED(fixed_.Build())) return D3DERR_NOTAVAILABLE;
  state_.Forget();
  subBuffer_.Attach(core_->Window()->Sdl());
  // Whatever a resource does to OpenGL comes after the draws asked for
  // before it, and may change state the device assumes.
  core_->SetBeforeOthers([this] {
    if (flushing_) return;
    Flush();
    state_.Forget();
  });
  try {
    backBuffer_ = new GlBackBuffer(core_, false);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  HRESULT hr = BuildSwapChain(params);
  if (FAILED(hr)) return hr;
  params_ = params;
  SDL_GL_SetSwapInterval(SwapInterval(params));
  ResetState();
  return S_OK;
}

HRESULT GlDevice::BuildSwapChain(const D3DPRESENT_PARAMETERS& params) {
  bool lockable = (params.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  HRESULT hr = backBuffer_->Build(params.BackBufferWidth, params.BackBufferHeight, params.BackBufferFormat, lockable);
  if (FAILED(hr)) return hr;
  if (!params.EnableAutoDepthStencil) {
    Unbind(autoDepth_);
    return S_OK;
  }
  if (!autoDepth_) {
    try {
      autoDepth_ = new GlDepthSurface(core_, true);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  return autoDepth_->Build(params.BackBufferWidth, params.BackBufferHeight, params.AutoDepthStencilFormat);
}

GlDevice::~GlDevice() {
  ReleaseBindings();
  Unbind(backBuffer_);
  Unbind(autoDepth_);
  core_->SetBeforeOthers(nullptr);
  batch_.Clear();
  if (core_->MakeCurrentForDevice()) {
    fixed_.Drop();
    glBindVertexArray(0);
    buffers_.Drop();
    glDeleteSamplers(kSamplers, samplers_);
    glDeleteFramebuffers(1, &drawFbo_);
    glDeleteFramebuffers(1, &presentFbo_);
  }
  // Resources still held elsewhere lose their OpenGL objects here.
  core_->Shutdown();
  creator_->Release();
}

HRESULT GlDevice::GetDirect3D(IDirect3D9** object) {
  if (!object) return D3DERR_INVALIDCALL;
  creator_->AddRef();
  *object = creator_;
  return S_OK;
}

void GlDevice::ReleaseBindings() {
  Unbind(renderTarget_);
  Unbind(depthStencil_);
  for (GlTexture*& texture : textures_) Unbind(texture);
  Unbind(vertexShader_);
  Unbind(pixelShader_);
  Unbind(declaration_);
}

void GlDevice::ResetState() {
  ReleaseBindings();
  DefaultStates();
  renderTarget_ = backBuffer_;
  renderTarget_->AddRef();
  if (autoDepth_) {
    depthStencil_ = autoDepth_;
    depthStencil_->AddRef();
  }
  FullViewport();
  targetsDirty_ = true;
  inScene_ = false;
}

HRESULT GlDevice::TestCooperativeLevel() { return lost_ ? D3DERR_DEVICENOTRESET : S_OK; }

HRESULT GlDevice::CheckDeviceState(HWND window) {
  if (lost_) return D3DERR_DEVICELOST;
  os::Window* target = window ? window : params_.hDeviceWindow;
  return target->IsMinimised() ? S_PRESENT_OCCLUDED : S_OK;
}

HRESULT GlDevice::GetDeviceCaps(D3DCAPS9* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  FillCaps(adapter_, *caps);
  return S_OK;
}

HRESULT GlDevice::Reset(D3DPRESENT_PARAMETERS* params) { return DoReset(params, false, nullptr); }

HRESULT GlDevice::ResetEx(D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode) {
  return DoReset(params, true, fullscreenMode);
}

HRESULT GlDevice::DoReset(D3DPRESENT_PARAMETERS* params, bool modeRecord, const D3DDISPLAYMODEEX* fullscreenMode) {
  if (!params) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS used = *params;
  HRESULT hr = CheckPresentParams(used, params_.hDeviceWindow, ex_, modeRecord, fullscreenMode);
  if (FAILED(hr)) return hr;
  // Draws asked for before the reset still reach the old back buffer.
  Flush();
  batchError_ = S_OK;
  if (!core_->MakeCurrentForDevice()) return D3DERR_INVALIDCALL;
  state_.Forget();
  // Reset unbinds everything; a failure after this point leaves the device
  // lost, to be reset again.
  ReleaseBindings();
  inScene_ = false;
  if (core_->DefaultPoolLive() > 0) {
    lost_ = true;
    return D3DERR_INVALIDCALL;
  }
  if (failingResets_ > 0) {
    --failingResets_;
    lost_ = true;
    return D3DERR_NOTAVAILABLE;
  }
  hr = ApplyWindowMode(used);
  if (SUCCEEDED(hr) && !SizeFits(used, adapter_.maxTextureSize)) hr = D3DERR_NOTAVAILABLE;
  if (SUCCEEDED(hr) && used.hDeviceWindow != core_->Window() && !core_->MoveTo(used.hDeviceWindow))
    hr = D3DERR_NOTAVAILABLE;
  if (SUCCEEDED(hr)) hr = BuildSwapChain(used);
  if (FAILED(hr)) {
    lost_ = true;
    return hr;
  }
  SDL_GL_SetSwapInterval(SwapInterval(used));
  params_ = used;
  ResetState();
  lost_ = false;
  screenCurrent_ = false;
  subBuffer_.Attach(core_->Window()->Sdl());
  *params = used;
  return S_OK;
}

HRESULT GlDevice::Present(const RECT* source, const RECT* dest, HWND override, const void* dirty) {
  bool occluded = false;
  HRESULT hr = DoPresent(source, dest, override, dirty, occluded);
  return hr;
}

HRESULT GlDevice::PresentEx(const RECT* source, const RECT* dest, HWND override, const void* dirty, DWORD) {
  bool occluded = false;
  HRESULT hr = DoPresent(source, dest, override, dirty, occluded);
  return SUCCEEDED(hr) && occluded ? S_PRESENT_OCCLUDED : hr;
}

namespace {

// The one rectangle around a dirty region, within the back buffer; false when
// the region says nothing usable.
bool DirtyBound(const void* dirty, const D3DSURFACE_DESC& back, RECT& bound) {
  if (!dirty) return false;
  const auto* region = static_cast<const RGNDATA*>(dirty);
  if (region->rdh.iType != RDH_RECTANGLES || region->rdh.nCount == 0) return false;
  const RECT& r = region->rdh.rcBound;
  bound = {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, int32_t(back.Width)),
           std::min(r.bottom, int32_t(back.Height))};
  if (bound.right < bound.left) bound.right = bound.left;
  if (bound.bottom < bound.top) bound.bottom = bound.top;
  return true;
}

}  // namespace

// A minimised window shows nothing, so nothing is copied; a hidden window is
// presented as usual (tests draw into hidden windows). When the window shows
// the last frame at its size and the caller names the part that changed,
// only that part is copied to the screen.
HRESULT GlDevice::DoPresent(const RECT* source, const RECT* dest, HWND override, const void* dirty,
                            bool& occluded) {
  HRESULT drawn = FlushAndTakeError();
  buffers_.NewFrame();
  if (loseAtPresent_) {
    loseAtPresent_ = false;
    lost_ = true;
  }
  if (lost_) return D3DERR_DEVICELOST;
  if (FAILED(drawn)) return drawn;
  if ((source || dest) && params_.SwapEffect != D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  if (!core_->Alive() || !backBuffer_->ColourTexture()) return D3DERR_INVALIDCALL;
  os::Window* target = override ? override : params_.hDeviceWindow;
  if (!target->Sdl()) return D3DERR_INVALIDCALL;
  if (target->IsMinimised()) {
    occluded = true;
    screenCurrent_ = false;
    return S_OK;
  }
  const D3DSURFACE_DESC& back = backBuffer_->Desc();
  RECT from = source ? *source : RECT{0, 0, int32_t(back.Width), int32_t(back.Height)};
  if (from.left < 0 || from.top < 0 || from.left >= from.right || from.top >= from.bottom ||
      uint32_t(from.right) > back.Width || uint32_t(from.bottom) > back.Height)
    return D3DERR_INVALIDCALL;
  int width = 0, height = 0;
  target->GetClientSize(width, height);
  RECT to = dest ? *dest : RECT{0, 0, width, height};
  if (to.left >= to.right || to.top >= to.bottom) return D3DERR_INVALIDCALL;

  SDL_Window* window = target->Sdl();
  bool elsewhere = target != core_->Window();
  const bool whole = !source && !dest && !elsewhere && width == int(back.Width) && height == int(back.Height);
  RECT changed{};
  const bool partial = whole && screenCurrent_ && subBuffer_.Available() && DirtyBound(dirty, back, changed);
  if (partial) {
    from = changed;
    to = changed;
  }
  if (!(elsewhere ? core_->MakeCurrentOn(window) : core_->MakeCurrentForDevice())) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  state_.Forget();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, presentFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backBuffer_->ColourTexture(), 0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // The back buffer keeps its first row at the top of memory, the window's
  // first row is at the bottom: the copy turns it over.
  bool sameSize = (from.right - from.left == to.right - to.left) && (from.bottom - from.top == to.bottom - to.top);
  glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, height - to.top, to.right,
                    height - to.bottom, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
  HRESULT hr = GlErrorResult();
  if (partial) {
    if (to.right > to.left && to.bottom > to.top)
      subBuffer_.Copy(to.left, height - to.bottom, to.right - to.left, to.bottom - to.top);
  } else {
    SDL_GL_SwapWindow(window);
  }
  screenCurrent_ = whole && SUCCEEDED(hr);
  if (elsewhere) core_->MakeCurrentForDevice();
  return hr;
}

HRESULT GlDevice::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (swapChain != 0 || index >= params_.BackBufferCount || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *surface = backBuffer_;
  return S_OK;
}

// Resource creation.

HRESULT GlDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** texture, void* sharedHandle) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (sharedHandle) return D3DERR_INVALIDCALL;
  GlTexture* made = nullptr;
  HRESULT hr = GlTexture::Create(core_, adapter_.maxTextureSize, adapter_.s3tc, width, height, levels, usage, format,
                                 pool, &made);
  if (SUCCEEDED(hr)) *texture = made;
  return hr;
}

HRESULT GlDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                            D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                            IDirect3DSurface9** surface, void* sharedHandle) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (sharedHandle || multiSample != D3DMULTISAMPLE_NONE || !DepthFormat(format) || width == 0 || height == 0 ||
      width > UINT(adapter_.maxTextureSize) || height > UINT(adapter_.maxTextureSize))
    return D3DERR_INVALIDCALL;
  GlDepthSurface* made = nullptr;
  try {
    made = new GlDepthSurface(core_, false);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  HRESULT hr = made->Build(width, height, format);
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  *surface = made;
  return S_OK;
}

HRESULT GlDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DSurface9** surface, void* sharedHandle) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  bool poolOk = pool == D3DPOOL_SYSTEMMEM || pool == D3DPOOL_SCRATCH || pool == D3DPOOL_DEFAULT;
  if (sharedHandle || !poolOk || !IsDisplayFormat(format) || width == 0 || height == 0 ||
      width > UINT(adapter_.maxTextureSize) || height > UINT(adapter_.maxTextureSize))
    return D3DERR_INVALIDCALL;
  try {
    *surface = new GlPlainSurface(core_, width, height, format, pool);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT GlDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                          IDirect3DVertexDeclaration9** declaration) {
  if (!declaration) return D3DERR_INVALIDCALL;
  GlVertexDeclaration* made = nullptr;
  HRESULT hr = CreateDeclaration(core_.get(), elements, &made);
  *declaration = made;
  return hr;
}

HRESULT GlDevice::CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) {
  if (!shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  GlShader* made = nullptr;
  HRESULT hr = CreateShader(core_, code, true, &made);
  if (SUCCEEDED(hr)) *shader = static_cast<GlVertexShader*>(made);
  return hr;
}

HRESULT GlDevice::CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) {
  if (!shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  GlShader* made = nullptr;
  HRESULT hr = CreateShader(core_, code, false, &made);
  if (SUCCEEDED(hr)) *shader = static_cast<GlPixelShader*>(made);
  return hr;
}

}  // namespace tav::gpu::gl
