#include "ui/SaveSlots.h"

#include "app/Config.h"
#include "app/Game.h"
#include "save/UserFiles.h"

namespace tav {
namespace {

// Actions of the entries that name a slot.
constexpr int32_t kSaveAction = int32_t(Action::Save);
constexpr int32_t kLoadAction = int32_t(Action::Load);

}  // namespace

bool CSaveSlots::IsSlotEntry(const ImageEntry& entry) {
  return entry.actionCode == kSaveAction || entry.actionCode == kLoadAction;
}

bool CSaveSlots::Save(const ImageEntry& entry, int32_t storyScene, const std::vector<int32_t>& visited,
                      const std::wstring& sceneText, const std::tm& now) {
  const std::u16string label = MakeSlotLabel(now, sceneText, size_t(config.charactersPerRow) + 9);
  if (!WriteUserFile(SlotFileName(config.filePrefix, entry.actionText), EncodeSlot(storyScene, visited, label)))
    return false;
  ShowLabel(entry, SlotLabelText(label));
  return true;
}

bool CSaveSlots::Read(const ImageEntry& entry, int32_t sceneCount, SlotContents& out) const {
  std::string bytes;
  return ReadUserFile(SlotFileName(config.filePrefix, entry.actionText), bytes) &&
         DecodeSlot(bytes, sceneCount, out);
}

void CSaveSlots::RefreshLabels(const SceneData& scene) {
  for (const ImageEntry& entry : scene.images) {
    if (!IsSlotEntry(entry)) continue;
    std::string bytes;
    std::wstring label;
    if (ReadUserFile(SlotFileName(config.filePrefix, entry.actionText), bytes) && DecodeSlotLabel(bytes, label))
      ShowLabel(entry, label);
  }
}

void CSaveSlots::ShowLabel(const ImageEntry& entry, const std::wstring& text) {
  // The label's text names its texture, so equal labels share one.
  if (game_.GetText(config.fontSize, text, text)) made_.insert(text);
  auto quad = std::make_shared<CQuad>();
  quad->Attach(text, &game_.device);
  quad->translation = {entry.x + 4, entry.y + 4};
  quad->Update();
  Label& label = labels_[SlotNumber(entry.actionText)];
  const std::wstring replaced = std::move(label.text);
  label = {text, quad};
  if (replaced != text) DropIfUnused(replaced);
}

void CSaveSlots::DropIfUnused(const std::wstring& text) {
  // Each save at a new minute makes a new label: without this, a long
  // session would keep every label it ever showed.
  auto made = made_.find(text);
  if (made == made_.end()) return;
  for (const auto& [slot, label] : labels_)
    if (label.text == text) return;
  game_.RemoveText(text);
  made_.erase(made);
}

void CSaveSlots::Draw(const SceneData& scene, QuadPoint scale) {
  for (const ImageEntry& entry : scene.images) {
    if (!IsSlotEntry(entry)) continue;
    auto label = labels_.find(SlotNumber(entry.actionText));
    if (label == labels_.end()) continue;
    label->second.quad->scale = scale;
    label->second.quad->Update();
    label->second.quad->Draw();
  }
}

std::map<int32_t, std::wstring> CSaveSlots::Labels() const {
  std::map<int32_t, std::wstring> out;
  for (const auto& [slot, label] : labels_) out[slot] = label.text;
  return out;
}

}  // namespace tav
