#pragma once
// The part of a device its resources share: the OpenGL context and the list of
// live resources. Resources keep the core (not the device) alive, so they may
// be released in any order. When the device goes, it deletes the OpenGL objects
// of every resource still alive and marks the core dead; those resources then
// answer calls that need OpenGL with D3DERR_INVALIDCALL and free only memory
// when released.
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gpu/D3D9Types.h"

namespace tav::gpu::gl {

class CoreResource;

class Core {
 public:
  Core(HWND window, SDL_GLContext context) : window_(window), context_(context) {}
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;

  bool Alive() const { return context_ != nullptr; }
  // Makes the context current on the device window. False when the device is
  // gone or its window was destroyed: no OpenGL call may follow then.
  // Resources call this before they touch OpenGL, so it first lets the device
  // issue the draws it holds back and forget the OpenGL state it assumes:
  // what a resource changes then comes after those draws, as it was called.
  bool MakeCurrent() const;
  // The same for the device's own calls, which keep their draws batched.
  bool MakeCurrentForDevice() const;
  // What MakeCurrent runs first; empty to stop.
  void SetBeforeOthers(std::function<void()> hook) { beforeOthers_ = std::move(hook); }
  HWND Window() const { return window_; }
  // Makes the context current on another window (present into another
  // window); false when it cannot be.
  bool MakeCurrentOn(SDL_Window* window) const;
  // Moves the device to another window for good.
  bool MoveTo(HWND window);

  void Register(CoreResource* resource);
  void Unregister(CoreResource* resource);
  // Default-pool resources the application made; Reset needs none alive.
  int DefaultPoolLive() const { return defaultPoolLive_; }
  void AddDefaultPool(int delta) { defaultPoolLive_ += delta; }

  // Reads rows of a colour image (texture level) into memory, first row first.
  // Uses the core's scratch framebuffer; the caller rebinds its own after.
  HRESULT ReadColour(unsigned texture, int level, const RECT& area, unsigned format, unsigned type, void* bits,
                     UINT pitch, UINT bytesPerTexel);
  // Fills a colour image with one colour (the content of new render targets).
  HRESULT ClearColour(unsigned texture, int level, float r, float g, float b, float a);

  // Linked programs of the programmable path, by (vertex, pixel) shader id.
  struct Program {
    unsigned name = 0;
    int posFixup = -1;  // location of the position-fixup uniform
    // The fix-up last given to the uniform; a new link starts without one.
    mutable float fixupWidth = 0, fixupHeight = 0;
  };
  using ProgramKey = std::pair<uint64_t, uint64_t>;
  std::map<ProgramKey, Program>& Programs() { return programs_; }
  // Deletes the programs a shader that is going was linked into.
  void ForgetShader(uint64_t id);
  uint64_t NextShaderId() { return ++lastShaderId_; }

  // Called by the device as it goes: frees the OpenGL objects of the resources
  // left, then the context. Without a window to make the context current on,
  // the objects go with the context.
  void Shutdown();

 private:
  HWND window_;
  SDL_GLContext context_;
  std::function<void()> beforeOthers_;
  std::vector<CoreResource*> resources_;
  int defaultPoolLive_ = 0;
  unsigned scratchFbo_ = 0;
  std::map<ProgramKey, Program> programs_;
  uint64_t lastShaderId_ = 0;
  bool BindScratch(unsigned target, unsigned texture, int level);
};

// A resource that owns OpenGL objects. It registers with the core while alive.
class CoreResource {
 public:
  CoreResource(std::shared_ptr<Core> core, D3DPOOL pool, bool countsAsDefaultPool);
  virtual ~CoreResource();
  CoreResource(const CoreResource&) = delete;
  CoreResource& operator=(const CoreResource&) = delete;

  const std::shared_ptr<Core>& GetCore() const { return core_; }
  // Deletes the resource's OpenGL objects; the context is current.
  virtual void DropGl() = 0;

 protected:
  // For the destructor of the concrete class: drops the OpenGL objects if the
  // core still lives (DropGl cannot be reached from this base's destructor).
  void ReleaseGl();

 private:
  std::shared_ptr<Core> core_;
  bool countsAsDefaultPool_;
};

}  // namespace tav::gpu::gl
