#pragma once
// Draws that share every state, joined into one OpenGL draw, and the buffers
// they are drawn from.
//
// The device appends draws of triangle lists while no state changes; any
// change issues the batch first. Primitives of one draw are rasterised in
// order, so the joined draw blends exactly as the separate draws would.
//
// Each batch of a frame is drawn from the buffers kept for its position in the
// frame. A batch whose vertices and indices equal those drawn at the same
// position in the last frame is drawn without uploading anything; a still
// scene uploads nothing at all.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gpu/D3D9Types.h"
#include "platform/gpu/gl/GlApi.h"

namespace tav::gpu::gl {

class StateCache;

// One vertex attribute as glVertexAttribPointer takes it.
struct VertexAttribute {
  GLuint location;
  GLint size;
  GLenum type;
  GLboolean normalised;
  UINT offset;
  bool operator==(const VertexAttribute&) const = default;
};

struct VertexLayout {
  UINT stride = 0;
  std::vector<VertexAttribute> attributes;
  bool operator==(const VertexLayout&) const = default;
};

class DrawBatch {
 public:
  // Indices and vertices a batch may grow to before it is issued.
  static constexpr uint64_t kMaxIndices = uint64_t(1) << 20;
  static constexpr uint64_t kMaxVertexBytes = uint64_t(1) << 24;

  bool Empty() const { return indices_.empty(); }
  // Whether a draw of `mode` with `vertexBytes` of `stride`-byte vertices and
  // `count` indices may join the batch (an empty batch takes anything).
  bool Accepts(GLenum mode, UINT stride, uint64_t vertexBytes, uint64_t count) const;
  // Copies vertices [first, first + numVertices) and the indices, rebased
  // onto the copy.
  void Append(GLenum mode, const void* vertices, UINT first, UINT numVertices, UINT stride, const void* indices,
              uint64_t count, bool wide);
  void Clear();

  GLenum Mode() const { return mode_; }
  UINT Stride() const { return stride_; }
  GLsizei Count() const { return GLsizei(indices_.size()); }

 private:
  friend class StreamBuffers;
  GLenum mode_ = GL_TRIANGLES;
  UINT stride_ = 0;
  std::vector<BYTE> vertices_;
  std::vector<uint32_t> indices_;
};

class StreamBuffers {
 public:
  // Creates nothing yet; Drop deletes what was made (the context is current).
  void Drop();
  // The next batch is the first of a frame.
  void NewFrame() { next_ = 0; }
  // Binds the vertex array of the batch's position with `layout`, uploading
  // what differs from what it holds (everything when `alwaysUpload`). The
  // batch keeps its capacity but not its contents. Counts calls and bytes.
  void Bind(DrawBatch& batch, const VertexLayout& layout, bool alwaysUpload, StateCache& state, uint64_t& uploads,
            uint64_t& uploadedBytes);

 private:
  struct Slot {
    GLuint array = 0, vertexBuffer = 0, indexBuffer = 0;
    std::vector<BYTE> vertices;
    std::vector<uint32_t> indices;
    VertexLayout layout;
    bool uploaded = false;
  };
  // Positions beyond this share the last slot.
  static constexpr size_t kMaxSlots = 1024;
  std::vector<Slot> slots_;
  size_t next_ = 0;
};

}  // namespace tav::gpu::gl
