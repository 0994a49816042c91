// Drawing a quad's snapshot: binds only what differs from the device's record
// of the last draw, then one user-pointer draw of two triangles.
#include <algorithm>
#include <cmath>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "gfx/Quad.h"

namespace tav {
namespace {

constexpr DWORD kPretransformedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The vertex of the quad shaders: 36 bytes.
struct ShaderVertex {
  float x, y, z;
  float r, g, b, a;
  float u, v;
};
static_assert(sizeof(ShaderVertex) == 36);

// The pre-transformed vertex of the fixed-function path: 28 bytes.
struct FixedVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};
static_assert(sizeof(FixedVertex) == 28);

float Channel(D3DCOLOR colour, int shift) { return float((colour >> shift) & 0xFF) / 255.0f; }

// The quad's two triangles from four vertices of `stride` bytes.
bool DrawTriangles(IDirect3DDevice9* device, const uint16_t* indices, const void* vertices, UINT stride) {
  HRESULT hr = device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, vertices, stride);
  if (FAILED(hr)) {
    LogHResult(hr, L"DrawIndexedPrimitiveUP");
    return false;
  }
  return true;
}

bool Whole(float value) { return std::fabs(value - std::round(value)) < 1e-3f; }

// Whether the quad shows its texels one to one on whole pixels, unrotated and
// unscaled: every pixel centre then falls on a texel centre, where linear
// filtering (of any mip-map level: the level is 0) gives the texel itself.
bool TexelsOnPixels(const QuadCorners& corners, const QuadCorners& uvs, float textureWidth, float textureHeight) {
  const bool square = corners[0].y == corners[1].y && corners[2].y == corners[3].y && corners[0].x == corners[2].x &&
                      corners[1].x == corners[3].x && uvs[0].y == uvs[1].y && uvs[2].y == uvs[3].y &&
                      uvs[0].x == uvs[2].x && uvs[1].x == uvs[3].x;
  if (!square) return false;
  const float width = corners[1].x - corners[0].x, height = corners[2].y - corners[0].y;
  const float texelsAcross = (uvs[1].x - uvs[0].x) * textureWidth;
  const float texelsDown = (uvs[2].y - uvs[0].y) * textureHeight;
  return width > 0 && height > 0 && std::fabs(texelsAcross - width) < 1e-3f &&
         std::fabs(texelsDown - height) < 1e-3f && Whole(corners[0].x) && Whole(corners[0].y) &&
         Whole(uvs[0].x * textureWidth) && Whole(uvs[0].y * textureHeight);
}

}  // namespace

bool CQuad::Draw() {
  if (!device || !device->Device()) return false;
  if (device->probe) {
    // What this draw would show, instead of drawing it.
    CFrameProbe& probe = *device->probe;
    probe.AddValue(corners);
    probe.AddValue(snapshot.uvs);
    probe.AddValue(snapshot.colours);
    probe.Add(snapshot.textureName.data(), snapshot.textureName.size() * sizeof(wchar_t));
    probe.AddValue(device->GetTexture(snapshot.textureName));
    probe.Add(pixelShaderName.data(), pixelShaderName.size() * sizeof(wchar_t));
    probe.AddValue(useShaders);
    float left = corners[0].x, top = corners[0].y, right = left, bottom = top;
    for (const QuadPoint& c : corners) {
      left = std::min(left, c.x);
      top = std::min(top, c.y);
      right = std::max(right, c.x);
      bottom = std::max(bottom, c.y);
    }
    probe.EndDraw(left, top, right, bottom);
    return true;
  }
  IDirect3DDevice9* d3dDevice = device->Device();
  DrawStateRecord& record = device->drawState;
  IDirect3DTexture9* texture = device->GetTexture(snapshot.textureName);
  if (record.textureName != snapshot.textureName) {
    d3dDevice->SetTexture(0, texture);
    record.textureName = snapshot.textureName;
  }
  // Point sampling where it gives the same pixels as linear filtering: it is
  // much cheaper where the rasteriser runs on the CPU. A single texel (the
  // white default texture under fades and plain quads) filters to itself
  // however it is stretched.
  D3DSURFACE_DESC desc{};
  const bool exact = texture && SUCCEEDED(texture->GetLevelDesc(0, &desc)) &&
                     ((desc.Width == 1 && desc.Height == 1) ||
                      TexelsOnPixels(corners, snapshot.uvs, float(desc.Width), float(desc.Height)));
  const int filter = exact ? DrawStateRecord::kPointFilter : DrawStateRecord::kLinearFilter;
  if (record.filter != filter) {
    d3dDevice->SetSamplerState(0, D3DSAMP_MINFILTER, exact ? D3DTEXF_POINT : D3DTEXF_LINEAR);
    d3dDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, exact ? D3DTEXF_POINT : D3DTEXF_LINEAR);
    d3dDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, exact ? D3DTEXF_NONE : D3DTEXF_LINEAR);
    record.filter = filter;
  }
  static const uint16_t kIndices[6] = {0, 2, 1, 1, 2, 3};
  // A game without the quad shaders among its resources still shows its
  // pictures, through the fixed-function path, instead of failing every draw.
  const bool shadersThere =
      device->vertexShaders.Find(vertexShaderName) && device->pixelShaders.Find(pixelShaderName);
  return useShaders && shadersThere ? DrawWithShaders(d3dDevice, kIndices) : DrawFixedFunction(d3dDevice, kIndices);
}

