#pragma once
// The backlog: the text of the scenes already played, page by page, each
// scene a block of its rows, a separator, a back button and at most one voice
// button. It keeps the list of scenes already handled as well. The screen
// that shows it is the backlog screen (ui).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Quad.h"
#include "scenario/SceneData.h"

namespace tav {
class CGame;

using QuadList = std::vector<std::shared_ptr<CQuad>>;

struct BacklogPage {
  QuadList rowQuads;  // one per text row and one per separator row
  QuadList voiceButtons;
  std::vector<int32_t> voiceRows;  // the row each voice button stands beside
  std::vector<std::wstring> voiceNames;
  std::vector<int32_t> backRows;  // the row each back button stands beside
  QuadList backButtons;
  std::vector<int32_t> blockScenes;  // the scene of each block
  std::vector<int32_t> voiceScenes;  // the scene of each voice button
  int32_t topRow = 0;                // the first row shown
  int32_t extraRows = 0;             // rows counted beyond the quads when scrolling
  std::map<int32_t, QuadList> blockRows;  // a block's rows, lit together

  int32_t RowCount() const { return int32_t(rowQuads.size()) + extraRows; }
};

class CBacklog {
 public:
  // Makes its row textures in `game`'s text registry and its quads on its device.
  explicit CBacklog(CGame& game);

  // Adds the block of scene `index` (nothing for a scene without text) to
  // the current page, starting a new page when it is full; the view follows
  // and the page is scrolled to its newest row. Out of memory empties the
  // backlog and the list, and play goes on.
  void Add(const SceneData& scene, int32_t index, const std::vector<SceneData>& scenes);
  // Drops every page and each row texture the scenario's text can have made,
  // and starts one empty page.
  void Clear(const std::vector<SceneData>& scenes);

  // The scenes already handled (added, or passed without text).
  bool Listed(int32_t index) const;
  void List(int32_t index);
  void ClearList() { list_.clear(); }
  const std::vector<int32_t>& ListedScenes() const { return list_; }
  // The scenes whose text it holds, in the order they were added (what a
  // save keeps to build it again).
  std::vector<int32_t> VisitedScenes() const;

  const std::vector<BacklogPage>& Pages() const { return pages_; }
  BacklogPage& ViewPage() { return pages_[size_t(viewPage_)]; }
  int32_t CurrentPage() const { return int32_t(pages_.size()) - 1; }
  int32_t ViewPageIndex() const { return viewPage_; }
  void SetViewPage(int32_t page);

  // Rows that fit on the screen, and the highest top row of `page`.
  int32_t RowsPerScreen() const;
  int32_t MaxTopRow(const BacklogPage& page) const;
  // Places the view page's rows and buttons from its top row down.
  void LayOut();

 private:
  std::shared_ptr<CQuad> RowQuad(const std::wstring& text);

  CGame& game_;
  std::vector<BacklogPage> pages_{1};
  int32_t viewPage_ = 0;
  std::vector<int32_t> list_;
};

}  // namespace tav
