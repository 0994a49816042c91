#pragma once
// A line of text whose characters appear one after another, each fading in
// over its own tween. Every character is a sprite of a text texture.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Tween.h"
#include "gfx/Quad.h"
#include "platform/gpu/D3D9Types.h"
#include "text/Font.h"

class CBaseD3D;

namespace tav::effect {

class CFlowFont {
 public:
  // One sprite per name, each showing the texture of that name, on `d3d`.
  // Replaces whatever the object held; on failure it holds nothing (logged,
  // false).
  bool Create(std::span<const std::wstring> names, CBaseD3D* d3d);

  // Begins the reveal: character 0 at once, each later one `intervalMs` after
  // the update that saw the one before it start.
  void Start(uint32_t intervalMs);

  // Character 0 at `origin`, the others after it left to right by their
  // textures' widths, with a new line after every `charactersPerLine`
  // characters (0: one line) one character height lower.
  void Layout(QuadPoint origin, uint32_t charactersPerLine);

  // Every character in `colour` at once.
  void SetColour(D3DCOLOR colour);
  // Every character fades from `start` to `end` over `durationMs`, each from
  // the moment it starts.
  void SetFade(D3DCOLOR start, D3DCOLOR end, uint32_t durationMs);

  // Starts the characters that are due, then advances the fades of the started
  // ones. Nothing before Start.
  void Update();
  // Draws the characters that have started, in order; false when one failed.
  bool Draw();

  // Starts every character not yet started (the reader asked for the whole
  // text); their fades run from the next Update.
  void ShowAll();

  size_t Count() const { return sprites.size(); }
  bool IsShown(size_t index) const { return index < Count() && started[index] != 0; }
  // True once every character has started.
  bool AllShown() const { return !started.empty() && started.back() != 0; }
  // True once every character has started and finished its fade.
  bool IsFinished() const;

  CBaseD3D* device = nullptr;
  std::vector<std::unique_ptr<CFont>> sprites;
  // One more entry than characters: the last flag is raised when all started.
  std::vector<uint32_t> startTimes;
  std::vector<uint32_t> started;
  std::vector<Tween> tweens;
  std::vector<uint32_t> finishedFlags;
  uint32_t interval = 0;  // milliseconds between characters
};

}  // namespace tav::effect
