#include "ui/BacklogScreen.h"

#include <algorithm>

#include "app/Config.h"
#include "audio/SoundCommands.h"
#include "ui/SkinName.h"

namespace tav {
namespace {

constexpr D3DCOLOR kUsable = 0xFFFFFFFF;
constexpr D3DCOLOR kUnusable = 0x32FFFFFF;   // white at alpha 50
constexpr D3DCOLOR kBeforeUse = 0x64FFFFFF;  // the arrows until the first frame
constexpr D3DCOLOR kShade = 0xAA000000;
constexpr D3DCOLOR kLit = 0xFFFFCC00;        // the block under the cursor
constexpr float kBar = 16;                   // the scroll bar's width and arrows' height

void Colour(const QuadList& quads, D3DCOLOR colour) {
  for (const auto& quad : quads) quad->colours.fill(colour);
}

bool Inside(const CQuad& quad, const BacklogFrameInput& in) { return quad.Contains(in.mouse.x, in.mouse.y, in.scale); }

float RowStep() { return float(config.fontSize + 1); }

// The view page's rows, then its voice and back buttons, from the top row to
// the screen's foot. Rows above the top row keep their old places and are
// left out.
template <typename Visit>
void ForEachShown(CBacklog& backlog, Visit visit) {
  BacklogPage& page = backlog.ViewPage();
  const auto shown = [&](int32_t row) { return row >= page.topRow && row - page.topRow <= backlog.RowsPerScreen(); };
  for (size_t r = 0; r < page.rowQuads.size(); ++r)
    if (shown(int32_t(r))) visit(*page.rowQuads[r]);
  for (size_t v = 0; v < page.voiceButtons.size(); ++v)
    if (shown(page.voiceRows[v])) visit(*page.voiceButtons[v]);
  for (size_t b = 0; b < page.backButtons.size(); ++b)
    if (shown(page.backRows[b])) visit(*page.backButtons[b]);
}

}  // namespace

void CBacklogScreen::Attach(CBaseD3D* d3d, int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  const float w = float(width), h = float(height);
  pageLeft.Attach(SkinName(L"l", 1), d3d);
  pageLeft.translation = {w - 52, 0};
  pageRight.Attach(SkinName(L"r", 1), d3d);
  pageRight.translation = {w - 34, 0};
  up.Attach(SkinName(L"top", 1), d3d);
  up.translation = {w - kBar, 0};
  down.Attach(SkinName(L"btm", 1), d3d);
  down.translation = {w - kBar, h - kBar};
  track.Attach(L"Default\\s0.dds", d3d);
  track.translation = {w - kBar, kBar};
  thumb.Attach(SkinName(L"s", 1), d3d);
  // The shade covers the configured screen whatever the back buffer's size.
  shade.Attach(L"DefaultTex", d3d);
  shade.localCorners = {{{0, 0}, {w, 0}, {0, h}, {w, h}}};
  shade.colours.fill(kShade);
  pageLeft.colours.fill(kBeforeUse);
  pageRight.colours.fill(kBeforeUse);
}

void CBacklogScreen::Open(CBacklog& backlog, QuadPoint scale) {
  open_ = true;
  ColourPageArrows(backlog);
  LayOut(backlog);
  UpdateQuads(backlog, scale);
}

void CBacklogScreen::Close() {
  open_ = false;
  dragging_ = false;
  press_.Reset();
  pressedButton_ = -1;
  StopVoice();
}

void CBacklogScreen::StopVoice() {
  if (voice_.empty()) return;
  CXAudio2::Remove(voice_);
  voice_.clear();
}

void CBacklogScreen::ColourPageArrows(const CBacklog& backlog) {
  pageRight.colours.fill(backlog.ViewPageIndex() < backlog.CurrentPage() ? kUsable : kUnusable);
  pageLeft.colours.fill(backlog.ViewPageIndex() > 0 ? kUsable : kUnusable);
}

void CBacklogScreen::LayOut(CBacklog& backlog) {
  backlog.LayOut();
  PlaceThumb(backlog);
}

void CBacklogScreen::PlaceThumb(const CBacklog& backlog) {
  const BacklogPage& page = backlog.Pages()[size_t(backlog.ViewPageIndex())];
  const float h = float(height_), w = float(width_), step = RowStep();
  // e is how many screens the page is long; the thumb is one screen of it.
  float e = float(page.RowCount()) / (h / step);
  if (e < 1) e = 1;
  float t = step * float(page.topRow) / e;
  t = h < h / e + t ? h - h / e + kBar : t + kBar;
  const float bottom = t + h / e - 2 * kBar;
  thumb.localCorners = {{{w - kBar, t}, {w, t}, {w - kBar, bottom}, {w, bottom}}};
  thumb.translation = {0, 0};
}

void CBacklogScreen::Scroll(CBacklog& backlog, int32_t rows) {
  backlog.ViewPage().topRow += rows;
  LayOut(backlog);
}

void CBacklogScreen::Hover(BacklogPage& page, const BacklogFrameInput& in) {
  hoveredVoice_ = hoveredBack_ = -1;
  const int32_t held = press_.Held();
  // The voice buttons and the back buttons behave alike, each beside its row
  // and lighting its block; back buttons wait while a call runs.
  struct Side {
    QuadList& buttons;
    const std::vector<int32_t>& rows;
    const std::vector<int32_t>& scenes;
    const wchar_t* family;
    int32_t kind;
    int32_t& hovered;
    bool usable;
  };
  const Side sides[] = {{page.voiceButtons, page.voiceRows, page.voiceScenes, L"v", kVoice, hoveredVoice_, true},
                        {page.backButtons, page.backRows, page.blockScenes, L"b", kBack, hoveredBack_,
                         !in.callRunning}};
  // Every button back to normal and every block unlit, but a held press
  // keeps its picture.
  for (const Side& side : sides)
    for (size_t i = 0; i < side.buttons.size(); ++i) {
      if (side.rows[i] < page.topRow || held == side.kind) continue;
      side.buttons[i]->ShowImage(SkinName(side.family, 1));
      Colour(page.blockRows[side.scenes[i]], kUsable);
    }
  if (!in.active) return;
  // The first button under the cursor lights its block.
  for (const Side& side : sides) {
    if (!side.usable) return;
    for (size_t i = 0; i < side.buttons.size(); ++i) {
      if (side.rows[i] < page.topRow || !Inside(*side.buttons[i], in)) continue;
      if (!(held == side.kind && pressedButton_ == int32_t(i))) side.buttons[i]->ShowImage(SkinName(side.family, 2));
      Colour(page.blockRows[side.scenes[i]], kLit);
      side.hovered = int32_t(i);
      return;
    }
  }
}

void CBacklogScreen::ShowArrows(const CBacklog& backlog, const BacklogFrameInput& in) {
  const BacklogPage& page = backlog.Pages()[size_t(backlog.ViewPageIndex())];
  const int32_t last = backlog.MaxTopRow(page);
  const int32_t held = press_.Held();
  struct Part {
    CQuad& quad;
    const wchar_t* family;
    bool usable;
    int32_t press;
  };
  const Part parts[] = {{pageLeft, L"l", backlog.ViewPageIndex() > 0, kLeft},
                        {pageRight, L"r", backlog.ViewPageIndex() < backlog.CurrentPage(), kRight},
                        {up, L"top", page.topRow > 0, kUp},
                        {down, L"btm", page.topRow < last, kDown},
                        {thumb, L"s", last > 0, -1}};
  for (const Part& part : parts) {
    if (part.press != -1 && held == part.press) continue;
    const bool over = in.active && part.usable && Inside(part.quad, in);
    part.quad.ShowImage(SkinName(part.family, over ? 2 : 1));
  }
  // A new picture fits the quad to its size: the thumb takes its length back.
  PlaceThumb(backlog);
}

void CBacklogScreen::PlayVoice(const std::wstring& name, const BacklogFrameInput& in) {
  StopVoice();
  // The scene's own voice stops so that the two do not speak at once.
  if (!in.voiceChannel.empty()) CXAudio2::Remove(in.voiceChannel);
  if (!LoadResourceSound(name, name, false)) return;
  CXAudio2::SetVolume(name, in.voiceVolume);
  CXAudio2::Play(name);
  voice_ = name;
}

void CBacklogScreen::ActOnDuePress(CBacklog& backlog, const BacklogFrameInput& in, int32_t& wheel,
                                   int32_t& backScene) {
  const int32_t due = press_.Due(in.now);
  if (due == -1) return;
  BacklogPage& page = backlog.ViewPage();
  const int32_t button = pressedButton_;
  pressedButton_ = -1;
  switch (due) {
    case kVoice:
      if (size_t(button) < page.voiceNames.size()) PlayVoice(page.voiceNames[size_t(button)], in);
      break;
    case kBack:
      if (size_t(button) >= page.blockScenes.size()) break;
      wheel = 0;
      backScene = page.blockScenes[size_t(button)];
      Close();
      break;
    case kUp:
      if (page.topRow > 0) Scroll(backlog, -1);
      break;
    case kDown:
      if (page.topRow < backlog.MaxTopRow(page)) Scroll(backlog, 1);
      break;
    case kLeft:
    case kRight:
      backlog.SetViewPage(backlog.ViewPageIndex() + (due == kLeft ? -1 : 1));
      PlaceThumb(backlog);
      break;
    default:
      break;
  }
}

void CBacklogScreen::TakePresses(CBacklog& backlog, KeyTable& keys, const BacklogFrameInput& in) {
  BacklogPage& page = backlog.ViewPage();
  const int32_t last = backlog.MaxTopRow(page);
  // Holding the button over an arrow or the track repeats every 100 ms.
  const bool repeat = RepeatGate(*keys[kKeyLeftButton], in.now);
  auto begin = [&](CQuad& quad, const wchar_t* family, int32_t kind, int32_t button) {
    if (press_.Held() != -1) return;
    quad.ShowImage(SkinName(family, 3));
    pressedButton_ = button;
    press_.Press(kind, in.now);
  };
  if (Inside(up, in)) {
    if (repeat && page.topRow > 0) begin(up, L"top", kUp, -1);
  } else if (Inside(down, in)) {
    if (repeat && page.topRow < last) begin(down, L"btm", kDown, -1);
  } else if (hoveredVoice_ != -1) {
    if (in.leftEdge) begin(*page.voiceButtons[size_t(hoveredVoice_)], L"v", kVoice, hoveredVoice_);
  } else if (hoveredBack_ != -1) {
    if (in.leftEdge) begin(*page.backButtons[size_t(hoveredBack_)], L"b", kBack, hoveredBack_);
  } else if (Inside(track, in) || Inside(thumb, in)) {
    if (!repeat) return;
    const float top = thumb.localCorners[0].y, bottom = thumb.localCorners[2].y;
    if (in.mouse.y < top && page.topRow > 0) {
      begin(up, L"top", kUp, -1);
    } else if (in.mouse.y > bottom && page.topRow < last) {
      begin(down, L"btm", kDown, -1);
    } else if (last > 0 && Inside(thumb, in)) {
      dragging_ = true;
      dragFrom_ = in.mouse;
      grabToBottom_ = bottom - in.mouse.y;
      grabToTop_ = in.mouse.y - top;
    }
  } else if (in.leftEdge && Inside(pageLeft, in) && backlog.ViewPageIndex() > 0) {
    begin(pageLeft, L"l", kLeft, -1);
  } else if (in.leftEdge && Inside(pageRight, in) && backlog.ViewPageIndex() < backlog.CurrentPage()) {
    begin(pageRight, L"r", kRight, -1);
  }
}

void CBacklogScreen::Drag(CBacklog& backlog, KeyTable& keys, const BacklogFrameInput& in) {
  if (!keys[kKeyLeftButton]->IsDown()) {
    dragging_ = false;
    return;
  }
  thumb.ShowImage(SkinName(L"s", 3));
  PlaceThumb(backlog);
  BacklogPage& page = backlog.ViewPage();
  const int32_t last = backlog.MaxTopRow(page);
  const int32_t d = int32_t(dragFrom_.y - in.mouse.y);
  // The page follows one row at a time until the grab point has caught up
  // with the cursor.
  if (d < 0 && page.topRow < last) {
    dragFrom_ = in.mouse;
    do Scroll(backlog, 1);
    while (thumb.localCorners[2].y - grabToBottom_ < in.mouse.y && page.topRow < last);
  } else if (d > 0 && page.topRow > 0) {
    dragFrom_ = in.mouse;
    do Scroll(backlog, -1);
    while (thumb.localCorners[0].y + grabToTop_ > in.mouse.y && page.topRow > 0);
  }
}

int32_t CBacklogScreen::Frame(CBacklog& backlog, KeyTable& keys, int32_t& wheel, const BacklogFrameInput& in) {
  int32_t backScene = -1;
  if (!open_) return backScene;
  // A scene that left beneath the screen may have added a page.
  ColourPageArrows(backlog);
  PlaceThumb(backlog);
  if (!dragging_) {
    Hover(backlog.ViewPage(), in);
    ShowArrows(backlog, in);
  }
  ActOnDuePress(backlog, in, wheel, backScene);
  if (!open_) return backScene;

  // The arrow keys page; each acts once per press.
  const bool pageBack = in.active && OncePerPress(*keys[kKeyLeft]);
  const bool pageOn = in.active && OncePerPress(*keys[kKeyRight]);
  if (pageBack && backlog.ViewPageIndex() > 0) backlog.SetViewPage(backlog.ViewPageIndex() - 1);
  if (pageOn && backlog.ViewPageIndex() < backlog.CurrentPage()) backlog.SetViewPage(backlog.ViewPageIndex() + 1);
  if (pageBack || pageOn) PlaceThumb(backlog);

  if (in.active && !dragging_) TakePresses(backlog, keys, in);
  if (dragging_) Drag(backlog, keys, in);

  if (in.active) {
    BacklogPage& page = backlog.ViewPage();
    // Both gates are read every frame so that each keeps its own 100 ms.
    const bool upKeys = RepeatGate(*keys[kKeyPageUp], in.now) | RepeatGate(*keys[kKeyUp], in.now);
    const bool downKeys = RepeatGate(*keys[kKeyPageDown], in.now) | RepeatGate(*keys[kKeyDown], in.now);
    if (in.rightEdge) {
      wheel = 0;
      Close();
    } else if (wheel >= 1 || upKeys) {
      wheel = 0;
      if (page.topRow > 0) Scroll(backlog, -1);
    } else if (wheel < 0 || downKeys) {
      wheel = 0;
      // Scrolling on past the newest row closes the screen.
      if (page.topRow >= backlog.MaxTopRow(page))
        Close();
      else
        Scroll(backlog, 1);
    }
  }
  UpdateQuads(backlog, in.scale);
  return backScene;
}

void CBacklogScreen::UpdateQuads(CBacklog& backlog, QuadPoint scale) {
  for (CQuad* quad : {&shade, &pageLeft, &pageRight, &up, &down, &track, &thumb}) {
    quad->scale = scale;
    quad->Update();
  }
  ForEachShown(backlog, [scale](CQuad& quad) {
    quad.scale = scale;
    quad.Update();
  });
}

void CBacklogScreen::Draw(CBacklog& backlog) {
  if (!open_) return;
  shade.Draw();
  pageRight.Draw();
  pageLeft.Draw();
  ForEachShown(backlog, [](CQuad& quad) { quad.Draw(); });
  track.Draw();
  up.Draw();
  down.Draw();
  thumb.Draw();
}

}  // namespace tav
