#pragma once

namespace tav {

// A scene advances its logic in Update and issues its drawing in Draw, once
// per frame each.
class CScene {
 public:
  virtual ~CScene() = default;
  virtual void Draw() = 0;
  virtual void Update() = 0;
};

}  // namespace tav
