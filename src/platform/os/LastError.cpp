#include "platform/os/LastError.h"

#include <cstring>

#include "platform/os/Locale.h"

namespace tav::os {

namespace {
thread_local int lastError = 0;
}

int GetLastError() { return lastError; }
void SetLastError(int code) { lastError = code; }

std::wstring SystemMessage(int code) {
  char buf[256];
  // GNU strerror_r may return a static string instead of filling buf.
  const char* text = strerror_r(code, buf, sizeof buf);
  std::wstring wide;
  if (!MultiByteToWide(text, wide)) wide = L"error " + std::to_wstring(code);
  return wide;
}

}  // namespace tav::os
