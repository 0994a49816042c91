#include "Scenario.h"

#include <fstream>
#include <stdexcept>

#include "Noise.h"

namespace scalegen {

namespace {

void WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
  std::ofstream out(file, std::ios::binary);
  for (const std::string& line : lines) out << line << "\r\n";
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

const char* const kSpeakers[] = {"葵", "蓮", "陽菜", "湊", "結衣", "先生"};
const char* const kPhrases[] = {
    "今日は少し風が強いね。",     "あの日のこと、覚えてる？", "ねえ、ちょっと待って。",
    "図書館で待ってるから。",     "約束、忘れないでね。",     "夕焼けがきれいだな。",
    "それって本当なの？",         "もう一度だけ話を聞いて。", "明日も晴れるといいね。",
    "放課後、屋上に来てくれる？", "ずっと言えなかったことがあるんだ。",
};
const char* const kNarration[] = {
    "窓の外では桜の花びらが舞っていた。", "廊下の向こうから足音が近づいてくる。",
    "静かな教室に時計の音だけが響く。",   "遠くで電車の走る音がした。",
};

}  // namespace

void WriteScenario(const ScenarioPlan& plan, const std::filesystem::path& txtDir) {
  std::filesystem::create_directories(txtDir);
  const int files = (plan.scenes + plan.scenesPerFile - 1) / plan.scenesPerFile;
  // Title, file prefix, screen size, font size, text colour, characters per
  // row, text and name offsets, effect time, backlog page, message window,
  // speed and auto-wait tops, first scene.
  const int windowTop = plan.height - 190;
  WriteLines(txtDir / "config.txt",
             {"大きな物語", "Scale", std::to_string(plan.width), std::to_string(plan.height), "26", "FFFFFFFF",
              std::to_string((plan.width - 160) / 28), "70", std::to_string(windowTop + 56), "70",
              std::to_string(windowTop + 14), "600", "20", plan.messageWindow, "100", "4000", "0"});
  std::vector<std::string> list = {"// The scene files in play order."};
  for (int f = 0; f < files; ++f) list.push_back("chapter" + std::to_string(f + 1) + ".txt");
  WriteLines(txtDir / "scene.txt", list);
  WriteIdFile(txtDir / "id.txt", 1);

  Noise noise(plan.seed ^ 0x5CE7E5ull);
  int scene = 0;
  size_t voice = 0;
  for (int f = 0; f < files; ++f) {
    std::vector<std::string> lines = {"// Chapter " + std::to_string(f + 1) + ", generated."};
    if (f == 0) {
      lines.push_back("// Image set 0: the message window of every scene.");
      lines.push_back("[ message window");
      lines.push_back("\timg 40 " + std::to_string(windowTop) + " " + plan.messageWindow);
      lines.push_back("]");
    }
    for (int k = 0; k < plan.scenesPerFile && scene < plan.scenes; ++k, ++scene) {
      // A background holds for a few scenes, as a place does in a story.
      const std::string& background = plan.backgrounds[size_t(scene / 4) % plan.backgrounds.size()];
      const std::string& music = plan.music[size_t(scene / 40) % plan.music.size()];
      lines.push_back("// " + std::to_string(scene));
      lines.push_back("{");
      lines.push_back("\tsnd " + music);
      lines.push_back("\timg 0 0 " + background);
      const bool spoken = IsSpoken(scene);
      if (spoken) {
        const std::string& sprite = plan.sprites[noise.Below(uint32_t(plan.sprites.size()))];
        lines.push_back("\tsnd " + plan.voices[voice++ % plan.voices.size()] + " 0 2");
        lines.push_back("\timg " + std::to_string(plan.width / 2 - 240) + " 40 " + sprite);
      }
      lines.push_back("\t[c] 0");
      if (spoken) {
        // Two different phrases make one line.
        const uint32_t first = noise.Below(std::size(kPhrases));
        const uint32_t second = (first + 1 + noise.Below(std::size(kPhrases) - 1)) % std::size(kPhrases);
        lines.push_back(std::string("\tmsg 【") + kSpeakers[noise.Below(std::size(kSpeakers))] + "】「" +
                        kPhrases[first] + kPhrases[second] + "」");
      } else
        lines.push_back(std::string("\tmsg ") + kNarration[noise.Below(std::size(kNarration))]);
      lines.push_back("}");
    }
    WriteLines(txtDir / ("chapter" + std::to_string(f + 1) + ".txt"), lines);
  }
}

void WriteIdFile(const std::filesystem::path& file, int id) {
  WriteLines(file, {"// The data's build number: Txt\\id.txt, Res\\id.txt and ID\\id.txt must agree.",
                    std::to_string(id)});
}

}  // namespace scalegen
