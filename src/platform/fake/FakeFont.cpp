#include "platform/fake/FakeFont.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/font/FontModule.h"
#include "platform/os/LastError.h"

namespace tav::fake {

using font::FontObject;
using font::GlyphImage;

namespace {

LONG CellHeight(LONG lfHeight) { return lfHeight == 0 ? 16 : lfHeight < 0 ? -lfHeight : lfHeight; }

}  // namespace

class FakeFontModule final : public font::FontModule {
 public:
  explicit FakeFontModule(FakeFont& owner) : owner_(owner) {}

  // Fails the call with the next scripted error, if any.
  bool Scripted(const std::string& call) {
    ++counts_[call];
    auto it = scripts_.find(call);
    if (it == scripts_.end() || it->second.empty()) return false;
    int error = it->second.front();
    it->second.pop_front();
    if (error == 0) return false;
    os::SetLastError(error);
    return true;
  }

  HFONT CreateFontIndirectW(const LOGFONTW* logfont) override {
    if (logfont) heights_.push_back(logfont->lfHeight);
    if (Scripted("CreateFontIndirectW")) return nullptr;
    return FontModule::CreateFontIndirectW(logfont);
  }
  HDC CreateCompatibleDC(HDC dc) override {
    if (Scripted("CreateCompatibleDC")) return nullptr;
    return FontModule::CreateCompatibleDC(dc);
  }
  BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) override {
    if (Scripted("GetTextMetricsW")) return FALSE;
    return FontModule::GetTextMetricsW(dc, metrics);
  }
  DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                         const MAT2* matrix) override {
    if (Scripted("GetGlyphOutlineW")) return GDI_ERROR;
    return FontModule::GetGlyphOutlineW(dc, ch, format, metrics, size, buffer, matrix);
  }
  BOOL TextOutW(HDC dc, int x, int y, const wchar_t* text, int count) override {
    if (Scripted("TextOutW")) return FALSE;
    return FontModule::TextOutW(dc, x, y, text, count);
  }

  std::map<std::string, std::deque<int>> scripts_;
  std::map<std::string, int> counts_;
  std::vector<LONG> heights_;

 protected:
  std::shared_ptr<FontObject> MakeFont(const LOGFONTW& logfont) override;

 private:
  FakeFont& owner_;
};

namespace {

class FakeFontObject final : public FontObject {
 public:
  FakeFontObject(const LOGFONTW& logfont, const FakeFont& owner) : FontObject(logfont), owner_(owner) {}
  bool Metrics(TEXTMETRICW& metrics) override {
    metrics = owner_.MetricsFor(Logfont().lfHeight);
    return true;
  }
  bool Glyph(UINT ch, GlyphImage& glyph) override {
    LONG height = Logfont().lfHeight;
    FakeFont::Glyph g = owner_.GlyphFor(height, wchar_t(ch));
    if (g.levels.size() < size_t(g.width) * g.height) {
      os::SetLastError(EINVAL);  // a test set up a glyph with too few levels
      return false;
    }
    glyph.advance = owner_.cellIncrement ? owner_.cellIncrement(height, wchar_t(ch)) : 0;
    glyph.left = g.origin.x;
    glyph.top = g.origin.y;
    glyph.width = g.width;
    glyph.height = g.height;
    glyph.levels.assign(glyph.Bytes(), 0);
    for (UINT row = 0; row < g.height; ++row)
      std::memcpy(glyph.levels.data() + size_t(row) * glyph.Pitch(), g.levels.data() + size_t(row) * g.width,
                  g.width);
    return true;
  }

 private:
  const FakeFont& owner_;
};

}  // namespace

std::shared_ptr<FontObject> FakeFontModule::MakeFont(const LOGFONTW& logfont) {
  return std::make_shared<FakeFontObject>(logfont, owner_);
}

FakeFont::FakeFont() : module_(std::make_unique<FakeFontModule>(*this)) {
  metrics = [](LONG lfHeight) {
    TEXTMETRICW tm{};
    LONG cell = CellHeight(lfHeight);
    tm.tmHeight = cell;
    tm.tmAscent = (cell * 4 + 2) / 5;
    tm.tmDescent = cell - tm.tmAscent;
    tm.tmInternalLeading = lfHeight < 0 ? 0 : cell / 8;
    tm.tmAveCharWidth = cell / 2;
    tm.tmMaxCharWidth = cell;
    tm.tmWeight = FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = L' ';
    tm.tmLastChar = wchar_t(0xFFFF);
    tm.tmDefaultChar = L'?';
    tm.tmBreakChar = L' ';
    tm.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE | TMPF_FIXED_PITCH;
    tm.tmCharSet = SHIFTJIS_CHARSET;
    return tm;
  };
  cellIncrement = [this](LONG lfHeight, wchar_t ch) {
    LONG em = CellHeight(lfHeight) - MetricsFor(lfHeight).tmInternalLeading;
    return short(ch >= 0x3000 ? em : em / 2);
  };
  font::InstallFontModule(module_.get());
}

FakeFont::~FakeFont() { font::InstallFontModule(nullptr); }

void FakeFont::Script(const std::string& call, std::initializer_list<int> errors) {
  auto& queue = module_->scripts_[call];
  queue.insert(queue.end(), errors.begin(), errors.end());
}

const std::vector<LONG>& FakeFont::RequestedHeights() const { return module_->heights_; }
size_t FakeFont::LiveFonts() const { return module_->LiveFonts(); }
size_t FakeFont::LiveDCs() const { return module_->LiveDCs(); }

int FakeFont::Count(const std::string& call) const {
  auto it = module_->counts_.find(call);
  return it == module_->counts_.end() ? 0 : it->second;
}

TEXTMETRICW FakeFont::MetricsFor(LONG lfHeight) const {
  if (metrics) return metrics(lfHeight);
  TEXTMETRICW tm{};
  tm.tmHeight = tm.tmAscent = CellHeight(lfHeight);
  return tm;
}

FakeFont::Glyph FakeFont::GlyphFor(LONG lfHeight, wchar_t ch) const {
  if (blank.count(ch)) return {};
  if (auto it = glyphs.find(ch); it != glyphs.end()) return it->second;
  TEXTMETRICW tm = MetricsFor(lfHeight);
  short advance = cellIncrement ? cellIncrement(lfHeight, ch) : short(tm.tmAveCharWidth);
  Glyph g;
  g.width = UINT(std::max(1, advance - 2));
  g.height = UINT(std::max<LONG>(1, tm.tmAscent - 1));
  g.origin = {1, int32_t(g.height)};
  g.levels.assign(size_t(g.width) * g.height, 64);
  return g;
}

}  // namespace tav::fake
