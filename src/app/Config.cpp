#include "app/Config.h"

#include <sstream>
#include <vector>

#include "res/ArchiveStore.h"
#include "res/TextLines.h"

namespace tav {

GameConfig config;

namespace {

// The archive that holds the entry `name`: its first component + ".pac".
std::wstring ArchiveOf(const std::wstring& name) { return name.substr(0, name.find(L'\\')) + L".pac"; }

bool KeptLines(const ArchiveStore& store, const std::wstring& name, std::vector<std::string>& lines,
               const DiagnosticSink* sink, std::vector<size_t>* numbers = nullptr) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!store.Get(name, &data, &size)) {
    Report(sink, {ArchiveOf(name), name, 0, L"missing from " + ArchiveOf(name)});
    return false;
  }
  SplitLines(data, size, lines, numbers);
  return true;
}

// "16 lines, 17 expected"; lines are counted without comments and blank lines.
bool LineCount(const std::wstring& name, const std::vector<std::string>& lines, size_t expected,
               const DiagnosticSink* sink) {
  if (lines.size() == expected) return true;
  Report(sink, {ArchiveOf(name), name, 0,
                std::to_wstring(lines.size()) + (lines.size() == 1 ? L" line, " : L" lines, ") +
                    std::to_wstring(expected) + L" expected"});
  return false;
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

bool ReadConfig(const ArchiveStore& store, GameConfig& out, const DiagnosticSink* sink) {
  const std::wstring name = L"Txt\\config.txt";
  std::vector<std::string> lines;
  std::vector<size_t> numbers;
  if (!KeptLines(store, name, lines, sink, &numbers) || !LineCount(name, lines, 17, sink)) return false;
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
  if (out.filePrefix.find(L'/') != std::wstring::npos) {
    Report(sink, {L"Txt.pac", name, numbers[1],
                  L"file prefix \"" + out.filePrefix + L"\" names another folder: save and settings files are kept "
                                                         L"in the per-user folder"});
    return false;
  }
  if (out.charactersPerRow != 0) return true;
  Report(sink, {L"Txt.pac", name, numbers[6], L"0 characters per row: message text cannot be wrapped"});
  return false;
}

bool IdsAgree(const ArchiveStore& text, const ArchiveStore& res, const ArchiveStore& id,
              const DiagnosticSink* sink) {
  std::vector<std::string> t, r, i;
  if (!KeptLines(text, L"Txt\\id.txt", t, sink)) return false;
  if (t.empty()) {
    Report(sink, {L"Txt.pac", L"Txt\\id.txt", 0, L"no id line"});
    return false;
  }
  if (!KeptLines(res, L"Res\\id.txt", r, sink) || !LineCount(L"Res\\id.txt", r, 1, sink)) return false;
  if (!KeptLines(id, L"ID\\id.txt", i, sink) || !LineCount(L"ID\\id.txt", i, 1, sink)) return false;
  int32_t a = Extract<int32_t>(t[0]), b = Extract<int32_t>(r[0]), c = Extract<int32_t>(i[0]);
  if (a == b && b == c) return true;
  Report(sink, {L"", L"", 0,
                L"id files differ: Txt " + std::to_wstring(a) + L", Res " + std::to_wstring(b) + L", ID " +
                    std::to_wstring(c)});
  return false;
}

}  // namespace tav
