#pragma once
// A Direct3D 9 double for tests: a device in memory whose capabilities, formats
// and results are set by the test, and which records what the engine asked of
// it. Constructing a FakeGpu installs it as the graphics module; destroying it
// restores the real backend.
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/gpu/D3D9.h"

namespace tav::fake {

struct FakeGpuState;

class FakeGpu {
 public:
  FakeGpu();
  ~FakeGpu();
  FakeGpu(const FakeGpu&) = delete;
  FakeGpu& operator=(const FakeGpu&) = delete;

  // The module then lacks the Direct3DCreate9Ex entry point.
  void WithholdEx() { module_.Direct3DCreate9Ex = nullptr; }

  // Knobs, read when the engine calls.
  D3DCAPS9 caps;            // a capable card unless changed
  D3DDISPLAYMODE mode{1920, 1080, 60, D3DFMT_X8R8G8B8};
  std::set<D3DFORMAT> depthFormats{D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16};
  std::set<D3DFORMAT> textureFormats{D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                                     D3DFMT_A4R4G4B4, D3DFMT_L8,       D3DFMT_A8,     D3DFMT_A8L8,
                                     D3DFMT_DXT1,     D3DFMT_DXT3,     D3DFMT_DXT5};
  std::set<D3DFORMAT> renderTargetFormats{D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                                          D3DFMT_A4R4G4B4};
  bool autoGenMipmap = true;

  // The next calls named `call` ("CreateDeviceEx", "PresentEx", "ResetEx",
  // "CheckDeviceState", "TestCooperativeLevel", "CreateTexture", ...) return
  // these results in turn; afterwards they behave normally.
  void Script(const std::string& call, std::initializer_list<HRESULT> results);

  // What happened, one line per call of interest ("CreateDeviceEx 30 0x50",
  // "PresentEx", "ResetEx", "Clear 0x3", "BeginScene", "DrawIndexedPrimitiveUP",
  // "CreateTexture 800x600 ...").
  const std::vector<std::string>& Calls() const;
  void ClearCalls();
  // Benchmarks switch the call record off so that it costs nothing.
  void SetRecording(bool on);
  size_t Count(const std::string& prefix) const;
  // Default-pool textures and surfaces alive (a reset fails while any is).
  int LiveDefaultResources() const;
  // Presentation parameters of the last successful creation or reset.
  D3DPRESENT_PARAMETERS LastParams() const;
  // Render states, sampler states and stage states as last set on the device.
  DWORD RenderState(D3DRENDERSTATETYPE state) const;
  DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const;
  // The vertex bytes of the last draw call inside a scene.
  const std::vector<uint8_t>& LastVertices() const;

  std::shared_ptr<FakeGpuState> state;

 private:
  gpu::D3D9Module module_;
};

}  // namespace tav::fake
