#include "res/TextLines.h"

#include "platform/os/Locale.h"

namespace tav {

void SplitLines(const uint8_t* data, size_t size, std::vector<std::string>& lines,
                std::vector<size_t>* lineNumbers) {
  // Each line runs up to an LF. The end of the data acts as one extra NUL byte
  // that belongs to the last line, where it takes the place of the CR.
  size_t p = 0;
  size_t number = 0;
  while (p <= size) {
    ++number;
    size_t start = p;
    size_t end = start;  // one past the line's last byte, counting the final NUL
    while (p <= size) {
      if (p < size && data[p] == '\n') {
        ++p;
        break;
      }
      ++p;
      end = p;
    }
    size_t length = end - start;
    if (length <= 1 || data[start] == '/') continue;
    // Drop the last byte; keep the text before the first NUL.
    std::string line(reinterpret_cast<const char*>(data + start), length - 1);
    size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    lines.push_back(std::move(line));
    if (lineNumbers) lineNumbers->push_back(number);
  }
}

std::wstring LineToWide(const std::string& line) {
  std::wstring wide;
  if (!os::MultiByteToWide(line, wide)) wide.clear();
  return wide;
}

}  // namespace tav
