#pragma once
// How each Direct3D format is stored in OpenGL and laid out in memory.
#include <cstddef>

#include "platform/gpu/D3D9Types.h"
#include "platform/gpu/gl/GlApi.h"

namespace tav::gpu::gl {

struct FormatInfo {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  GLenum internalFormat = 0;
  GLenum glFormat = 0;  // transfer format and type of uncompressed data
  GLenum glType = 0;
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
  UINT bytesPerTexel = 0;  // uncompressed formats
  UINT blockBytes = 0;     // block-compressed formats: bytes per 4x4 block
  bool renderTarget = false;
  bool noAlpha = false;  // X8R8G8B8: alpha always reads as one
  bool Compressed() const { return blockBytes != 0; }
};

// Null for a format the device cannot make a texture of (compressed ones only
// when `s3tc`).
const FormatInfo* TextureFormat(D3DFORMAT format, bool s3tc);

// Depth-stencil formats.
struct DepthFormatInfo {
  GLenum internalFormat = 0;
  bool stencil = false;
};
const DepthFormatInfo* DepthFormat(D3DFORMAT format);

// Formats a device can present: the back buffer and display formats.
bool IsDisplayFormat(D3DFORMAT format);

// Bytes of one row (of texels, or of 4x4 blocks) and the number of such rows.
UINT RowPitch(const FormatInfo& info, UINT width);
UINT RowCount(const FormatInfo& info, UINT height);
inline size_t LevelBytes(const FormatInfo& info, UINT width, UINT height) {
  return size_t(RowPitch(info, width)) * RowCount(info, height);
}

// The answer of CheckDeviceFormat.
HRESULT CheckFormat(D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format, bool s3tc);

}  // namespace tav::gpu::gl
