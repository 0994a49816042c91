#pragma once
// The OpenGL 4.1 core entry points. The vendor-neutral OpenGL library exports
// every core function and dispatches to whichever context is current, so the
// prototypes can be used directly, through EGL and GLX alike.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>

#include "platform/os/ResultCodes.h"

namespace tav::gpu::gl {

// The S3TC block formats (an extension, so not in the core header).
inline constexpr GLenum kCompressedDxt1 = 0x83F1;  // RGBA, one bit of alpha
inline constexpr GLenum kCompressedDxt3 = 0x83F2;
inline constexpr GLenum kCompressedDxt5 = 0x83F3;

// Forgets errors left by earlier calls, so the next check sees only its own.
inline void DrainGlErrors() {
  for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

// The result code for the errors raised since the last drain: S_OK when none,
// out-of-video-memory for an allocation failure, invalid call otherwise.
inline HRESULT GlErrorResult() {
  HRESULT hr = S_OK;
  for (int i = 0; i < 32; ++i) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) break;
    if (error == GL_OUT_OF_MEMORY)
      hr = D3DERR_OUTOFVIDEOMEMORY;
    else if (hr == S_OK)
      hr = D3DERR_INVALIDCALL;
  }
  return hr;
}

}  // namespace tav::gpu::gl
