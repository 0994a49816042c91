#pragma once
// The game window over SDL2. A window is made ready for the OpenGL device of
// platform/gpu (OpenGL 4.1 core attributes, no depth buffer of its own: the
// device draws into its own back buffer and copies it in at present).
#include <memory>
#include <string>

struct SDL_Window;

namespace tav::os {

class Window {
 public:
  // Null when the video system or the window cannot be made; the reason is the
  // thread's last error text (LastErrorText).
  static Window* Create(const std::wstring& title, int width, int height, bool visible);
  // A window object with no SDL window behind it: the handle of a window that
  // lives in another process.
  static std::unique_ptr<Window> Placeholder();
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Null once the window was destroyed, and for a placeholder.
  SDL_Window* Sdl() const { return window_; }
  // Size of the drawable area in pixels (0 x 0 without an SDL window).
  void GetClientSize(int& width, int& height) const;
  bool IsMinimised() const;
  bool IsHidden() const;
  // Closes the SDL window; the object stays, so handles to it stay valid
  // addresses and calls through them fail instead of crashing.
  void DestroyNative();

 private:
  explicit Window(SDL_Window* window) : window_(window) {}
  SDL_Window* window_;
};

// Sets the attributes an OpenGL device needs; done before any window or
// context is made. Safe to call more than once.
void PrepareOpenGLAttributes();

// The video system, started once per process. False when it cannot start.
bool StartVideo();

// The last SDL error text, for log lines.
std::wstring SdlErrorText();

}  // namespace tav::os
