#pragma once
// Showing part of a window's back buffer without swapping the whole window,
// where the window system offers it: on X11 through GLX_MESA_copy_sub_buffer.
// A frame that changed in a small rectangle then costs a copy of that
// rectangle instead of a copy of the window, both here and in the X server.
#include <SDL.h>

namespace tav::gpu::gl {

class SubBufferCopy {
 public:
  // Looks the call up for `window`, whose OpenGL context is current. Without
  // it (another window system, EGL, no extension) Available stays false.
  void Attach(SDL_Window* window);
  bool Available() const { return copy_ != nullptr; }
  // Copies the rectangle (lower-left corner x, y in window pixels, as OpenGL
  // counts) from the back buffer to the screen; it flushes OpenGL first.
  void Copy(int x, int y, int width, int height) const;

 private:
  void (*copy_)() = nullptr;  // glXCopySubBufferMESA
  void* display_ = nullptr;
  unsigned long drawable_ = 0;
};

}  // namespace tav::gpu::gl
