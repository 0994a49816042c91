#include "platform/gpu/gl/GlCore.h"

#include <algorithm>

#include "platform/gpu/gl/GlApi.h"
#include "platform/os/Window.h"

namespace tav::gpu::gl {

bool Core::MakeCurrent() const {
  if (beforeOthers_ && context_) beforeOthers_();
  return MakeCurrentForDevice();
}

bool Core::MakeCurrentForDevice() const {
  if (!context_) return false;
  SDL_Window* window = window_->Sdl();
  if (!window) return false;
  if (SDL_GL_GetCurrentContext() == context_ && SDL_GL_GetCurrentWindow() == window) return true;
  return SDL_GL_MakeCurrent(window, context_) == 0;
}

bool Core::MakeCurrentOn(SDL_Window* window) const {
  return context_ && SDL_GL_MakeCurrent(window, context_) == 0;
}

bool Core::MoveTo(HWND window) {
  if (!window->Sdl() || !MakeCurrentOn(window->Sdl())) return false;
  window_ = window;
  return true;
}

void Core::Register(CoreResource* resource) { resources_.push_back(resource); }

void Core::Unregister(CoreResource* resource) {
  auto it = std::find(resources_.begin(), resources_.end(), resource);
  if (it != resources_.end()) {
    *it = resources_.back();
    resources_.pop_back();
  }
}

bool Core::BindScratch(unsigned target, unsigned texture, int level) {
  if (!scratchFbo_) glGenFramebuffers(1, &scratchFbo_);
  glBindFramebuffer(target, scratchFbo_);
  glFramebufferTexture2D(target, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
  return glCheckFramebufferStatus(target) == GL_FRAMEBUFFER_COMPLETE;
}

HRESULT Core::ReadColour(unsigned texture, int level, const RECT& area, unsigned format, unsigned type, void* bits,
                         UINT pitch, UINT bytesPerTexel) {
  if (!MakeCurrent()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  if (!BindScratch(GL_READ_FRAMEBUFFER, texture, level)) return D3DERR_INVALIDCALL;
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, GLint(pitch / bytesPerTexel));
  // Rows of a render target are stored top first, so OpenGL's row 0 is the top.
  glReadPixels(area.left, area.top, area.right - area.left, area.bottom - area.top, format, type, bits);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  return GlErrorResult();
}

HRESULT Core::ClearColour(unsigned texture, int level, float r, float g, float b, float a) {
  if (!MakeCurrent()) return D3DERR_INVALIDCALL;
  DrainGlErrors();
  if (!BindScratch(GL_DRAW_FRAMEBUFFER, texture, level)) return D3DERR_INVALIDCALL;
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT);
  return GlErrorResult();
}

void Core::ForgetShader(uint64_t id) {
  for (auto it = programs_.begin(); it != programs_.end();) {
    if (it->first.first == id || it->first.second == id) {
      if (Alive()) glDeleteProgram(it->second.name);
      it = programs_.erase(it);
    } else {
      ++it;
    }
  }
}

void Core::Shutdown() {
  if (!context_) return;
  if (MakeCurrent()) {
    for (CoreResource* resource : resources_) resource->DropGl();
    for (auto& entry : programs_) glDeleteProgram(entry.second.name);
    if (scratchFbo_) glDeleteFramebuffers(1, &scratchFbo_);
    SDL_GL_MakeCurrent(window_->Sdl(), nullptr);
  }
  resources_.clear();
  programs_.clear();
  scratchFbo_ = 0;
  SDL_GL_DeleteContext(context_);
  context_ = nullptr;
}

CoreResource::CoreResource(std::shared_ptr<Core> core, D3DPOOL pool, bool countsAsDefaultPool)
    : core_(std::move(core)), countsAsDefaultPool_(countsAsDefaultPool && pool == D3DPOOL_DEFAULT) {
  // Growing the list may throw; the creating call turns that into E_OUTOFMEMORY.
  core_->Register(this);
  if (countsAsDefaultPool_) core_->AddDefaultPool(1);
}

CoreResource::~CoreResource() {
  if (countsAsDefaultPool_) core_->AddDefaultPool(-1);
  core_->Unregister(this);
}

void CoreResource::ReleaseGl() {
  if (core_->MakeCurrent()) DropGl();
  core_->Unregister(this);
}

}  // namespace tav::gpu::gl