bool CQuad::DrawWithShaders(IDirect3DDevice9* d3dDevice, const uint16_t* indices) {
  DrawStateRecord& record = device->drawState;
  if (record.vertexShaderName != vertexShaderName) {
    auto* entry = device->vertexShaders.Find(vertexShaderName);
    const CBaseD3D::VertexShader* shader = entry ? entry->get() : nullptr;
    d3dDevice->SetVertexShader(shader ? shader->shader.get() : nullptr);
    d3dDevice->SetVertexDeclaration(shader ? shader->declaration.get() : nullptr);
    record.vertexShaderName = vertexShaderName;
    record.fvf = 0;  // a declaration replaces the vertex format
  }
  if (record.pixelShaderName != pixelShaderName) {
    auto* entry = device->pixelShaders.Find(pixelShaderName);
    d3dDevice->SetPixelShader(entry ? entry->get() : nullptr);
    record.pixelShaderName = pixelShaderName;
  }
  const float halfWidth = float(device->present.BackBufferWidth) / 2.0f;
  const float halfHeight = float(device->present.BackBufferHeight) / 2.0f;
  ShaderVertex vertices[4];
  for (size_t i = 0; i < 4; ++i) {
    const D3DCOLOR c = snapshot.colours[i];
    vertices[i] = {(corners[i].x - 0.5f) / halfWidth - 1.0f,
                   1.0f - (corners[i].y - 0.5f) / halfHeight,
                   0.0f,
                   Channel(c, 16),
                   Channel(c, 8),
                   Channel(c, 0),
                   Channel(c, 24),
                   snapshot.uvs[i].x,
                   snapshot.uvs[i].y};
  }
  return DrawTriangles(d3dDevice, indices, vertices, sizeof(ShaderVertex));
}

bool CQuad::DrawFixedFunction(IDirect3DDevice9* d3dDevice, const uint16_t* indices) {
  DrawStateRecord& record = device->drawState;
  if (record.fvf != kPretransformedFvf) {
    d3dDevice->SetFVF(kPretransformedFvf);
    record.fvf = kPretransformedFvf;
    // The vertex format replaces the declaration: a quad drawn with the
    // shaders afterwards must bind its own again.
    record.vertexShaderName.clear();
  }
  FixedVertex vertices[4];
  for (size_t i = 0; i < 4; ++i)
    vertices[i] = {corners[i].x - 0.5f, corners[i].y - 0.5f, 0.0f, 1.0f,
                   snapshot.colours[i], snapshot.uvs[i].x,   snapshot.uvs[i].y};
  return DrawTriangles(d3dDevice, indices, vertices, sizeof(FixedVertex));
}

}  // namespace tav
