#include "app/Config.h"

#include <sstream>
#include <vector>

#include "res/ArchiveStore.h"
#include "res/TextLines.h"

namespace tav {

GameConfig config;

namespace {

bool KeptLines(const ArchiveStore& store, const std::wstring& name, std::vector<std::string>& lines) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!store.Get(name, &data, &size)) return false;
  SplitLines(data, size, lines);
  return true;
}

// Standard stream extraction: leading blanks skipped, text after the value
// ignored, a value that does not parse gives 0.
template <typename T>
T Extract(const std::string& line, std::ios_base& (*base)(std::ios_base&) = std::dec) {
  std::wistringstream in(LineToWide(line));
  T value{};
  in >> base >> value;
  return in.fail() ? T{} : value;
}

}  // namespace

bool ReadConfig(const ArchiveStore& store, GameConfig& out) {
  std::vector<std::string> lines;
  if (!KeptLines(store, L"Txt\\config.txt", lines) || lines.size() != 17) return false;
  out.gameTitle = LineToWide(lines[0]);
  out.filePrefix = LineToWide(lines[1]);
  out.screenWidth = Extract<int32_t>(lines[2]);
  out.screenHeight = Extract<int32_t>(lines[3]);
  out.fontSize = Extract<int32_t>(lines[4]);
  out.textColour = Extract<uint32_t>(lines[5], std::hex);
  out.charactersPerRow = Extract<uint32_t>(lines[6]);
  out.textOffsetX = Extract<float>(lines[7]);
  out.textOffsetY = Extract<float>(lines[8]);
  out.nameOffsetX = Extract<float>(lines[9]);
  out.nameOffsetY = Extract<float>(lines[10]);
  out.defaultEffectDuration = Extract<uint32_t>(lines[11]);
  out.backlogPageCapacity = Extract<uint32_t>(lines[12]);
  out.messageWindowName = Extract<std::wstring>(lines[13]);
  out.speedMaximum = Extract<uint32_t>(lines[14]);
  out.autoWaitMaximum = Extract<uint32_t>(lines[15]);
  out.firstScene = Extract<int32_t>(lines[16]);
  return out.charactersPerRow != 0;
}

bool IdsAgree(const ArchiveStore& text, const ArchiveStore& res, const ArchiveStore& id) {
  std::vector<std::string> t, r, i;
  if (!KeptLines(text, L"Txt\\id.txt", t) || t.empty()) return false;
  if (!KeptLines(res, L"Res\\id.txt", r) || r.size() != 1) return false;
  if (!KeptLines(id, L"ID\\id.txt", i) || i.size() != 1) return false;
  int32_t a = Extract<int32_t>(t[0]), b = Extract<int32_t>(r[0]), c = Extract<int32_t>(i[0]);
  return a == b && b == c;
}

}  // namespace tav
