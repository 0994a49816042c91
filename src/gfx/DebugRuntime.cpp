// The debug-runtime question asked while choosing presentation parameters. The
// diagnostics provider wants a thread of its own with its own library
// initialisation, so the caller waits for that thread.
#include <system_error>
#include <thread>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"
#include "platform/gpu/DxDiag.h"

namespace {

bool AskProvider() {
  IDxDiagProvider* rawProvider = nullptr;
  HRESULT hr = tav::gpu::CoCreateDxDiagProvider(&rawProvider);
  if (FAILED(hr) || !rawProvider) {
    tav::LogHResult(hr, L"CoCreateInstance");
    return false;
  }
  auto provider = tav::AdoptDeviceObject(rawProvider);
  DXDIAG_INIT_PARAMS params;
  hr = provider->Initialize(&params);
  if (FAILED(hr)) {
    tav::LogHResult(hr, L"Initialize");
    return false;
  }
  IDxDiagContainer* rawRoot = nullptr;
  hr = provider->GetRootContainer(&rawRoot);
  if (FAILED(hr) || !rawRoot) {
    tav::LogHResult(hr, L"GetRootContainer");
    return false;
  }
  auto root = tav::AdoptDeviceObject(rawRoot);
  IDxDiagContainer* rawSystem = nullptr;
  hr = root->GetChildContainer(L"DxDiag_SystemInfo", &rawSystem);
  if (FAILED(hr) || !rawSystem) {
    tav::LogHResult(hr, L"GetChildContainer");
    return false;
  }
  auto system = tav::AdoptDeviceObject(rawSystem);
  VARIANT value;
  hr = system->GetProp(L"bIsD3DDebugRuntime", &value);
  if (FAILED(hr)) {
    tav::LogHResult(hr, L"GetProp");
    return false;
  }
  return value.vt == VT_BOOL && value.boolVal;
}

}  // namespace

bool CBaseD3D::QueryDebugRuntime(bool& active) {
  active = false;
  bool answer = false;
  try {
    std::thread worker([&answer] {
      if (FAILED(tav::gpu::CoInitialize(nullptr))) return;
      answer = AskProvider();
      tav::gpu::CoUninitialize();
    });
    worker.join();
  } catch (const std::system_error&) {
    return false;
  }
  active = answer;
  return true;
}
