// The game object's registry of text textures.
#include "app/Game.h"
#include "text/TexString.h"

namespace tav {

bool CGame::GetText(int size, const std::wstring& name, const std::wstring& text) {
  if (texts.Find(name)) return false;
  auto created = std::make_shared<CTexString>(&device);
  if (!Rasterise(text, &device, *created, name, TextFont(size))) return false;
  return texts.Insert(name, std::move(created));
}

bool CGame::RemoveText(const std::wstring& name) {
  if (!texts.Find(name)) return false;
  device.EraseTexture(name);
  return texts.Erase(name);
}

void CGame::RemoveAllTexts() {
  for (const auto& [name, text] : texts) device.EraseTexture(name);
  texts.Clear();
}

}  // namespace tav
