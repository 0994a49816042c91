// Sounds of the resource archive, registered under a name of their own.
#include "audio/SoundCommands.h"
#include "res/Stores.h"

namespace tav {

bool LoadResourceSound(const std::wstring& relative, const std::wstring& name, bool loop) {
  const uint8_t* bytes = nullptr;
  uint32_t count = 0;
  if (!ResStore().Get(ResKey(relative), &bytes, &count)) return false;
  return CXAudio2::Create(name, bytes, count, loop);
}

}  // namespace tav
