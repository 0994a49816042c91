#pragma once
// The built-in programs that draw pre-transformed vertices (FVF 0x144:
// x, y, z, rhw, diffuse colour, one texture coordinate) through the cascade of
// texture stages. Each stage set-up in use gets a program of its own with the
// cascade written out, made when first drawn with: a software rasteriser runs
// every branch of a generic cascade for every pixel, which made a line of
// text cost five times what the same line costs as plain textured quads.
#include <map>
#include <string>
#include <vector>

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

// The GLSL of the pixel program for one stage set-up: the stages up to the
// first disabled one, with their operations and arguments written in.
std::string FixedPixelSource(const StageSetup (&stages)[kFixedStages]);

class FixedFunction {
 public:
  // Compiles the shared vertex shader and the program of the default stage
  // set-up (the context is current).
  HRESULT Build();
  // Deletes every program (the context is current).
  void Drop();
  // Makes the program of a draw's stage set-up current with its viewport,
  // making the program first if the set-up is new; its uniforms are set only
  // when they change.
  HRESULT Use(const D3DVIEWPORT9& viewport, const StageSetup (&stages)[kFixedStages], StateCache& state);
  // The vertex attributes of pre-transformed vertices.
  static VertexLayout Layout(UINT stride);
  // How many stage set-ups have a program.
  size_t ProgramCount() const { return programs_.size(); }

 private:
  struct Program {
    GLuint name = 0;
    GLint viewport = -1, fixup = -1;
    // The viewport the program's uniforms hold (only this class sets them).
    bool viewportSet = false;
    D3DVIEWPORT9 lastViewport{};
  };
  HRESULT Make(const StageSetup (&stages)[kFixedStages], Program& program);

  GLuint vertex_ = 0;
  // By the stages' values up to the first disabled stage.
  std::map<std::vector<DWORD>, Program> programs_;
  std::vector<DWORD> key_;  // reused for each draw's look-up
};

}  // namespace tav::gpu::gl
