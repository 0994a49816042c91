#include "scenario/TitleFixture.h"

#include <cstring>

#include "app/GameWindow.h"
#include "audio/SoundCommands.h"
#include "d3dx/ImageBytes.h"
#include "platform/os/WindowCalls.h"
#include "res/Stores.h"
#include "support/PacBuilder.h"
#include "ui/SkinName.h"

namespace tavtest {
namespace {

const wchar_t* CommandName(tav::SoundCommand c) {
  switch (c) {
    case tav::SoundCommand::Create: return L"Create";
    case tav::SoundCommand::RemoveAll: return L"RemoveAll";
    case tav::SoundCommand::Remove: return L"Remove";
    case tav::SoundCommand::Play: return L"Play";
    case tav::SoundCommand::PauseAll: return L"PauseAll";
    case tav::SoundCommand::Pause: return L"Pause";
    case tav::SoundCommand::ResumeAll: return L"ResumeAll";
    case tav::SoundCommand::SetVolume: return L"SetVolume";
    case tav::SoundCommand::IsStopped: return L"IsStopped";
  }
  return L"?";
}

// The overlays' button skins the fixture's archive holds.
constexpr const char* kButtonFamilies[] = {"s",    "v",    "b",  "top", "btm", "l",  "r",  "eadd",
                                           "edel", "eplay", "etop", "ebtm", "er", "en", "em", "es"};

}  // namespace

void TitleFixture::SetUp() {
  saved_ = std::filesystem::current_path();
  savedConfig_ = tav::config;
  std::vector<std::pair<std::string, std::string>> files{{"Res\\bg.png", d3dxtest::SolidPngFile(64, 48, 40, 80, 120)},
                                                 {"Res\\win.png", d3dxtest::SolidPngFile(700, 150, 20, 20, 40)},
                                                 {"Res\\b1.png", d3dxtest::SolidPngFile(100, 40, 200, 200, 200)},
                                                 {"Res\\b2.png", d3dxtest::SolidPngFile(100, 40, 255, 255, 200)},
                                                 {"Res\\b3.png", d3dxtest::SolidPngFile(100, 40, 150, 150, 100)},
                                                 {"Res\\on.png", d3dxtest::SolidPngFile(100, 40, 0, 255, 0)},
                                                 {"Res\\music.ogg", "OggS-not-really"},
                                                 {"Res\\v1.ogg", "OggS-not-really"},
                                                 {"Res\\track.png", d3dxtest::SolidPngFile(200, 10, 90, 90, 90)},
                                                 {"Res\\Default\\close.dds", d3dxtest::SolidPngFile(400, 200, 60, 60, 90)},
                                                 {"Res\\Default\\yes1.dds", d3dxtest::SolidPngFile(120, 40, 200, 200, 200)},
                                                 {"Res\\Default\\yes2.dds", d3dxtest::SolidPngFile(120, 40, 255, 255, 200)},
                                                 {"Res\\Default\\yes3.dds", d3dxtest::SolidPngFile(120, 40, 150, 150, 100)},
                                                 {"Res\\Default\\no1.dds", d3dxtest::SolidPngFile(120, 40, 200, 200, 200)},
                                                 {"Res\\Default\\no2.dds", d3dxtest::SolidPngFile(120, 40, 255, 255, 200)},
                                                 {"Res\\Default\\no3.dds", d3dxtest::SolidPngFile(120, 40, 150, 150, 100)},
                                                 {"Res\\Default\\s0.dds", d3dxtest::SolidPngFile(16, 568, 90, 90, 90)}};
  // The backlog screen's and edit panel's buttons: 16-pixel squares, each
  // state its own shade.
  for (const char* family : kButtonFamilies)
    for (int state = 1; state <= 3; ++state)
      files.emplace_back(std::string("Res\\Default\\") + family + std::to_string(state) + ".dds",
                         d3dxtest::SolidPngFile(16, 16, uint8_t(60 * state), uint8_t(60 * state), 200));
  WriteFileBytes(dir_ / "Res.pac", BuildArchive(files));
  std::filesystem::current_path(dir_.Path());
  tav::direct3D.reset();
  tav::ex = false;
  ClearErrorLog();
  clock_.Install();
  input_.Install();
  tav::InstallSoundExecutor([this](tav::SoundCommand command, const tav::CXAudio2::ArgList& args) {
    sounds_.push_back(std::wstring(CommandName(command)) + (args.name.empty() ? L"" : L" " + args.name));
    return command != tav::SoundCommand::IsStopped;  // a voice plays until the test says otherwise
  });

  tav::config = tav::GameConfig{};
  tav::config.gameTitle = L"Title Test";
  tav::config.screenWidth = 800;
  tav::config.screenHeight = 600;
  tav::config.fontSize = 24;
  tav::config.textColour = 0xFFFFFFFF;
  tav::config.charactersPerRow = 20;
  tav::config.textOffsetX = 80;
  tav::config.textOffsetY = 470;
  tav::config.nameOffsetX = 80;
  tav::config.nameOffsetY = 430;
  tav::config.defaultEffectDuration = 500;
  tav::config.messageWindowName = L"win.png";
  tav::config.speedMaximum = 100;     // 50 ms between glyphs
  tav::config.autoWaitMaximum = 1000;  // 500 ms
  tav::config.firstScene = 0;

  ASSERT_TRUE(tav::CreateDirect3D(L"Tavri"));
  game_ = std::make_unique<tav::CGame>();
  // Each test its own title: a window of the same title counts as another
  // copy of the game already running.
  const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
  ASSERT_TRUE(tav::CreateGameWindow(nullptr, L"Title Test " + std::wstring(name.begin(), name.end()), *game_, 800,
                                    600, true, nullptr))
      << ReadErrorLog();
  input_.Activate();
}

void TitleFixture::TearDown() {
  if (game_ && game_->window) tav::os::DestroyWindow(game_->window);
  game_.reset();
  tav::InstallSoundExecutor(nullptr);
  input_.Uninstall();
  clock_.Uninstall();
  tav::direct3D.reset();
  tav::ResStore() = tav::ArchiveStore();
  tav::config = savedConfig_;
  std::filesystem::current_path(saved_);
}

void TitleFixture::Start(std::vector<tav::SceneData> scenes) {
  title_ = new CTitle(*game_);
  title_->scenes = std::move(scenes);
  for (const wchar_t* skin : {L"Default\\close.dds", L"Default\\yes1.dds", L"Default\\yes2.dds",
                              L"Default\\yes3.dds", L"Default\\no1.dds", L"Default\\no2.dds", L"Default\\no3.dds"})
    game_->LoadTexture(skin);
  title_->quit.Attach(&game_->device, 800, 600);
  game_->LoadTexture(tav::SkinName(L"s0"));
  for (const char* family : kButtonFamilies)
    for (int state = 1; state <= 3; ++state)
      game_->LoadTexture(tav::SkinName(std::wstring(family, family + std::strlen(family)), state));
  title_->backlogScreen.Attach(&game_->device, 800, 600);
  title_->panel.Attach(800, 600);
  ASSERT_TRUE(game_->RegisterScene(L"TITLE", title_));
  ASSERT_TRUE(title_->EnterScene(tav::config.firstScene));
}

void TitleFixture::Frame() {
  ASSERT_TRUE(game_->Frame());
  clock_.Advance(16);
}

void TitleFixture::Click(float x, float y) {
  input_.MoveCursor(int(x), int(y));
  input_.SetKey(VK_LBUTTON, true);
  Frame();
  input_.SetKey(VK_LBUTTON, false);
  Frames(9);
}

void TitleFixture::Tap(int vk) {
  input_.SetKey(vk, true);
  Frame();
  input_.SetKey(vk, false);
  Frame();
}

tav::ImageEntry TitleFixture::Picture(const std::wstring& image, float x, float y) {
  tav::ImageEntry e;
  e.image = image;
  e.x = x;
  e.y = y;
  e.startX = x;  // as the parser leaves an "img" entry
  return e;
}

tav::ImageEntry TitleFixture::Button(float x, float y, int32_t actionCode, int32_t targetScene) {
  tav::ImageEntry e = Picture(L"b1.png", x, y);
  e.secondImage = L"b2.png";
  e.thirdImage = L"b3.png";
  e.actionCode = actionCode;
  e.targetScene = targetScene;
  return e;
}

tav::SceneData TitleFixture::Story(const std::wstring& line, int32_t nextScene) {
  tav::SceneData s;
  s.images.push_back(Picture(L"bg.png", 0, 0));
  s.images.push_back(Picture(L"win.png", 50, 420));
  tav::MessageRow row;
  row.text = line;
  s.messageRows.push_back(row);
  s.nextScene = nextScene;
  s.leaveEffects = false;
  return s;
}

tav::SceneData TitleFixture::Menu(tav::ImageEntry button, int32_t nextScene) {
  tav::SceneData s;
  s.images.push_back(Picture(L"bg.png", 0, 0));
  s.images.push_back(button);
  s.nextScene = nextScene;
  s.leaveEffects = false;
  return s;
}

}  // namespace tavtest
