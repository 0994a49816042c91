#include "scenario/ScenarioLoader.h"

#include <algorithm>
#include <exception>
#include <locale>
#include <sstream>
#include <string_view>

#include "core/ErrorLog.h"
#include "platform/os/Clock.h"
#include "platform/os/WindowCalls.h"
#include "res/ArchiveStore.h"
#include "res/TextLines.h"
#include "scenario/ScriptArgs.h"

namespace tav {

namespace {

const std::wstring kSceneList = L"Txt\\scene.txt";

// A scene file's kept lines in wide text, each ending in a line feed, and the
// line of the file each came from.
struct ScriptFile {
  std::wstring name;
  std::vector<std::wstring> lines;
  std::vector<size_t> numbers;
};

// What one load shares between its files.
struct Loading {
  ParseContext& context;
  ScriptReport* report;

  const DiagnosticSink* Sink() const { return report ? &report->problems : nullptr; }
  bool Checking() const { return report && report->problems; }
};

// The kept lines of a text resource; false when it is missing.
bool ReadLines(const ArchiveStore& texts, const std::wstring& name, std::vector<std::string>& lines,
               std::vector<size_t>* numbers = nullptr) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!texts.Get(name, &data, &size)) return false;
  SplitLines(data, size, lines, numbers);
  return true;
}

// "line 12 "\timg 1 2"": the line as the message shows it.
std::wstring Quoted(std::wstring_view line) {
  std::wstring_view shown = line.substr(0, line.find(L'\n'));
  constexpr size_t kShown = 60;
  std::wstring text = L"\"" + std::wstring(shown.substr(0, kShown));
  if (shown.size() > kShown) text += L"...";
  return text + L"\"";
}

void Problem(const Loading& loading, const ScriptFile& file, size_t index, std::wstring message) {
  Report(loading.Sink(), {L"Txt.pac", file.name, file.numbers[index], std::move(message)});
}

bool IsSeparator(wchar_t c) { return c == L'\t' || c == L' ' || c == L'\u3000'; }

// A line inside a block that names no command is passed over; a checking
// caller hears of it. Block markers and blank lines are no text.
void CheckText(const Loading& loading, const ScriptFile& file, size_t index, std::wstring_view markers) {
  std::wstring_view line = file.lines[index];
  if (!loading.Checking() || markers.find(line[0]) != std::wstring_view::npos || HoldsCommand(line)) return;
  size_t start = 0;
  while (start < line.size() && IsSeparator(line[start])) ++start;
  if (line[start] == L'\n') return;
  if (start == 0) {
    Problem(loading, file, index, L"text inside a block is ignored: " + Quoted(line));
    return;
  }
  size_t end = start;
  while (line[end] != L'\n' && !IsSeparator(line[end])) ++end;
  Problem(loading, file, index,
          L"unknown command \"" + std::wstring(line.substr(start, std::min<size_t>(end - start, 32))) + L"\": " +
              Quoted(line) + L" is ignored");
}

// Hands a line to the command parser and reports it when it is ignored.
void ParseLine(size_t index, SceneData& scene, const Loading& loading, const ScriptFile& file) {
  std::wstring problem;
  if (!ParseCommandLine(index, scene, loading.context, file.lines, &problem))
    Problem(loading, file, index, Quoted(file.lines[index]) + L" ignored: " + problem);
}

// Reads the header values of a "{" line into `scene`, which holds the defaults.
void ReadHeader(std::wstring_view line, SceneData& scene) {
  std::wstring_view header = line.substr(1, line.find(L'\n') - 1);
  std::vector<std::wstring_view> values = SplitArguments(header, 5);
  size_t n = values.size();
  auto readFlag = [](std::wstring_view arg, bool& out) {
    int32_t value = 0;
    if (ReadInt(arg, value) && (value == 0 || value == 1)) out = value == 1;
  };
  if (n > 0) ReadInt(values[0], scene.nextScene);
  if (n > 1) readFlag(values[1], scene.leaveEffects);
  if (n > 2) readFlag(values[2], scene.headerFlagB);
  if (n > 3) ReadInt(values[3], scene.cancelScene);
  if (n > 4) ReadInt(values[4], scene.jumpScene);
}

// A block still open at the end of its file is dropped; a checking caller
// hears of it at the line that opened it.
void CheckClosed(const Loading& loading, const ScriptFile& file, bool open, size_t opened, const wchar_t* what) {
  if (open && loading.Checking())
    Problem(loading, file, opened, std::wstring(what) + L" is never closed; it is dropped");
}

