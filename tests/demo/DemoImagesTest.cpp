// Every picture the game needs is in the resource archive and decodes: the
// skins the title set-up loads, and every image the scenario names. Sizes are
// checked where an overlay's layout depends on them.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "demo/DemoGame.h"
#include "platform/gpu/D3DX.h"
#include "platform/os/Locale.h"

namespace demotest {
namespace {

using tav::gpu::d3dx::Image;

struct Size {
  UINT w = 0, h = 0;
  bool operator==(const Size&) const = default;
};

// The image's size, failing the test when it is missing or does not decode.
Size Info(const std::wstring& name) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!Game().res.Get(L"Res\\" + name, &data, &size)) {
    ADD_FAILURE() << tav::os::WideToMultiByte(name) << " is not in Res.pac";
    return {};
  }
  D3DXIMAGE_INFO info;
  if (D3DXGetImageInfoFromFileInMemory(data, size, &info) != D3D_OK) {
    ADD_FAILURE() << tav::os::WideToMultiByte(name) << " does not decode";
    return {};
  }
  Image image;
  EXPECT_TRUE(DecodeResource(name, image)) << tav::os::WideToMultiByte(name);
  return {info.Width, info.Height};
}

// The skins in the order the title set-up loads them.
std::vector<std::wstring> SkinNames() {
  std::vector<std::wstring> names;
  for (const wchar_t* base : {L"s0", L"s1", L"s2", L"s3"}) names.push_back(base);
  for (const wchar_t* family : {L"v", L"b", L"top", L"btm", L"etop", L"ebtm", L"edel", L"eadd", L"eplay", L"er", L"en",
                                L"em", L"es"})
    for (int state = 1; state <= 3; ++state) names.push_back(family + std::to_wstring(state));
  names.push_back(L"auto");
  for (const wchar_t* family : {L"r", L"l"})
    for (int state = 1; state <= 3; ++state) names.push_back(family + std::to_wstring(state));
  for (const wchar_t* n : {L"yes1", L"no1", L"yes2", L"no2", L"yes3", L"no3", L"close"}) names.push_back(n);
  for (std::wstring& n : names) n = L"Default\\" + n + L".dds";
  return names;
}

TEST(DemoImages, EverySkinOfTheTitleSetUpIsThereAsDds) {
  ASSERT_TRUE(Game().loaded);
  std::vector<std::wstring> names = SkinNames();
  ASSERT_EQ(names.size(), 57u);
  for (const std::wstring& name : names) {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(Game().res.Get(L"Res\\" + name, &data, &size)) << tav::os::WideToMultiByte(name);
    D3DXIMAGE_INFO info;
    ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(data, size, &info), D3D_OK) << tav::os::WideToMultiByte(name);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS) << tav::os::WideToMultiByte(name);
  }
}

TEST(DemoImages, SkinSizesFitTheOverlaysLayouts) {
  ASSERT_TRUE(Game().loaded);
  // The three states of a button swap on one quad, so they must match.
  for (const wchar_t* family : {L"v", L"b", L"top", L"btm", L"l", L"r", L"s", L"etop", L"ebtm", L"edel", L"eadd",
                                L"eplay", L"er", L"en", L"em", L"es", L"yes", L"no"}) {
    std::wstring base = std::wstring(L"Default\\") + family;
    Size first = Info(base + L"1.dds");
    EXPECT_EQ(Info(base + L"2.dds"), first) << tav::os::WideToMultiByte(base);
    EXPECT_EQ(Info(base + L"3.dds"), first) << tav::os::WideToMultiByte(base);
  }
  // The edit panel gives its buttons these sizes; other pictures would stretch.
  for (const wchar_t* n : {L"edel1", L"eadd1", L"eplay1", L"er1", L"en1", L"em1", L"es1"})
    EXPECT_EQ(Info(std::wstring(L"Default\\") + n + L".dds"), (Size{32, 32})) << tav::os::WideToMultiByte(n);
  EXPECT_EQ(Info(L"Default\\etop1.dds"), (Size{128, 32}));
  EXPECT_EQ(Info(L"Default\\ebtm1.dds"), (Size{128, 32}));
  // Backlog arrows sit 18 pixels apart on the right edge; the track spans the
  // height between the scroll arrows.
  for (const wchar_t* n : {L"l1", L"r1", L"top1", L"btm1"}) EXPECT_LE(Info(std::wstring(L"Default\\") + n + L".dds").w, 16u);
  const tav::GameConfig& c = Game().config;
  EXPECT_EQ(Info(L"Default\\s0.dds"), (Size{16, UINT(c.screenHeight - 32)}));
  // Voice and back buttons fit one backlog row and stay left of the track.
  UINT row = UINT(c.fontSize + 1);
  float back = c.textOffsetX + row * (c.charactersPerRow + 1) + row;
  float voice = c.textOffsetX + row * (c.charactersPerRow + 1) + c.fontSize + 18;
  Size b = Info(L"Default\\b1.dds"), v = Info(L"Default\\v1.dds");
  EXPECT_LE(b.h, row);
  EXPECT_LE(v.h, row);
  EXPECT_LE(back + b.w, voice);
  EXPECT_LE(voice + v.w, float(c.screenWidth - 16));

  // Quit dialog: yes at half its width less 16 from the panel's left edge, no
  // at half of (panel + no) less 16, both 16 above the bottom: inside the panel.
  Size panel = Info(L"Default\\close.dds"), yes = Info(L"Default\\yes1.dds"), no = Info(L"Default\\no1.dds");
  float yesX = yes.w * 0.5f - 16, noX = (float(panel.w) + no.w) * 0.5f - 16;
  EXPECT_GE(yesX, 0);
  EXPECT_LE(yesX + yes.w, noX) << "the buttons overlap";
  EXPECT_LE(noX + no.w, float(panel.w));
  EXPECT_GE(float(panel.h) - yes.h - 16, panel.h / 2.0f) << "buttons cover the question";
}

