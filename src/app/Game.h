#pragma once
// The one application object: the window, the loop's frame, the registered
// scenes with their update and draw tasks, the device, and the objects that
// must be rebuilt after a device reset.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/Scene.h"
#include "gfx/BaseD3D.h"
#include "gfx/NamedStore.h"
#include "platform/os/WinTypes.h"
#include "text/TextRegistry.h"

namespace tav {

struct SceneTask {
  std::wstring name;
  bool removed = false;
  std::function<void()> call;
  const DeviceState* state = nullptr;
};

// What the window procedure learns for the scene.
struct WindowInput {
  // The last wheel rotation (120 per notch, positive away from the user); the
  // scene reads it and writes 0 back.
  int32_t wheelDelta = 0;
  // Raised by the close box and Alt+F4; the quit dialog asks and clears it.
  bool closeRequested = false;
};

class CGame {
 public:
  HWND window = nullptr;
  WindowInput input;
  // The client size the window keeps in window mode.
  int clientWidth = 0;
  int clientHeight = 0;
  MSG message{};
  std::wstring className;
  std::function<bool()> frame;
  std::vector<SceneTask> updateTasks;
  std::vector<SceneTask> drawTasks;
  std::unordered_map<std::wstring, std::shared_ptr<CScene>> scenes;
  const DeviceState* taskState = nullptr;
  CBaseD3D device;
  CTextRegistry texts{device};
  std::function<bool()> afterReset;
  // Run once when a frame fails, just before the game ends for it (the
  // device is gone for good): the title keeps what the player set and saw,
  // as quitting does.
  std::function<void()> beforeFailedEnd;

  // Takes ownership of `scene`; false (and the scene deleted) when the name is
  // already registered.
  bool RegisterScene(const std::wstring& name, CScene* scene);
  // One frame: device step, update tasks, drawing, present. False ends the game.
  bool Frame();
  // Whether every draw task draws through quads only, so that frames that
  // would look unchanged need not be drawn (set with the title scene).
  bool skipUnchangedFrames = false;
  void SetFrame(std::function<bool()> callable);
  void SetAfterReset(std::function<bool()> callable);
  // An image from the resource archive ("Res\" + name) as the texture `name`.
  // False for an empty name, a name already holding a texture, or an image
  // that is not in the archive or cannot be loaded.
  bool LoadTexture(const std::wstring& name);
  // The text registry's operations, as scenes call them.
  bool GetText(int size, const std::wstring& name, const std::wstring& text) { return texts.Get(size, name, text); }
  bool RemoveText(const std::wstring& name) { return texts.Remove(name); }
  void RemoveAllTexts() { texts.RemoveAll(); }
  // The restorable objects in registry order.
  std::vector<CRestore*> RestorableList();
  // Runs the tasks whose device state is Ok; false on a Failed state.
  static bool WalkTasks(std::vector<SceneTask>& tasks);
};

// The single game object, made on first use.
CGame& GetGame();

}  // namespace tav
