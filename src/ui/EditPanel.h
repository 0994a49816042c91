#pragma once
// The edit panel: a strip on the right edge with which the player collects
// scenes into a playlist, plays it in a loop and, while it plays, shows the
// picture in one of four colour modes. Tab or the middle button shows and
// hides it; its buttons act 100 ms after they are pressed.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Quad.h"
#include "scenario/SceneData.h"

class CBaseD3D;

namespace tav {
class CGame;

// What one frame of the panel reads.
struct PanelFrameInput {
  QuadPoint mouse;        // configured screen space
  QuadPoint scale{1, 1};  // the window's size over the configured size
  bool active = false;    // the game window is the active window
  bool leftEdge = false;  // the left button went down this frame
  bool leftDown = false;
  bool windowDrag = false;   // the message window is being dragged
  bool callRunning = false;  // add waits until a call has ended
  bool shaders = false;      // the device draws quads through the colour-mode shaders
  const SceneData* scene = nullptr;  // the current scene and its index
  int32_t sceneIndex = -1;
  uint32_t now = 0;
};

class CEditPanel {
 public:
  enum Button : size_t { kAdd, kClear, kPlay, kForward, kBack, kNormal, kNegative, kMonochrome, kSepia, kButtons };
  static constexpr size_t kShownEntries = 20;

  explicit CEditPanel(CGame& game) : game_(game) {}
  // Attaches the strip and its buttons for a screen of `width` x `height`.
  void Attach(int32_t width, int32_t height);

  // Tab or the middle button (the caller tells whether it may show the panel).
  void Toggle();
  bool Shown() const { return shown_; }
  // One frame while shown. True when play has just begun: the caller then
  // changes the scene at once, to the playlist's first scene.
  bool Frame(const PanelFrameInput& in);
  // The hover flag lets go once the button is up and 100 ms have passed.
  void Settle(bool leftDown, uint32_t now);
  void Draw();

  // Whether a click at `mouse` belongs to the panel rather than the scene.
  bool Covers(QuadPoint mouse) const;

  // Appends scene `index` (labelled with its first 7 characters). False,
  // with the playlist emptied, when memory runs out.
  bool Add(int32_t index, const SceneData& scene);
  void Clear();
  // The playlist read back from the settings: each entry as added.
  void Restore(const std::vector<int32_t>& scenes, const std::vector<SceneData>& table);

  bool Playing() const { return playing_; }
  void StopPlaying() { playing_ = false; }
  // The scene that follows in the playlist, wrapping after its last entry.
  int32_t NextScene();
  // The colour mode the scene is drawn in: back to normal while not playing.
  int32_t ColourMode();
  // The mode the scene is shown in, without changing anything.
  int32_t ModeShown() const { return playing_ ? colourMode_ : 0; }

  std::vector<int32_t> Scenes() const;
  std::vector<std::wstring> Labels() const;
  int32_t ListScroll() const { return scroll_; }
  int32_t Position() const { return position_; }
  bool Hovering() const { return hovering_; }

  // The first 7 characters of the scene's message rows.
  static std::wstring LabelOf(const SceneData& scene);

  CQuad strip;
  std::array<CQuad, kButtons> buttons;

 private:
  struct Entry {
    int32_t scene = -1;
    std::wstring label;
    std::shared_ptr<CQuad> text, back;
  };
  bool Usable(size_t button, const PanelFrameInput& in) const;
  void Show(size_t button, int state);
  void Act(size_t button, const PanelFrameInput& in, bool& playBegan);
  void LayOut(QuadPoint scale);

  CGame& game_;
  float width_ = 0, height_ = 0;
  std::vector<Entry> entries_;
  int32_t scroll_ = 0;
  int32_t lastAdded_ = -1;
  bool playing_ = false;
  int32_t position_ = 0;
  int32_t colourMode_ = 0;
  bool shown_ = false;
  uint32_t pending_ = 0;  // one bit per button
  bool hovering_ = false;
  uint32_t hoverTime_ = 0;
};

}  // namespace tav
