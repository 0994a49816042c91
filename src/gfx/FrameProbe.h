#pragma once
// A frame's look without drawing it: while a probe is set on the device,
// quads fold what they would draw (where, which texture and shaders, which
// colours) into one number instead of drawing. Two frames with the same
// number look the same, so the second need not be drawn or shown at all.
// Each draw is kept too, with the box it covers, so that a frame in which a
// few draws changed can be drawn again only where they are.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tav {

// One draw of a probed frame: what it shows and the box it covers, in
// back-buffer pixels.
struct ProbedDraw {
  uint64_t look = 0;
  float left = 0, top = 0, right = 0, bottom = 0;
};

class CFrameProbe {
 public:
  // FNV-1a over the bytes, in order: they belong to the draw being probed.
  void Add(const void* bytes, size_t size) { draw_ = Fold(draw_, bytes, size); }
  template <typename T>
  void AddValue(const T& value) {
    Add(&value, sizeof value);
  }
  // Ends a draw covering the given box.
  void EndDraw(float left, float top, float right, float bottom) {
    draws.push_back({draw_, left, top, right, bottom});
    frame_ = Fold(frame_, &draw_, sizeof draw_);
    draw_ = kBasis;
  }
  // What holds for the whole frame (the target's size, texture contents).
  template <typename T>
  void AddFrameValue(const T& value) {
    header_ = Fold(header_, &value, sizeof value);
  }
  uint64_t Value() const { return Fold(frame_, &header_, sizeof header_); }
  uint64_t Header() const { return header_; }

  std::vector<ProbedDraw> draws;

 private:
  static constexpr uint64_t kBasis = 0xCBF29CE484222325ull;
  static uint64_t Fold(uint64_t hash, const void* bytes, size_t size) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 0x100000001B3ull;
    return hash;
  }
  uint64_t draw_ = kBasis, frame_ = kBasis, header_ = kBasis;
};

// The box where two frames of the same draws differ, grown by `margin`
// pixels; false when they are not the same draws one for one.
inline bool ChangedBox(const std::vector<ProbedDraw>& before, const std::vector<ProbedDraw>& after, float margin,
                       ProbedDraw& box) {
  if (before.size() != after.size()) return false;
  bool any = false;
  for (size_t i = 0; i < after.size(); ++i) {
    if (before[i].look == after[i].look && before[i].left == after[i].left && before[i].top == after[i].top &&
        before[i].right == after[i].right && before[i].bottom == after[i].bottom)
      continue;
    for (const ProbedDraw* d : {&before[i], &after[i]}) {
      if (!any) {
        box = *d;
        any = true;
        continue;
      }
      box.left = std::min(box.left, d->left);
      box.top = std::min(box.top, d->top);
      box.right = std::max(box.right, d->right);
      box.bottom = std::max(box.bottom, d->bottom);
    }
  }
  box.left -= margin;
  box.top -= margin;
  box.right += margin;
  box.bottom += margin;
  return any;
}

}  // namespace tav
