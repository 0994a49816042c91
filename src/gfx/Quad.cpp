#include "gfx/Quad.h"

#include <cstring>

#include "gfx/BaseD3D.h"

namespace tav {

const wchar_t* PixelShaderForMode(int32_t mode) {
  switch (mode) {
    case kModeNegative:
      return L"QUAD_NEGA";
    case kModeMonochrome:
      return L"QUAD_MONO";
    case kModeSepia:
      return L"QUAD_SEPIA";
    default:
      return L"QUAD_DEFAULT";
  }
}

bool CQuad::Attach(const std::wstring& name, CBaseD3D* d3d) {
  device = d3d;
  if (!name.empty()) {
    textureName = name;
    FitToTexture();
  }
  return DetectShaders();
}

bool CQuad::DetectShaders() {
  useShaders = device && device->caps.VertexShaderVersion > D3DVS_VERSION(1, 0) &&
               device->caps.PixelShaderVersion >= D3DPS_VERSION(2, 0);
  return true;
}

void CQuad::FitToTexture() {
  if (!device) return;
  IDirect3DTexture9* texture = device->GetTexture(textureName);
  const TextureSize* size = device->GetTextureSize(textureName);
  D3DSURFACE_DESC desc{};
  if (!texture || !size || FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0) return;
  localCorners = {{{0, 0}, {size->imageWidth, 0}, {0, size->imageHeight}, {size->imageWidth, size->imageHeight}}};
  const float u = size->width / float(desc.Width), v = size->height / float(desc.Height);
  uvs = {{{0, 0}, {u, 0}, {0, v}, {u, v}}};
}

void CQuad::SetTextureName(const std::wstring& name) {
  textureName = name;
  FitToTexture();
}

void CQuad::SetMatrix(const float values[16]) { std::memcpy(matrix.m, values, sizeof matrix.m); }

void CQuad::Update() {
  snapshot = {localCorners, uvs,         colours, angle,  rotationCentre, rotationAxis,
              translation,  scale,       scaleCentre, matrix, textureName};
  vertexShaderName = L"QUAD_DEFAULT";
  pixelShaderName = PixelShaderForMode(mode);

  // Most quads are not rotated: skip the trigonometry for them.
  D3DXMATRIX rotation{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  if (angle != 0.0f) D3DXMatrixRotationAxis(&rotation, &rotationAxis, angle);
  const auto& r = rotation.m;
  const auto& m = matrix.m;
  for (size_t i = 0; i < 4; ++i) {
    float x = localCorners[i].x + translation.x;
    float y = localCorners[i].y + translation.y;
    x = (x - scaleCentre.x) * scale.x + scaleCentre.x;
    y = (y - scaleCentre.y) * scale.y + scaleCentre.y;
    // The corner lies in the z = 0 plane; a tilted axis still gives it depth.
    const float cx = x - rotationCentre.x, cy = y - rotationCentre.y;
    x = cx * r[0][0] + cy * r[1][0] + rotationCentre.x;
    y = cx * r[0][1] + cy * r[1][1] + rotationCentre.y;
    const float z = cx * r[0][2] + cy * r[1][2];
    corners[i] = {x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0],
                  x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1]};
  }
}

bool CQuad::Contains(float x, float y, QuadPoint scale) const {
  QuadCorners configured = corners;
  for (QuadPoint& corner : configured) {
    if (scale.x > 0) corner.x /= scale.x;
    if (scale.y > 0) corner.y /= scale.y;
  }
  return HitTest(configured, x, y);
}

bool CQuad::HitTest(const QuadCorners& c, float x, float y) {
  return x >= c[0].x && y >= c[0].y && x <= c[1].x && y >= c[1].y && x >= c[2].x && y <= c[2].y && x <= c[3].x &&
         y <= c[3].y;
}

}  // namespace tav
