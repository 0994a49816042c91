#include "scenario/ScenarioLoader.h"

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

// The kept lines of a text resource in wide text; false when it is missing.
bool ReadLines(const ArchiveStore& texts, const std::wstring& name, std::vector<std::string>& lines) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!texts.Get(name, &data, &size)) return false;
  SplitLines(data, size, lines);
  return true;
}

// "Txt\a.txt, line 12 "\timg 1 2"": where a problem is, for the log. Lines are
// counted without the comments and blank lines that reading drops.
std::wstring Where(const std::wstring& file, size_t index, std::wstring_view line) {
  std::wstring_view shown = line.substr(0, line.find(L'\n'));
  constexpr size_t kShown = 60;
  std::wstring text = file + L", line " + std::to_wstring(index + 1) + L" \"" + std::wstring(shown.substr(0, kShown));
  if (shown.size() > kShown) text += L"...";
  return text + L"\"";
}

// Hands a line to the command parser and logs it when it is ignored.
void ParseLine(size_t index, SceneData& scene, ParseContext& context, const std::vector<std::wstring>& lines,
               const std::wstring& file) {
  std::wstring problem;
  if (!ParseCommandLine(index, scene, context, lines, &problem))
    LogError(Where(file, index, lines[index]) + L" ignored: " + problem);
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

// Pass 1: the image-set blocks "[" ... "]" into the image-set table.
bool ReadImageSets(const std::vector<std::wstring>& lines, const std::wstring& file, ParseContext& context,
                   std::vector<ImageSet>& imageSets) {
  SceneData scratch;
  bool open = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    wchar_t first = lines[i][0];
    if (first == L'[') {
      if (open) {
        LogError(Where(file, i, lines[i]) + L" opens an image set inside an open one");
        return false;
      }
      open = true;
      scratch.Clear();
      continue;
    }
    if (!open) continue;
    ParseLine(i, scratch, context, lines, file);
    if (first == L']') {
      // Only the image entries are a set's content; anything else is dropped.
      imageSets.push_back(ImageSet{std::move(scratch.images)});
      scratch.Clear();
      open = false;
    }
  }
  return true;
}

// Pass 2: the scene blocks "{" ... "}" into the scene table.
bool ReadScenes(const std::vector<std::wstring>& lines, const std::wstring& file, ParseContext& context,
                std::vector<SceneData>& scenes) {
  SceneData scene;
  bool open = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    wchar_t first = lines[i][0];
    if (first == L'{') {
      if (open) {
        LogError(Where(file, i, lines[i]) + L" opens a scene inside an open one");
        return false;
      }
      open = true;
      scene.Clear();
      ReadHeader(lines[i], scene);
      continue;
    }
    if (!open) continue;
    ParseLine(i, scene, context, lines, file);
    if (first == L'}') {
      scenes.push_back(std::move(scene));
      scene.Clear();
      open = false;
    }
  }
  return true;
}

// One scene file: both passes over its lines.
bool LoadSceneFile(const ArchiveStore& texts, const std::wstring& file, ParseContext& context,
                   std::vector<SceneData>& scenes, std::vector<ImageSet>& imageSets) {
  std::vector<std::string> raw;
  if (!ReadLines(texts, file, raw)) {
    LogError(L"Scene file " + file + L" listed in " + kSceneList + L" is missing");
    return false;
  }
  // Every kept line ends in a line feed: a command's text runs up to it.
  std::vector<std::wstring> lines;
  lines.reserve(raw.size());
  for (const std::string& line : raw) lines.push_back(LineToWide(line) + L'\n');
  raw = {};
  return ReadImageSets(lines, file, context, imageSets) && ReadScenes(lines, file, context, scenes);
}

}  // namespace

std::wstring LoadingCaption(size_t done, size_t total) {
  std::wostringstream text;
  text.imbue(std::locale::classic());
  text << L"Now Loading ." << static_cast<double>(done) / static_cast<double>(total) * 100 << L"%";
  return text.str();
}

bool LoadScenario(const ArchiveStore& texts, const GameConfig& config, HWND window, std::vector<SceneData>& scenes,
                  std::vector<ImageSet>& imageSets, size_t copyBudget) {
  try {
    scenes.clear();
    imageSets.clear();
    std::vector<std::string> names;
    if (!ReadLines(texts, kSceneList, names)) {
      LogError(L"The scene list " + kSceneList + L" is missing");
      return false;
    }
    ParseContext context{config, imageSets, copyBudget};
    for (size_t k = 0; k < names.size(); ++k) {
      std::wstring file = L"Txt\\" + LineToWide(names[k]);
      if (!LoadSceneFile(texts, file, context, scenes, imageSets)) return false;
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
