#pragma once
// Device objects held by shared pointers whose deleter gives back the reference.
#include <memory>

namespace tav {

template <typename T>
std::shared_ptr<T> AdoptDeviceObject(T* object) {
  return std::shared_ptr<T>(object, [](T* p) {
    if (p) p->Release();
  });
}

}  // namespace tav
