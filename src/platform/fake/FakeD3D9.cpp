#include "platform/fake/FakeD3D9.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/font/SurfaceDc.h"
#include "platform/gpu/RefCounted.h"
#include "platform/gpu/ShaderCode.h"

namespace tav::fake {

struct FakeGpuState {
  FakeGpu* owner = nullptr;  // null once the test's FakeGpu is gone
  std::vector<std::string> calls;
  std::map<std::string, std::deque<HRESULT>> scripts;
  int liveDefault = 0;
  D3DPRESENT_PARAMETERS lastParams{};
  std::map<DWORD, DWORD> renderStates;
  std::map<std::pair<DWORD, DWORD>, DWORD> samplerStates;
  std::vector<uint8_t> lastVertices;

  // The scripted result of the next call named `call`, or S_OK.
  HRESULT Next(const std::string& call) {
    auto it = scripts.find(call);
    if (it == scripts.end() || it->second.empty()) return S_OK;
    HRESULT hr = it->second.front();
    it->second.pop_front();
    return hr;
  }
  bool recording = true;
  void Record(std::string line) {
    if (recording) calls.push_back(std::move(line));
  }
};

namespace {

using gpu::RefCounted;

std::string Hex(DWORD v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

bool Compressed(D3DFORMAT f) { return f == D3DFMT_DXT1 || f == D3DFMT_DXT3 || f == D3DFMT_DXT5; }

UINT BytesPerTexel(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_L8:
    case D3DFMT_A8:
      return 1;
    case D3DFMT_R5G6B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8L8:
    case D3DFMT_D16:
      return 2;
    default:
      return 4;
  }
}

// Bytes of one row (of blocks, for compressed formats) and the row count.
void LevelLayout(D3DFORMAT f, UINT w, UINT h, UINT& pitch, UINT& rows) {
  if (Compressed(f)) {
    pitch = std::max(1u, (w + 3) / 4) * (f == D3DFMT_DXT1 ? 8 : 16);
    rows = std::max(1u, (h + 3) / 4);
  } else {
    pitch = w * BytesPerTexel(f);
    rows = h;
  }
}

class FakeTexture;

class FakeSurface final : public RefCounted<IDirect3DSurface9> {
 public:
  FakeSurface(std::shared_ptr<FakeGpuState> state, D3DSURFACE_DESC desc, FakeTexture* parent, UINT level)
      : state_(std::move(state)), desc_(desc), parent_(parent), level_(level) {
    if (!parent_) {
      UINT pitch, rows;
      LevelLayout(desc_.Format, desc_.Width, desc_.Height, pitch, rows);
      pitch_ = pitch;
      bytes_.assign(size_t(pitch) * rows, 0);
      if (desc_.Pool == D3DPOOL_DEFAULT && !implicit_) ++state_->liveDefault;
    }
  }
  void MarkImplicit() {
    if (!parent_ && desc_.Pool == D3DPOOL_DEFAULT && !implicit_) --state_->liveDefault;
    implicit_ = true;
  }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return S_OK;
  }
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  HRESULT GetDC(HDC* dc) override {
    if (state_->recording) state_->Record("GetDC");
    HRESULT hr = state_->Next("GetDC");
    if (FAILED(hr)) return hr;
    return font::GetSurfaceDC(*this, dc_, dc);
  }
  HRESULT ReleaseDC(HDC dc) override {
    if (state_->recording) state_->Record("ReleaseDC");
    return font::ReleaseSurfaceDC(*this, dc_, dc);
  }
  FakeTexture* Parent() const { return parent_; }
  UINT Level() const { return level_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 protected:
  ~FakeSurface() override;

 private:
  std::shared_ptr<FakeGpuState> state_;
  D3DSURFACE_DESC desc_;
  FakeTexture* parent_;  // set for a texture level, which keeps its texture alive
  UINT level_;
  bool implicit_ = false;
  bool locked_ = false;
  UINT pitch_ = 0;
  std::vector<uint8_t> bytes_;
  HDC dc_ = nullptr;
};

class FakeTexture final : public RefCounted<IDirect3DTexture9> {
 public:
  FakeTexture(std::shared_ptr<FakeGpuState> state, UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format,
              D3DPOOL pool)
      : state_(std::move(state)), format_(format), usage_(usage), pool_(pool) {
    for (UINT i = 0; i < levels; ++i) {
      UINT lw = std::max(1u, w >> i), lh = std::max(1u, h >> i), pitch, rows;
      LevelLayout(format, lw, lh, pitch, rows);
      levels_.push_back({lw, lh, pitch, std::vector<uint8_t>(size_t(pitch) * rows, 0), false});
    }
    if (pool_ == D3DPOOL_DEFAULT) ++state_->liveDefault;
  }
  DWORD GetLevelCount() override { return DWORD(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
    if (level >= levels_.size() || !desc) return D3DERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Width = levels_[level].width;
    desc->Height = levels_[level].height;
    return S_OK;
  }
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override {
    if (level >= levels_.size() || !surface) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    GetLevelDesc(level, &desc);
    AddRef();
    *surface = new FakeSurface(state_, desc, this, level);
    return S_OK;
  }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
    if (level >= levels_.size() || !locked || (usage_ & D3DUSAGE_RENDERTARGET) || levels_[level].locked)
      return D3DERR_INVALIDCALL;
    HRESULT hr = state_->Next("LockRect");
    if (FAILED(hr)) return hr;
    Level& l = levels_[level];
    size_t offset = 0;
    if (rect) {
      if (rect->left < 0 || rect->top < 0 || UINT(rect->right) > l.width || UINT(rect->bottom) > l.height ||
          rect->left >= rect->right || rect->top >= rect->bottom)
        return D3DERR_INVALIDCALL;
      offset = size_t(rect->top) * l.pitch + size_t(rect->left) * BytesPerTexel(format_);
    }
    l.locked = true;
    locked->Pitch = int32_t(l.pitch);
    locked->pBits = l.bytes.data() + offset;
    return S_OK;
  }
  HRESULT UnlockRect(UINT level) override {
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    levels_[level].locked = false;
    return state_->Next("UnlockRect");
  }
  std::vector<uint8_t>& LevelBytes(UINT level) { return levels_[level].bytes; }
  DWORD Usage() const { return usage_; }

