#pragma once
// What the HLSL semantics of a shader's inputs and outputs mean here: which
// vertex element feeds a vertex input, and at which GLSL location a value
// passes from the vertex to the pixel stage.
//
// Varyings take their location from their semantic, never from their order,
// so that a pixel shader meets the vertex shader's outputs whatever order
// either declares them in:
//   COLOR0..3      -> 0..3
//   TEXCOORD0..15  -> 4..19
//   NORMAL 20, TANGENT 21, BINORMAL 22, FOG 23, PSIZE 24, BLENDWEIGHT 25,
//   BLENDINDICES 26 (index 0 only)
// A value spanning several locations (a matrix or an array) takes the
// following locations, as it takes the following semantic indices.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gpu/D3D9Types.h"

namespace tav::gpu::d3dx {

struct Semantic {
  std::string name;    // upper case, without the index: "TEXCOORD"
  uint32_t index = 0;  // the trailing number, 0 when there is none
};

// False when the text is empty or its trailing number is out of range.
bool ParseSemantic(std::string_view text, Semantic& out);

// The vertex element (D3DDECLUSAGE_*, usage index) a vertex input with this
// semantic reads. POSITION arrives as SV_POSITION. False for semantics no
// vertex element carries.
bool VertexElementOf(const Semantic& semantic, BYTE& usage, BYTE& usageIndex);

// The location of a varying with this semantic (table above); -1 when the
// semantic cannot pass between stages.
int VaryingLocation(const Semantic& semantic);

// The colour output a pixel shader result with this semantic goes to
// (COLORn, SV_TARGETn -> n for n < 4); -1 otherwise.
int TargetLocation(const Semantic& semantic);

}  // namespace tav::gpu::d3dx
