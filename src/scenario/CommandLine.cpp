#include "scenario/CommandLine.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <new>
#include <string_view>

#include "platform/os/Locale.h"
#include "scenario/ScriptArgs.h"

namespace tav {

namespace {

enum class Command { None, Img, Msg, Snd, Copy, Ef0, Ef1, Ef2, Draw, FadeOut, FadeIn };

struct CommandName {
  std::wstring_view name;
  Command command;
};

constexpr CommandName kCommandNames[] = {
    {L"img", Command::Img}, {L"msg", Command::Msg}, {L"snd", Command::Snd},     {L"[c]", Command::Copy},
    {L"ef0", Command::Ef0}, {L"ef1", Command::Ef1}, {L"ef2", Command::Ef2},     {L"[d]", Command::Draw},
    {L"[o]", Command::FadeOut}, {L"[i]", Command::FadeIn},
};

// The command is at fixed places: one separator, the name, one separator.
constexpr size_t kSeparatorAt = 4;
constexpr size_t kArgumentsAt = 5;

bool IsSeparator(wchar_t c) { return c == L'\t' || c == L' ' || c == L'\u3000'; }

// The command named by the line's first three characters that are not
// separators. The token only ever grows, so once it holds three characters
// that name nothing, no later character can make it a command.
Command FindCommand(std::wstring_view line) {
  wchar_t token[3];
  size_t length = 0;
  for (wchar_t c : line) {
    if (IsSeparator(c)) continue;
    token[length++] = c;
    if (length < 3) continue;
    std::wstring_view word(token, 3);
    for (const CommandName& entry : kCommandNames)
      if (entry.name == word) return entry.command;
    return Command::None;
  }
  return Command::None;
}

bool Reject(std::wstring* problem, std::wstring text) {
  if (problem) *problem = std::move(text);
  return false;
}

// The fewest and most arguments of the commands that take a fixed list.
struct Arity {
  size_t least;
  size_t most;
};

Arity ArityOf(Command command) {
  switch (command) {
    case Command::Img: return {3, 12};
    case Command::FadeOut:
    case Command::FadeIn: return {3, 4};
    case Command::Draw: return {3, 3};
    case Command::Snd: return {1, 3};
    case Command::Ef0: return {2, 3};
    case Command::Ef1: return {3, 4};
    case Command::Ef2: return {5, 6};
    default: return {0, SIZE_MAX};
  }
}

// "-1" in a string argument means "none".
void ReadOptionalWord(std::wstring_view arg, std::wstring& out) {
  std::wstring word;
  if (ReadWord(arg, word) && word != L"-1") out = std::move(word);
}

// A negative duration would make an effect that never ends; it reads as none.
void ReadDuration(std::wstring_view arg, int32_t& out) {
  int32_t value = 0;
  if (ReadInt(arg, value) && value >= 0) out = value;
}

int32_t DefaultDuration(const GameConfig& config) {
  return static_cast<int32_t>(std::min<uint32_t>(config.defaultEffectDuration, INT32_MAX));
}

ImageEntry MakeImage(const std::vector<std::wstring_view>& a) {
  ImageEntry e;
  ReadFloat(a[0], e.x);
  ReadFloat(a[1], e.y);
  ReadWord(a[2], e.image);
  return e;
}

void AddImage(SceneData& scene, const std::vector<std::wstring_view>& a) {
  ImageEntry e = MakeImage(a);
  size_t n = a.size();
  if (n > 3) ReadInt(a[3], e.targetScene);
  if (n > 4) ReadOptionalWord(a[4], e.secondImage);
  if (n > 5) ReadOptionalWord(a[5], e.thirdImage);
  if (n > 6) ReadInt(a[6], e.actionCode);
  int32_t leaveMode = 0;
  if (n > 7 && ReadInt(a[7], leaveMode) && leaveMode != -1) e.leaveMode = leaveMode;
  if (n > 8) ReadOptionalWord(a[8], e.actionText);
  if (n > 9) ReadInt(a[9], e.actionValue);
  if (n > 10) ReadInt(a[10], e.showRule);
  if (n > 11) ReadOptionalWord(a[11], e.showKey);
  e.startX = e.x;
  e.kind = kImageShown;
  scene.images.push_back(std::move(e));
}

void AddFadingImage(SceneData& scene, const std::vector<std::wstring_view>& a, ImageKind kind,
                    const GameConfig& config) {
  ImageEntry e = MakeImage(a);
  e.kind = kind;
  e.fadeDuration = DefaultDuration(config);
  if (a.size() > 3) ReadDuration(a[3], e.fadeDuration);
  scene.images.push_back(std::move(e));
}

void AddDraw(SceneData& scene, const std::vector<std::wstring_view>& a) {
  DrawEntry d;
  ReadFloat(a[0], d.x);
  ReadFloat(a[1], d.y);
  ReadWord(a[2], d.image);
  scene.draws.push_back(std::move(d));
}

void AddSound(SceneData& scene, const std::vector<std::wstring_view>& a) {
  SoundEntry s;
  ReadWord(a[0], s.name);
  if (a.size() > 1) ReadInt(a[1], s.loop);
  if (a.size() > 2) ReadInt(a[2], s.type);
  scene.sounds.push_back(std::move(s));
}

// colour, then `floats` of p1 to p4, then an optional duration.
void AddEffect(SceneData& scene, const std::vector<std::wstring_view>& a, EffectKind kind, size_t floats,
               const GameConfig& config) {
  EffectEntry e;
  e.kind = kind;
  e.duration = DefaultDuration(config);
  ReadColour(a[0], e.colour);
  float* p[] = {&e.p1, &e.p2, &e.p3, &e.p4};
  for (size_t i = 0; i < floats; ++i) ReadFloat(a[1 + i], *p[i]);
  if (a.size() > 1 + floats) ReadDuration(a[1 + floats], e.duration);
  scene.effects.push_back(std::move(e));
}

// The whole argument text, spaces included, cut into rows.
bool AddMessage(SceneData& scene, std::wstring_view text, const GameConfig& config, std::wstring* problem) {
  size_t length = config.charactersPerRow;
  if (length == 0) return Reject(problem, L"the message row length is 0");
  for (size_t at = 0; at < text.size(); at += length) {
    MessageRow row;
    row.x = config.textOffsetX;
    row.y = config.textOffsetY;
    row.fontSize = config.fontSize;
    row.colour = config.textColour;
    row.text = text.substr(at, length);
    scene.messageRows.push_back(std::move(row));
  }
  return true;
}

// Appends copies of the entries of the set named by the last argument.
bool CopySet(SceneData& scene, std::wstring_view text, ParseContext& context, std::wstring* problem) {
  std::wstring_view last = LastArgument(text);
  int32_t number = -1;
  if (!ReadInt(last, number) || number < 0 || static_cast<size_t>(number) >= context.imageSets.size())
    return Reject(problem, L"\"[c]\" names no image set: \"" + std::wstring(last.substr(0, 32)) + L"\"");
  const std::vector<ImageEntry>& images = context.imageSets[static_cast<size_t>(number)].images;
  if (images.size() > context.copyBudget)
    return Reject(problem, L"\"[c]\" would copy more image entries than one load allows");
  scene.images.insert(scene.images.end(), images.begin(), images.end());
  context.copyBudget -= images.size();
  return true;
}

bool RunCommand(Command command, std::wstring_view text, SceneData& scene, ParseContext& context,
                std::wstring* problem) {
  if (command == Command::Msg) return AddMessage(scene, text, context.config, problem);
  if (command == Command::Copy) return CopySet(scene, text, context, problem);

  Arity arity = ArityOf(command);
  std::vector<std::wstring_view> args = SplitArguments(text, arity.most);
  if (args.size() < arity.least || args.size() > arity.most)
    return Reject(problem, L"the command takes " + std::to_wstring(arity.least) + L" to " +
                               std::to_wstring(arity.most) + L" arguments");
  const GameConfig& config = context.config;
  switch (command) {
    case Command::Img: AddImage(scene, args); break;
    case Command::FadeOut: AddFadingImage(scene, args, kImageFadeOut, config); break;
    case Command::FadeIn: AddFadingImage(scene, args, kImageFadeIn, config); break;
    case Command::Draw: AddDraw(scene, args); break;
    case Command::Snd: AddSound(scene, args); break;
    case Command::Ef0: AddEffect(scene, args, kEffectFade, 1, config); break;
    case Command::Ef1: AddEffect(scene, args, kEffectPeephole, 2, config); break;
    case Command::Ef2: AddEffect(scene, args, kEffectCutIn, 4, config); break;
    default: break;
  }
  return true;
}

// Puts the parsed lists back to their sizes when a line is abandoned halfway.
struct ListSizes {
  explicit ListSizes(const SceneData& s)
      : rows(s.messageRows.size()), images(s.images.size()), draws(s.draws.size()), sounds(s.sounds.size()),
        effects(s.effects.size()) {}
  void Restore(SceneData& s) const {
    s.messageRows.resize(std::min(rows, s.messageRows.size()));
    s.images.resize(std::min(images, s.images.size()));
    s.draws.resize(std::min(draws, s.draws.size()));
    s.sounds.resize(std::min(sounds, s.sounds.size()));
    s.effects.resize(std::min(effects, s.effects.size()));
  }
  size_t rows, images, draws, sounds, effects;
};

}  // namespace

bool HoldsCommand(std::wstring_view line) { return FindCommand(line) != Command::None; }

bool ParseCommandLine(size_t index, SceneData& scene, ParseContext& context, const std::vector<std::wstring>& lines,
                      std::wstring* problem) {
  if (index >= lines.size()) return Reject(problem, L"there is no such line");
  std::wstring_view line = lines[index];
  Command command = FindCommand(line);
  if (command == Command::None) return true;
  if (line.size() <= kSeparatorAt || !IsSeparator(line[kSeparatorAt]))
    return Reject(problem, L"the command is not followed by a tab or space");
  size_t end = line.find(L'\n', kArgumentsAt);
  if (end == std::wstring_view::npos) end = line.size();
  std::wstring_view text = line.substr(kArgumentsAt, end - kArgumentsAt);

  ListSizes before(scene);
  try {
    return RunCommand(command, text, scene, context, problem);
  } catch (const std::bad_alloc&) {
    before.Restore(scene);
    return Reject(problem, L"out of memory");
  } catch (const std::exception& e) {
    before.Restore(scene);
    std::wstring what;
    if (!os::MultiByteToWide(e.what(), what)) what = L"an error";
    return Reject(problem, what);
  }
}

}  // namespace tav
