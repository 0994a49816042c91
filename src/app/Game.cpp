#include "app/Game.h"

#include <exception>

#include "core/ErrorLog.h"
#include "res/Stores.h"

namespace tav {

CGame& GetGame() {
  static CGame game;
  return game;
}

bool CGame::RegisterScene(const std::wstring& name, CScene* created) {
  std::shared_ptr<CScene> scene(created);
  if (!scenes.emplace(name, scene).second) return false;
  auto append = [&](std::vector<SceneTask>& tasks, void (CScene::*op)()) {
    try {
      tasks.push_back({name, false, [scene, op] { ((*scene).*op)(); }, taskState});
      return true;
    } catch (const std::exception& e) {
      LogException(e.what());
      return false;
    }
  };
  return append(updateTasks, &CScene::Update) && append(drawTasks, &CScene::Draw);
}

bool CGame::WalkTasks(std::vector<SceneTask>& tasks) {
  for (size_t i = 0; i < tasks.size();) {
    SceneTask& task = tasks[i];
    if (task.removed) {
      tasks.erase(tasks.begin() + long(i));
      continue;
    }
    if (!task.state || *task.state == DeviceState::Ok)
      task.call();  // an empty callable throws std::bad_function_call, as a programming error should
    else if (*task.state == DeviceState::Failed)
      return false;
    ++i;
  }
  return true;
}

bool CGame::LoadTexture(const std::wstring& name) {
  if (name.empty() || device.GetTexture(name)) return false;
  const uint8_t* bytes = nullptr;
  uint32_t count = 0;
  if (!ResStore().Get(ResKey(name), &bytes, &count)) return false;
  return device.LoadTextureFromMemory(name, bytes, count, 0);
}

std::vector<CRestore*> CGame::RestorableList() {
  return texts.Restorables();
}

bool CGame::Frame() {
  CBaseD3D::FrameHooks hooks;
  hooks.restorables = [this] { return RestorableList(); };
  hooks.afterReset = afterReset;
  hooks.update = [this] { return WalkTasks(updateTasks); };
  hooks.draw = [this] { return WalkTasks(drawTasks); };
  hooks.skipUnchanged = skipUnchangedFrames;
  if (device.RunFrame(window, hooks)) return true;
  if (beforeFailedEnd) {
    const std::function<void()> keep = std::move(beforeFailedEnd);
    beforeFailedEnd = nullptr;
    keep();
  }
  return false;
}

void CGame::SetFrame(std::function<bool()> callable) {
  frame = nullptr;
  frame = std::move(callable);
}

void CGame::SetAfterReset(std::function<bool()> callable) {
  afterReset = nullptr;
  afterReset = std::move(callable);
}

}  // namespace tav
