#pragma once
// Checks on the text of an HLSL source made before the HLSL front end sees it,
// for damage that crashes the front end instead of earning an error: control
// bytes that no source holds, and an assignment where an array size or index
// belongs.
#include <cstddef>
#include <string_view>

namespace tav::gpu::d3dx {

// True when `source` holds no control character but tabs, line and page
// breaks. Bytes from 0x80 up pass in any encoding: comments may be written in
// whatever the author's editor saves. Otherwise false, with the offset of the
// first control byte.
bool IsShaderText(std::string_view source, size_t& offset);

// True, with the offset of the '=', when square brackets hold an assignment
// ("float3 L[D = float3(1, 0, 0)];"), the bracket counted as closed at its
// ']' or at the end of the statement. Comparisons pass, and so does whatever
// comments and strings hold.
bool FindBracketAssignment(std::string_view source, size_t& offset);

}  // namespace tav::gpu::d3dx
