#pragma once
// Save slots: a save or load screen is a scene whose buttons name their slot.
// Saving writes the slot's file and labels the button with the time and the
// text of the scene saved; loading reads the file back for playback to rebuild
// the backlog and go on from the saved scene. Each labelled slot's label is
// shown beside its buttons.
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gfx/Quad.h"
#include "save/SlotFile.h"
#include "scenario/SceneData.h"

namespace tav {
class CGame;

class CSaveSlots {
 public:
  explicit CSaveSlots(CGame& game) : game_(game) {}

  // Writes the slot `entry` names: `storyScene`, the `visited` scenes and a
  // label of `now` and `sceneText`; then labels the entry. False when the file
  // could not be written (logged).
  bool Save(const ImageEntry& entry, int32_t storyScene, const std::vector<int32_t>& visited,
            const std::wstring& sceneText, const std::tm& now);
  // Reads the slot `entry` names for a table of `sceneCount` scenes. False,
  // with nothing changed, when it is missing or its header is damaged.
  bool Read(const ImageEntry& entry, int32_t sceneCount, SlotContents& out) const;
  // Labels each save and load entry of `scene` whose slot has a file.
  void RefreshLabels(const SceneData& scene);
  // The labels of `scene`'s save and load entries.
  void Draw(const SceneData& scene, QuadPoint scale);

  // Each slot that has a label, by number, and the label's text.
  std::map<int32_t, std::wstring> Labels() const;

 private:
  static bool IsSlotEntry(const ImageEntry& entry);
  void ShowLabel(const ImageEntry& entry, const std::wstring& label);
  // Removes the text `text` when these slots made it and none shows it now.
  void DropIfUnused(const std::wstring& text);

  CGame& game_;
  struct Label {
    std::wstring text;
    std::shared_ptr<CQuad> quad;
  };
  std::map<int32_t, Label> labels_;  // by slot number
  std::set<std::wstring> made_;      // the label texts registered by these slots
};

}  // namespace tav
