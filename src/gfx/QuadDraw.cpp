// Drawing a quad's snapshot: binds only what differs from the device's record
// of the last draw, then one user-pointer draw of two triangles.
#include <algorithm>

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
  if (record.textureName != snapshot.textureName) {
    d3dDevice->SetTexture(0, device->GetTexture(snapshot.textureName));
    record.textureName = snapshot.textureName;
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
