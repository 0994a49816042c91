#pragma once
// A save slot's file: the story scene, the scenes whose text the backlog
// holds, and a label of the time of saving and the scene's text.
//   int32 story scene, int32 N, N x int32 scenes, int32 L, L x UTF-16LE units
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

struct SlotContents {
  int32_t storyScene = 0;
  // The scenes in file order; an entry that cannot be used is -1.
  std::vector<int32_t> visited;
};

// The file of the slot an entry names: prefix + "Save" + its text + ".dat".
std::wstring SlotFileName(const std::wstring& prefix, const std::wstring& actionText);
// The slot number written at the start of an entry's text (blanks before it
// skipped, anything after it ignored); 0 when it does not start with one.
int32_t SlotNumber(const std::wstring& actionText);

// "HH:MM YYYY/MM/DD " and the scene's text, cut to `units` - 1 UTF-16 code
// units and padded with zero units to `units`.
std::u16string MakeSlotLabel(const std::tm& local, const std::wstring& sceneText, size_t units);
// A label's text: its units up to the first zero.
std::wstring SlotLabelText(const std::u16string& units);

std::string EncodeSlot(int32_t storyScene, const std::vector<int32_t>& visited, const std::u16string& label);
// The story scene and the visited scenes. False when the header is short or
// the story scene is not a scene of a table of `sceneCount`; entries outside
// the table become -1, and a count beyond the end of the file stops there.
bool DecodeSlot(std::string_view bytes, int32_t sceneCount, SlotContents& out);
// The label up to its first zero unit; false when any field is short.
bool DecodeSlotLabel(std::string_view bytes, std::wstring& label);

}  // namespace tav
