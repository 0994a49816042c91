#include "scenario/MessageWindow.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "app/Config.h"
#include "app/Game.h"
#include "core/ErrorLog.h"
#include "platform/os/Input.h"
#include "scenario/SpeakerLine.h"

namespace tav {
namespace {

// The message colour with red, green and blue scaled by value / 255.
D3DCOLOR Dimmed(D3DCOLOR colour, float value) {
  const float f = std::clamp(value, 0.0f, 255.0f) / 255.0f;
  auto channel = [&](int shift) { return D3DCOLOR(float((colour >> shift) & 0xFF) * f) << shift; };
  return (colour & 0xFF000000) | channel(16) | channel(8) | channel(0);
}

void SetCursorShape(const wchar_t* shape) { os::SetCursor(os::LoadCursorW(nullptr, shape)); }

}  // namespace

CMessageWindow::CMessageWindow(CGame& game) : game_(game) {
  nameBox_.Attach(L"", &game_.device);
  autoMark_.Attach(L"", &game_.device);
}

void CMessageWindow::AttachSkins() {
  autoMark_.Attach(L"Default\\auto.dds", &game_.device);
  nameBox_.colours.fill(config.textColour);
}

void CMessageWindow::Clear() {
  flow_.reset();
  text_.clear();
  full_.clear();
  name_.clear();
  nameBox_.SetTextureName(L"");
  nameBox_.textureName.clear();
  nameBox_.localCorners = {};
  nameBox_.colours.fill(config.textColour);
  complete_ = false;
  pulsePhase_ = 0;
  pulseValue_ = 255.0f;
  pulse_.Reset();
}

void CMessageWindow::Build(const SceneData& scene, uint32_t textSpeed, bool instantEffects) {
  // A text built again (after the registry was emptied) keeps its completion:
  // the pulse goes on where it was.
  const bool complete = complete_;
  Clear();
  complete_ = complete;
  if (scene.messageRows.empty()) return;
  try {
    for (const MessageRow& row : scene.messageRows) {
      full_ += row.text;
      if (row.text.empty()) continue;
      std::wstring spoken;
      if (SplitSpeaker(row.text, name_, spoken))
        text_ += spoken;
      else
        text_ += row.text;
    }
    if (!name_.empty()) {
      // A name already made (the same speaker, or a glyph) is simply shown again.
      game_.GetText(config.fontSize, name_, name_);
      nameBox_.SetTextureName(name_);
      nameBox_.colours.fill(config.textColour);
    }
    std::vector<std::wstring> names;
    names.reserve(text_.size());
    for (wchar_t ch : text_) {
      names.emplace_back(1, ch);
      game_.GetText(config.fontSize, names.back(), names.back());
    }
    auto flow = std::make_shared<effect::CFlowFont>();
    if (!flow->Create(names, &game_.device)) return;
    flow->Layout({0, 0}, 0);
    flow->SetColour(0xFFFFFFFF);
    flow->Start(textSpeed);
    flow->Layout({config.textOffsetX + offset_.x, config.textOffsetY + offset_.y}, config.charactersPerRow);
    const D3DCOLOR colour = config.textColour;
    flow->SetFade(instantEffects ? colour : ~colour, colour, textSpeed + 400);
    flow_ = std::move(flow);
  } catch (const std::exception& e) {
    LogException(e.what());
  }
}

void CMessageWindow::ShowAll() {
  if (flow_) flow_->ShowAll();
}

bool CMessageWindow::AllShown() const { return !flow_ || flow_->AllShown(); }

void CMessageWindow::LayOut(size_t rows, QuadPoint scale) {
  if (flow_) {
    flow_->Layout({config.textOffsetX + offset_.x, config.textOffsetY + offset_.y}, config.charactersPerRow);
    for (auto& sprite : flow_->sprites)
      if (sprite && sprite->quad) sprite->quad->scale = scale;
  }
  nameBox_.translation = {config.nameOffsetX + offset_.x, config.nameOffsetY + offset_.y};
  const float cell = float(config.fontSize + 1);
  autoMark_.translation = {config.textOffsetX + cell * float(config.charactersPerRow + 1) + cell + offset_.x,
                           config.textOffsetY + float(rows) * cell + offset_.y};
  nameBox_.scale = autoMark_.scale = scale;
}

void CMessageWindow::Move(float dx, float dy, const WindowFrame& frame) {
  // The window stays on screen: its new position is limited to the screen
  // less its own size.
  const float maxX = float(config.screenWidth) - frame.size.x;
  const float maxY = float(config.screenHeight) - frame.size.y;
  const float x = std::clamp(frame.home.x + base_.x + dx, 0.0f, std::max(maxX, 0.0f));
  const float y = std::clamp(frame.home.y + base_.y + dy, 0.0f, std::max(maxY, 0.0f));
  offset_ = {x - frame.home.x, y - frame.home.y};
  if (!dragging_) base_ = offset_;
}

bool CMessageWindow::Drag(bool pressed, QuadPoint cursor, const WindowFrame* frame, bool over) {
  if (dragging_) {
    // The window follows the cursor; the next press puts it down.
    if (frame) Move(cursor.x - dragStart_.x, cursor.y - dragStart_.y, *frame);
    if (pressed) EndDrag();
    return frame != nullptr;
  }
  if (!pressed || !frame || !over) return false;
  dragging_ = true;
  base_ = offset_;
  dragStart_ = cursor;
  SetCursorShape(IDC_SIZEALL);
  return false;
}

void CMessageWindow::EndDrag() {
  if (!dragging_) return;
  // The window stays where the drag left it: later steps and drags start there.
  dragging_ = false;
  base_ = offset_;
  SetCursorShape(IDC_ARROW);
}

void CMessageWindow::Colour(D3DCOLOR colour) {
  nameBox_.colours.fill(colour);
  if (!flow_) return;
  for (auto& sprite : flow_->sprites)
    if (sprite && sprite->quad) {
      sprite->quad->colours.fill(colour);
      sprite->quad->Update();
    }
}

void CMessageWindow::Update(uint32_t now, bool quiet) {
  if (flow_) flow_->Update();
  if (!complete_) {
    if (!flow_ || !flow_->AllShown()) return;
    complete_ = true;
    completeTime_ = std::max<uint32_t>(now, 1);
    pulsePhase_ = 0;
    return;
  }
  if (!flow_) return;
  if (quiet) {
    // No pulse in these modes: a text caught dimmed gets its colour back.
    if (pulseValue_ != 255.0f) {
      pulseValue_ = 255.0f;
      pulsePhase_ = 0;
      Colour(config.textColour);
    }
    return;
  }
  // Waiting for the reader: every 4 s the text dims over 1 s, then brightens.
  if (pulsePhase_ == 0 || pulsePhase_ == 2) {
    if (now - completeTime_ >= 4000) {
      const bool dim = pulsePhase_ == 0;
      pulse_.Start(1000, dim ? 255.0f : 0.0f, dim ? 0.0f : 255.0f);
      ++pulsePhase_;
    }
  }
  // The flowing text may still be finishing its fades: let them end first.
  if (!flow_->IsFinished()) return;
  if (pulsePhase_ == 1 || pulsePhase_ == 3) {
    float value[4];
    const bool done = pulse_.Evaluate(value);
    pulseValue_ = value[0];
    if (done) {
      completeTime_ = std::max<uint32_t>(now, 1);
      pulsePhase_ = (pulsePhase_ + 1) % 4;
    }
  }
  // The text's own fades rewrite its colours each frame: the pulse's colour
  // goes on top of them for as long as it differs.
  if (pulseValue_ != 255.0f || pulsePhase_ != 0) Colour(Dimmed(config.textColour, pulseValue_));
}

void CMessageWindow::UpdateQuads() {
  nameBox_.Update();
  autoMark_.Update();
}

void CMessageWindow::Draw(bool showAuto) {
  if (flow_) flow_->Draw();
  if (showAuto && !autoMark_.textureName.empty()) autoMark_.Draw();
  if (!name_.empty()) nameBox_.Draw();
}

void CMessageWindow::SetColourMode(int32_t mode) {
  if (flow_)
    for (auto& sprite : flow_->sprites)
      if (sprite && sprite->quad) sprite->quad->mode = mode;
  nameBox_.mode = mode;
  autoMark_.mode = mode;
}

}  // namespace tav
