#pragma once
// The device of the game window: creation with its fallbacks, the frame's clear
// and present, loss and reset, and the named stores of everything that lives on
// the device (textures, surfaces, shaders), which must be dropped and rebuilt
// around a reset.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gfx/FrameProbe.h"
#include "gfx/NamedStore.h"
#include "gfx/Restore.h"
#include "platform/gpu/D3D9.h"

namespace tav {

// The process-wide Direct3D object (an IDirect3D9Ex when `ex`).
extern std::shared_ptr<IDirect3D9> direct3D;
// True while the Ex interface is in use, for the object and the device alike.
extern bool ex;

// Names `EngineFolderName`, loads the resource archive and creates the
// Direct3D object, preferring the Ex interface.
bool CreateDirect3D(const std::wstring& engineName);

enum class DeviceState { Ok = 0, Lost = 1, Failed = 2 };

// Image size and the part of a power-of-two texture it covers.
struct TextureSize {
  float width = 0;
  float height = 0;
  float imageWidth = 0;
  float imageHeight = 0;
};

// What re-creates an image texture after a reset. The bytes belong to ResStore.
struct TextureRestoreRecord {
  const uint8_t* bytes = nullptr;
  uint32_t count = 0;
  DWORD usage = 0;
};

// What quads last bound, so that redundant binds are skipped.
struct DrawStateRecord {
  std::wstring textureName;
  std::wstring secondName;
  std::wstring vertexShaderName;
  std::wstring pixelShaderName;
  DWORD fvf = 0;
  // The texture filtering quads last set; linear is what the render states
  // start with.
  static constexpr int kLinearFilter = 0, kPointFilter = 1;
  int filter = kLinearFilter;
  std::array<std::array<float, 16>, 3> matrices = {Identity(), Identity(), Identity()};

  static std::array<float, 16> Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }
};

}  // namespace tav

class CBaseD3D {
 public:
  struct VertexShader {
    std::shared_ptr<IDirect3DVertexShader9> shader;
    std::shared_ptr<IDirect3DVertexDeclaration9> declaration;
  };

  // What the game object lends the per-frame step: its registry of restorable
  // objects (in registry order), the routine to run after a reset, and the
  // scene's update and draw.
  struct FrameHooks {
    std::function<std::vector<CRestore*>()> restorables;
    std::function<bool()> afterReset;
    std::function<bool()> update;
    std::function<bool()> draw;
    // Whether `draw` draws only through quads, so that a probe can tell a
    // frame that looks like the one on screen; such a frame is then neither
    // drawn nor presented.
    bool skipUnchanged = false;
  };

  CBaseD3D() = default;
  CBaseD3D(const CBaseD3D&) = delete;
  CBaseD3D& operator=(const CBaseD3D&) = delete;
  ~CBaseD3D();

  bool InitDevice(HWND window, UINT width, UINT height, bool windowed);
  void BuildPresentParams();
  bool ReadDisplayModeEx();
  // Asks, on a thread of its own, whether the graphics debug runtime is active.
  // False when the thread could not run; step failures leave `active` false.
  bool QueryDebugRuntime(bool& active);

  // Clears the whole target, or only `area` when given.
  void BeginFrame(const RECT* area = nullptr);
  // False only when the device has failed for good. `changed`, when given,
  // is all that differs from the frame presented before.
  bool EndFrame(const RECT* changed = nullptr);

  bool BeginRenderToTexture(IDirect3DTexture9* texture, IDirect3DSurface9* depthSurface,
                            const D3DVIEWPORT9* viewport);
  // Into "DefaultRenderTargetTex" with "DefaultRenderTargetSurface".
  bool BeginRenderToTexture();
  void EndRenderToTexture();

  bool ReleaseForReset(const std::vector<CRestore*>& restorables);
  bool RestoreAfterReset(const std::vector<CRestore*>& restorables, const std::function<bool()>& afterReset);

  // The device half of the game object's frame.
  bool RunFrame(HWND window, const FrameHooks& hooks);

