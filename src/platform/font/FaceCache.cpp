#include "platform/font/FaceCache.h"

#include <fontconfig/fontconfig.h>

#include <cerrno>

#include "platform/os/LastError.h"

namespace tav::font {

class FreeTypeLibrary {
 public:
  FreeTypeLibrary() { error_ = FT_Init_FreeType(&library_); }
  ~FreeTypeLibrary() {
    if (!error_) FT_Done_FreeType(library_);
  }
  FT_Library Get() const { return error_ ? nullptr : library_; }

 private:
  FT_Library library_ = nullptr;
  FT_Error error_ = 0;
};

Face::Face(std::shared_ptr<FreeTypeLibrary> library, FT_Face face, std::string family, std::string file)
    : library_(std::move(library)), face_(face), family_(std::move(family)), file_(std::move(file)) {}

Face::~Face() { FT_Done_Face(face_); }

namespace {

// A character every face used for Japanese text must have.
constexpr FcChar32 kHiraganaA = 0x3042;

struct Match {
  std::string file;
  int index = 0;
  std::string family;
};

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

Pattern Request(bool bold, bool italic) {
  Pattern p(FcPatternCreate());
  if (!p) return p;
  FcPatternAddInteger(p.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(p.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(p.get(), FC_SCALABLE, FcTrue);
  return p;
}

bool Describe(FcPattern* font, Match& match) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return false;
  int index = 0;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  FcChar8* family = nullptr;
  FcPatternGetString(font, FC_FAMILY, 0, &family);
  match = {reinterpret_cast<const char*>(file), index, family ? reinterpret_cast<const char*>(family) : ""};
  return true;
}

// The installed face of exactly this family: fontconfig always answers with
// something, so a substitute of another name counts as no match.
bool MatchFamily(const std::string& family, bool bold, bool italic, Match& match) {
  Pattern p = Request(bold, italic);
  if (!p) return false;
  FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, p.get(), FcMatchPattern);
  FcDefaultSubstitute(p.get());
  FcResult result;
  Pattern font(FcFontMatch(nullptr, p.get(), &result));
  if (!font) return false;
  const auto* wanted = reinterpret_cast<const FcChar8*>(family.c_str());
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font.get(), FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (FcStrCmpIgnoreCase(name, wanted) == 0) return Describe(font.get(), match);
  return false;
}

// The best face for Japanese text that really has kana.
bool MatchJapanese(bool bold, bool italic, Match& match) {
  Pattern p = Request(bold, italic);
  if (!p) return false;
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddLangSet(p.get(), FC_LANG, langs);
  FcLangSetDestroy(langs);
  FcConfigSubstitute(nullptr, p.get(), FcMatchPattern);
  FcDefaultSubstitute(p.get());
  FcResult result;
  FcFontSet* set = FcFontSort(nullptr, p.get(), FcFalse, nullptr, &result);
  if (!set) return false;
  bool found = false;
  for (int i = 0; i < set->nfont && !found; ++i) {
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch) continue;
    if (FcCharSetHasChar(chars, kHiraganaA)) found = Describe(set->fonts[i], match);
  }
  FcFontSetDestroy(set);
  return found;
}

}  // namespace

std::shared_ptr<Face> FaceCache::Find(const std::string& family, bool bold, bool italic) {
  std::lock_guard lock(mutex_);
  auto key = std::make_tuple(family, bold, italic);
  if (auto it = requests_.find(key); it != requests_.end()) return it->second;
  if (!FcInit()) {
    os::SetLastError(EIO);
    return nullptr;
  }
  Match match;
  bool found = (!family.empty() && MatchFamily(family, bold, italic, match)) || MatchJapanese(bold, italic, match);
  if (!found) {
    os::SetLastError(ENOENT);
    return nullptr;
  }
  std::shared_ptr<Face> face = Open(match.file, match.index, match.family);
  if (face) requests_[key] = face;
  return face;
}

std::shared_ptr<Face> FaceCache::Open(const std::string& file, int index, const std::string& family) {
  auto fileKey = std::make_pair(file, index);
  if (auto it = files_.find(fileKey); it != files_.end()) return it->second;
  if (!library_) library_ = std::make_shared<FreeTypeLibrary>();
  if (!library_->Get()) {
    os::SetLastError(EIO);
    return nullptr;
  }
  FT_Face face = nullptr;
  FT_Error error = FT_New_Face(library_->Get(), file.c_str(), index, &face);
  if (error) {
    os::SetLastError(error == FT_Err_Cannot_Open_Resource ? ENOENT
                     : error == FT_Err_Out_Of_Memory     ? ENOMEM
                                                         : EILSEQ);
    return nullptr;
  }
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    os::SetLastError(EILSEQ);
    return nullptr;
  }
  auto shared = std::make_shared<Face>(library_, face, family, file);
  files_[fileKey] = shared;
  return shared;
}

}  // namespace tav::font
