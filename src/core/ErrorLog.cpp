#include "core/ErrorLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/os/ErrorText.h"
#include "platform/os/Files.h"
#include "platform/os/LastError.h"
#include "platform/os/Locale.h"
#include "platform/os/Paths.h"
#include "core/UserFolder.h"

namespace tav {

namespace {
std::mutex sinkMutex;
LogSink sink;
thread_local LogCapture* capture = nullptr;
}  // namespace

LogCapture::LogCapture() : outer_(capture) { capture = this; }
LogCapture::~LogCapture() { capture = outer_; }

void SetLogSink(LogSink newSink) {
  std::lock_guard lock(sinkMutex);
  sink = std::move(newSink);
}

std::string FormatLogLine(const std::tm& date, std::wstring_view message) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%04d/%02d/%02d ", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
  std::string line = prefix;
  line += os::WideToMultiByte(message);
  line += '\n';
  return line;
}

void LogError(std::wstring_view text) noexcept {
  try {
    if (capture) capture->last_ = text;
    {
      std::lock_guard lock(sinkMutex);
      if (sink) {
        sink(text);
        return;
      }
    }
    std::wstring folder;
    if (!GetUserFolder(folder)) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return;
    os::AppendToFile(os::JoinPath(folder, L"Err.txt"), FormatLogLine(local, text));
  } catch (...) {
    // The log is the last resort; there is nobody left to tell.
  }
}

void LogLastError() noexcept {
  try {
    // Code 0 is no error: there is nothing to say.
    const int code = os::GetLastError();
    if (code != 0) LogError(os::SystemMessage(code));
  } catch (...) {
  }
}

void LogErrno() noexcept {
  try {
    LogError(os::SystemMessage(errno));
  } catch (...) {
  }
}

void LogException(const char* what) noexcept {
  try {
    std::wstring wide;
    if (what && os::MultiByteToWide(what, wide)) LogError(wide);
  } catch (...) {
  }
}

void LogHResult(HRESULT hr, std::wstring_view call) noexcept {
  try {
    std::wstring line(call);
    line += L' ';
    line += os::DXGetErrorStringW(hr);
    line += L' ';
    line += os::DXGetErrorDescriptionW(hr);
    LogError(line);
  } catch (...) {
  }
}

}  // namespace tav
