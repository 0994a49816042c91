#include "platform/gpu/gl/GlSubBufferCopy.h"

#include <SDL_syswm.h>

#include <cstring>

namespace tav::gpu::gl {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
using QueryExtensions = const char* (*)(Display*, int);
using CurrentDrawable = ::Window (*)();
using CopyCall = void (*)(Display*, ::Window, int, int, int, int);

// Whether `name` is a whole word of the space-separated `list`.
bool Listed(const char* list, const char* name) {
  const size_t length = std::strlen(name);
  for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length)
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}
#endif

}  // namespace

void SubBufferCopy::Attach(SDL_Window* window) {
  copy_ = nullptr;
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // Only a GLX context draws into the X window itself; with EGL the
  // current drawable call is missing or answers with another drawable.
  auto query = reinterpret_cast<QueryExtensions>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
  auto current = reinterpret_cast<CurrentDrawable>(SDL_GL_GetProcAddress("glXGetCurrentDrawable"));
  auto copy = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glXCopySubBufferMESA"));
  if (!query || !current || !copy || current() != info.info.x11.window) return;
  const char* extensions = query(info.info.x11.display, DefaultScreen(info.info.x11.display));
  if (!extensions || !Listed(extensions, "GLX_MESA_copy_sub_buffer")) return;
  display_ = info.info.x11.display;
  drawable_ = info.info.x11.window;
  copy_ = copy;
#else
  (void)window;
#endif
}

void SubBufferCopy::Copy(int x, int y, int width, int height) const {
#if defined(SDL_VIDEO_DRIVER_X11)
  if (copy_) reinterpret_cast<CopyCall>(copy_)(static_cast<Display*>(display_), drawable_, x, y, width, height);
#else
  (void)x, (void)y, (void)width, (void)height;
#endif
}

}  // namespace tav::gpu::gl
