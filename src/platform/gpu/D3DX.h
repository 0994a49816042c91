#pragma once
// The D3DX substitute: image files into textures, texture requirements and
// fills, and HLSL compilation, with the operation names and result codes of the
// original library.
#include <cstddef>

#include "platform/gpu/D3D9.h"

// Image file formats.
enum D3DXIMAGE_FILEFORMAT : uint32_t {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8,
};

struct D3DXIMAGE_INFO {
  UINT Width = 0;
  UINT Height = 0;
  UINT Depth = 1;
  UINT MipLevels = 1;
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  D3DRESOURCETYPE ResourceType = D3DRTYPE_TEXTURE;
  D3DXIMAGE_FILEFORMAT ImageFileFormat = D3DXIFF_BMP;
};

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFF;
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;

// Shader compile flags.
constexpr DWORD D3DXSHADER_SKIPVALIDATION = 0x2;
constexpr DWORD D3DXSHADER_PACKMATRIX_COLUMNMAJOR = 0x10;
constexpr DWORD D3DXSHADER_PARTIALPRECISION = 0x20;
constexpr DWORD D3DXSHADER_OPTIMIZATION_LEVEL3 = 0x8000;

struct D3DXVECTOR2 {
  float x, y;
};
struct D3DXVECTOR3 {
  float x, y, z;
};
struct D3DXVECTOR4 {
  float x, y, z, w;
};

// Row-major 4 x 4 matrix; vectors multiply as rows on the left.
struct D3DXMATRIX {
  float m[4][4];
};

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// Rotation by `angle` radians about `axis` (normalised here), clockwise when
// looking down the axis towards the origin, as a row-vector matrix.
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);

// A block of bytes handed out by the library (compiled code, error text).
class ID3DXBuffer : public IUnknown {
 public:
  virtual void* GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};

// Called once per texel with the texel's centre in texture coordinates and the
// texel's size; writes the texel's colour (r, g, b, a in 0..1) to `out`.
using LPD3DXFILL2D = void (*)(D3DXVECTOR4* out, const D3DXVECTOR2* texCoord, const D3DXVECTOR2* texelSize,
                              void* data);

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info);

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                            void* palette, IDirect3DTexture9** texture);

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* mipLevels,
                                     DWORD usage, D3DFORMAT* format, D3DPOOL pool);

HRESULT D3DXFillTexture(IDirect3DTexture9* texture, LPD3DXFILL2D function, void* data);

// "vs_3_0" / "ps_3_0" and lower, from the device's shader versions.
const char* D3DXGetVertexShaderProfile(IDirect3DDevice9* device);
const char* D3DXGetPixelShaderProfile(IDirect3DDevice9* device);

struct D3DXMACRO {
  const char* Name;
  const char* Definition;
};

// HLSL (Direct3D 9 dialect) to the compiled form of platform/gpu/ShaderCode.h.
// On failure `errors` (when given) receives the compiler's messages as text.
HRESULT D3DXCompileShader(const char* source, UINT length, const D3DXMACRO* defines, void* include,
                          const char* entryPoint, const char* profile, DWORD flags, ID3DXBuffer** code,
                          ID3DXBuffer** errors, void* constantTable);
