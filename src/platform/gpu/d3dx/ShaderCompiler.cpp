// HLSL of the Direct3D 9 dialect to the compiled form of ShaderCode.h: the
// HLSL front end of glslang (in its DX9-compatible mode) makes SPIR-V, and
// SPIRV-Cross turns that into GLSL 4.10 core.
//
// - POSITION (POSITION0) is taken as SV_Position in both stages, and DEPTH
//   (DEPTH0) as SV_Depth in pixel shaders, so the vertex position becomes
//   gl_Position, a pixel shader's POSITION input gl_FragCoord, and a DEPTH
//   result gl_FragDepth. Pixel inputs VPOS and VFACE are not supported.
// - Arrays inside input and output structs count as consecutive semantics.
// - Vertex inputs keep the locations the front end gives them (declaration
//   order); each is listed with the vertex element its semantic names.
// - Varyings get their locations from their semantics (ShaderSemantics.h).
// - Samplers are plain uniforms; each is listed with its texture stage, the
//   sN of its register, else the next free stage in declaration order.
// - Constants become plain uniforms (no uniform blocks, no binding layouts).
// - Vertex shaders end with the position fixup of ShaderCode.h: the
//   translated main is renamed and called from a main that applies it last.
// - The profile selects the stage and must name a shader model 1.1 - 3.0
//   vertex or 2.0 - 3.0 pixel profile; pixel shader model 1 is not compiled.
//   Compile flags are hints and are accepted as they are. #include is not
//   resolved (the include argument is ignored) and no constant table is
//   made: a non-null constantTable receives null.
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
// The front end's intermediate form, to see whether the entry point was found.
#include <glslang/MachineIndependent/localintermediate.h>
#include <spirv_cross/spirv_glsl.hpp>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/gpu/D3DX.h"
#include "platform/gpu/ShaderCode.h"
#include "platform/os/ChildProcess.h"
#include "platform/gpu/d3dx/Buffer.h"
#include "platform/gpu/d3dx/HlslGlobals.h"
#include "platform/gpu/d3dx/HlslText.h"
#include "platform/gpu/d3dx/ShaderSemantics.h"

namespace tav::gpu::d3dx {

namespace {

struct ProfileEntry {
  const char* name;
  bool vertex;
  bool compiled;  // false: a real profile this compiler does not target
};

constexpr ProfileEntry kProfiles[] = {
    {"vs_1_1", true, true},   {"vs_2_0", true, true},   {"vs_2_a", true, true},   {"vs_2_sw", true, true},
    {"vs_3_0", true, true},   {"vs_3_sw", true, true},  {"ps_2_0", false, true},  {"ps_2_a", false, true},
    {"ps_2_b", false, true},  {"ps_2_sw", false, true}, {"ps_3_0", false, true},  {"ps_3_sw", false, true},
    {"ps_1_1", false, false}, {"ps_1_2", false, false}, {"ps_1_3", false, false}, {"ps_1_4", false, false},
};

const ProfileEntry* FindProfile(const char* name) {
  for (const ProfileEntry& p : kProfiles)
    if (std::strcmp(p.name, name) == 0) return &p;
  return nullptr;
}

bool InitialiseFrontEnd() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = glslang::InitializeProcess(); });
  return ready;
}

bool IsIdentifier(const char* text) {
  if (!text || !*text || !(std::isalpha(static_cast<unsigned char>(*text)) || *text == '_')) return false;
  for (const char* c = text; *c; ++c)
    if (!(std::isalnum(static_cast<unsigned char>(*c)) || *c == '_')) return false;
  return true;
}

// A failed compile: the messages for the error buffer.
struct CompileError {
  std::string text;
};

class Compilation {
 public:
  explicit Compilation(bool vertex) : vertex_(vertex), stage_(vertex ? EShLangVertex : EShLangFragment) {}

  ShaderCode Run(const std::string& source, const std::string& preamble, const char* entry) {
    std::vector<uint32_t> spirv = ToSpirv(source, preamble, entry);
    spirv_cross::CompilerGLSL glsl(std::move(spirv));
    ShaderCode code;
    code.vertex = vertex_;
    AssignInterface(glsl, code);
    spirv_cross::CompilerGLSL::Options options;
    options.version = 410;
    options.es = false;
    options.enable_420pack_extension = false;
    options.emit_uniform_buffer_as_plain_uniforms = true;
    glsl.set_common_options(options);
    code.glsl = glsl.compile();
    ListSamplers(glsl, code);
    if (vertex_) AddPositionFixup(code.glsl);
    return code;
  }

