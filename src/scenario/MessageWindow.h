#pragma once
// The message window: the scene's text revealed glyph by glyph, the speaker's
// name box, the auto mark, their layout around the movable window, and the
// pulse that dims a finished text while it waits for the reader.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Tween.h"
#include "effect/FlowFont.h"
#include "gfx/Quad.h"
#include "scenario/SceneData.h"

namespace tav {
class CGame;

// The picture the window is drawn on: where the scene places it and its size,
// both in configured pixels.
struct WindowFrame {
  QuadPoint home;
  QuadPoint size;
};

class CMessageWindow {
 public:
  // Makes its glyphs in `game`'s text registry and draws on its device.
  explicit CMessageWindow(CGame& game);

  // The auto mark's picture; a skin missing from the archive shows nothing.
  void AttachSkins();

  // Drops the text and the name and stops the pulse.
  void Clear();
  // Builds `scene`'s text (its speaker goes to the name box) revealed at
  // `textSpeed` ms per glyph; with `instantEffects` the glyphs need no fade.
  void Build(const SceneData& scene, uint32_t textSpeed, bool instantEffects);
  // Shows every glyph at once.
  void ShowAll();
  bool AllShown() const;
  // Whether the whole text has appeared (the reveal reached its end once).
  bool Complete() const { return complete_; }

  // One frame: the reveal, then the waiting pulse, which `quiet` (auto, skip
  // or instant effects) holds at full colour.
  void Update(uint32_t now, bool quiet);
  // Places the text, the name box and the auto mark after the window offset
  // for a scene of `rows` message rows, stretched by `scale`.
  void LayOut(size_t rows, QuadPoint scale);
  // Draws the text, the auto mark when `showAuto`, and the name box.
  void Draw(bool showAuto);

  // Moves the window by (dx, dy) from where the last move or drag left it,
  // keeping `frame` on the configured screen. The caller lays out again.
  void Move(float dx, float dy, const WindowFrame& frame);
  // A middle-button drag, fed every frame: `pressed` is the button's press
  // edge, `frame` is null in a scene without the window picture, `over`
  // whether the cursor is on that picture. Returns true when the window moved.
  bool Drag(bool pressed, QuadPoint cursor, const WindowFrame* frame, bool over);
  // Ends a drag where it is; nothing when none runs.
  void EndDrag();
  bool Dragging() const { return dragging_; }
  // Puts the window at `offset` from its home, as a drag that ended there.
  void PlaceAt(QuadPoint offset) { offset_ = base_ = offset; }
  // Draws the text, the name box and the auto mark in colour mode `mode`.
  void SetColourMode(int32_t mode);
  // Puts the window back where a player left it in an earlier run.
  void Restore(QuadPoint base, QuadPoint offset) {
    base_ = base;
    offset_ = offset;
  }
  // Where the window is drawn now and where the last move or drag left it.
  QuadPoint Offset() const { return offset_; }
  QuadPoint BaseOffset() const { return base_; }

  const std::wstring& Text() const { return text_; }      // without the speaker part
  const std::wstring& FullText() const { return full_; }  // every row as written
  const std::wstring& Name() const { return name_; }
  // 0 waiting to dim, 1 dimming, 2 waiting to brighten, 3 brightening.
  int32_t PulsePhase() const { return pulsePhase_; }
  effect::CFlowFont* Flow() const { return flow_.get(); }
  const CQuad& NameBox() const { return nameBox_; }
  const CQuad& AutoMark() const { return autoMark_; }
  // Recomputes the name box's and the auto mark's corners.
  void UpdateQuads();

 private:
  void Colour(D3DCOLOR colour);

  CGame& game_;
  std::shared_ptr<effect::CFlowFont> flow_;
  std::wstring text_, full_, name_;
  CQuad nameBox_;
  CQuad autoMark_;
  bool complete_ = false;
  uint32_t completeTime_ = 0;
  int32_t pulsePhase_ = 0;
  Tween pulse_;
  float pulseValue_ = 255.0f;  // 255 full colour, 0 dark
  QuadPoint offset_{};
  QuadPoint base_{};
  QuadPoint dragStart_{};  // the cursor where a drag began
  bool dragging_ = false;
};

}  // namespace tav
