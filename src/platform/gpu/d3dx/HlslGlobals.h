#pragma once
// A look at the global declarations of an HLSL source before it is compiled:
// the HLSL front end in use crashes, instead of reporting an error, when a
// global variable is declared a second time ("sampler S; float S;").
#include <string>
#include <string_view>

namespace tav::gpu::d3dx {

// True, with the name in `name`, when two global variable declarations of
// `source` name the same variable. Sources with preprocessor conditionals are
// not looked at (their branches may declare one name each), nor are names made
// by macros.
bool FindGlobalRedefinition(std::string_view source, std::string& name);

}  // namespace tav::gpu::d3dx
