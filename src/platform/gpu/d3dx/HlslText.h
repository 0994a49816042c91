#pragma once
// Whether an HLSL source is text at all. A damaged archive entry handed to the
// HLSL front end as a shader can crash it; control bytes that no source holds
// are refused before it sees them.
#include <cstddef>
#include <string_view>

namespace tav::gpu::d3dx {

// True when `source` holds no control character but tabs, line and page
// breaks. Bytes from 0x80 up pass in any encoding: comments may be written in
// whatever the author's editor saves. Otherwise false, with the offset of the
// first control byte.
bool IsShaderText(std::string_view source, size_t& offset);

}  // namespace tav::gpu::d3dx
