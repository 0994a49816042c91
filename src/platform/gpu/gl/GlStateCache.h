#pragma once
// The OpenGL state the device last set, so that a draw issues only the calls
// that change something. Each remembered value is valid for one generation:
// Forget starts a new one, after which every value is set again. The device
// forgets whenever code other than its own may have touched OpenGL (resources
// binding textures to upload them, the scratch framebuffer, linking).
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/gpu/gl/GlApi.h"

namespace tav::gpu::gl {

class StateCache {
 public:
  static constexpr int kUnits = 16;

  void Forget() { ++generation_; }
  // OpenGL calls that changed state since the device was made.
  uint64_t Changes() const { return changes_; }
  // For state set outside this cache that still counts (uniforms, uploads).
  void Count(uint64_t calls = 1) { changes_ += calls; }

  void Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
  void DepthRange(float nearZ, float farZ);
  void Enable(GLenum capability, bool on);
  void Scissor(GLint x, GLint y, GLsizei width, GLsizei height);
  void ColourMask(bool alpha);
  void FrontFace(GLenum mode);
  void CullFace(GLenum mode);
  void DepthFunc(GLenum func);
  void DepthMask(bool on);
  void BlendFunc(GLenum source, GLenum destination);
  void BlendEquation(GLenum mode);
  void UseProgram(GLuint program);
  void BindVertexArray(GLuint array);
  void BindFramebuffer(GLuint framebuffer);
  // Makes `unit` active; binds `texture` there.
  void ActiveTexture(int unit);
  void BindTexture(int unit, GLuint texture);
  // Clearing sets the write masks and the scissor test itself.
  void ForgetMasksAndScissor();

 private:
  template <typename T>
  struct Slot {
    T value{};
    uint64_t generation = 0;  // 0: never valid
  };
  // True (and the value taken) when `value` is not known to be in OpenGL.
  template <typename T>
  bool Changed(Slot<T>& slot, const T& value) {
    if (slot.generation == generation_ && slot.value == value) return false;
    slot.value = value;
    slot.generation = generation_;
    ++changes_;
    return true;
  }

  uint64_t generation_ = 1;
  uint64_t changes_ = 0;
  Slot<std::array<GLint, 4>> viewport_, scissor_;
  Slot<std::array<float, 2>> depthRange_;
  Slot<bool> scissorTest_, stencilTest_, cullFace_, depthTest_, blend_, depthMask_, alphaMask_;
  Slot<GLenum> frontFace_, cullMode_, depthFunc_, blendEquation_;
  Slot<std::array<GLenum, 2>> blendFunc_;
  Slot<GLuint> program_, vertexArray_, framebuffer_;
  Slot<int> activeUnit_;
  std::array<Slot<GLuint>, kUnits> textures_;
};

}  // namespace tav::gpu::gl
