// The production font module: fonts from FreeType faces that fontconfig finds.
#include <cerrno>
#include <string>

#include "platform/font/FaceCache.h"
#include "platform/font/FontModule.h"
#include "platform/font/FreeTypeFont.h"
#include "platform/os/LastError.h"
#include "platform/os/Locale.h"

namespace tav::font {

namespace {

std::string FaceNameUtf8(const LOGFONTW& logfont) {
  size_t length = 0;
  while (length < LF_FACESIZE && logfont.lfFaceName[length]) ++length;
  return os::ToUtf8(std::wstring_view(logfont.lfFaceName, length));
}

class FreeTypeModule final : public FontModule {
 protected:
  std::shared_ptr<FontObject> MakeFont(const LOGFONTW& logfont) override {
    std::shared_ptr<Face> face = faces_.Find(FaceNameUtf8(logfont), logfont.lfWeight >= 600, logfont.lfItalic != 0);
    if (!face) return nullptr;
    return FreeTypeFont::Create(logfont, std::move(face));
  }

 private:
  FaceCache faces_;
};

}  // namespace

FontModule& FreeTypeFontModule() {
  // Never destroyed: fonts held by other process-wide objects (the game's
  // text registry) are deleted during exit, possibly after any static here.
  static FreeTypeModule* module = new FreeTypeModule;
  return *module;
}

}  // namespace tav::font
