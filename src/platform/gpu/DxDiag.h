#pragma once
// The diagnostics provider the device set-up asks whether the graphics debug
// runtime is active. Here the answer is whether the OpenGL context is a debug
// context. The calls mirror the original so that each failing step is logged
// under its own name.
#include <functional>

#include "platform/gpu/D3D9.h"

struct DXDIAG_INIT_PARAMS {
  DWORD dwSize = 16;
  DWORD dwDxDiagHeaderVersion = 111;
  BOOL bAllowWHQLChecks = 1;
  void* pReserved = nullptr;
};

enum VARTYPE : uint16_t { VT_EMPTY = 0, VT_BOOL = 11 };
struct VARIANT {
  VARTYPE vt = VT_EMPTY;
  bool boolVal = false;
};

class IDxDiagContainer : public IUnknown {
 public:
  virtual HRESULT GetChildContainer(const wchar_t* name, IDxDiagContainer** child) = 0;
  virtual HRESULT GetProp(const wchar_t* name, VARIANT* value) = 0;
};

class IDxDiagProvider : public IUnknown {
 public:
  virtual HRESULT Initialize(DXDIAG_INIT_PARAMS* params) = 0;
  virtual HRESULT GetRootContainer(IDxDiagContainer** root) = 0;
};

namespace tav::gpu {

// Per-thread library initialisation of the original; kept so that its failure
// can be exercised.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Creates the diagnostics provider.
HRESULT CoCreateDxDiagProvider(IDxDiagProvider** provider);

// Tests replace the provider (or make its creation fail); empty restores it.
void InstallDxDiagFactory(std::function<HRESULT(IDxDiagProvider**)> factory);
// Tests make CoInitialize fail with this result; S_OK restores it.
void SetCoInitializeResult(HRESULT hr);

}  // namespace tav::gpu
