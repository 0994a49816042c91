#include "gfx/BaseD3D.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

#include "core/ErrorLog.h"
#include "gfx/DeviceObject.h"
#include "res/Stores.h"
#include "core/UserFolder.h"

namespace tav {

std::shared_ptr<IDirect3D9> direct3D;
bool ex = false;

bool CreateDirect3D(const std::wstring& engineName) {
  EngineFolderName = engineName;
  if (!ArchiveStore::Load(ResStore(), ResArchiveFileName())) return false;

  const gpu::D3D9Module* module = gpu::LoadD3D9();
  if (!module) {
    LogError(L"LoadLibrary: no graphics device with OpenGL 4.1 is available");
    return false;
  }
  if (module->Direct3DCreate9Ex) {
    IDirect3D9Ex* object = nullptr;
    if (SUCCEEDED(module->Direct3DCreate9Ex(D3D_SDK_VERSION_DEBUG, &object)) && object) {
      direct3D = AdoptDeviceObject<IDirect3D9>(object);
      ex = true;
    }
  }
  if (!ex) {
    IDirect3D9* object = module->Direct3DCreate9 ? module->Direct3DCreate9(D3D_SDK_VERSION_DEBUG) : nullptr;
    if (!object) {
      LogError(L"Direct3DCreate9 failed");
      return false;
    }
    direct3D = AdoptDeviceObject(object);
  }
  return true;
}

}  // namespace tav

using tav::DeviceState;
using tav::LogHResult;

CBaseD3D::~CBaseD3D() {
  // Everything made on the device goes before the device itself.
  pixelShaders.Clear();
  vertexShaders.Clear();
  surfaces.Clear();
  textures.Clear();
  savedDepthSurface.reset();
  savedBackBuffer.reset();
  device.reset();
}

bool CBaseD3D::InitDevice(HWND window, UINT width, UINT height, bool windowed) {
  try {
    if (!tav::direct3D) {
      tav::LogError(L"InitDevice: the Direct3D object does not exist");
      return false;
    }
    HRESULT hr = tav::direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    if (FAILED(hr)) {
      LogHResult(hr, L"GetDeviceCaps");
      return false;
    }
    if (tav::ex) {
      if (!ReadDisplayModeEx()) return false;
    } else {
      hr = tav::direct3D->GetAdapterDisplayMode(caps.AdapterOrdinal, &displayMode);
      if (FAILED(hr)) {
        LogHResult(hr, L"GetAdapterDisplayMode");
        return false;
      }
    }

    windowWidth = width;
    windowHeight = height;
    present.hDeviceWindow = window;
    present.Windowed = windowed ? 0 : 1;  // the full-screen request
    BuildPresentParams();
    if (present.EnableAutoDepthStencil) clearFlags |= D3DCLEAR_ZBUFFER;

    DWORD flags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    if (!(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT))
      flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    else if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
      flags = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
    if (!CreateWithLadder(window, windowed, flags)) return false;

    return CreateDefaultResources() && CompileShaders();
  } catch (const std::exception& e) {
    tav::LogException(e.what());
    return false;
  }
}

bool CBaseD3D::CreateWithLadder(HWND window, bool windowed, DWORD flags) {
  struct Rung {
    UINT backBuffers;
    DWORD flags;
  };
  HRESULT hr = E_FAIL;
  if (tav::ex) {
    auto* object = static_cast<IDirect3D9Ex*>(tav::direct3D.get());
    for (Rung rung : {Rung{30, flags}, Rung{30, flags}, Rung{1, D3DCREATE_SOFTWARE_VERTEXPROCESSING}}) {
      present.BackBufferCount = backBufferCount = rung.backBuffers;
      IDirect3DDevice9Ex* created = nullptr;
      hr = object->CreateDeviceEx(caps.AdapterOrdinal, caps.DeviceType, window, rung.flags, &present,
                                  windowed ? nullptr : &fullscreenMode, &created);
      if (SUCCEEDED(hr) && created) {
        device = tav::AdoptDeviceObject<IDirect3DDevice9>(created);
        return true;
      }
    }
    // The rungs below make a device without the Ex interface. Everything after
    // must then take the plain path, and the presentation parameters must not
    // keep the Ex-only swap effect.
    tav::ex = false;
    present.Windowed = windowed ? 0 : 1;
    backBufferCount = 3;
    BuildPresentParams();
  }
  for (Rung rung : {Rung{3, flags}, Rung{3, flags}, Rung{1, D3DCREATE_SOFTWARE_VERTEXPROCESSING}}) {
    present.BackBufferCount = backBufferCount = rung.backBuffers;
    IDirect3DDevice9* created = nullptr;
    hr = tav::direct3D->CreateDevice(caps.AdapterOrdinal, caps.DeviceType, window, rung.flags, &present, &created);
    if (SUCCEEDED(hr) && created) {
      device = tav::AdoptDeviceObject(created);
      return true;
    }
  }
  LogHResult(hr, L"CreateDevice");
  return false;
}

