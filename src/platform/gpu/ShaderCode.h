#pragma once
// The compiled form of a shader, as the shader compiler produces it and
// CreateVertexShader / CreatePixelShader take it: GLSL 4.10 core source plus how
// the engine's vertex elements and texture stages reach it. It travels as one
// NUL-terminated text, so a pointer to it is a complete argument.
#include <string>
#include <vector>

#include "platform/gpu/D3D9Types.h"

namespace tav::gpu {

struct ShaderInput {
  BYTE usage = 0;       // D3DDECLUSAGE_*
  BYTE usageIndex = 0;  // COLOR0 -> 0, TEXCOORD1 -> 1
  int location = 0;     // the GLSL input location it feeds
};

struct ShaderSampler {
  std::string uniform;  // the GLSL sampler uniform
  int stage = 0;        // the texture stage (register s0 -> 0) it reads
};

struct ShaderCode {
  bool vertex = true;
  std::string glsl;
  std::vector<ShaderInput> inputs;      // vertex shaders
  std::vector<ShaderSampler> samplers;  // pixel shaders (vertex shaders may sample too)
};

// Every vertex shader declares this uniform and ends its main with
// kPositionFixupGlsl. The device sets it to (1 / viewport width, 1 / viewport
// height, 0, 0) before each draw: it moves the Direct3D clip space (z 0..1, row 0
// at the top, pixel centres on integers) to OpenGL's.
inline constexpr const char* kPositionFixupUniform = "tav_PosFixup";
inline constexpr const char* kPositionFixupGlsl =
    "    gl_Position.x += tav_PosFixup.x * gl_Position.w;\n"
    "    gl_Position.y = -gl_Position.y + tav_PosFixup.y * gl_Position.w;\n"
    "    gl_Position.z = gl_Position.z * 2.0 - gl_Position.w;\n";

// The text form, NUL-terminated, padded to whole DWORDs.
std::vector<DWORD> EncodeShaderCode(const ShaderCode& code);
// False when `code` is not a shader in this form.
bool DecodeShaderCode(const DWORD* code, ShaderCode& out);

}  // namespace tav::gpu
