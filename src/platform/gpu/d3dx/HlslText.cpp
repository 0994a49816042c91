#include "platform/gpu/d3dx/HlslText.h"

namespace tav::gpu::d3dx {

bool IsShaderText(std::string_view source, size_t& offset) {
  for (size_t at = 0; at < source.size(); ++at) {
    const unsigned char c = static_cast<unsigned char>(source[at]);
    if ((c < 0x20 && (c < '\t' || c > '\r')) || c == 0x7F) {
      offset = at;
      return false;
    }
  }
  return true;
}

bool FindBracketAssignment(std::string_view source, size_t& offset) {
  int depth = 0;  // open square brackets
  for (size_t at = 0; at < source.size(); ++at) {
    const char c = source[at];
    const std::string_view rest = source.substr(at);
    if (rest.starts_with("//")) {
      at = source.find('\n', at);
      if (at == std::string_view::npos) break;
    } else if (rest.starts_with("/*")) {
      at = source.find("*/", at + 2);
      if (at == std::string_view::npos) break;
      ++at;
    } else if (c == '"') {
      at = source.find('"', at + 1);
      if (at == std::string_view::npos) break;
    } else if (c == '[') {
      ++depth;
    } else if (c == ']') {
      if (depth > 0) --depth;
    } else if (c == ';' || c == '{' || c == '}') {
      depth = 0;
    } else if (c == '=' && depth > 0) {
      const char before = at > 0 ? source[at - 1] : ' ';
      const char after = at + 1 < source.size() ? source[at + 1] : ' ';
      if (after == '=') {
        ++at;  // "==" compares
        continue;
      }
      if (before == '<' || before == '>' || before == '!') continue;
      offset = at;
      return true;
    }
  }
  return false;
}

}  // namespace tav::gpu::d3dx