 protected:
  ~FakeTexture() override {
    if (pool_ == D3DPOOL_DEFAULT) --state_->liveDefault;
  }

 private:
  struct Level {
    UINT width, height, pitch;
    std::vector<uint8_t> bytes;
    bool locked;
  };
  std::shared_ptr<FakeGpuState> state_;
  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  std::vector<Level> levels_;
};

HRESULT FakeSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (parent_) return parent_->LockRect(level_, locked, rect, flags);
  if (!locked || locked_ || desc_.Usage == D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
  locked_ = true;
  locked->Pitch = int32_t(pitch_);
  locked->pBits = bytes_.data();
  return S_OK;
}

HRESULT FakeSurface::UnlockRect() {
  if (parent_) return parent_->UnlockRect(level_);
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return S_OK;
}

FakeSurface::~FakeSurface() {
  if (parent_)
    parent_->Release();
  else if (desc_.Pool == D3DPOOL_DEFAULT && !implicit_)
    --state_->liveDefault;
}

class FakeShader final : public RefCounted<IDirect3DVertexShader9> {};
class FakePixelShader final : public RefCounted<IDirect3DPixelShader9> {};
class FakeDeclaration final : public RefCounted<IDirect3DVertexDeclaration9> {};

class FakeDirect3D;

class FakeDevice final : public RefCounted<IDirect3DDevice9Ex> {
 public:
  FakeDevice(std::shared_ptr<FakeGpuState> state, IDirect3D9* object, const D3DPRESENT_PARAMETERS& params)
      : state_(std::move(state)), object_(object) {
    object_->AddRef();
    BuildBackBuffer(params);
  }
  HRESULT GetDirect3D(IDirect3D9** object) override {
    if (!object) return D3DERR_INVALIDCALL;
    object_->AddRef();
    *object = object_;
    return S_OK;
  }
  HRESULT TestCooperativeLevel() override { return Scripted("TestCooperativeLevel"); }
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override {
    if (!caps || !state_->owner) return D3DERR_INVALIDCALL;
    *caps = state_->owner->caps;
    return S_OK;
  }
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override { return DoReset("Reset", params); }
  HRESULT ResetEx(D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX*) override { return DoReset("ResetEx", params); }
  HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return Scripted("Present"); }
  HRESULT PresentEx(const RECT*, const RECT*, HWND, const void*, DWORD) override { return Scripted("PresentEx"); }
  HRESULT CheckDeviceState(HWND) override { return Scripted("CheckDeviceState"); }
  HRESULT GetBackBuffer(UINT, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) override {
    if (index != 0 || !surface) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return S_OK;
  }
  HRESULT CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, void*) override {
    state_->Record("CreateTexture " + std::to_string(w) + "x" + std::to_string(h) + " levels " +
                   std::to_string(levels) + " usage " + Hex(usage) + " format " + std::to_string(format));
    HRESULT hr = state_->Next("CreateTexture");
    if (FAILED(hr)) return hr;
    FakeGpu* gpu = state_->owner;
    if (!texture || !gpu || w == 0 || h == 0 || w > gpu->caps.MaxTextureWidth || h > gpu->caps.MaxTextureHeight ||
        !gpu->textureFormats.count(format) ||
        ((usage & D3DUSAGE_RENDERTARGET) && !gpu->renderTargetFormats.count(format)))
      return D3DERR_INVALIDCALL;
    UINT full = 1;
    while ((w >> full) || (h >> full)) ++full;
    UINT count = (levels == 0 || levels > full) ? full : levels;
    if (usage & D3DUSAGE_AUTOGENMIPMAP) count = 1;
    *texture = new FakeTexture(state_, w, h, count, usage, format, pool);
    return S_OK;
  }
  HRESULT CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                    IDirect3DSurface9** surface, void*) override {
    if (state_->recording) state_->Record("CreateDepthStencilSurface " + std::to_string(format));
    HRESULT hr = state_->Next("CreateDepthStencilSurface");
    if (FAILED(hr)) return hr;
    if (!surface || !state_->owner || !state_->owner->depthFormats.count(format)) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, D3DMULTISAMPLE_NONE, 0, w, h};
    *surface = new FakeSurface(state_, desc, nullptr, 0);
    return S_OK;
  }
  HRESULT CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface,
                                      void*) override {
    if (!surface || w == 0 || h == 0) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, 0, pool, D3DMULTISAMPLE_NONE, 0, w, h};
    *surface = new FakeSurface(state_, desc, nullptr, 0);
    return S_OK;
  }
  HRESULT GetRenderTargetData(IDirect3DSurface9* source, IDirect3DSurface9* destination) override {
    if (!source || !destination) return D3DERR_INVALIDCALL;
    auto* from = static_cast<FakeSurface*>(source);
    auto* to = static_cast<FakeSurface*>(destination);
    std::vector<uint8_t>& src = from->Parent() ? from->Parent()->LevelBytes(from->Level()) : from->Bytes();
    if (to->Parent() || to->Bytes().size() != src.size()) return D3DERR_INVALIDCALL;
    to->Bytes() = src;
    return S_OK;
  }
  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override {
    if (state_->recording) state_->Record(std::string("SetRenderTarget ") + (surface == backBuffer_ ? "back buffer" : "texture"));
    if (index != 0 || !surface) return D3DERR_INVALIDCALL;
    surface->AddRef();
    renderTarget_->Release();
    renderTarget_ = surface;
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    viewport_ = {0, 0, desc.Width, desc.Height, 0, 1};
    return S_OK;
  }
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override {
    if (index != 0 || !surface) return D3DERR_INVALIDCALL;
    renderTarget_->AddRef();
    *surface = renderTarget_;
    return S_OK;
  }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override {
    if (state_->recording) state_->Record(std::string("SetDepthStencilSurface ") + (surface ? "set" : "none"));
    if (surface) surface->AddRef();
    if (depth_) depth_->Release();
    depth_ = surface;
    return S_OK;
  }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override {
    if (!surface) return D3DERR_INVALIDCALL;
    if (!depth_) return D3DERR_NOTFOUND;
    depth_->AddRef();
    *surface = depth_;
    return S_OK;
  }
  HRESULT BeginScene() override {
    if (state_->recording) state_->Record("BeginScene");
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return S_OK;
  }
  HRESULT EndScene() override {
    if (state_->recording) state_->Record("EndScene");
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return S_OK;
  }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD flags, D3DCOLOR colour, float, DWORD) override {
    if (state_->recording) state_->Record("Clear " + Hex(flags) + " " + Hex(colour));
    return S_OK;
  }
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override {
    if (!viewport) return D3DERR_INVALIDCALL;
    viewport_ = *viewport;
    return S_OK;
  }
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return S_OK;
  }
  HRESULT SetScissorRect(const RECT* rect) override {
    if (!rect) return D3DERR_INVALIDCALL;
    if (state_->recording)
      state_->Record("SetScissorRect " + std::to_string(rect->left) + " " + std::to_string(rect->top) + " " +
                     std::to_string(rect->right) + " " + std::to_string(rect->bottom));
    return S_OK;
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override {
    state_->renderStates[s] = v;
    return S_OK;
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE s, DWORD* v) override {
    if (!v) return D3DERR_INVALIDCALL;
    *v = state_->renderStates[s];
    return S_OK;
  }
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9*) override {
    if (state_->recording) state_->Record("SetTexture " + std::to_string(stage));
    return S_OK;
  }
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE t, DWORD v) override {
    state_->samplerStates[{sampler, t}] = v;
    return S_OK;
  }
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE t, DWORD* v) override {
    if (!v) return D3DERR_INVALIDCALL;
    *v = state_->samplerStates[{sampler, t}];
    return S_OK;
  }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return S_OK; }
  HRESULT SetFVF(DWORD fvf) override {
    if (state_->recording) state_->Record("SetFVF " + Hex(fvf));
    fvf_ = fvf;
    return S_OK;
  }
  HRESULT GetFVF(DWORD* fvf) override {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return S_OK;
  }
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                  IDirect3DVertexDeclaration9** declaration) override {
    HRESULT hr = state_->Next("CreateVertexDeclaration");
    if (FAILED(hr)) return hr;
    if (!elements || !declaration) return D3DERR_INVALIDCALL;
    *declaration = new FakeDeclaration;
    return S_OK;
  }
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9*) override {
    if (state_->recording) state_->Record("SetVertexDeclaration");
    return S_OK;
  }
  HRESULT CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) override {
    HRESULT hr = state_->Next("CreateVertexShader");
    if (FAILED(hr)) return hr;
    gpu::ShaderCode decoded;
    if (!shader || !gpu::DecodeShaderCode(code, decoded) || !decoded.vertex) return D3DERR_INVALIDCALL;
    *shader = new FakeShader;
    return S_OK;
  }
  HRESULT SetVertexShader(IDirect3DVertexShader9*) override {
    if (state_->recording) state_->Record("SetVertexShader");
    return S_OK;
  }
  HRESULT CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) override {
    HRESULT hr = state_->Next("CreatePixelShader");
    if (FAILED(hr)) return hr;
    gpu::ShaderCode decoded;
    if (!shader || !gpu::DecodeShaderCode(code, decoded) || decoded.vertex) return D3DERR_INVALIDCALL;
    *shader = new FakePixelShader;
    return S_OK;
  }
  HRESULT SetPixelShader(IDirect3DPixelShader9*) override {
    if (state_->recording) state_->Record("SetPixelShader");
    return S_OK;
  }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT numVertices, UINT, const void* indices, D3DFORMAT,
                                 const void* vertices,
                                 UINT stride) override {
    if (state_->recording) state_->Record("DrawIndexedPrimitiveUP " + std::to_string(stride));
    if (!inScene_ || !indices || !vertices) return D3DERR_INVALIDCALL;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    state_->lastVertices.assign(bytes, bytes + size_t(numVertices) * stride);
    return S_OK;
  }

 protected:
  ~FakeDevice() override {
    if (depth_) depth_->Release();
    renderTarget_->Release();
    backBuffer_->Release();
    if (autoDepth_) autoDepth_->Release();
    object_->Release();
  }

 private:
  HRESULT Scripted(const char* call) {
    if (state_->recording) state_->Record(call);
    return state_->Next(call);
  }

  void BuildBackBuffer(const D3DPRESENT_PARAMETERS& params) {
    state_->lastParams = params;
    D3DSURFACE_DESC desc{params.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                         D3DMULTISAMPLE_NONE, 0, params.BackBufferWidth, params.BackBufferHeight};
    auto* back = new FakeSurface(state_, desc, nullptr, 0);
    back->MarkImplicit();
    backBuffer_ = back;
    backBuffer_->AddRef();
    renderTarget_ = backBuffer_;
    if (params.EnableAutoDepthStencil) {
      D3DSURFACE_DESC d{params.AutoDepthStencilFormat, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                        D3DMULTISAMPLE_NONE, 0, params.BackBufferWidth, params.BackBufferHeight};
      auto* depth = new FakeSurface(state_, d, nullptr, 0);
      depth->MarkImplicit();
      autoDepth_ = depth;
      autoDepth_->AddRef();
      depth_ = autoDepth_;
    }
    viewport_ = {0, 0, params.BackBufferWidth, params.BackBufferHeight, 0, 1};
  }

  HRESULT DoReset(const char* call, D3DPRESENT_PARAMETERS* params) {
    if (state_->recording) state_->Record(std::string(call) + " live " + std::to_string(state_->liveDefault));
    // As on the real interface, every default-pool resource must be gone first.
    if (!params || state_->liveDefault > 0) return D3DERR_INVALIDCALL;
    HRESULT hr = state_->Next(call);
    if (FAILED(hr) || hr == S_PRESENT_MODE_CHANGED) return hr;
    if (depth_) depth_->Release();
    depth_ = nullptr;
    renderTarget_->Release();
    backBuffer_->Release();
    if (autoDepth_) autoDepth_->Release();
    autoDepth_ = nullptr;
    BuildBackBuffer(*params);
    return hr;
  }

  std::shared_ptr<FakeGpuState> state_;
  IDirect3D9* object_;
  IDirect3DSurface9* backBuffer_ = nullptr;
  IDirect3DSurface9* renderTarget_ = nullptr;
  IDirect3DSurface9* autoDepth_ = nullptr;
  IDirect3DSurface9* depth_ = nullptr;
  D3DVIEWPORT9 viewport_{};
  DWORD fvf_ = 0;
  bool inScene_ = false;
};

