#include "text/TextRegistry.h"

#include "gfx/BaseD3D.h"
#include "text/TexString.h"

namespace tav {

bool CTextRegistry::Get(int size, const std::wstring& name, const std::wstring& text) {
  if (texts_.Find(name)) return false;
  auto created = std::make_shared<CTexString>(&device_);
  if (!Rasterise(text, &device_, *created, name, TextFont(size))) return false;
  return Add(name, std::move(created));
}

bool CTextRegistry::Add(const std::wstring& name, std::shared_ptr<CTexString> text) {
  return texts_.Insert(name, std::move(text));
}

const CTexString* CTextRegistry::Find(const std::wstring& name) const {
  const auto* found = texts_.Find(name);
  return found ? found->get() : nullptr;
}

bool CTextRegistry::Remove(const std::wstring& name) {
  if (!texts_.Find(name)) return false;
  device_.EraseTexture(name);
  return texts_.Erase(name);
}

void CTextRegistry::RemoveAll() {
  for (const auto& [name, text] : texts_) device_.EraseTexture(name);
  texts_.Clear();
}

std::vector<CRestore*> CTextRegistry::Restorables() {
  std::vector<CRestore*> list;
  for (auto& [name, text] : texts_) list.push_back(text.get());
  return list;
}

}  // namespace tav
