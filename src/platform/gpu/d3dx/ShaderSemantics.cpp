#include "platform/gpu/d3dx/ShaderSemantics.h"

#include <cctype>

namespace tav::gpu::d3dx {

namespace {

constexpr uint32_t kMaxSemanticIndex = 255;

struct Usage {
  const char* name;
  BYTE usage;
};

constexpr Usage kVertexElements[] = {
    {"POSITION", D3DDECLUSAGE_POSITION},       {"SV_POSITION", D3DDECLUSAGE_POSITION},
    {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT}, {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES},
    {"NORMAL", D3DDECLUSAGE_NORMAL},           {"PSIZE", D3DDECLUSAGE_PSIZE},
    {"TEXCOORD", D3DDECLUSAGE_TEXCOORD},       {"TANGENT", D3DDECLUSAGE_TANGENT},
    {"BINORMAL", D3DDECLUSAGE_BINORMAL},       {"TESSFACTOR", D3DDECLUSAGE_TESSFACTOR},
    {"POSITIONT", D3DDECLUSAGE_POSITIONT},     {"COLOR", D3DDECLUSAGE_COLOR},
};

struct Slot {
  const char* name;
  uint32_t count;  // indices 0 .. count - 1
  int first;       // location of index 0
};

constexpr Slot kVaryings[] = {
    {"COLOR", 4, 0}, {"TEXCOORD", 16, 4}, {"NORMAL", 1, 20},      {"TANGENT", 1, 21},      {"BINORMAL", 1, 22},
    {"FOG", 1, 23},  {"PSIZE", 1, 24},    {"BLENDWEIGHT", 1, 25}, {"BLENDINDICES", 1, 26},
};

}  // namespace

bool ParseSemantic(std::string_view text, Semantic& out) {
  size_t digits = text.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1]))) --digits;
  if (digits == 0) return false;
  out.name.clear();
  for (char c : text.substr(0, digits)) out.name += char(std::toupper(static_cast<unsigned char>(c)));
  out.index = 0;
  for (char c : text.substr(digits)) {
    out.index = out.index * 10 + uint32_t(c - '0');
    if (out.index > kMaxSemanticIndex) return false;
  }
  return true;
}

bool VertexElementOf(const Semantic& semantic, BYTE& usage, BYTE& usageIndex) {
  if (semantic.index > kMaxSemanticIndex) return false;
  for (const Usage& u : kVertexElements) {
    if (semantic.name == u.name) {
      usage = u.usage;
      usageIndex = BYTE(semantic.index);
      return true;
    }
  }
  return false;
}

int VaryingLocation(const Semantic& semantic) {
  for (const Slot& s : kVaryings) {
    if (semantic.name == s.name) return semantic.index < s.count ? s.first + int(semantic.index) : -1;
  }
  return -1;
}

int TargetLocation(const Semantic& semantic) {
  if ((semantic.name == "COLOR" || semantic.name == "SV_TARGET") && semantic.index < 4) return int(semantic.index);
  return -1;
}

}  // namespace tav::gpu::d3dx
