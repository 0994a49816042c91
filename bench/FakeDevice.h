#pragma once
// A device on the Direct3D double in a temporary working folder with an empty
// resource archive, for benchmarks of the engine's CPU work.
#include <filesystem>
#include <memory>

#include "gfx/BaseD3D.h"
#include "platform/fake/FakeD3D9.h"

namespace tavbench {

class FakeDevice {
 public:
  FakeDevice(UINT width, UINT height);
  ~FakeDevice();
  FakeDevice(const FakeDevice&) = delete;
  FakeDevice& operator=(const FakeDevice&) = delete;

  bool Ok() const { return ok_; }
  CBaseD3D& Device() { return *d3d_; }

 private:
  std::filesystem::path saved_, dir_;
  std::unique_ptr<tav::fake::FakeGpu> gpu_;
  std::unique_ptr<CBaseD3D> d3d_;
  bool ok_ = false;
};

}  // namespace tavbench
