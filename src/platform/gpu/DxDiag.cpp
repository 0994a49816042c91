#include "platform/gpu/DxDiag.h"

#include <cwchar>
#include <mutex>

#include "platform/gpu/RefCounted.h"
#include "platform/gpu/gl/GlModule.h"

namespace tav::gpu {

namespace {

std::mutex factoryMutex;
std::function<HRESULT(IDxDiagProvider**)> factory;
std::atomic<HRESULT> coInitializeResult{S_OK};

class Container final : public RefCounted<IDxDiagContainer> {
 public:
  explicit Container(bool root) : root_(root) {}
  HRESULT GetChildContainer(const wchar_t* name, IDxDiagContainer** child) override {
    if (!child) return E_POINTER;
    if (!root_ || !name || std::wcscmp(name, L"DxDiag_SystemInfo") != 0) return E_INVALIDARG;
    *child = new Container(false);
    return S_OK;
  }
  HRESULT GetProp(const wchar_t* name, VARIANT* value) override {
    if (!value) return E_POINTER;
    if (root_ || !name || std::wcscmp(name, L"bIsD3DDebugRuntime") != 0) return E_INVALIDARG;
    value->vt = VT_BOOL;
    value->boolVal = gl::DebugContextActive();
    return S_OK;
  }

 private:
  bool root_;
};

class Provider final : public RefCounted<IDxDiagProvider> {
 public:
  HRESULT Initialize(DXDIAG_INIT_PARAMS* params) override {
    if (!params || params->dwSize != sizeof(DWORD) * 4) return E_INVALIDARG;
    initialised_ = true;
    return S_OK;
  }
  HRESULT GetRootContainer(IDxDiagContainer** root) override {
    if (!root) return E_POINTER;
    if (!initialised_) return CO_E_NOTINITIALIZED;
    *root = new Container(true);
    return S_OK;
  }

 private:
  bool initialised_ = false;
};

}  // namespace

HRESULT CoInitialize(void*) { return coInitializeResult.load(); }
void CoUninitialize() {}

HRESULT CoCreateDxDiagProvider(IDxDiagProvider** provider) {
  if (!provider) return E_POINTER;
  {
    std::lock_guard lock(factoryMutex);
    if (factory) return factory(provider);
  }
  *provider = new Provider;
  return S_OK;
}

void InstallDxDiagFactory(std::function<HRESULT(IDxDiagProvider**)> f) {
  std::lock_guard lock(factoryMutex);
  factory = std::move(f);
}

void SetCoInitializeResult(HRESULT hr) { coInitializeResult.store(hr); }

}  // namespace tav::gpu
