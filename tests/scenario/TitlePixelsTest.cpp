// A story scene played by the title scene on the real OpenGL device with real
// fonts: picture, character, message window, name box and a half-revealed
// line, judged by its pixels. With TAVRI_SCREENSHOT_DIR set the frames are
// written there.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/Config.h"
#include "app/Game.h"
#include "app/GameWindow.h"
#include "app/RenderStates.h"
#include "d3dx/ImageBytes.h"
#include "gfx/GlScene.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/ScriptedInput.h"
#include "platform/os/WindowCalls.h"
#include "res/Stores.h"
#include "scenario/Title.h"
#include "support/PacBuilder.h"
#include "support/TempDir.h"

namespace {

std::string Image(uint32_t w, uint32_t h, const std::function<void(uint32_t, uint32_t, uint8_t*)>& paint) {
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) paint(x, y, &rgba[(size_t(y) * w + x) * 4]);
  const std::vector<uint8_t> png = d3dxtest::MakePng(w, h, 4, rgba);
  return std::string(png.begin(), png.end());
}

class TitlePixelsTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    savedConfig_ = tav::config;
    const std::string shader =
        tavtest::ReadFileBytes(std::string(TAVRI_SOURCE_DIR) + "/game/demo/Res/HLSL/QUAD_DEFAULT.hlsl");
    // An evening sky over a low hill, a figure, a translucent window.
    const std::string sky = Image(800, 600, [](uint32_t x, uint32_t y, uint8_t* p) {
      const bool hill = y > 430 + 30 * std::sin(x / 90.0);
      p[0] = uint8_t(hill ? 50 : 90 + y / 5);
      p[1] = uint8_t(hill ? 70 : 60 + y / 6);
      p[2] = uint8_t(hill ? 60 : 150 - y / 8);
      p[3] = 255;
    });
    const std::string figure = Image(200, 360, [](uint32_t x, uint32_t y, uint8_t* p) {
      const double head = std::hypot(x - 100.0, y - 70.0), body = std::abs(x - 100.0) - (y - 120.0) * 0.35;
      const bool in = head < 50 || (y > 120 && body < 40);
      p[0] = uint8_t(head < 50 ? 240 : 120);
      p[1] = uint8_t(head < 50 ? 210 : 90);
      p[2] = uint8_t(head < 50 ? 190 : 160);
      p[3] = in ? 255 : 0;
    });
    const std::string window = Image(760, 160, [](uint32_t x, uint32_t y, uint8_t* p) {
      const bool edge = x < 3 || y < 3 || x > 756 || y > 156;
      p[0] = uint8_t(edge ? 230 : 20);
      p[1] = uint8_t(edge ? 230 : 24);
      p[2] = uint8_t(edge ? 240 : 48);
      p[3] = uint8_t(edge ? 255 : 190);
    });
    tavtest::WriteFileBytes(dir_ / "Res.pac",
                            tavtest::BuildArchive({{"Res\\HLSL\\QUAD_DEFAULT.hlsl", shader},
                                                   {"Res\\sky.png", sky},
                                                   {"Res\\mika.png", figure},
                                                   {"Res\\window.png", window},
                                                   {"Res\\solid.png", Image(64, 64, [](uint32_t, uint32_t, uint8_t* p) {
                                                      p[0] = 200, p[1] = 100, p[2] = 50, p[3] = 255;
                                                    })}}));
    std::filesystem::current_path(dir_.Path());
    tav::direct3D.reset();
    tav::ex = false;
    tavtest::ClearErrorLog();
    clock_.Install();
    input_.Install();
    tav::config = tav::GameConfig{};
    tav::config.screenWidth = 800;
    tav::config.screenHeight = 600;
    tav::config.fontSize = 26;
    tav::config.textColour = 0xFFFFFFFF;
    tav::config.charactersPerRow = 26;
    tav::config.textOffsetX = 50;
    tav::config.textOffsetY = 470;
    tav::config.nameOffsetX = 50;
    tav::config.nameOffsetY = 432;
    tav::config.messageWindowName = L"window.png";
    tav::config.speedMaximum = 80;  // 40 ms between glyphs
    tav::config.autoWaitMaximum = 1000;
  }
  void TearDown() override {
    if (game_ && game_->window) tav::os::DestroyWindow(game_->window);
    game_.reset();
    input_.Uninstall();
    clock_.Uninstall();
    tav::direct3D.reset();
    tav::ResStore() = tav::ArchiveStore();
    tav::config = savedConfig_;
    std::filesystem::current_path(saved_);
  }

  tavtest::TempDir dir_;
  std::filesystem::path saved_;
  tav::GameConfig savedConfig_;
  tav::fake::FakeClock clock_{10000};
  tav::fake::ScriptedInput input_;
  std::unique_ptr<tav::CGame> game_;
};