// The rules of the real interface that the engine's choices must respect.
bool ValidParams(const D3DPRESENT_PARAMETERS& p) {
  if (p.SwapEffect == D3DSWAPEFFECT_COPY && p.BackBufferCount > 1) return false;
  if (p.BackBufferCount > 30) return false;
  if (p.SwapEffect == D3DSWAPEFFECT_FLIPEX && (p.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)) return false;
  return true;
}

class FakeDirect3D final : public RefCounted<IDirect3D9Ex> {
 public:
  explicit FakeDirect3D(std::shared_ptr<FakeGpuState> state) : state_(std::move(state)) {}

  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override {
    HRESULT hr = state_->Next("GetDeviceCaps");
    if (FAILED(hr)) return hr;
    if (adapter != 0 || type != D3DDEVTYPE_HAL || !caps || !state_->owner) return D3DERR_INVALIDCALL;
    *caps = state_->owner->caps;
    return S_OK;
  }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
    HRESULT hr = state_->Next("GetAdapterDisplayMode");
    if (FAILED(hr)) return hr;
    if (!mode || !state_->owner) return D3DERR_INVALIDCALL;
    *mode = state_->owner->mode;
    return S_OK;
  }
  HRESULT GetAdapterDisplayModeEx(UINT, D3DDISPLAYMODEEX* mode, D3DDISPLAYROTATION* rotation) override {
    HRESULT hr = state_->Next("GetAdapterDisplayModeEx");
    if (FAILED(hr)) return hr;
    if (!mode || mode->Size != sizeof(D3DDISPLAYMODEEX) || !state_->owner) return D3DERR_INVALIDCALL;
    const D3DDISPLAYMODE& m = state_->owner->mode;
    mode->Width = m.Width;
    mode->Height = m.Height;
    mode->RefreshRate = m.RefreshRate;
    mode->Format = m.Format;
    if (rotation) *rotation = D3DDISPLAYROTATION_IDENTITY;
    return S_OK;
  }
  HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE type,
                            D3DFORMAT format) override {
    FakeGpu* gpu = state_->owner;
    if (!gpu) return D3DERR_NOTAVAILABLE;
    bool ok;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
      ok = type == D3DRTYPE_SURFACE && gpu->depthFormats.count(format);
    else if (usage & D3DUSAGE_RENDERTARGET)
      ok = gpu->renderTargetFormats.count(format);
    else
      ok = gpu->textureFormats.count(format);
    if (ok && (usage & D3DUSAGE_AUTOGENMIPMAP)) return gpu->autoGenMipmap ? S_OK : D3DOK_NOAUTOGEN;
    return ok ? S_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT depth) override {
    return state_->owner && state_->owner->depthFormats.count(depth) ? S_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD flags, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice9** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    FakeDevice* created = nullptr;
    HRESULT hr = Create("CreateDevice", false, flags, params, created);
    if (SUCCEEDED(hr)) *device = created;
    return hr;
  }
  HRESULT CreateDeviceEx(UINT, D3DDEVTYPE, HWND, DWORD flags, D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX*,
                         IDirect3DDevice9Ex** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    FakeDevice* created = nullptr;
    HRESULT hr = Create("CreateDeviceEx", true, flags, params, created);
    if (SUCCEEDED(hr)) *device = created;
    return hr;
  }

 private:
  // One creation on either path; only the Ex path may present with flip-ex.
  HRESULT Create(const char* call, bool exPath, DWORD flags, D3DPRESENT_PARAMETERS* params, FakeDevice*& device) {
    if (state_->recording) state_->Record(std::string(call) + " " + std::to_string(params ? params->BackBufferCount : 0) + " " + Hex(flags));
    HRESULT hr = state_->Next(call);
    if (FAILED(hr)) return hr;
    if (!params || !ValidParams(*params) || (!exPath && params->SwapEffect == D3DSWAPEFFECT_FLIPEX))
      return D3DERR_INVALIDCALL;
    device = new FakeDevice(state_, this, *params);
    return S_OK;
  }

  std::shared_ptr<FakeGpuState> state_;
};

