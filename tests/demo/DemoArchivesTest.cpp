// The packed demo game as start-up sees it: three archives whose names sit
// under their folders, a configuration that reads, ids that agree, an icon.
#include <gtest/gtest.h>

#include <span>

#include "demo/DemoGame.h"
#include "platform/os/IcoFile.h"
#include "platform/os/Locale.h"
#include "support/TempDir.h"

namespace demotest {
namespace {

bool StartsWith(const std::wstring& s, const std::wstring& prefix) { return s.rfind(prefix, 0) == 0; }
bool EndsWith(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(DemoArchives, LoadWithEveryNameUnderItsArchivesFolder) {
  ASSERT_TRUE(Game().loaded) << "packed game expected in " << Game().folder;
  for (auto [file, folder] : {std::pair{"Res.pac", L"Res\\"}, {"Txt.pac", L"Txt\\"}, {"ID.pac", L"ID\\"}}) {
    std::vector<std::wstring> names = EntryNames(Game().folder / file);
    EXPECT_FALSE(names.empty()) << file;
    for (const std::wstring& name : names) {
      EXPECT_TRUE(StartsWith(name, folder)) << file;
      EXPECT_EQ(name.find(L'/'), std::wstring::npos) << "forward slash in an entry of " << file;
    }
  }
  // Only pictures, shaders and the id file go into the resource archive: a
  // stray file (an editor's backup, a leftover of an old build) would show here.
  for (const std::wstring& name : EntryNames(Game().folder / "Res.pac"))
    EXPECT_TRUE(EndsWith(name, L".dds") || EndsWith(name, L".png") || EndsWith(name, L".hlsl") || EndsWith(name, L".ogg") ||
                name == L"Res\\id.txt");
  for (const wchar_t* shader : {L"Res\\HLSL\\QUAD_DEFAULT.hlsl", L"Res\\HLSL\\PHONG_STATIC.hlsl", L"Res\\HLSL\\QUAD3D_DEFAULT.hlsl"})
    EXPECT_NE(Game().res.Find(shader), nullptr);
}

TEST(DemoArchives, ConfigurationReadsAndIdsAgree) {
  ASSERT_TRUE(Game().loaded);
  ASSERT_TRUE(Game().configRead);
  const tav::GameConfig& c = Game().config;
  EXPECT_EQ(c.gameTitle, L"夕暮れの約束");
  EXPECT_EQ(c.filePrefix, L"Demo");
  EXPECT_EQ(c.screenWidth, 800);
  EXPECT_EQ(c.screenHeight, 600);
  EXPECT_EQ(c.fontSize, 22);
  EXPECT_EQ(c.textColour, 0xFFFFFFFFu);
  EXPECT_EQ(c.charactersPerRow, 26u);
  EXPECT_GT(c.defaultEffectDuration, 0u);
  EXPECT_GT(c.backlogPageCapacity, 0u);
  EXPECT_GT(c.speedMaximum, 0u);
  EXPECT_GT(c.autoWaitMaximum, 0u);
  EXPECT_EQ(c.firstScene, 0);
  EXPECT_NE(Game().res.Find(L"Res\\" + c.messageWindowName), nullptr) << "the message window image";
  EXPECT_TRUE(tav::IdsAgree(Game().txt, Game().res, Game().id));
}

// A line that ends in a bare LF loses its last character when the engine
// splits it, so every text file must keep CR LF (git must not convert them).
TEST(DemoArchives, TextFilesUseCrLfLineEnds) {
  ASSERT_TRUE(Game().loaded);
  auto check = [](const tav::ArchiveStore& store, const std::wstring& name) {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(store.Get(name, &data, &size)) << "missing";
    ASSERT_GT(size, 1u);
    EXPECT_TRUE(data[size - 2] == '\r' && data[size - 1] == '\n') << "the last line must end in CR LF";
    for (uint32_t i = 0; i < size; ++i) {
      if (data[i] == '\n') {
        ASSERT_TRUE(i > 0 && data[i - 1] == '\r') << "bare LF at byte " << i;
      }
    }
  };
  for (const wchar_t* name : {L"Txt\\config.txt", L"Txt\\id.txt", L"Txt\\scene.txt", L"Txt\\menu.txt", L"Txt\\story.txt",
                              L"Txt\\memory.txt"}) {
    SCOPED_TRACE(tav::os::WideToMultiByte(name));
    check(Game().txt, name);
  }
  check(Game().res, L"Res\\id.txt");
  check(Game().id, L"ID\\id.txt");
}

TEST(DemoArchives, IconHasSmallAndLargeImagesWithRoundedCorners) {
  std::string bytes = tavtest::ReadFileBytes(Game().folder / "Icon.ico");
  std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  for (int side : {16, 32, 48, 256}) {
    tav::os::IcoImage image;
    ASSERT_TRUE(tav::os::DecodeIco(file, side, side, image)) << side;
    ASSERT_EQ(image.width, side);
    ASSERT_EQ(image.height, side);
    auto alpha = [&](int x, int y) { return image.rgba[(size_t(y) * side + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0) << "corner of " << side;
    EXPECT_EQ(alpha(side / 2, side / 2), 255) << "middle of " << side;
  }
}

}  // namespace
}  // namespace demotest
