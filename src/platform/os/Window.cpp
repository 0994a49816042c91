#include "platform/os/Window.h"

#include <SDL.h>

#include "platform/os/Locale.h"
#include "platform/os/WindowRegistry.h"

namespace tav::os {

bool StartVideo() {
  // Closing the last window is a WM_CLOSE for the engine to handle, never a
  // quit event of its own. SDL reads this when the window closes, so it holds
  // even if someone else started the video system.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // SDL would turn SIGINT and SIGTERM into a quit event, which the game takes
  // as its close box and answers with the quit dialog: a signal from the
  // terminal or the session could then never end the game.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void PrepareOpenGLAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

std::wstring SdlErrorText() {
  std::wstring text;
  if (!MultiByteToWide(SDL_GetError(), text)) text = L"unknown SDL error";
  return text;
}

Window* Window::Create(const std::wstring& title, int width, int height, bool visible) {
  if (!StartVideo()) return nullptr;
  PrepareOpenGLAttributes();
  // The OpenGL library stays loaded for the life of the process. SDL would
  // otherwise unload it with the last OpenGL window, dropping the driver's
  // state each time the engine recreates its window.
  static const bool openGlLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
  (void)openGlLoaded;
  Uint32 flags = SDL_WINDOW_OPENGL | (visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
  std::string utf8 = ToUtf8(title);
  SDL_Window* window = SDL_CreateWindow(utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                        flags);
  return window ? new Window(window) : nullptr;
}

std::unique_ptr<Window> Window::Placeholder() { return std::unique_ptr<Window>(new Window(nullptr)); }

Window::~Window() { DestroyNative(); }

void Window::DestroyNative() {
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void Window::GetClientSize(int& width, int& height) const {
  width = height = 0;
  if (window_) SDL_GL_GetDrawableSize(window_, &width, &height);
}

bool Window::IsMinimised() const { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0; }

bool Window::IsHidden() const { return !window_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_HIDDEN) != 0; }

}  // namespace tav::os