  // Textures and surfaces by name (Textures.cpp).
  bool LoadTextureFromMemory(const std::wstring& name, const uint8_t* bytes, uint32_t count, DWORD usage);
  bool CreateNamedTexture(const std::wstring& name, UINT width, UINT height, DWORD usage);
  bool CreateNamedDepthSurface(UINT width, UINT height, D3DFORMAT format);
  bool CreateDefaultResources();
  bool RestoreFileTextures();
  IDirect3DTexture9* GetTexture(const std::wstring& name);
  const tav::TextureSize* GetTextureSize(const std::wstring& name) const;
  bool EraseTexture(const std::wstring& name);

  // Shaders by name (Shaders.cpp).
  bool CompileShaders();
  bool CompileVertexShader(const D3DVERTEXELEMENT9* declaration, const char* source, UINT count,
                           const char* profile, const std::wstring& name);
  bool CompilePixelShader(const char* entryPoint, const char* profile, const char* source, UINT count,
                          const std::wstring& name);

  IDirect3DDevice9* Device() const { return device.get(); }
  IDirect3DDevice9Ex* DeviceEx() const { return static_cast<IDirect3DDevice9Ex*>(device.get()); }
  tav::DeviceState State() const { return state; }

  // Fields, in the order the device's life needs them.
  std::shared_ptr<IDirect3DDevice9> device;
  std::shared_ptr<IDirect3DSurface9> savedBackBuffer;
  std::shared_ptr<IDirect3DSurface9> savedDepthSurface;
  D3DPRESENT_PARAMETERS present{};
  D3DCAPS9 caps{};
  D3DDISPLAYMODE displayMode{};
  D3DDISPLAYMODEEX fullscreenMode{};
  D3DDISPLAYROTATION rotation = D3DDISPLAYROTATION_IDENTITY;
  DWORD clearFlags = D3DCLEAR_TARGET;
  D3DCOLOR clearColour = 0;
  float clearZ = 1.0f;
  DWORD clearStencil = 0;
  D3DVIEWPORT9 viewport{};
  UINT windowWidth = 0;
  UINT windowHeight = 0;
  UINT backBufferCount = 3;
  tav::DeviceState state = tav::DeviceState::Ok;
  // What the last Reset or ResetEx returned. A failure that names neither a
  // lost nor a failed device leaves the state as it was, yet the device did
  // not take the new parameters.
  HRESULT lastReset = S_OK;

  tav::NamedStore<tav::TextureRestoreRecord> restoreRecords;
  tav::NamedStore<std::shared_ptr<IDirect3DTexture9>> textures;
  tav::NamedStore<std::shared_ptr<IDirect3DSurface9>> surfaces;
  tav::NamedStore<tav::TextureSize> textureSizes;
  tav::NamedStore<std::shared_ptr<VertexShader>> vertexShaders;
  tav::NamedStore<std::shared_ptr<IDirect3DPixelShader9>> pixelShaders;
  std::vector<CRestore*> ownRestorables;
  tav::DrawStateRecord drawState;

  // Set while a frame is being probed rather than drawn (FrameProbe.h).
  tav::CFrameProbe* probe = nullptr;
  // Raised whenever a texture's contents may have changed under the same
  // object, and folded into every probe.
  uint64_t contentGeneration = 0;
  // The next frame is drawn and presented even if it looks unchanged (the
  // window was uncovered, the device was reset, a present failed).
  void InvalidateFrame() { frameInvalid_ = true; }
  uint64_t FramesSkipped() const { return framesSkipped_; }
  uint64_t FramesDrawnInPart() const { return framesPartial_; }

 private:
  bool frameInvalid_ = true;
  uint64_t lastFrame_ = 0, lastHeader_ = 0;
  std::vector<tav::ProbedDraw> lastDraws_;
  uint64_t framesSkipped_ = 0, framesPartial_ = 0;

  bool CreateWithLadder(HWND window, bool windowed, DWORD flags);
  bool RoundTextureSize(UINT& width, UINT& height, tav::TextureSize& size, DWORD& filter) const;
  // `wanted` when the device renders into it, else the first usable fallback.
  D3DFORMAT RenderTargetFormat(D3DFORMAT wanted) const;
  void ApplyResult(HRESULT hr, bool exPath, const wchar_t* call, bool& failed);
};
