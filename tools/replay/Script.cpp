#include "Script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <limits>

#include "platform/os/WinTypes.h"

namespace tav::replay {

namespace {

struct KeyName {
  std::string_view name;
  int vk;
};

constexpr std::array kKeys = {
    KeyName{"LBUTTON", VK_LBUTTON}, KeyName{"RBUTTON", VK_RBUTTON}, KeyName{"MBUTTON", VK_MBUTTON},
    KeyName{"RETURN", VK_RETURN},   KeyName{"CONTROL", VK_CONTROL}, KeyName{"SPACE", VK_SPACE},
    KeyName{"PRIOR", VK_PRIOR},     KeyName{"NEXT", VK_NEXT},       KeyName{"UP", VK_UP},
    KeyName{"DOWN", VK_DOWN},       KeyName{"LEFT", VK_LEFT},       KeyName{"RIGHT", VK_RIGHT},
    KeyName{"TAB", VK_TAB},         KeyName{"SHIFT", VK_SHIFT},     KeyName{"MENU", VK_MENU},
    KeyName{"ESCAPE", VK_ESCAPE},   KeyName{"F1", VK_F1},           KeyName{"F2", VK_F2},
    KeyName{"F3", VK_F3},           KeyName{"F4", VK_F4},           KeyName{"F5", VK_F5},
    KeyName{"F6", VK_F6},           KeyName{"F7", VK_F7},           KeyName{"F8", VK_F8},
    KeyName{"BACK", VK_BACK},
};

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    size_t end = at;
    while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

template <typename T>
bool ReadNumber(std::string_view word, T& value) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') return false;
  auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

bool HasExtension(const std::string_view file, std::string_view extension) {
  if (file.size() <= extension.size()) return false;
  std::string_view tail = file.substr(file.size() - extension.size());
  return std::equal(tail.begin(), tail.end(), extension.begin(), extension.end(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

struct Verb {
  std::string_view name;
  Action action;
  size_t arguments;
};

constexpr std::array kVerbs = {
    Verb{"move", Action::Move, 2},         Verb{"down", Action::Down, 1},   Verb{"up", Action::Up, 1},
    Verb{"click", Action::Move, 2},        Verb{"wheel", Action::Wheel, 1}, Verb{"activate", Action::Activate, 0},
    Verb{"deactivate", Action::Deactivate, 0}, Verb{"close", Action::Close, 0}, Verb{"shot", Action::Shot, 1},
    Verb{"dump", Action::Dump, 1},         Verb{"lose", Action::LoseDevice, 0}, Verb{"end", Action::End, 0},
};

// One non-empty line into its commands; false with `problem` set when it is bad.
bool ParseLine(const std::vector<std::string_view>& words, const std::filesystem::path& baseDir, int line,
               std::vector<Command>& out, std::string& problem) {
  Command command;
  command.line = line;
  if (!ReadNumber(words[0], command.time) || command.time > std::numeric_limits<uint32_t>::max()) {
    problem = "expected a time in ms, found \"" + std::string(words[0]) + "\"";
    return false;
  }
  if (words.size() < 2) {
    problem = "a command is missing after the time";
    return false;
  }
  auto verb = std::find_if(kVerbs.begin(), kVerbs.end(), [&](const Verb& v) { return v.name == words[1]; });
  if (verb == kVerbs.end()) {
    problem = "unknown command \"" + std::string(words[1]) + "\"";
    return false;
  }
  if (words.size() - 2 != verb->arguments) {
    problem = "\"" + std::string(verb->name) + "\" takes " + std::to_string(verb->arguments) + " argument" +
              (verb->arguments == 1 ? "" : "s") + ", found " + std::to_string(words.size() - 2);
    return false;
  }
  command.action = verb->action;
  switch (verb->action) {
    case Action::Move:
      if (!ReadNumber(words[2], command.x) || !ReadNumber(words[3], command.y)) {
        problem = "expected whole-number coordinates X Y";
        return false;
      }
      break;
    case Action::Down:
    case Action::Up: {
      std::optional<int> vk = KeyCode(words[2]);
      if (!vk) {
        problem = "unknown key \"" + std::string(words[2]) + "\"";
        return false;
      }
      command.x = *vk;
      break;
    }
    case Action::Wheel:
      // The rotation travels in a 16-bit signed word of the message.
      if (!ReadNumber(words[2], command.x) || command.x == 0 || command.x < -32768 || command.x > 32767) {
        problem = "expected a non-zero wheel rotation from -32768 to 32767 (120 a notch)";
        return false;
      }
      break;
    case Action::Shot:
    case Action::Dump: {
      const std::string_view extension = verb->action == Action::Shot ? ".png" : ".json";
      if (!HasExtension(words[2], extension)) {
        problem = "\"" + std::string(verb->name) + "\" writes a " + std::string(extension) + " file, not \"" +
                  std::string(words[2]) + "\"";
        return false;
      }
      command.file = baseDir / std::filesystem::path(std::string(words[2]));
      break;
    }
    default:
      break;
  }
  out.push_back(command);
  if (verb->name == "click") {
    Command down = command;
    down.action = Action::Down;
    down.x = VK_LBUTTON;
    out.push_back(down);
    Command up = down;
    up.action = Action::Up;
    up.time = command.time + kClickHold;
    out.push_back(up);
  }
  return true;
}

}  // namespace

std::optional<int> KeyCode(std::string_view name) {
  for (const KeyName& key : kKeys)
    if (key.name == name) return key.vk;
  return std::nullopt;
}

std::optional<std::vector<Command>> ParseScript(std::string_view text, const std::filesystem::path& baseDir,
                                                ScriptError& error) {
  std::vector<Command> commands;
  uint64_t lastTime = 0;
  int line = 0;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view row = text.substr(at, end - at);
    at = end + 1;
    ++line;
    if (size_t hash = row.find('#'); hash != std::string_view::npos) row = row.substr(0, hash);
    std::vector<std::string_view> words = Words(row);
    if (words.empty()) continue;
    std::string problem;
    if (!ParseLine(words, baseDir, line, commands, problem)) {
      error = {line, problem};
      return std::nullopt;
    }
    // The time of this line's first command (a click's up comes later by design).
    uint64_t time = commands[commands.size() - (words[1] == "click" ? 3 : 1)].time;
    if (time < lastTime) {
      error = {line, "time " + std::to_string(time) + " is before the previous line's " + std::to_string(lastTime)};
      return std::nullopt;
    }
    lastTime = time;
  }
  std::stable_sort(commands.begin(), commands.end(),
                   [](const Command& a, const Command& b) { return a.time < b.time; });
  return commands;
}

}  // namespace tav::replay
