// The HLSL shaders of the game, compiled once when the device is made. Quads
// pick their vertex and pixel shaders by name; shaders survive device resets.
#include <cstring>
#include <exception>
#include <string>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"
#include "platform/gpu/D3DX.h"
#include "platform/os/Locale.h"
#include "res/Stores.h"

using tav::LogHResult;

namespace {

constexpr DWORD kCompileFlags = D3DXSHADER_OPTIMIZATION_LEVEL3 | D3DXSHADER_PARTIALPRECISION |
                                D3DXSHADER_PACKMATRIX_COLUMNMAJOR | D3DXSHADER_SKIPVALIDATION;

// Position, colour and texture coordinate: 36 bytes.
constexpr D3DVERTEXELEMENT9 kQuadDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 28, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

// Position, normal and texture coordinate: 32 bytes.
constexpr D3DVERTEXELEMENT9 kMeshDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

struct ShaderRow {
  const wchar_t* file;
  bool vertex;
  const wchar_t* name;
  const char* entryPoint;
  const D3DVERTEXELEMENT9* declaration;
};

constexpr ShaderRow kShaderTable[] = {
    {L"QUAD_DEFAULT.hlsl", true, L"QUAD_DEFAULT", "VS", kQuadDeclaration},
    {L"QUAD_DEFAULT.hlsl", false, L"QUAD_DEFAULT", "PS", nullptr},
    {L"QUAD_DEFAULT.hlsl", false, L"QUAD_NEGA", "PS_NEGA", nullptr},
    {L"QUAD_DEFAULT.hlsl", false, L"QUAD_MONO", "PS_MONO", nullptr},
    {L"QUAD_DEFAULT.hlsl", false, L"QUAD_SEPIA", "PS_SEPIA", nullptr},
    {L"PHONG_STATIC.hlsl", true, L"MESH_STATIC_PHONG", "VS", kMeshDeclaration},
    {L"PHONG_STATIC.hlsl", false, L"MESH_PHONG", "PS", nullptr},
    {L"QUAD3D_DEFAULT.hlsl", true, L"QUAD_3D_DEFAULT", "VS", kQuadDeclaration},
    {L"QUAD3D_DEFAULT.hlsl", false, L"QUAD_3D_DEFAULT", "PS", nullptr},
};

constexpr const wchar_t* kSourceFiles[] = {L"QUAD_DEFAULT.hlsl", L"PHONG_STATIC.hlsl", L"QUAD3D_DEFAULT.hlsl"};

// Compiles one entry point; on failure logs the compiler's own messages.
std::shared_ptr<ID3DXBuffer> Compile(const char* source, UINT count, const char* entryPoint, const char* profile) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* errors = nullptr;
  HRESULT hr = D3DXCompileShader(source, count, nullptr, nullptr, entryPoint, profile, kCompileFlags, &code, &errors,
                                 nullptr);
  auto heldCode = tav::AdoptDeviceObject(code);
  auto heldErrors = tav::AdoptDeviceObject(errors);
  if (FAILED(hr) || !code) {
    std::string text = "D3DXCompileShader";
    if (errors && errors->GetBufferSize() > 0)
      text.assign(static_cast<const char*>(errors->GetBufferPointer()),
                  strnlen(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize()));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::wstring wide;
    if (!tav::os::MultiByteToWide(text, wide)) wide = L"D3DXCompileShader";
    LogHResult(FAILED(hr) ? hr : E_FAIL, wide);
    return nullptr;
  }
  return heldCode;
}

}  // namespace

bool CBaseD3D::CompileShaders() {
  // Devices without these versions draw quads through the fixed-function path.
  if (caps.VertexShaderVersion < D3DVS_VERSION(1, 1) || caps.PixelShaderVersion < D3DPS_VERSION(2, 0)) return true;
  const char* vertexProfile = D3DXGetVertexShaderProfile(device.get());
  const char* pixelProfile = D3DXGetPixelShaderProfile(device.get());

  for (const wchar_t* file : kSourceFiles) {
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;
    if (!tav::ResStore().Get(tav::ResKey(std::wstring(L"HLSL\\") + file), &bytes, &count)) continue;
    const char* source = reinterpret_cast<const char*>(bytes);
    for (const ShaderRow& row : kShaderTable) {
      if (std::wstring_view(row.file) != file) continue;
      bool ok = row.vertex ? CompileVertexShader(row.declaration, source, count, vertexProfile, row.name)
                           : CompilePixelShader(row.entryPoint, pixelProfile, source, count, row.name);
      if (!ok) return false;
    }
  }
  return true;
}

bool CBaseD3D::CompileVertexShader(const D3DVERTEXELEMENT9* declaration, const char* source, UINT count,
                                   const char* profile, const std::wstring& name) {
  try {
    auto code = Compile(source, count, "VS", profile);
    if (!code) return false;
    IDirect3DVertexShader9* shader = nullptr;
    HRESULT hr = device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &shader);
    if (FAILED(hr) || !shader) {
      LogHResult(hr, L"CreateVertexShader");
      return false;
    }
    auto record = std::make_shared<VertexShader>();
    record->shader = tav::AdoptDeviceObject(shader);
    IDirect3DVertexDeclaration9* decl = nullptr;
    hr = device->CreateVertexDeclaration(declaration, &decl);
    if (FAILED(hr) || !decl) {
      LogHResult(hr, L"CreateVertexDeclaration");
      return false;
    }
    record->declaration = tav::AdoptDeviceObject(decl);
    return vertexShaders.Insert(name, std::move(record));
  } catch (const std::exception& e) {
    tav::LogException(e.what());
    return false;
  }
}

bool CBaseD3D::CompilePixelShader(const char* entryPoint, const char* profile, const char* source, UINT count,
                                  const std::wstring& name) {
  try {
    auto code = Compile(source, count, entryPoint, profile);
    if (!code) return false;
    IDirect3DPixelShader9* shader = nullptr;
    HRESULT hr = device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &shader);
    if (FAILED(hr) || !shader) {
      LogHResult(hr, L"CreatePixelShader");
      return false;
    }
    return pixelShaders.Insert(name, tav::AdoptDeviceObject(shader));
  } catch (const std::exception& e) {
    tav::LogException(e.what());
    return false;
  }
}
