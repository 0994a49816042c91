// An HLSL source compiled as the shader store compiles it: the vertex entry
// point "VS" and the pixel entry point "PS" of the same text.
#include <cstdint>

#include "platform/gpu/D3DX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;  // the demo's largest source is under 2 KiB
  static const char* const kStages[][2] = {{"VS", "vs_3_0"}, {"PS", "ps_3_0"}};
  for (const auto& [entry, profile] : kStages) {
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    D3DXCompileShader(reinterpret_cast<const char*>(data), UINT(size), nullptr, nullptr, entry, profile, 0, &code,
                      &errors, nullptr);
    if (code) code->Release();
    if (errors) errors->Release();
  }
  return 0;
}
