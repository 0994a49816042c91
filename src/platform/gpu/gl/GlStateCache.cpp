#include "platform/gpu/gl/GlStateCache.h"

namespace tav::gpu::gl {

void StateCache::Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (Changed(viewport_, {x, y, width, height})) glViewport(x, y, width, height);
}

void StateCache::DepthRange(float nearZ, float farZ) {
  if (Changed(depthRange_, {nearZ, farZ})) glDepthRangef(nearZ, farZ);
}

void StateCache::Enable(GLenum capability, bool on) {
  Slot<bool>* slot = nullptr;
  switch (capability) {
    case GL_SCISSOR_TEST:
      slot = &scissorTest_;
      break;
    case GL_STENCIL_TEST:
      slot = &stencilTest_;
      break;
    case GL_CULL_FACE:
      slot = &cullFace_;
      break;
    case GL_DEPTH_TEST:
      slot = &depthTest_;
      break;
    case GL_BLEND:
      slot = &blend_;
      break;
    default:
      ++changes_;
      on ? glEnable(capability) : glDisable(capability);
      return;
  }
  if (Changed(*slot, on)) on ? glEnable(capability) : glDisable(capability);
}

void StateCache::Scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (Changed(scissor_, {x, y, width, height})) glScissor(x, y, width, height);
}

void StateCache::ColourMask(bool alpha) {
  if (Changed(alphaMask_, alpha)) glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, alpha ? GL_TRUE : GL_FALSE);
}

void StateCache::FrontFace(GLenum mode) {
  if (Changed(frontFace_, mode)) glFrontFace(mode);
}

void StateCache::CullFace(GLenum mode) {
  if (Changed(cullMode_, mode)) glCullFace(mode);
}

void StateCache::DepthFunc(GLenum func) {
  if (Changed(depthFunc_, func)) glDepthFunc(func);
}

void StateCache::DepthMask(bool on) {
  if (Changed(depthMask_, on)) glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void StateCache::BlendFunc(GLenum source, GLenum destination) {
  if (Changed(blendFunc_, {source, destination})) glBlendFunc(source, destination);
}

void StateCache::BlendEquation(GLenum mode) {
  if (Changed(blendEquation_, mode)) glBlendEquation(mode);
}

void StateCache::UseProgram(GLuint program) {
  if (Changed(program_, program)) glUseProgram(program);
}

void StateCache::BindVertexArray(GLuint array) {
  if (Changed(vertexArray_, array)) glBindVertexArray(array);
}

void StateCache::BindFramebuffer(GLuint framebuffer) {
  if (Changed(framebuffer_, framebuffer)) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void StateCache::ActiveTexture(int unit) {
  if (Changed(activeUnit_, unit)) glActiveTexture(GLenum(GL_TEXTURE0 + unit));
}

void StateCache::BindTexture(int unit, GLuint texture) {
  if (textures_[size_t(unit)].generation == generation_ && textures_[size_t(unit)].value == texture) return;
  ActiveTexture(unit);
  Changed(textures_[size_t(unit)], texture);
  glBindTexture(GL_TEXTURE_2D, texture);
}

void StateCache::ForgetMasksAndScissor() {
  alphaMask_.generation = depthMask_.generation = scissorTest_.generation = scissor_.generation = 0;
}

}  // namespace tav::gpu::gl