 private:
  std::vector<uint32_t> ToSpirv(const std::string& source, const std::string& preamble, const char* entry) {
    glslang::TShader shader(stage_);
    const char* text = source.data();
    const int length = int(source.size());
    shader.setStringsWithLengths(&text, &length, 1);
    shader.setPreamble(preamble.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, stage_, glslang::EShClientOpenGL, 100);
    shader.setEnvClient(glslang::EShClientOpenGL, glslang::EShTargetOpenGL_450);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    // Keeps each input's and output's HLSL semantic in the SPIR-V.
    shader.setEnvTargetHlslFunctionality1();
    shader.setEntryPoint(entry);
    shader.setSourceEntryPoint(entry);
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);
    const auto messages = EShMessages(EShMsgSpvRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);
    if (!shader.parse(GetDefaultResources(), 100, false, messages)) throw CompileError{shader.getInfoLog()};

    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(messages)) throw CompileError{std::string(shader.getInfoLog()) + program.getInfoLog()};
    glslang::TIntermediate* intermediate = program.getIntermediate(stage_);
    if (!intermediate || intermediate->getNumEntryPoints() == 0)
      throw CompileError{std::string("error: entry point '") + entry + "' not found\n"};
    if (!program.mapIO()) throw CompileError{program.getInfoLog()};

    std::vector<uint32_t> spirv;
    spv::SpvBuildLogger logger;
    glslang::SpvOptions spvOptions;
    glslang::GlslangToSpv(*intermediate, spirv, &logger, &spvOptions);
    if (spirv.empty()) throw CompileError{"error: no code generated\n" + logger.getAllMessages()};
    return spirv;
  }

  // How many consecutive locations a value of this type takes.
  static uint32_t LocationSpan(const spirv_cross::CompilerGLSL& glsl, uint32_t typeId) {
    const spirv_cross::SPIRType& type = glsl.get_type(typeId);
    uint32_t span = type.columns > 1 ? type.columns : 1;
    for (uint32_t size : type.array) span *= size ? size : 1;
    return span;
  }

  // The semantic of an input or output. The front end splits an array inside
  // an input or output struct into one value per element ("s.t[1]"), each
  // carrying the array's semantic; element k takes the semantic index + k.
  static std::string SemanticOf(const spirv_cross::CompilerGLSL& glsl, const spirv_cross::Resource& r,
                                Semantic& semantic) {
    const std::string text = glsl.get_decoration_string(r.id, spv::DecorationHlslSemanticGOOGLE);
    if (!ParseSemantic(text, semantic))
      throw CompileError{"error: '" + r.name + "' has no usable semantic ('" + text + "')\n"};
    const size_t open = r.name.rfind('[');
    if (open != std::string::npos && r.name.back() == ']' && open + 2 < r.name.size()) {
      const std::string digits = r.name.substr(open + 1, r.name.size() - open - 2);
      if (digits.size() <= 3 && digits.find_first_not_of("0123456789") == std::string::npos)
        semantic.index += uint32_t(std::stoul(digits));
    }
    return semantic.name + std::to_string(semantic.index);
  }

  // Places a varying or colour output by its semantic, checking that every
  // location it spans belongs to the semantic's run and is not yet taken.
  void PlaceBySemantic(spirv_cross::CompilerGLSL& glsl, const spirv_cross::Resource& r, bool target,
                       std::map<int, std::string>& taken) {
    Semantic semantic;
    const std::string text = SemanticOf(glsl, r, semantic);
    const uint32_t span = LocationSpan(glsl, r.type_id);
    const int location = target ? TargetLocation(semantic) : VaryingLocation(semantic);
    Semantic last = semantic;
    last.index += span - 1;
    const int lastLocation = target ? TargetLocation(last) : VaryingLocation(last);
    if (location < 0 || lastLocation != location + int(span) - 1)
      throw CompileError{"error: semantic " + text + " of '" + r.name + "' is not supported " +
                         (target ? "as a pixel shader result\n" : "between shader stages\n")};
    for (int l = location; l <= lastLocation; ++l) {
      if (!taken.emplace(l, text).second)
        throw CompileError{"error: semantic " + text + " overlaps " + taken[l] + "\n"};
    }
    glsl.set_decoration(r.id, spv::DecorationLocation, uint32_t(location));
  }

  void AssignInterface(spirv_cross::CompilerGLSL& glsl, ShaderCode& code) {
    const spirv_cross::ShaderResources resources = glsl.get_shader_resources();
    std::map<int, std::string> inputs, outputs;
    if (vertex_) {
      for (const spirv_cross::Resource& r : resources.stage_inputs) {
        Semantic semantic;
        const std::string text = SemanticOf(glsl, r, semantic);
        ShaderInput input;
        if (!VertexElementOf(semantic, input.usage, input.usageIndex))
          throw CompileError{"error: vertex input '" + r.name + "' has semantic " + text +
                             ", which no vertex element carries\n"};
        const auto location = int(glsl.get_decoration(r.id, spv::DecorationLocation));
        const uint32_t span = LocationSpan(glsl, r.type_id);
        if (input.usageIndex + span - 1 > 255) throw CompileError{"error: semantic " + text + " out of range\n"};
        for (uint32_t k = 0; k < span; ++k)
          code.inputs.push_back({input.usage, BYTE(input.usageIndex + k), location + int(k)});
      }
      for (const spirv_cross::Resource& r : resources.stage_outputs) PlaceBySemantic(glsl, r, false, outputs);
      bool writesPosition = false;
      for (const spirv_cross::BuiltInResource& b : resources.builtin_outputs)
        writesPosition |= b.builtin == spv::BuiltInPosition;
      if (!writesPosition) throw CompileError{"error: the vertex shader does not output POSITION\n"};
    } else {
      for (const spirv_cross::Resource& r : resources.stage_inputs) PlaceBySemantic(glsl, r, false, inputs);
      for (const spirv_cross::Resource& r : resources.stage_outputs) PlaceBySemantic(glsl, r, true, outputs);
    }
  }

  // After compile(): the names are the ones the GLSL uses.
  static void ListSamplers(spirv_cross::CompilerGLSL& glsl, ShaderCode& code) {
    const spirv_cross::ShaderResources resources = glsl.get_shader_resources();
    int next = 0;
    for (const spirv_cross::Resource& r : resources.sampled_images) {
      const int stage = glsl.has_decoration(r.id, spv::DecorationBinding)
                            ? int(glsl.get_decoration(r.id, spv::DecorationBinding))
                            : next;
      next = stage + 1;
      code.samplers.push_back({glsl.get_name(r.id), stage});
    }
  }

  static void AddPositionFixup(std::string& glsl) {
    static const std::string kMain = "\nvoid main()\n";
    static const std::string kRenamed = "\nvoid tav_main()\n";
    const size_t at = glsl.find(kMain);
    if (at == std::string::npos || glsl.find(kMain, at + 1) != std::string::npos)
      throw CompileError{"error: unexpected translated vertex shader layout\n"};
    if (glsl.find(kPositionFixupUniform) != std::string::npos || glsl.find("tav_main") != std::string::npos)
      throw CompileError{"error: names starting with tav_ are reserved\n"};
    glsl.replace(at, kMain.size(), kRenamed);
    glsl += "\nuniform vec4 ";
    glsl += kPositionFixupUniform;
    glsl += ";\n\nvoid main()\n{\n    tav_main();\n";
    glsl += kPositionFixupGlsl;
    glsl += "}\n";
  }

  bool vertex_;
  EShLanguage stage_;
};