TEST_F(TitlePixelsTest, AStorySceneHalfWayThroughItsLine) {
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  game_ = std::make_unique<tav::CGame>();
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Story Pixels", *game_, 800, 600, true, nullptr))
      << tavtest::ReadErrorLog();
  tav::ApplyDefaultRenderStates(game_->device.Device());
  input_.Activate();

  tav::SceneData scene;
  auto picture = [](const wchar_t* image, float x, float y) {
    tav::ImageEntry e;
    e.image = image;
    e.x = x;
    e.y = y;
    return e;
  };
  scene.images = {picture(L"sky.png", 0, 0), picture(L"mika.png", 300, 60), picture(L"window.png", 20, 420)};
  tav::MessageRow row;
  row.text = L"【ミカ】「おはよう。今日もいい天気だね、一緒に歩こう？」";
  scene.messageRows.push_back(row);
  auto* title = new CTitle(*game_);
  title->scenes = {scene};
  ASSERT_TRUE(game_->RegisterScene(L"TITLE", title));
  ASSERT_TRUE(title->EnterScene(0));

  auto frame = [&](bool read) {
    std::vector<uint32_t> pixels;
    game_->device.BeginFrame();
    title->Update();
    title->Draw();
    if (read) pixels = tavtest::ReadBackBuffer(game_->device, 800, 600);
    EXPECT_TRUE(game_->device.EndFrame());
    clock_.Advance(16);
    return pixels;
  };
  std::vector<uint32_t> pixels;
  for (int i = 0; i < 30; ++i) pixels = frame(i == 29);  // 480 ms: about a dozen glyphs
  tavtest::SaveScreenshot(pixels, 800, 600, "story-half.png");
  auto bright = [&](int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) count += (pixels[size_t(y) * 800 + size_t(x)] & 0xFF) > 0xC0;
    return count;
  };
  const auto& text = *title->message.Flow();
  size_t shown = 0;
  while (shown < text.Count() && text.IsShown(shown)) ++shown;
  EXPECT_GT(shown, 5u);
  EXPECT_LT(shown, text.Count());
  // Ink in the name box and in the first glyphs, none yet at the end of the line.
  EXPECT_GT(bright(50, 432, 140, 462), 30);
  EXPECT_GT(bright(50, 470, 180, 500), 60);
  EXPECT_EQ(bright(600, 470, 760, 500), 0);
  // The figure stands in front of the sky; the window darkens what is behind it.
  EXPECT_TRUE(tavtest::Near(pixels[size_t(130) * 800 + 400] & 0xFFFFFF, 240, 210, 190, 4));

  for (int i = 0; i < 80; ++i) pixels = frame(i == 79);
  tavtest::SaveScreenshot(pixels, 800, 600, "story-full.png");
  EXPECT_TRUE(title->message.Complete());
  EXPECT_GT(bright(600, 470, 760, 500) + bright(50, 497, 300, 527), 40);
}

