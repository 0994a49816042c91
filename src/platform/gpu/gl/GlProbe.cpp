#include "platform/gpu/gl/GlProbe.h"

#include <SDL.h>

#include <cstring>
#include <mutex>

#include "platform/gpu/gl/GlApi.h"
#include "platform/os/Window.h"

namespace tav::gpu::gl {

namespace {

AdapterInfo ProbeOnce() {
  AdapterInfo info;
  if (!os::StartVideo()) return info;
  // The OpenGL library stays loaded from here on: otherwise it is unloaded
  // with the last OpenGL window and its driver loaded anew for every device.
  if (SDL_GL_LoadLibrary(nullptr) != 0) return info;
  os::PrepareOpenGLAttributes();
  // Whatever context the caller had stays current afterwards.
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) return info;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context) {
    GLint major = 0, minor = 0, profile = 0, flags = 0, maxSize = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    GLint extensions = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &extensions);
    for (GLint i = 0; i < extensions; ++i) {
      const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, GLuint(i)));
      if (name && std::strcmp(name, "GL_EXT_texture_compression_s3tc") == 0) info.s3tc = true;
    }
    bool core = (profile & GL_CONTEXT_CORE_PROFILE_BIT) != 0;
    info.available = core && (major > 4 || (major == 4 && minor >= 1)) && maxSize > 0;
    info.maxTextureSize = maxSize;
    info.debugContext = (flags & GL_CONTEXT_FLAG_DEBUG_BIT) != 0;
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context);
  }
  SDL_DestroyWindow(window);
  if (previousContext) SDL_GL_MakeCurrent(previousWindow, previousContext);
  return info;
}

}  // namespace

const AdapterInfo& Adapter() {
  static std::once_flag once;
  static AdapterInfo info;
  std::call_once(once, [] { info = ProbeOnce(); });
  return info;
}

}  // namespace tav::gpu::gl