void CBaseD3D::BuildPresentParams() {
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  if (present.Windowed) {
    present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!(caps.Caps3 & D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD)) {
      present.SwapEffect = D3DSWAPEFFECT_COPY;
      backBufferCount = 1;
    }
    if (!(caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE))
      present.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    present.BackBufferWidth = displayMode.Width;
    present.BackBufferHeight = displayMode.Height;
    present.FullScreen_RefreshRateInHz = displayMode.RefreshRate;
    present.Windowed = 0;
  } else {
    present.Windowed = 1;
    present.BackBufferWidth = windowWidth;
    present.BackBufferHeight = windowHeight;
    present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    present.FullScreen_RefreshRateInHz = 0;
  }
  present.BackBufferFormat = displayMode.Format;
  present.BackBufferCount = backBufferCount;
  present.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  present.EnableAutoDepthStencil = 0;
  present.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;

  for (D3DFORMAT format : {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16}) {
    if (SUCCEEDED(tav::direct3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, displayMode.Format,
                                                   D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format))) {
      present.AutoDepthStencilFormat = format;
      present.EnableAutoDepthStencil = 1;
      present.Flags |= D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
      break;
    }
  }

  // Flip-ex presentation needs a version of the system that has it (every one
  // we run on does), no debug runtime, and textures of the back-buffer format.
  if (tav::ex && present.BackBufferCount >= 2) {
    bool debugRuntime = true;
    if (QueryDebugRuntime(debugRuntime) && !debugRuntime &&
        SUCCEEDED(tav::direct3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, displayMode.Format, 0,
                                                   D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8))) {
      present.SwapEffect = D3DSWAPEFFECT_FLIPEX;
      present.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    }
  }
}

bool CBaseD3D::ReadDisplayModeEx() {
  fullscreenMode.Size = sizeof(D3DDISPLAYMODEEX);
  auto* object = static_cast<IDirect3D9Ex*>(tav::direct3D.get());
  HRESULT hr = object->GetAdapterDisplayModeEx(caps.AdapterOrdinal, &fullscreenMode, &rotation);
  if (FAILED(hr)) {
    LogHResult(hr, L"GetAdapterDisplayModeEx");
    return false;
  }
  displayMode.Width = fullscreenMode.Width;
  displayMode.Height = fullscreenMode.Height;
  displayMode.RefreshRate = fullscreenMode.RefreshRate;
  displayMode.Format = fullscreenMode.Format;
  return true;
}

void CBaseD3D::BeginFrame(const RECT* area) {
  const D3DRECT rect = area ? D3DRECT{area->left, area->top, area->right, area->bottom} : D3DRECT{};
  device->Clear(area ? 1 : 0, area ? &rect : nullptr, clearFlags, clearColour, clearZ, clearStencil);
  device->BeginScene();
}

void CBaseD3D::ApplyResult(HRESULT hr, bool exPath, const wchar_t* call, bool& failed) {
  failed = false;
  if (hr == S_OK || (exPath && hr == S_PRESENT_OCCLUDED)) {
    state = DeviceState::Ok;
  } else if (hr == D3DERR_DEVICELOST || (exPath && (hr == S_PRESENT_MODE_CHANGED || hr == D3DERR_DEVICEHUNG))) {
    state = DeviceState::Lost;
  } else if (exPath ? (hr == D3DERR_OUTOFVIDEOMEMORY || hr == D3DERR_DEVICEREMOVED)
                    : (hr == D3DERR_DRIVERINTERNALERROR || hr == D3DERR_INVALIDCALL)) {
    state = DeviceState::Failed;
    LogHResult(hr, call);
    failed = true;
  }
}

