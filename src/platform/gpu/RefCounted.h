#pragma once
// Reference counting for the objects of the graphics substitute.
#include <atomic>

#include "platform/gpu/D3D9Types.h"

namespace tav::gpu {

template <typename Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ~RefCounted() override = default;

 private:
  std::atomic<ULONG> refs_{1};
};

// Points `slot` at `value`, holding a reference to the new object and giving
// back the one to the old.
template <typename T>
void Rebind(T*& slot, T* value) {
  if (value) value->AddRef();
  if (slot) slot->Release();
  slot = value;
}

}  // namespace tav::gpu
