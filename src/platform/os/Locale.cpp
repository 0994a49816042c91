#include "platform/os/Locale.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <langinfo.h>

namespace tav::os {

void SetUserLocale() {
  if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_ALL, "C");
  const char* ctype = std::setlocale(LC_CTYPE, nullptr);
  bool plain = ctype && (std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0);
  if (plain && std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

bool MultiByteToWide(std::string_view bytes, std::wstring& out) {
  out.clear();
  std::mbstate_t state{};
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    wchar_t wc = 0;
    size_t n = std::mbrtowc(&wc, p, left, &state);
    if (n == 0) return true;  // reached a NUL
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      errno = EILSEQ;
      return false;
    }
    out.push_back(wc);
    p += n;
    left -= n;
  }
  return true;
}

namespace {
bool Narrow(std::wstring_view text, std::string& out, bool lossy) {
  out.clear();
  std::mbstate_t state{};
  char buf[MB_LEN_MAX];
  for (wchar_t wc : text) {
    size_t n = std::wcrtomb(buf, wc, &state);
    if (n == static_cast<size_t>(-1)) {
      if (!lossy) return false;
      state = std::mbstate_t{};
      out.push_back('?');
      continue;
    }
    out.append(buf, n);
  }
  return true;
}
}  // namespace

std::string WideToMultiByte(std::wstring_view text) {
  std::string out;
  Narrow(text, out, true);
  return out;
}

bool WideToMultiByteExact(std::wstring_view text, std::string& out) { return Narrow(text, out, false); }

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    uint32_t c = uint32_t(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | c >> 12);
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | c >> 18);
      out += char(0x80 | (c >> 12 & 0x3F));
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace tav::os