// All images of the scenario: pictures, hover and pressed faces, the "on"
// faces of toggles and the tracks of sliders.
std::set<std::wstring> ScenarioImages() {
  std::set<std::wstring> names;
  auto add = [&](const tav::ImageEntry& e) {
    names.insert(e.image);
    if (!e.secondImage.empty()) names.insert(e.secondImage);
    if (!e.thirdImage.empty()) names.insert(e.thirdImage);
    static const std::set<int32_t> kNamesAnImage{5, 6, 9, 10, 11, 12, 13, 22, 23, 24};
    if (kNamesAnImage.count(e.actionCode)) names.insert(e.actionText);
  };
  for (const auto& scene : Game().scenes) {
    for (const auto& e : scene.images) add(e);
    for (const auto& d : scene.draws) names.insert(d.image);
  }
  for (const auto& set : Game().sets)
    for (const auto& e : set.images) add(e);
  return names;
}

TEST(DemoImages, EveryImageTheScenarioNamesDecodes) {
  ASSERT_TRUE(Game().scenarioLoaded);
  std::set<std::wstring> names = ScenarioImages();
  EXPECT_GT(names.size(), 50u);
  for (const std::wstring& name : names) {
    SCOPED_TRACE(tav::os::WideToMultiByte(name));
    EXPECT_FALSE(name.empty());
    Info(name);
  }
}

TEST(DemoImages, ButtonFacesMatchInSize) {
  ASSERT_TRUE(Game().scenarioLoaded);
  for (const auto& scene : Game().scenes)
    for (const auto& e : scene.images) {
      if (e.secondImage.empty()) continue;
      SCOPED_TRACE(tav::os::WideToMultiByte(e.image));
      Size first = Info(e.image);
      EXPECT_EQ(Info(e.secondImage), first);
      EXPECT_EQ(Info(e.thirdImage), first);
      // Toggles swap in their "on" face on the same quad.
      if (e.actionCode == 5 || e.actionCode == 6 || e.actionCode == 12 || e.actionCode == 13 || e.actionCode >= 22) {
        EXPECT_EQ(Info(e.actionText), first);
      }
    }
}

TEST(DemoImages, BackgroundsFillTheScreenAndSpritesHaveClearSurroundings) {
  ASSERT_TRUE(Game().configRead);
  std::set<std::wstring> backgrounds, used;
  for (const auto& scene : Game().scenes)
    for (const auto& e : scene.images) {
      if (e.image.rfind(L"bg\\", 0) == 0) backgrounds.insert(e.image);
      used.insert(e.image);
    }
  EXPECT_GE(backgrounds.size(), 5u);
  const std::set<std::wstring> sprites{L"ch\\aoi.png", L"ch\\ren.png"};
  for (const std::wstring& name : sprites) EXPECT_EQ(used.count(name), 1u);
  auto alpha = [](const Image& image, uint32_t x, uint32_t y) { return image.Row(y)[x * 4 + 3]; };
  for (const std::wstring& name : backgrounds) {
    SCOPED_TRACE(tav::os::WideToMultiByte(name));
    Image image;
    ASSERT_TRUE(DecodeResource(name, image));
    EXPECT_EQ(image.width, uint32_t(Game().config.screenWidth));
    EXPECT_EQ(image.height, uint32_t(Game().config.screenHeight));
    for (uint32_t y = 0; y < image.height; y += 7)
      for (uint32_t x = 0; x < image.width; x += 7) {
        ASSERT_EQ(alpha(image, x, y), 255) << x << "," << y;
      }
  }
  for (const std::wstring& name : sprites) {
    SCOPED_TRACE(tav::os::WideToMultiByte(name));
    Image image;
    ASSERT_TRUE(DecodeResource(name, image));
    EXPECT_EQ(alpha(image, 0, 0), 0);
    EXPECT_EQ(alpha(image, image.width - 1, 0), 0);
    EXPECT_EQ(alpha(image, image.width / 2, image.height / 2), 255);
  }
}

}  // namespace
}  // namespace demotest
