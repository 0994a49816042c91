#include "scenario/TitleSetUp.h"

#include <exception>
#include <new>

#include "app/Config.h"
#include "core/ErrorLog.h"
#include "app/Game.h"
#include "platform/os/WindowCalls.h"
#include "res/Stores.h"
#include "scenario/ScenarioLoader.h"
#include "scenario/Title.h"
#include "ui/SkinName.h"

namespace tav {
namespace {

// The skins of the built-in overlays, in the order they are loaded: backlog
// screen, edit panel, auto mark, the backlog's side buttons, quit dialog.
constexpr const wchar_t* kSkins[] = {
    L"s0",    L"s1",    L"s2",    L"s3",    L"v1",    L"v2",    L"v3",    L"b1",    L"b2",    L"b3",
    L"top1",  L"top2",  L"top3",  L"btm1",  L"btm2",  L"btm3",  L"etop1", L"etop2", L"etop3", L"ebtm1",
    L"ebtm2", L"ebtm3", L"edel1", L"edel2", L"edel3", L"eadd1", L"eadd2", L"eadd3", L"eplay1", L"eplay2",
    L"eplay3", L"er1",  L"er2",   L"er3",   L"en1",   L"en2",   L"en3",   L"em1",   L"em2",   L"em3",
    L"es1",   L"es2",   L"es3",   L"auto",  L"r1",    L"r2",    L"r3",    L"l1",    L"l2",    L"l3",
    L"yes1",  L"no1",   L"yes2",  L"no2",   L"yes3",  L"no3",   L"close"};
static_assert(sizeof kSkins / sizeof kSkins[0] == 57);

}  // namespace

std::span<const wchar_t* const> OverlaySkins() { return kSkins; }

bool SetUpTitle(CTitle& title) {
  try {
    CGame& game = title.game;
    if (!LoadScenario(TextStore(), config, game.window, title.scenes, title.imageSets)) return false;
    if (game.window) os::SetWindowTextW(game.window, L"Now Loading ..");
    title.current = config.firstScene;
    // A skin missing from the archive is no error: its quads show nothing.
    for (const wchar_t* skin : OverlaySkins()) game.LoadTexture(SkinName(skin));
    title.quit.Attach(&game.device, float(config.screenWidth), float(config.screenHeight));
    title.message.AttachSkins();
    title.backlogScreen.Attach(&game.device, config.screenWidth, config.screenHeight);
    title.panel.Attach(config.screenWidth, config.screenHeight);
    title.ReadUserFiles();
    if (!title.EnterScene(config.firstScene)) return false;
    if (game.window) os::SetWindowTextW(game.window, config.gameTitle.c_str());
    return true;
  } catch (const std::bad_alloc& e) {
    LogException(e.what());
    return false;
  }
}

}  // namespace tav