// A real shader compiles in milliseconds (under a second with sanitizers); a
// source that keeps the compiler busy this long is damaged.
constexpr int kCompileTimeoutMs = 5000;

HRESULT Fail(const std::string& text, ID3DXBuffer** errors) {
  if (errors) {
    HRESULT hr = CreateTextBuffer(text.data(), text.size(), errors);
    if (FAILED(hr)) return hr;
  }
  return E_FAIL;
}

}  // namespace

}  // namespace tav::gpu::d3dx

HRESULT D3DXCompileShader(const char* source, UINT length, const D3DXMACRO* defines, void* /*include*/,
                          const char* entryPoint, const char* profile, DWORD /*flags*/, ID3DXBuffer** code,
                          ID3DXBuffer** errors, void* constantTable) {
  using namespace tav::gpu::d3dx;
  if (code) *code = nullptr;
  if (errors) *errors = nullptr;
  if (constantTable) *static_cast<void**>(constantTable) = nullptr;
  if (!source || !code || !profile || !IsIdentifier(entryPoint)) return D3DERR_INVALIDCALL;
  const ProfileEntry* entry = FindProfile(profile);
  if (!entry) return D3DERR_INVALIDCALL;
  // One compile at a time, before anything is allocated: the compile runs in
  // a child process made by fork, and a thread of this process caught inside
  // an allocator at that moment would leave its lock held in the child
  // (glibc guards its own allocator; a sanitizer's does not).
  static std::mutex oneAtATime;
  std::lock_guard lock(oneAtATime);
  try {
    if (!entry->compiled) return Fail(std::string("error: profile ") + profile + " is not supported\n", errors);
    std::string preamble = "#define POSITION SV_Position\n#define POSITION0 SV_Position\n";
    if (!entry->vertex) preamble += "#define DEPTH SV_Depth\n#define DEPTH0 SV_Depth\n";
    for (const D3DXMACRO* d = defines; d && d->Name; ++d) {
      if (!IsIdentifier(d->Name)) return D3DERR_INVALIDCALL;
      std::string value = d->Definition ? d->Definition : "";
      for (char& c : value)
        if (c == '\n' || c == '\r') c = ' ';
      preamble += "#define " + std::string(d->Name) + " " + value + "\n";
    }
    if (!InitialiseFrontEnd()) return E_FAIL;
    Compilation compilation(entry->vertex);
    // Text ends at the first NUL within `length` (callers may count a terminator).
    const std::string text(source, strnlen(source, length));
    if (text.size() > size_t(INT_MAX)) return D3DERR_INVALIDCALL;
    if (size_t at = 0; !IsShaderText(text, at))
      return Fail("error: byte " + std::to_string(at) + " is not text\n", errors);
    if (size_t at = 0; FindBracketAssignment(text, at))
      return Fail("error: line " + std::to_string(1 + std::count(text.begin(), text.begin() + long(at), '\n')) +
                      ": an assignment inside [ ]\n",
                  errors);
    if (std::string twice; FindGlobalRedefinition(text, twice))
      return Fail("error: redefinition of '" + twice + "'\n", errors);
    // The HLSL front end crashes on some damaged sources instead of reporting
    // them, so it runs in a child process; the child answers with a kind byte
    // and the compiled code or the error text.
    std::string reply;
    auto compileInChild = [&] {
      return tav::os::RunInChild(
        [&]() -> std::string {
          try {
            const std::vector<DWORD> encoded = tav::gpu::EncodeShaderCode(compilation.Run(text, preamble, entryPoint));
            return 'C' + std::string(reinterpret_cast<const char*>(encoded.data()), encoded.size() * sizeof(DWORD));
          } catch (const CompileError& e) {
            return 'E' + e.text;
          } catch (const spirv_cross::CompilerError& e) {
            return std::string("Eerror: ") + e.what() + "\n";
          } catch (const std::bad_alloc&) {
            return "M";
          }
        },
        reply, kCompileTimeoutMs);
    };
    tav::os::ChildEnd end = compileInChild();
    // A child may also stall on a lock that another thread of this process
    // held when the child was made (the child has only the thread that made
    // it): a stalled child is given one more try.
    if (end == tav::os::ChildEnd::TimedOut) end = compileInChild();
    if (end == tav::os::ChildEnd::TimedOut)
      return Fail("error: the shader compiler took longer than " + std::to_string(kCompileTimeoutMs / 1000) +
                      " s on this source\n",
                  errors);
    if (end != tav::os::ChildEnd::Returned || reply.empty())
      return Fail("error: the shader compiler stopped on this source\n", errors);
    if (reply[0] == 'M') return E_OUTOFMEMORY;
    if (reply[0] == 'E') return Fail(reply.substr(1), errors);
    if (reply[0] != 'C' || (reply.size() - 1) % sizeof(DWORD) != 0) return E_FAIL;
    return CreateBuffer(reply.data() + 1, reply.size() - 1, code);
  } catch (const CompileError& e) {
    return Fail(e.text, errors);
  } catch (const spirv_cross::CompilerError& e) {
    return Fail(std::string("error: ") + e.what() + "\n", errors);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
