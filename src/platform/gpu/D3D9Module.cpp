#include <atomic>

#include "platform/gpu/D3D9.h"
#include "platform/gpu/gl/GlModule.h"

namespace tav::gpu {

namespace {
std::atomic<const D3D9Module*> installed{nullptr};
}

const D3D9Module* LoadD3D9() {
  if (const D3D9Module* module = installed.load()) return module;
  return gl::GlD3D9Module();
}

void InstallD3D9Module(const D3D9Module* module) { installed.store(module); }

}  // namespace tav::gpu
