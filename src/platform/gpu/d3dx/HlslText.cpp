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

}  // namespace tav::gpu::d3dx
