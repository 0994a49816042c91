#include "scenario/Backlog.h"

#include <algorithm>
#include <new>

#include "app/Config.h"
#include "app/Game.h"
#include "core/ErrorLog.h"

namespace tav {
namespace {

constexpr D3DCOLOR kSeparatorColour = 0x64000000;  // black at alpha 100
const wchar_t* const kBackImage = L"Default\\b1.dds";
const wchar_t* const kVoiceImage = L"Default\\v1.dds";
const wchar_t* const kSeparatorName = L"----Backlog";

std::wstring RowName(const std::wstring& text) { return text + L"Backlog"; }

}  // namespace

CBacklog::CBacklog(CGame& game) : game_(game) {}

std::shared_ptr<CQuad> CBacklog::RowQuad(const std::wstring& name) {
  auto quad = std::make_shared<CQuad>();
  quad->Attach(name, &game_.device);
  return quad;
}

void CBacklog::Add(const SceneData& scene, int32_t index, const std::vector<SceneData>& scenes) {
  if (scene.messageRows.empty()) {
    List(index);
    return;
  }
  try {
    if (pages_.back().blockScenes.size() >= std::max<uint32_t>(config.backlogPageCapacity, 1))
      pages_.emplace_back();
    viewPage_ = CurrentPage();
    BacklogPage& page = pages_.back();
    for (const MessageRow& row : scene.messageRows) {
      // Rows with the same text share one texture: a name already made is no failure.
      game_.GetText(config.fontSize, RowName(row.text), row.text);
      page.rowQuads.push_back(RowQuad(RowName(row.text)));
      page.blockRows[index].push_back(page.rowQuads.back());
    }
    game_.GetText(config.fontSize, kSeparatorName, std::wstring(2 * size_t(config.charactersPerRow), L'-'));
    page.rowQuads.push_back(RowQuad(kSeparatorName));
    page.rowQuads.back()->colours.fill(kSeparatorColour);
    const int32_t lastRow = int32_t(page.rowQuads.size()) - 1;
    page.backButtons.push_back(RowQuad(kBackImage));
    page.blockScenes.push_back(index);
    page.backRows.push_back(lastRow);
    // One voice button per block, for the scene's first voice.
    auto voice = std::find_if(scene.sounds.begin(), scene.sounds.end(),
                              [](const SoundEntry& s) { return s.type == kSoundVoice; });
    if (voice != scene.sounds.end()) {
      page.voiceNames.push_back(voice->name);
      page.voiceRows.push_back(lastRow);
      page.voiceScenes.push_back(index);
      page.voiceButtons.push_back(RowQuad(kVoiceImage));
    }
    // The page ends at its newest row.
    while (page.topRow < MaxTopRow(page)) {
      ++page.topRow;
      LayOut();
    }
    LayOut();
    List(index);
  } catch (const std::bad_alloc& e) {
    LogException(e.what());
    list_.clear();
    Clear(scenes);
  }
}

void CBacklog::Clear(const std::vector<SceneData>& scenes) {
  for (const SceneData& scene : scenes)
    for (const MessageRow& row : scene.messageRows) game_.RemoveText(RowName(row.text));
  game_.RemoveText(kSeparatorName);
  pages_.assign(1, BacklogPage{});
  viewPage_ = 0;
}

bool CBacklog::Listed(int32_t index) const { return std::find(list_.begin(), list_.end(), index) != list_.end(); }

void CBacklog::List(int32_t index) {
  if (!Listed(index)) list_.push_back(index);
}

std::vector<int32_t> CBacklog::VisitedScenes() const {
  std::vector<int32_t> scenes;
  for (const BacklogPage& page : pages_) scenes.insert(scenes.end(), page.blockScenes.begin(), page.blockScenes.end());
  return scenes;
}

void CBacklog::SetViewPage(int32_t page) {
  viewPage_ = std::clamp(page, 0, CurrentPage());
  LayOut();
}

int32_t CBacklog::RowsPerScreen() const { return config.screenHeight / (config.fontSize + 1); }

int32_t CBacklog::MaxTopRow(const BacklogPage& page) const { return page.RowCount() - RowsPerScreen(); }

void CBacklog::LayOut() {
  BacklogPage& page = ViewPage();
  const float step = float(config.fontSize + 1);
  const float left = config.textOffsetX;
  const float beside = left + step * float(config.charactersPerRow + 1);
  for (int32_t i = 0; page.topRow + i >= 0 && size_t(page.topRow + i) < page.rowQuads.size(); ++i) {
    const int32_t row = page.topRow + i;
    const float y = float(i) * step;
    page.rowQuads[size_t(row)]->translation = {left, y};
    for (size_t v = 0; v < page.voiceButtons.size(); ++v)
      if (page.voiceRows[v] == row) page.voiceButtons[v]->translation = {beside + float(config.fontSize) + 18, y};
    for (size_t b = 0; b < page.backButtons.size(); ++b)
      if (page.backRows[b] == row) page.backButtons[b]->translation = {beside + step, y};
  }
}

}  // namespace tav
