#pragma once
// The backlog screen: the backlog's view page over the running scene, with
// page arrows, a scroll bar, and beside each block a back button (return to
// that scene) and a voice button (hear its line again). It is open while the
// player reads back; the scene below goes on being drawn.
#include <cstdint>
#include <string>

#include "app/Keys.h"
#include "gfx/Quad.h"
#include "scenario/Backlog.h"
#include "ui/DelayedPress.h"

class CBaseD3D;

namespace tav {

// What one frame of the screen reads besides the keys.
struct BacklogFrameInput {
  QuadPoint mouse;                  // the cursor in configured screen space
  QuadPoint scale{1, 1};            // the window's size over the configured size
  bool active = false;              // the game window is the active window
  bool leftEdge = false;            // the left button went down this frame
  bool rightEdge = false;           // the right button went down this frame
  bool callRunning = false;         // back buttons wait until a call has ended
  std::wstring voiceChannel;        // what the scene's voice channel plays
  float voiceVolume = 1.0f;         // the volume a replayed voice gets
  uint32_t now = 0;
};

class CBacklogScreen {
 public:
  // Attaches the arrows, the scroll bar and the shade for a screen of
  // `width` x `height` configured pixels.
  void Attach(CBaseD3D* d3d, int32_t width, int32_t height);

  bool IsOpen() const { return open_; }
  // Opens on the view page where it was left, laid out for a window of
  // `scale` and with its arrows coloured for the pages there are.
  void Open(CBacklog& backlog, QuadPoint scale);
  // Closes, stops the voice the screen plays and forgets any press.
  void Close();

  // One frame while open: hover, presses, keys, wheel, the thumb drag. Takes
  // from `wheel` what it uses. Returns the scene a back button returns to
  // (the screen is then closed), -1 otherwise.
  int32_t Frame(CBacklog& backlog, KeyTable& keys, int32_t& wheel, const BacklogFrameInput& in);
  // The shade, the arrows, the view page's rows and buttons, the scroll bar.
  void Draw(CBacklog& backlog);

  // The view page laid out from its top row, and the thumb placed to match.
  void LayOut(CBacklog& backlog);
  // The page arrows white when they lead somewhere, faint when not.
  void ColourPageArrows(const CBacklog& backlog);

  // The thumb's top and height in configured pixels.
  float ThumbTop() const { return thumb.localCorners[0].y; }
  float ThumbHeight() const { return thumb.localCorners[2].y - thumb.localCorners[0].y; }
  bool Dragging() const { return dragging_; }
  // The voice the screen is playing; empty when none.
  const std::wstring& Voice() const { return voice_; }

  CQuad pageLeft, pageRight, up, down, track, thumb, shade;

 private:
  enum Press : int32_t { kVoice, kBack, kUp, kDown, kLeft, kRight };

  void PlaceThumb(const CBacklog& backlog);
  void Hover(BacklogPage& page, const BacklogFrameInput& in);
  void ShowArrows(const CBacklog& backlog, const BacklogFrameInput& in);
  void ActOnDuePress(CBacklog& backlog, const BacklogFrameInput& in, int32_t& wheel, int32_t& backScene);
  void TakePresses(CBacklog& backlog, KeyTable& keys, const BacklogFrameInput& in);
  void Drag(CBacklog& backlog, KeyTable& keys, const BacklogFrameInput& in);
  void Scroll(CBacklog& backlog, int32_t rows);
  void PlayVoice(const std::wstring& name, const BacklogFrameInput& in);
  void StopVoice();
  void UpdateQuads(CBacklog& backlog, QuadPoint scale);

  int32_t width_ = 0, height_ = 0;
  bool open_ = false;
  std::wstring voice_;
  CDelayedPress press_;
  int32_t pressedButton_ = -1;  // the voice or back button whose press is held
  int32_t hoveredVoice_ = -1, hoveredBack_ = -1;
  bool dragging_ = false;
  QuadPoint dragFrom_{};      // the cursor where the drag last moved the page
  float grabToBottom_ = 0;    // from the grab point down to the thumb's bottom
  float grabToTop_ = 0;       // from the thumb's top down to the grab point
};

}  // namespace tav
