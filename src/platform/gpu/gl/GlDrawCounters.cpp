#include "platform/gpu/DrawCounters.h"
#include "platform/gpu/gl/GlDevice.h"

namespace tav::gpu {

bool ReadDrawCounters(IDirect3DDevice9* device, DrawCounters& counters) {
  auto* gl = dynamic_cast<gl::GlDevice*>(device);
  if (!gl) return false;
  counters = gl->Counters();
  return true;
}

bool SetDrawBatching(IDirect3DDevice9* device, bool on) {
  auto* gl = dynamic_cast<gl::GlDevice*>(device);
  if (!gl) return false;
  gl->SetBatching(on);
  return true;
}

}  // namespace tav::gpu
