// The few matrix helpers of the library that the engine uses.
#include <cmath>

#include "platform/gpu/D3DX.h"

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  const float length = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
  // A zero vector stays zero rather than turning into NaNs.
  if (length == 0.0f)
    *out = {0, 0, 0};
  else
    *out = {v->x / length, v->y / length, v->z / length};
  return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
  D3DXVECTOR3 n;
  D3DXVec3Normalize(&n, axis);
  const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  *out = {{{t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0},
           {t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0},
           {t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0},
           {0, 0, 0, 1}}};
  return out;
}