bool CBaseD3D::EndFrame(const RECT* changed) {
  device->EndScene();
  // The changed part, as a one-rectangle dirty region, lets the present copy
  // only that part to the screen.
  struct {
    RGNDATAHEADER rdh;
    RECT rect;
  } region{};
  if (changed) region = {{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 1, sizeof(RECT), *changed}, *changed};
  const void* dirty = changed ? &region : nullptr;
  bool failed = false;
  if (tav::ex)
    ApplyResult(DeviceEx()->PresentEx(nullptr, nullptr, nullptr, dirty, 0), true, L"PresentEx", failed);
  else
    ApplyResult(device->Present(nullptr, nullptr, nullptr, dirty), false, L"Present", failed);
  return !failed;
}

bool CBaseD3D::BeginRenderToTexture(IDirect3DTexture9* texture, IDirect3DSurface9* depthSurface,
                                    const D3DVIEWPORT9* targetViewport) {
  ++contentGeneration;  // the texture drawn into shows something new
  device->GetViewport(&viewport);
  IDirect3DSurface9* surface = nullptr;
  savedBackBuffer.reset();
  if (SUCCEEDED(device->GetRenderTarget(0, &surface))) savedBackBuffer = tav::AdoptDeviceObject(surface);
  surface = nullptr;
  savedDepthSurface.reset();
  if (SUCCEEDED(device->GetDepthStencilSurface(&surface))) savedDepthSurface = tav::AdoptDeviceObject(surface);

  if (texture) {
    IDirect3DSurface9* level = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(0, &level);
    if (FAILED(hr)) {
      LogHResult(hr, L"GetSurfaceLevel");
      return false;
    }
    auto held = tav::AdoptDeviceObject(level);
    device->SetRenderTarget(0, level);
    DWORD flags = D3DCLEAR_TARGET;
    if (depthSurface && (clearFlags & D3DCLEAR_ZBUFFER)) {
      device->SetDepthStencilSurface(depthSurface);
      flags |= D3DCLEAR_ZBUFFER;
    } else {
      device->SetDepthStencilSurface(nullptr);
    }
    if (targetViewport) device->SetViewport(targetViewport);
    device->Clear(0, nullptr, flags, 0, 1.0f, 0);
  }
  device->BeginScene();
  return true;
}

bool CBaseD3D::BeginRenderToTexture() {
  auto* surface = surfaces.Find(L"DefaultRenderTargetSurface");
  D3DVIEWPORT9 current{};
  device->GetViewport(&current);
  return BeginRenderToTexture(GetTexture(L"DefaultRenderTargetTex"), surface ? surface->get() : nullptr, &current);
}

void CBaseD3D::EndRenderToTexture() {
  device->EndScene();
  device->SetRenderTarget(0, savedBackBuffer.get());
  if (savedDepthSurface) device->SetDepthStencilSurface(savedDepthSurface.get());
  device->SetViewport(&viewport);
}

bool CBaseD3D::ReleaseForReset(const std::vector<CRestore*>& restorables) {
  for (CRestore* r : restorables)
    if (!r->Release()) return false;
  for (CRestore* r : ownRestorables)
    if (!r->Release()) return false;
  savedBackBuffer.reset();
  savedDepthSurface.reset();
  textures.Clear();
  surfaces.Clear();
  textureSizes.Clear();
  drawState = tav::DrawStateRecord{};

  if (tav::ex) {
    HRESULT hr = DeviceEx()->ResetEx(&present, present.Windowed ? nullptr : &fullscreenMode);
    lastReset = hr;
    bool failed = false;
    ApplyResult(hr, true, L"ResetEx", failed);
    return !failed;
  }
  HRESULT hr = device->Reset(&present);
  lastReset = hr;
  if (hr == S_OK) {
    state = DeviceState::Ok;
  } else if (hr == D3DERR_DEVICELOST) {
    state = DeviceState::Lost;
  } else if (hr == E_OUTOFMEMORY || hr == D3DERR_OUTOFVIDEOMEMORY || hr == D3DERR_DRIVERINTERNALERROR ||
             hr == D3DERR_INVALIDCALL) {
    state = DeviceState::Failed;
    LogHResult(hr, L"Reset");
    return false;
  }
  return true;
}

