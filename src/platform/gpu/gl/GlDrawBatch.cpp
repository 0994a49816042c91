#include "platform/gpu/gl/GlDrawBatch.h"

#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/GlStateCache.h"

namespace tav::gpu::gl {

bool DrawBatch::Accepts(GLenum mode, UINT stride, uint64_t vertexBytes, uint64_t count) const {
  if (Empty()) return true;
  return mode == GL_TRIANGLES && mode_ == GL_TRIANGLES && stride == stride_ &&
         indices_.size() + count <= kMaxIndices && vertices_.size() + vertexBytes <= kMaxVertexBytes;
}

void DrawBatch::Append(GLenum mode, const void* vertices, UINT first, UINT numVertices, UINT stride,
                       const void* indices, uint64_t count, bool wide) {
  mode_ = mode;
  stride_ = stride;
  const uint32_t base = uint32_t(vertices_.size() / stride);
  const BYTE* from = static_cast<const BYTE*>(vertices) + uint64_t(first) * stride;
  vertices_.insert(vertices_.end(), from, from + uint64_t(numVertices) * stride);
  // The indices were checked to lie in [first, first + numVertices).
  const size_t start = indices_.size();
  indices_.resize(start + count);
  uint32_t* out = indices_.data() + start;
  if (wide) {
    const uint32_t* in = static_cast<const uint32_t*>(indices);
    for (uint64_t i = 0; i < count; ++i) out[i] = in[i] - first + base;
  } else {
    const uint16_t* in = static_cast<const uint16_t*>(indices);
    for (uint64_t i = 0; i < count; ++i) out[i] = uint32_t(in[i]) - first + base;
  }
}

void DrawBatch::Clear() {
  vertices_.clear();
  indices_.clear();
}

void StreamBuffers::Drop() {
  for (Slot& slot : slots_) {
    glDeleteVertexArrays(1, &slot.array);
    glDeleteBuffers(1, &slot.vertexBuffer);
    glDeleteBuffers(1, &slot.indexBuffer);
  }
  slots_.clear();
  next_ = 0;
}

void StreamBuffers::Bind(DrawBatch& batch, const VertexLayout& layout, bool alwaysUpload, StateCache& state,
                         uint64_t& uploads, uint64_t& uploadedBytes) {
  const size_t position = std::min(next_++, kMaxSlots - 1);
  if (position >= slots_.size()) {
    slots_.emplace_back();
    Slot& made = slots_.back();
    glGenVertexArrays(1, &made.array);
    glGenBuffers(1, &made.vertexBuffer);
    glGenBuffers(1, &made.indexBuffer);
    state.BindVertexArray(made.array);
    // The index buffer binding belongs to the vertex array.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, made.indexBuffer);
    state.Count();
  }
  Slot& slot = slots_[position];
  state.BindVertexArray(slot.array);
  const bool sameVertices = !alwaysUpload && slot.uploaded && slot.vertices == batch.vertices_;
  const bool sameIndices = !alwaysUpload && slot.uploaded && slot.indices == batch.indices_;
  if (!sameVertices || slot.layout != layout) {
    glBindBuffer(GL_ARRAY_BUFFER, slot.vertexBuffer);
    state.Count();
  }
  if (!sameVertices) {
    // New storage each time: the driver orphans the old contents instead of
    // waiting for draws still reading them.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(batch.vertices_.size()), batch.vertices_.data(), GL_STREAM_DRAW);
    ++uploads;
    uploadedBytes += batch.vertices_.size();
    std::swap(slot.vertices, batch.vertices_);
  }
  if (!sameIndices) {
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(batch.indices_.size() * sizeof(uint32_t)),
                 batch.indices_.data(), GL_STREAM_DRAW);
    ++uploads;
    uploadedBytes += batch.indices_.size() * sizeof(uint32_t);
    std::swap(slot.indices, batch.indices_);
  }
  if (slot.layout != layout) {
    for (const VertexAttribute& a : slot.layout.attributes) glDisableVertexAttribArray(a.location);
    for (const VertexAttribute& a : layout.attributes) {
      glEnableVertexAttribArray(a.location);
      glVertexAttribPointer(a.location, a.size, a.type, a.normalised, GLsizei(layout.stride),
                            reinterpret_cast<const void*>(uintptr_t(a.offset)));
    }
    state.Count(slot.layout.attributes.size() + 2 * layout.attributes.size());
    slot.layout = layout;
  }
  slot.uploaded = true;
  batch.Clear();
}

}  // namespace tav::gpu::gl
