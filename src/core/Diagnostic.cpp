#include "core/Diagnostic.h"

#include "core/ErrorLog.h"

namespace tav {

std::wstring Diagnostic::Text() const {
  std::wstring text = file.empty() ? archive : file;
  if (!file.empty() && line > 0) text += L", line " + std::to_wstring(line);
  if (!text.empty()) text += L": ";
  return text + message;
}

void Report(const DiagnosticSink* sink, Diagnostic diagnostic) {
  if (sink && *sink)
    (*sink)(diagnostic);
  else
    LogError(diagnostic.Text());
}

}  // namespace tav