// Pass 1: the image-set blocks "[" ... "]" into the image-set table.
bool ReadImageSets(const ScriptFile& file, const Loading& loading, std::vector<ImageSet>& imageSets) {
  const std::vector<std::wstring>& lines = file.lines;
  SceneData scratch;
  bool open = false;
  size_t opened = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    wchar_t first = lines[i][0];
    if (first == L'[') {
      if (open) {
        Problem(loading, file, i, L"opens an image set inside an open one");
        return false;
      }
      open = true;
      opened = i;
      scratch.Clear();
      continue;
    }
    if (!open) continue;
    CheckText(loading, file, i, L"]{}");
    ParseLine(i, scratch, loading, file);
    if (first == L']') {
      // Only the image entries are a set's content; anything else is dropped.
      imageSets.push_back(ImageSet{std::move(scratch.images)});
      scratch.Clear();
      open = false;
    }
  }
  CheckClosed(loading, file, open, opened, L"the image set");
  return true;
}

// Notes the line of every record that parsing line `index` added to `scene`.
void NoteSources(const SceneData& scene, size_t line, SceneSource& source) {
  source.rowLines.resize(scene.messageRows.size(), line);
  source.imageLines.resize(scene.images.size(), line);
  source.drawLines.resize(scene.draws.size(), line);
  source.soundLines.resize(scene.sounds.size(), line);
}

// Pass 2: the scene blocks "{" ... "}" into the scene table.
bool ReadScenes(const ScriptFile& file, const Loading& loading, std::vector<SceneData>& scenes) {
  const std::vector<std::wstring>& lines = file.lines;
  SceneData scene;
  SceneSource source;
  bool open = false;
  size_t opened = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    wchar_t first = lines[i][0];
    if (first == L'{') {
      if (open) {
        Problem(loading, file, i, L"opens a scene inside an open one");
        return false;
      }
      open = true;
      opened = i;
      scene.Clear();
      source = SceneSource{file.name, file.numbers[i], {}, {}, {}, {}};
      ReadHeader(lines[i], scene);
      continue;
    }
    if (!open) continue;
    CheckText(loading, file, i, L"}[]");
    ParseLine(i, scene, loading, file);
    if (loading.report) NoteSources(scene, file.numbers[i], source);
    if (first == L'}') {
      scenes.push_back(std::move(scene));
      if (loading.report) loading.report->scenes.push_back(std::move(source));
      scene.Clear();
      open = false;
    }
  }
  CheckClosed(loading, file, open, opened, L"the scene");
  return true;
}

// One scene file: both passes over its lines.
bool LoadSceneFile(const ArchiveStore& texts, const std::wstring& name, const Loading& loading,
                   std::vector<SceneData>& scenes, std::vector<ImageSet>& imageSets) {
  ScriptFile file{name, {}, {}};
  std::vector<std::string> raw;
  if (!ReadLines(texts, name, raw, &file.numbers)) {
    Report(loading.Sink(), {L"Txt.pac", name, 0, L"missing, though " + kSceneList + L" lists it"});
    return false;
  }
  // Every kept line ends in a line feed: a command's text runs up to it.
  file.lines.reserve(raw.size());
  for (const std::string& line : raw) file.lines.push_back(LineToWide(line) + L'\n');
  raw = {};
  return ReadImageSets(file, loading, imageSets) && ReadScenes(file, loading, scenes);
}

}  // namespace

std::wstring LoadingCaption(size_t done, size_t total) {
  std::wostringstream text;
  text.imbue(std::locale::classic());
  text << L"Now Loading ." << static_cast<double>(done) / static_cast<double>(total) * 100 << L"%";
  return text.str();
}

bool LoadScenario(const ArchiveStore& texts, const GameConfig& config, HWND window, std::vector<SceneData>& scenes,
                  std::vector<ImageSet>& imageSets, size_t copyBudget, ScriptReport* report) {
  try {
    scenes.clear();
    imageSets.clear();
    if (report) report->scenes.clear();
    ParseContext context{config, imageSets, copyBudget};
    Loading loading{context, report};
    std::vector<std::string> names;
    if (!ReadLines(texts, kSceneList, names)) {
      Report(loading.Sink(), {L"Txt.pac", kSceneList, 0, L"missing from Txt.pac"});
      return false;
    }
    for (size_t k = 0; k < names.size(); ++k) {
      std::wstring file = L"Txt\\" + LineToWide(names[k]);
      if (!LoadSceneFile(texts, file, loading, scenes, imageSets)) return false;
      if (window) os::SetWindowTextW(window, LoadingCaption(k + 1, names.size()).c_str());
      // Lets the window and the rest of the system breathe between files.
      os::Sleep(0);
    }
    return true;
  } catch (const std::exception& e) {
    LogException(e.what());
    return false;
  }
}

}  // namespace tav
