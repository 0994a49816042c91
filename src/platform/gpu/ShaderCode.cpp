#include "platform/gpu/ShaderCode.h"

#include <cstring>
#include <sstream>

namespace tav::gpu {

namespace {
constexpr const char* kMagic = "TAVSHADER 1";
}

// Layout: a header line "TAVSHADER 1 vertex|pixel", then "input USAGE INDEX
// LOCATION" and "sampler UNIFORM STAGE" lines, then a line "glsl" and the source.
std::vector<DWORD> EncodeShaderCode(const ShaderCode& code) {
  std::ostringstream text;
  text << kMagic << ' ' << (code.vertex ? "vertex" : "pixel") << '\n';
  for (const ShaderInput& in : code.inputs)
    text << "input " << int(in.usage) << ' ' << int(in.usageIndex) << ' ' << in.location << '\n';
  for (const ShaderSampler& s : code.samplers) text << "sampler " << s.uniform << ' ' << s.stage << '\n';
  text << "glsl\n" << code.glsl;
  std::string bytes = text.str();
  std::vector<DWORD> out(bytes.size() / 4 + 1, 0);  // always room for the NUL
  std::memcpy(out.data(), bytes.data(), bytes.size());
  return out;
}

bool DecodeShaderCode(const DWORD* code, ShaderCode& out) {
  if (!code) return false;
  std::istringstream text(reinterpret_cast<const char*>(code));
  std::string line;
  if (!std::getline(text, line)) return false;
  if (line == std::string(kMagic) + " vertex")
    out.vertex = true;
  else if (line == std::string(kMagic) + " pixel")
    out.vertex = false;
  else
    return false;
  out.inputs.clear();
  out.samplers.clear();
  while (std::getline(text, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "glsl") {
      std::ostringstream rest;
      rest << text.rdbuf();
      out.glsl = rest.str();
      return !out.glsl.empty();
    }
    if (kind == "input") {
      int usage = -1, index = -1, location = -1;
      if (!(fields >> usage >> index >> location) || usage < 0 || usage > 255 || index < 0 || index > 255 ||
          location < 0)
        return false;
      out.inputs.push_back({BYTE(usage), BYTE(index), location});
    } else if (kind == "sampler") {
      ShaderSampler s;
      if (!(fields >> s.uniform >> s.stage) || s.stage < 0) return false;
      out.samplers.push_back(s);
    } else {
      return false;
    }
  }
  return false;
}

}  // namespace tav::gpu
