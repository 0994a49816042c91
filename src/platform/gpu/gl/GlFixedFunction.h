#pragma once
// The built-in program that draws pre-transformed vertices (FVF 0x144:
// x, y, z, rhw, diffuse colour, one texture coordinate) through the cascade of
// texture stages.
#include "platform/gpu/D3D9Types.h"
#include "platform/gpu/gl/GlApi.h"
#include "platform/gpu/gl/GlDrawBatch.h"

namespace tav::gpu::gl {

class StateCache;

inline constexpr DWORD kPretransformedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
inline constexpr UINT kPretransformedStride = 28;
inline constexpr int kFixedStages = 8;

struct StageSetup {
  DWORD colourOp, colourArg1, colourArg2;
  DWORD alphaOp, alphaArg1, alphaArg2;
  bool textured;  // a texture is set on the stage
};

class FixedFunction {
 public:
  // Compiles and links the program (the context is current).
  HRESULT Build();
  // Deletes the program (the context is current).
  void Drop();
  // Makes the program current with the viewport and stage set-up of a draw;
  // uniforms are set only when they change.
  void Use(const D3DVIEWPORT9& viewport, const StageSetup (&stages)[kFixedStages], StateCache& state);
  // The vertex attributes of pre-transformed vertices.
  static VertexLayout Layout(UINT stride);

 private:
  GLuint program_ = 0;
  GLint viewport_ = -1, fixup_ = -1, colourStages_ = -1, alphaStages_ = -1;
  // The uniform values the program holds (only this class sets them).
  bool uniformsSet_ = false;
  D3DVIEWPORT9 lastViewport_{};
  GLint lastColour_[kFixedStages * 4] = {}, lastAlpha_[kFixedStages * 4] = {};
};

}  // namespace tav::gpu::gl