D3DCAPS9 CapableCard() {
  D3DCAPS9 caps;
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.Caps2 = D3DCAPS2_CANAUTOGENMIPMAP;
  caps.Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
  caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_MIPMAP;
  caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
  caps.MaxSimultaneousTextures = 8;
  caps.NumSimultaneousRTs = 1;
  caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
  caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
  return caps;
}

}  // namespace

FakeGpu::FakeGpu() : caps(CapableCard()), state(std::make_shared<FakeGpuState>()) {
  state->owner = this;
  std::shared_ptr<FakeGpuState> s = state;
  module_.Direct3DCreate9 = [s](UINT) -> IDirect3D9* {
    if (FAILED(s->Next("Direct3DCreate9"))) return nullptr;
    return new FakeDirect3D(s);
  };
  module_.Direct3DCreate9Ex = [s](UINT, IDirect3D9Ex** out) -> HRESULT {
    HRESULT hr = s->Next("Direct3DCreate9Ex");
    if (FAILED(hr)) return hr;
    *out = new FakeDirect3D(s);
    return S_OK;
  };
  gpu::InstallD3D9Module(&module_);
}

FakeGpu::~FakeGpu() {
  gpu::InstallD3D9Module(nullptr);
  state->owner = nullptr;
}

void FakeGpu::Script(const std::string& call, std::initializer_list<HRESULT> results) {
  auto& queue = state->scripts[call];
  queue.insert(queue.end(), results.begin(), results.end());
}

const std::vector<std::string>& FakeGpu::Calls() const { return state->calls; }
void FakeGpu::ClearCalls() { state->calls.clear(); }
size_t FakeGpu::Count(const std::string& prefix) const {
  return std::count_if(state->calls.begin(), state->calls.end(),
                       [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}
int FakeGpu::LiveDefaultResources() const { return state->liveDefault; }
D3DPRESENT_PARAMETERS FakeGpu::LastParams() const { return state->lastParams; }
DWORD FakeGpu::RenderState(D3DRENDERSTATETYPE s) const { return state->renderStates[s]; }
DWORD FakeGpu::SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE t) const { return state->samplerStates[{sampler, t}]; }

void FakeGpu::SetRecording(bool on) { state->recording = on; }

const std::vector<uint8_t>& FakeGpu::LastVertices() const { return state->lastVertices; }

}  // namespace tav::fake
