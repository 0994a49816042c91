#include "platform/gpu/gl/GlFormats.h"

namespace tav::gpu::gl {

namespace {

// Every packed format is described by its value as a little word (Direct3D's
// definition), so the reversed packed types of OpenGL read it on any byte order.
const FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 4, 0,
     true, false},
    {D3DFMT_X8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, 4, 0, true,
     true},
    {D3DFMT_R5G6B5, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, 2, 0, true,
     false},
    {D3DFMT_A1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 2,
     0, true, false},
    {D3DFMT_A4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 2, 0,
     true, false},
    {D3DFMT_L8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}, 1, 0, false, false},
    {D3DFMT_A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}, 1, 0, false, false},
    // Luminance in the low byte, alpha in the high byte: bytes L, A.
    {D3DFMT_A8L8, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_GREEN}, 2, 0, false, false},
    {D3DFMT_DXT1, kCompressedDxt1, 0, 0, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 0, 8, false, false},
    {D3DFMT_DXT3, kCompressedDxt3, 0, 0, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 0, 16, false, false},
    {D3DFMT_DXT5, kCompressedDxt5, 0, 0, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 0, 16, false, false},
};

const DepthFormatInfo kD16{GL_DEPTH_COMPONENT16, false};
const DepthFormatInfo kD24X8{GL_DEPTH_COMPONENT24, false};
// 32-bit integer depth is optional for OpenGL renderbuffers; the float format
// is required and holds the same 0..1 range.
const DepthFormatInfo kD32{GL_DEPTH_COMPONENT32F, false};
const DepthFormatInfo kD24S8{GL_DEPTH24_STENCIL8, true};

}  // namespace

const FormatInfo* TextureFormat(D3DFORMAT format, bool s3tc) {
  for (const FormatInfo& info : kFormats)
    if (info.format == format) return (info.Compressed() && !s3tc) ? nullptr : &info;
  return nullptr;
}

const DepthFormatInfo* DepthFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16:
      return &kD16;
    case D3DFMT_D24X8:
      return &kD24X8;
    case D3DFMT_D32:
      return &kD32;
    case D3DFMT_D24S8:
      return &kD24S8;
    default:
      return nullptr;
  }
}

bool IsDisplayFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

UINT RowPitch(const FormatInfo& info, UINT width) {
  if (info.Compressed()) return ((width + 3) / 4) * info.blockBytes;
  return width * info.bytesPerTexel;
}

UINT RowCount(const FormatInfo& info, UINT height) { return info.Compressed() ? (height + 3) / 4 : height; }

HRESULT CheckFormat(D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format, bool s3tc) {
  if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  constexpr DWORD kKnown = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP;
  if (usage & ~kKnown) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    // Depth formats make surfaces only (depth textures are not offered).
    bool ok = usage == D3DUSAGE_DEPTHSTENCIL && type == D3DRTYPE_SURFACE && DepthFormat(format);
    return ok ? S_OK : D3DERR_NOTAVAILABLE;
  }
  const FormatInfo* info = TextureFormat(format, s3tc);
  if (!info) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_RENDERTARGET) && !info->renderTarget) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_AUTOGENMIPMAP) && (info->Compressed() || type != D3DRTYPE_TEXTURE)) return D3DERR_NOTAVAILABLE;
  switch (type) {
    case D3DRTYPE_TEXTURE:
      return S_OK;
    case D3DRTYPE_SURFACE:
      // Plain surfaces are the read-back kind; render-target surfaces come
      // from render-target textures.
      if (usage & D3DUSAGE_RENDERTARGET) return S_OK;
      return (usage == 0 && IsDisplayFormat(format)) ? S_OK : D3DERR_NOTAVAILABLE;
    default:
      return D3DERR_NOTAVAILABLE;
  }
}

}  // namespace tav::gpu::gl
