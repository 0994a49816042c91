// The production font module: fonts from FreeType faces that fontconfig finds.
#include <cerrno>
#include <string>

#include "platform/font/FaceCache.h"
#include "platform/font/FontModule.h"
#include "platform/font/FreeTypeFont.h"
#include "platform/os/LastError.h"

namespace tav::font {

namespace {

std::string FaceNameUtf8(const LOGFONTW& logfont) {
  std::string out;
  for (int i = 0; i < LF_FACESIZE && logfont.lfFaceName[i]; ++i) {
    auto c = uint32_t(logfont.lfFaceName[i]);
    if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) c = 0xFFFD;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | c >> 12);
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | c >> 18);
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
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
