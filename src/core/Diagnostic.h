#pragma once
// A problem found in a game's data, with where it is. The engine writes each to
// the error log; a checking tool may ask for them instead, to list them all.
#include <cstddef>
#include <functional>
#include <string>

namespace tav {

struct Diagnostic {
  std::wstring archive;  // "Txt.pac"; empty when the problem concerns no one archive
  std::wstring file;     // the entry, "Txt\config.txt"; empty for the archive itself
  size_t line = 0;       // 1-based line in the file; 0 for the whole file
  std::wstring message;

  // "Txt\a.txt, line 3: message", "Txt\config.txt: message", or the archive
  // and the message when there is no file: the form of the log line.
  std::wstring Text() const;
};

using DiagnosticSink = std::function<void(const Diagnostic&)>;

// Hands `diagnostic` to `sink`, or writes its text to the error log when there
// is no sink.
void Report(const DiagnosticSink* sink, Diagnostic diagnostic);

}  // namespace tav
