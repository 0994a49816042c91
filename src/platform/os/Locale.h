#pragma once
// Multibyte text in the user's locale, the substitute for the ANSI code page.
#include <string>
#include <string_view>

namespace tav::os {

// Sets every locale category from the environment. A plain C or POSIX locale
// only knows ASCII, so its character type is switched to UTF-8: on Linux that is
// what file names and game text are.
void SetUserLocale();

// Converts multibyte text up to its first NUL (or its end) into wide text.
// Returns false, with errno set to EILSEQ, when the bytes are not valid in the
// current locale or end inside a character; `out` is then unspecified.
bool MultiByteToWide(std::string_view bytes, std::wstring& out);

// Converts wide text to the current locale's multibyte form. Characters that the
// locale cannot express become '?', so the result is always usable for display.
std::string WideToMultiByte(std::wstring_view text);

// Wide text as UTF-8 (what SDL and fontconfig take), whatever the locale;
// characters that are not Unicode code points become U+FFFD.
std::string ToUtf8(std::wstring_view text);

// Exact conversion for names that must survive a round trip (file names):
// false when some character has no multibyte form.
bool WideToMultiByteExact(std::wstring_view text, std::string& out);

}  // namespace tav::os
