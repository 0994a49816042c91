#pragma once
// The error log: every failure the engine notices becomes one dated line in
// "Err.txt" in the per-user folder. Logging never throws and never reports a
// failure of its own; a line that cannot be written is lost.
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "platform/os/ResultCodes.h"

namespace tav {

void LogError(std::wstring_view text) noexcept;
// The system's message for the thread's last error.
void LogLastError() noexcept;
// The C library's message for errno.
void LogErrno() noexcept;
// A standard exception's what() text, converted from multibyte.
void LogException(const char* what) noexcept;
// call + " " + symbolic name + " " + description.
void LogHResult(HRESULT hr, std::wstring_view call) noexcept;

// "YYYY/MM/DD message\n" in the locale's multibyte form.
std::string FormatLogLine(const std::tm& date, std::wstring_view message);

// Tools send log lines elsewhere (a terminal) instead of the per-user file.
// An empty sink restores the file.
using LogSink = std::function<void(std::wstring_view)>;
void SetLogSink(LogSink sink);

// While it lives, remembers the last line logged on the thread that made it
// (lines still go to the log as usual), so that the caller can tell the user
// what stopped it. Captures nest; the innermost one records.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  // Empty when nothing was logged.
  const std::wstring& Last() const { return last_; }

 private:
  friend void LogError(std::wstring_view text) noexcept;
  LogCapture* outer_;
  std::wstring last_;
};

}  // namespace tav