bool CBaseD3D::RestoreAfterReset(const std::vector<CRestore*>& restorables, const std::function<bool()>& afterReset) {
  frameInvalid_ = true;
  ++contentGeneration;
  if (!CreateDefaultResources()) return false;
  if (!RestoreFileTextures()) return false;
  for (CRestore* r : ownRestorables)
    if (!r->Restore()) return false;
  for (CRestore* r : restorables)
    if (!r->Restore()) return false;
  // A reset returns every render state to its default on both interfaces, so
  // the fixed states are set again either way; without them the default cull
  // mode would remove every quad.
  if (afterReset && !afterReset()) return false;
  return true;
}

bool CBaseD3D::RunFrame(HWND window, const FrameHooks& hooks) {
  auto list = [&] { return hooks.restorables ? hooks.restorables() : std::vector<CRestore*>{}; };
  auto recover = [&] {
    std::vector<CRestore*> restorables = list();
    if (!ReleaseForReset(restorables)) return false;
    return state != DeviceState::Ok || RestoreAfterReset(restorables, hooks.afterReset);
  };

  if (tav::ex) {
    HRESULT hr = DeviceEx()->CheckDeviceState(window);
    if (hr == S_PRESENT_MODE_CHANGED) {
      if (!ReadDisplayModeEx()) return false;
      present.Windowed = present.Windowed ? 0 : 1;
      BuildPresentParams();
      if (!recover()) return false;
    } else if (hr == D3DERR_OUTOFVIDEOMEMORY || hr == D3DERR_DEVICEREMOVED) {
      LogHResult(hr, L"CheckDeviceState");
      return false;
    } else if (hr == D3DERR_DEVICELOST || hr == D3DERR_DEVICEHUNG || state == DeviceState::Lost) {
      // A device that the last present found lost is reset even when the state
      // query no longer reports it; otherwise nothing would ever draw again.
      if (!recover()) return false;
    }
  } else if (state == DeviceState::Lost) {
    if (device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET && !recover()) return false;
  }

  if (state == DeviceState::Failed) {
    frameInvalid_ = true;
    return false;
  }
  if (state == DeviceState::Lost) {
    frameInvalid_ = true;
    return true;
  }
  if (hooks.update && !hooks.update()) return false;
  std::optional<RECT> partial;
  if (hooks.skipUnchanged && hooks.draw) {
    tav::CFrameProbe frame;
    probe = &frame;
    const bool probed = hooks.draw();
    probe = nullptr;
    if (!probed) return false;
    frame.AddFrameValue(contentGeneration);
    frame.AddFrameValue(present.BackBufferWidth);
    frame.AddFrameValue(present.BackBufferHeight);
    frame.AddFrameValue(present.Windowed);
    if (!frameInvalid_ && frame.Value() == lastFrame_) {
      ++framesSkipped_;
      return true;
    }
    // A frame in which a few draws changed is drawn again only in their box
    // (the back buffer keeps the rest of the last frame).
    tav::ProbedDraw box;
    const float width = float(present.BackBufferWidth), height = float(present.BackBufferHeight);
    if (!frameInvalid_ && frame.Header() == lastHeader_ && tav::ChangedBox(lastDraws_, frame.draws, 2, box)) {
      const RECT area{int32_t(std::max(0.0f, std::floor(box.left))), int32_t(std::max(0.0f, std::floor(box.top))),
                      int32_t(std::min(width, std::ceil(box.right))), int32_t(std::min(height, std::ceil(box.bottom)))};
      const float covered = float(area.right - area.left) * float(area.bottom - area.top);
      if (area.right > area.left && area.bottom > area.top && covered < width * height / 2) partial = area;
    }
    lastFrame_ = frame.Value();
    lastHeader_ = frame.Header();
    lastDraws_ = std::move(frame.draws);
  }
  frameInvalid_ = false;
  BeginFrame(partial ? &*partial : nullptr);
  if (partial) {
    device->SetScissorRect(&*partial);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, 1);
    ++framesPartial_;
  }
  const bool drawn = !hooks.draw || hooks.draw();
  if (partial) device->SetRenderState(D3DRS_SCISSORTESTENABLE, 0);
  if (!drawn) {
    frameInvalid_ = true;
    return false;
  }
  const bool presented = EndFrame(partial ? &*partial : nullptr);
  if (!presented || state != DeviceState::Ok) frameInvalid_ = true;
  return presented;
}