// A scene that fades to black on leaving is followed by a scene that shows.
TEST_F(TitlePixelsTest, TheSceneAfterAFadeToBlackIsSeen) {
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  game_ = std::make_unique<tav::CGame>();
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Fade Pixels", *game_, 800, 600, true, nullptr))
      << tavtest::ReadErrorLog();
  tav::ApplyDefaultRenderStates(game_->device.Device());
  input_.Activate();
  tav::SceneData first, second;
  tav::ImageEntry sky;
  sky.image = L"sky.png";
  first.images = {sky};
  second.images = {sky};
  tav::EffectEntry fade;
  fade.kind = tav::kEffectFade;
  fade.colour = 0x00000000;
  fade.p1 = 255;
  fade.duration = 300;
  first.effects = {fade};
  tav::EffectEntry fadeIn = fade;
  fadeIn.colour = 0xFF000000;
  fadeIn.p1 = 0;
  second.effects = {fadeIn};
  second.nextScene = -4;
  tav::SceneData third;
  third.images = {sky};
  auto* title = new CTitle(*game_);
  title->scenes = {first, second, third};
  ASSERT_TRUE(game_->RegisterScene(L"TITLE", title));
  ASSERT_TRUE(title->EnterScene(0));
  auto frames = [&](int count) {
    std::vector<uint32_t> pixels;
    for (int i = 0; i < count; ++i) {
      game_->device.BeginFrame();
      title->Update();
      title->Draw();
      if (i == count - 1) pixels = tavtest::ReadBackBuffer(game_->device, 800, 600);
      EXPECT_TRUE(game_->device.EndFrame());
      clock_.Advance(16);
    }
    return pixels;
  };
  const uint32_t skyAt = frames(2)[size_t(100) * 800 + 400] & 0xFFFFFF;
  EXPECT_NE(skyAt, 0u);
  title->Advance();
  const std::vector<uint32_t> dark = frames(25);
  EXPECT_EQ(title->current, 1);
  EXPECT_TRUE(tavtest::Near(dark[size_t(100) * 800 + 400] & 0xFFFFFF, 0, 0, 0, 40));
  std::vector<uint32_t> after = frames(40);
  ASSERT_EQ(title->current, 2);
  tavtest::SaveScreenshot(after, 800, 600, "after-fade.png");
  EXPECT_EQ(after[size_t(100) * 800 + 400] & 0xFFFFFF, skyAt);
}

// The edit panel's colour modes on a picture of one colour, (200, 100, 50),
// while its playlist plays: the negative, the luminance grey and the sepia
// tone of that grey, through the game's own shaders.
TEST_F(TitlePixelsTest, ThePlaylistsColourModes) {
  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  game_ = std::make_unique<tav::CGame>();
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Mode Pixels", *game_, 800, 600, true, nullptr))
      << tavtest::ReadErrorLog();
  tav::ApplyDefaultRenderStates(game_->device.Device());
  input_.Activate();
  tav::SceneData scene;
  tav::ImageEntry picture;
  picture.image = L"solid.png";
  scene.images = {picture};
  scene.messageRows.push_back({});
  scene.messageRows.back().text = L"色";
  auto* title = new CTitle(*game_);
  title->scenes = {scene};
  title->panel.Attach(800, 600);
  ASSERT_TRUE(game_->RegisterScene(L"TITLE", title));
  ASSERT_TRUE(title->EnterScene(0));
  auto frame = [&] {
    game_->device.BeginFrame();
    title->Update();
    title->Draw();
    const std::vector<uint32_t> pixels = tavtest::ReadBackBuffer(game_->device, 800, 600);
    EXPECT_TRUE(game_->device.EndFrame());
    clock_.Advance(16);
    return pixels[size_t(20) * 800 + 20] & 0xFFFFFF;  // under the picture, away from the panel
  };
  auto click = [&](int x, int y) {
    input_.MoveCursor(x, y);
    input_.SetKey(VK_LBUTTON, true);
    frame();
    input_.SetKey(VK_LBUTTON, false);
    for (int i = 0; i < 9; ++i) frame();
  };
  input_.SetKey(VK_TAB, true);
  frame();
  input_.SetKey(VK_TAB, false);
  click(690, 146);  // add
  click(782, 146);  // play
  ASSERT_TRUE(title->panel.Playing());
  EXPECT_TRUE(tavtest::Near(frame(), 200, 100, 50, 2));
  click(690, 84);  // negative
  EXPECT_TRUE(tavtest::Near(frame(), 55, 155, 205, 2));
  click(724, 84);  // monochrome: 0.299 R + 0.587 G + 0.114 B
  EXPECT_TRUE(tavtest::Near(frame(), 124, 124, 124, 2));
  click(758, 84);  // sepia: that grey toned by (1.07, 0.74, 0.43)
  EXPECT_TRUE(tavtest::Near(frame(), 133, 92, 53, 2));
  click(782, 146);  // play again stops, and the picture is itself again
  EXPECT_TRUE(tavtest::Near(frame(), 200, 100, 50, 2));
}

}  // namespace
