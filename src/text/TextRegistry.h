#pragma once
// Every text texture by name, in the order made, which is the order they are
// rebuilt in after a device reset.
#include <memory>
#include <string>
#include <vector>

#include "gfx/NamedStore.h"
#include "gfx/Restore.h"

class CBaseD3D;
class CTexString;

namespace tav {

class CTextRegistry {
 public:
  explicit CTextRegistry(CBaseD3D& device) : device_(device) {}

  // `text` at `size` pixels as the texture `name`, registered under that
  // name. False, changing nothing, when the name is registered already or
  // the text cannot be made.
  bool Get(int size, const std::wstring& name, const std::wstring& text);
  // The texture and the registry entry of a text; false for an unknown name.
  bool Remove(const std::wstring& name);
  // Every registered text, textures included.
  void RemoveAll();
  // Registers a text made elsewhere; false when the name is taken.
  bool Add(const std::wstring& name, std::shared_ptr<CTexString> text);
  // The text registered under `name`, null when there is none.
  const CTexString* Find(const std::wstring& name) const;
  size_t Size() const { return texts_.Size(); }
  // The texts as restorable objects, in the order made.
  std::vector<CRestore*> Restorables();

 private:
  CBaseD3D& device_;
  NamedStore<std::shared_ptr<CTexString>> texts_;
};

}  // namespace tav
