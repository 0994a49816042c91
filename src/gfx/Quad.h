#pragma once
// A textured quad: everything on screen is one. The owner writes the wanted
// state (rectangle, texture coordinates, corner colours, 2D transform, user
// matrix, texture name, colour mode); Update turns it into four screen corners
// and a snapshot, and Draw draws the snapshot as two triangles.
#include <array>
#include <cstdint>
#include <string>

#include "platform/gpu/D3DX.h"

class CBaseD3D;

namespace tav {

struct QuadPoint {
  float x = 0;
  float y = 0;
};

// Corner order everywhere: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
using QuadCorners = std::array<QuadPoint, 4>;

// Colour modes of a quad, each a pixel shader.
enum QuadMode : int32_t { kModeDefault = 0, kModeNegative = 1, kModeMonochrome = 2, kModeSepia = 3 };

class _CQuad {
 public:
  virtual ~_CQuad() = default;
  virtual bool DetectShaders() = 0;
  virtual bool Draw() = 0;
  virtual void Update() = 0;
  virtual void FitToTexture() = 0;

  QuadCorners corners{};  // screen positions in back-buffer pixels, written by Update
  QuadCorners localCorners{};
  QuadCorners uvs{};
  std::array<D3DCOLOR, 4> colours{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  float angle = 0;  // radians
  QuadPoint rotationCentre{};
  D3DXVECTOR3 rotationAxis{0, 0, 1};
  QuadPoint translation{};
  QuadPoint scale{1, 1};
  QuadPoint scaleCentre{};
  D3DXMATRIX matrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  std::wstring textureName;
  int32_t mode = kModeDefault;
};

class CQuad : public _CQuad {
 public:
  // What Update froze for Draw.
  struct Snapshot {
    QuadCorners localCorners{};
    QuadCorners uvs{};
    std::array<D3DCOLOR, 4> colours{};
    float angle = 0;
    QuadPoint rotationCentre{};
    D3DXVECTOR3 rotationAxis{0, 0, 1};
    QuadPoint translation{};
    QuadPoint scale{1, 1};
    QuadPoint scaleCentre{};
    D3DXMATRIX matrix{};
    std::wstring textureName;
  };

  CQuad() = default;
  explicit CQuad(CBaseD3D* d3d) : device(d3d) {}

  // Stores the device; a non-empty name becomes the texture and sizes the
  // quad to it. The quad is usable afterwards.
  bool Attach(const std::wstring& name, CBaseD3D* d3d);
  // Shaders when the device runs vertex shaders above 1.0 and pixel shaders
  // of 2.0 or later; otherwise the pre-transformed fixed-function path.
  bool DetectShaders() override;
  // Draws the last Update's snapshot; false when the draw call failed.
  bool Draw() override;
  void Update() override;
  // Sizes the quad to the image part of its texture; nothing when the texture
  // is not in the store.
  void FitToTexture() override;

  void SetTextureName(const std::wstring& name);
  // Shows image `name`, fitting the quad to it, unless it shows it already.
  void ShowImage(const std::wstring& name) {
    if (textureName != name) SetTextureName(name);
  }
  void SetMatrix(const float values[16]);
  QuadCorners GetCorners() const { return corners; }
  // Inclusive test against the corners' bounds taken per side; exact for an
  // unrotated quad, and false for a NaN coordinate.
  static bool HitTest(const QuadCorners& quad, float x, float y);
  // The same test for a point in the configured screen space, which `scale`
  // (back-buffer size over configured size) stretches onto the back buffer
  // where the corners lie.
  bool Contains(float x, float y, QuadPoint scale) const;

  Snapshot snapshot;
  std::wstring vertexShaderName;
  std::wstring pixelShaderName;
  CBaseD3D* device = nullptr;
  bool useShaders = false;

 private:
  bool DrawWithShaders(IDirect3DDevice9* d3dDevice, const uint16_t* indices);
  bool DrawFixedFunction(IDirect3DDevice9* d3dDevice, const uint16_t* indices);
};

// The pixel-shader name of a colour mode; unknown modes draw as the default.
const wchar_t* PixelShaderForMode(int32_t mode);

}  // namespace tav
