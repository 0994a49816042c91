// Scene numbers, the paths between scenes, message rows and the message window.
#include <deque>
#include <string>

#include "Checks.h"
#include "scenario/ScriptArgs.h"
#include "scenario/SpeakerLine.h"

namespace tavlint {

namespace {

using tav::ImageEntry;
using tav::SceneData;

std::wstring Number(int64_t n) { return std::to_wstring(n); }

// A scene number written in an entry's text (`actionText`, `showKey`).
bool SceneNumber(const std::wstring& text, int32_t& out) { return tav::ReadInt(text, out); }

class SceneWalk {
 public:
  SceneWalk(const Scenario& scenario, Findings& findings)
      : s_(scenario), findings_(findings), count_(static_cast<int64_t>(scenario.scenes.size())) {}

  void Run() {
    CheckFirstScene();
    for (size_t i = 0; i < s_.scenes.size(); ++i) CheckScene(i);
    CheckReachable();
    CheckMessageWindow();
  }

 private:
  bool InRange(int64_t n) const { return n >= 0 && n < count_; }

  std::wstring OutOfRange(const wchar_t* what, int64_t n) const {
    return std::wstring(what) + L" " + Number(n) + L" is no scene (the scenario has " + Number(count_) +
           L", numbered from 0)";
  }

  void CheckFirstScene() {
    const int32_t first = s_.config.firstScene;
    if (InRange(first)) return;
    size_t line = s_.configLines.size() == 17 ? s_.configLines[16] : 0;
    findings_.Add({L"Txt.pac", L"Txt\\config.txt", line, OutOfRange(L"the first scene", first)});
  }

  void CheckScene(size_t index) {
    const SceneData& scene = s_.scenes[index];
    const tav::SceneSource& source = s_.report.scenes[index];
    auto header = [&](std::wstring message) { findings_.Add(At(source.file, source.headerLine, message)); };
    // -1 to -4 name the next scene, none, the first scene and the jump.
    if (scene.nextScene < -4 || scene.nextScene >= count_) header(OutOfRange(L"the next scene", scene.nextScene));
    if (scene.cancelScene != -1 && !InRange(scene.cancelScene))
      header(OutOfRange(L"the cancel scene", scene.cancelScene));
    if (scene.jumpScene != -1 && !InRange(scene.jumpScene)) header(OutOfRange(L"the jump scene", scene.jumpScene));
    for (size_t k = 0; k < scene.images.size(); ++k) CheckEntry(scene.images[k], source.file, source.imageLines[k]);
    CheckSpeakers(scene, source);
  }

  void CheckEntry(const ImageEntry& e, const std::wstring& file, size_t line) {
    auto add = [&](std::wstring message) { findings_.Add(At(file, line, message)); };
    if (e.targetScene < -2 || e.targetScene >= count_) add(OutOfRange(L"the target scene", e.targetScene));
    int32_t n = 0;
    if (e.actionCode == static_cast<int32_t>(tav::Action::Call)) {
      if (!SceneNumber(e.actionText, n))
        add(L"the call names no scene: \"" + e.actionText + L"\"");
      else if (!InRange(n))
        add(OutOfRange(L"the call's target", n));
      if (!InRange(e.actionValue)) add(OutOfRange(L"the call's end scene", e.actionValue));
    }
    if (e.showRule == 0) {
      if (!SceneNumber(e.showKey, n))
        add(L"the entry is shown once a scene is read, but its key names no scene: \"" + e.showKey + L"\"");
      else if (!InRange(n))
        add(OutOfRange(L"the show key", n));
    }
  }

  // A speaker line splits into name and text only within one row: a row end
  // inside 【name】 or before the opening bracket shows the name as text.
  void CheckSpeakers(const SceneData& scene, const tav::SceneSource& source) {
    for (size_t k = 0; k < scene.messageRows.size();) {
      size_t end = k;
      std::wstring whole;
      bool split = false;
      std::wstring name, text;
      for (; end < scene.messageRows.size() && source.rowLines[end] == source.rowLines[k]; ++end) {
        whole += scene.messageRows[end].text;
        split = split || tav::SplitSpeaker(scene.messageRows[end].text, name, text);
      }
      if (!split && end - k > 1 && tav::SplitSpeaker(whole, name, text))
        findings_.Add(At(source.file, source.rowLines[k],
                         L"the speaker part 【" + name + L"】 runs across two message rows of " +
                             Number(s_.config.charactersPerRow) + L" characters; it would be shown as text"));
      k = end;
    }
  }

  // The scenes a scene leads to: its successor, its jump and cancel scenes,
  // and the targets of its buttons (entries with a second image).
  void Successors(size_t index, std::vector<int64_t>& out) const {
    const SceneData& scene = s_.scenes[index];
    const int64_t next = static_cast<int64_t>(index) + 1;
    const int64_t first = s_.config.firstScene;
    switch (scene.nextScene) {
      case -1: out.push_back(next < count_ ? next : first); break;
      case -2: break;
      case -3: out.push_back(first); break;
      case -4:
        out.push_back(next);
        if (scene.jumpScene != -1) out.push_back(scene.jumpScene);
        break;
      default: out.push_back(scene.nextScene);
    }
    if (scene.cancelScene != -1) out.push_back(scene.cancelScene);
    for (const ImageEntry& e : scene.images) {
      if (e.secondImage.empty()) continue;
      if (e.targetScene >= 0) out.push_back(e.targetScene);
      if (e.targetScene == -2) out.push_back(next);
      int32_t n = 0;
      if (e.actionCode == static_cast<int32_t>(tav::Action::FirstScene)) out.push_back(first);
      if (e.actionCode == static_cast<int32_t>(tav::Action::Call) && SceneNumber(e.actionText, n)) out.push_back(n);
    }
  }

  void CheckReachable() {
    if (!InRange(s_.config.firstScene)) return;
    std::vector<bool> reached(s_.scenes.size(), false);
    std::deque<int64_t> queue{s_.config.firstScene};
    reached[static_cast<size_t>(s_.config.firstScene)] = true;
    std::vector<int64_t> next;
    while (!queue.empty()) {
      size_t index = static_cast<size_t>(queue.front());
      queue.pop_front();
      next.clear();
      Successors(index, next);
      for (int64_t n : next) {
        if (!InRange(n) || reached[static_cast<size_t>(n)]) continue;
        reached[static_cast<size_t>(n)] = true;
        queue.push_back(n);
      }
    }
    for (size_t i = 0; i < reached.size(); ++i) {
      if (reached[i]) continue;
      const tav::SceneSource& source = s_.report.scenes[i];
      findings_.Add(At(source.file, source.headerLine,
                       L"scene " + Number(static_cast<int64_t>(i)) + L" is reached by no path from the first scene (" +
                           Number(s_.config.firstScene) + L")"));
    }
  }

  void CheckMessageWindow() {
    const std::wstring& name = s_.config.messageWindowName;
    if (name.empty()) return;
    for (const SceneData& scene : s_.scenes)
      for (const ImageEntry& e : scene.images)
        if (e.image == name) return;
    size_t line = s_.configLines.size() == 17 ? s_.configLines[13] : 0;
    findings_.Add({L"Txt.pac", L"Txt\\config.txt", line,
                   L"the message window \"" + name + L"\" is shown by no scene"});
  }

  const Scenario& s_;
  Findings& findings_;
  const int64_t count_;
};

}  // namespace

void CheckScenes(const Scenario& scenario, Findings& findings) { SceneWalk(scenario, findings).Run(); }

}  // namespace tavlint
