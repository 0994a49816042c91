#include "platform/gpu/d3dx/HlslGlobals.h"

#include <cctype>
#include <set>

namespace tav::gpu::d3dx {

namespace {

bool IdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IdentifierPart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The source without comments and preprocessor lines, which are blanked.
std::string Code(std::string_view source, bool& conditional) {
  std::string code(source);
  conditional = false;
  bool lineStart = true;
  for (size_t i = 0; i < code.size(); ++i) {
    if (code.compare(i, 2, "//") == 0 || (lineStart && code[i] == '#')) {
      if (lineStart && code[i] == '#') {
        size_t word = code.find_first_not_of(" \t", i + 1);
        if (word != std::string::npos &&
            (code.compare(word, 2, "if") == 0 || code.compare(word, 4, "elif") == 0 || code.compare(word, 4, "else") == 0))
          conditional = true;
      }
      while (i < code.size() && code[i] != '\n') code[i++] = ' ';
      lineStart = true;
      continue;
    }
    if (code.compare(i, 2, "/*") == 0) {
      const size_t end = code.find("*/", i + 2);
      const size_t stop = end == std::string::npos ? code.size() : end + 2;
      for (; i < stop; ++i)
        if (code[i] != '\n') code[i] = ' ';
      --i;
      continue;
    }
    if (code[i] == '\n') lineStart = true;
    else if (code[i] != ' ' && code[i] != '\t' && code[i] != '\r') lineStart = false;
  }
  return code;
}

}  // namespace

bool FindGlobalRedefinition(std::string_view source, std::string& name) {
  bool conditional = false;
  const std::string code = Code(source, conditional);
  if (conditional) return false;
  std::set<std::string> declared;
  int braces = 0;
  int parens = 0;
  bool function = false;   // the statement so far has a parameter list
  bool declarator = true;  // the next name before ; : = [ , is a variable
  std::string last;        // the last identifier at the global level
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (IdentifierStart(c)) {
      size_t end = i;
      while (end < code.size() && IdentifierPart(code[end])) ++end;
      if (braces == 0) last = code.substr(i, end - i);
      i = end - 1;
      continue;
    }
    if (c == '{') {
      if (braces++ == 0) last.clear();  // a struct's own name is no variable
    } else if (c == '}') {
      if (braces > 0 && --braces == 0 && function) {  // the end of a function body
        function = false;
        declarator = true;
        last.clear();
      }
    } else if (braces == 0) {
      if (c == '(') {
        if (declarator && parens == 0) function = true;
        declarator = false;
        ++parens;
      } else if (c == ')') {
        if (parens > 0) --parens;
      } else if (parens > 0) {
        continue;  // inside an argument or parameter list
      } else if (c == ';' || c == ':' || c == '=' || c == '[' || c == ',') {
        if (declarator && !function && !last.empty() && !declared.insert(last).second) {
          name = last;
          return true;
        }
        // After ',' the next declarator of the same statement follows; after
        // anything else only its annotations and initialiser do.
        declarator = c == ',' || c == ';';
        if (c == ';') function = false;
        last.clear();
      }
    }
  }
  // A declaration the source ends in without its ';' counts as well.
  if (braces == 0 && parens == 0 && declarator && !function && !last.empty() && declared.count(last)) {
    name = last;
    return true;
  }
  return false;
}

}  // namespace tav::gpu::d3dx
