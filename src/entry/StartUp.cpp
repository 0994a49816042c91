#include "entry/StartUp.h"

#include <cstdlib>
#include <filesystem>

#include "app/Config.h"
#include "core/ErrorLog.h"
#include "core/UserFolder.h"
#include "app/Game.h"
#include "app/GameWindow.h"
#include "app/RenderStates.h"
#include "audio/AudioEngine.h"
#include "gfx/BaseD3D.h"
#include "gfx/DeviceObject.h"
#include "platform/gpu/D3DX.h"
#include "platform/os/Icons.h"
#include "platform/os/Locale.h"
#include "platform/os/Shell.h"
#include "platform/os/WindowCalls.h"
#include "res/Stores.h"
#include "scenario/Title.h"
#include "scenario/TitleSetUp.h"

namespace tav {


namespace {

constexpr const wchar_t* kNoGraphicsMessage =
    L"最新のDirectXが見つからなかったため起動できません。\nDirectXをインストールしますか？";
constexpr const wchar_t* kDriverHelpPage = L"https://wiki.debian.org/GraphicsCard";

// A pixel shader small enough to compile anywhere the real ones do.
constexpr char kProbeShader[] = "float4 PS(float4 c : COLOR0) : COLOR0 { return c; }";

// Mesa keeps the shaders it compiled under the user's cache folder, but makes
// only its own folder there: on an account whose cache folder does not exist
// yet (a fresh one, or XDG_CACHE_HOME naming a new place), the driver would
// compile every shader again at every start. The folder is made as the XDG
// rules ask, private to the user.
void EnsureUserCacheFolder() {
  namespace fs = std::filesystem;
  fs::path folder;
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  if (cache && *cache == '/')
    folder = cache;
  else if (home && *home == '/')
    folder = fs::path(home) / ".cache";
  else
    return;
  std::error_code error;
  // Failing leaves the driver as it was without the folder.
  if (fs::create_directory(folder, error)) fs::permissions(folder, fs::perms::owner_all, error);
}

}  // namespace

bool GraphicsRuntimeAvailable() {
  if (!gpu::LoadD3D9()) return false;
  ID3DXBuffer* code = nullptr;
  HRESULT hr = D3DXCompileShader(kProbeShader, sizeof kProbeShader - 1, nullptr, nullptr, "PS", "ps_2_0", 0, &code,
                                 nullptr, nullptr);
  auto held = AdoptDeviceObject(code);
  return SUCCEEDED(hr) && code;
}

void OfferGraphicsDriverHelp() {
  if (os::MessageBoxW(nullptr, kNoGraphicsMessage, nullptr, MB_ICONERROR | MB_YESNO) == IDYES)
    os::ShellExecuteW(nullptr, nullptr, kDriverHelpPage, nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

// The steps of StartUp. A failing step has usually written its line to the
// log already; `anotherCopy` marks the one way out that is no failure.
bool StartSteps(bool& anotherCopy, const std::function<void(const char* step)>& stepDone) {
  auto done = [&stepDone](const char* step) {
    if (stepDone) stepDone(step);
  };
  os::SetUserLocale();
  // The log goes to the game's per-user folder from the first line on.
  EngineFolderName = L"Tavri";
  EnsureUserCacheFolder();
  if (!GraphicsRuntimeAvailable()) {
    LogError(L"no graphics device with OpenGL 4.1 and a working shader compiler is available");
    OfferGraphicsDriverHelp();
    return false;
  }
  done("graphics probe");
  if (!CreateDirect3D(L"Tavri")) return false;
  done("Res archive, Direct3D");
  // Without sound (no device, or its thread cannot start) the game plays on silently.
  StartAudio();
  done("audio");
  if (!ArchiveStore::Load(TextStore(), L"Txt.pac") || !ArchiveStore::Load(IdStore(), L"ID.pac")) return false;
  if (!ReadConfig(TextStore(), config)) return false;
  if (!IdsAgree(TextStore(), ResStore(), IdStore())) return false;
  done("Txt, ID archives, config");

  // A missing or damaged icon file leaves the window without icons.
  HICON smallIcon = static_cast<HICON>(os::LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 16, 16,
                                                      LR_SHARED | LR_LOADFROMFILE));
  HICON largeIcon = static_cast<HICON>(os::LoadImageW(nullptr, L"Icon.ico", IMAGE_ICON, 32, 32,
                                                      LR_SHARED | LR_LOADFROMFILE));
  CGame& game = GetGame();
  if (!CreateGameWindow(smallIcon, config.gameTitle, game, config.screenWidth, config.screenHeight, true,
                        largeIcon)) {
    // No window of ours, yet one of this title: the first copy, now in front.
    anotherCopy = !game.window && os::FindWindowW(config.gameTitle.c_str(), nullptr) != nullptr;
    if (game.window) os::DestroyWindow(game.window);
    game.window = nullptr;
    return false;
  }
  done("window, device, default textures, shaders");
  os::SetWindowTextW(game.window, L"Now Loading .0%");
  ApplyDefaultRenderStates(game.device.Device());
  game.SetAfterReset([&game] {
    ApplyDefaultRenderStates(game.device.Device());
    return true;
  });

  game.device.clearFlags = D3DCLEAR_TARGET;
  game.device.clearColour = 0;
  game.device.clearZ = 1.0f;
  game.device.clearStencil = 0;

  // The title scene plays the whole scenario.
  auto* title = new CTitle(game);
  if (!SetUpTitle(*title)) {
    delete title;
    return false;
  }
  // The title scene draws only through quads: a frame that would look like
  // the one on screen is skipped, so a page waiting for a click costs
  // nothing.
  game.skipUnchangedFrames = true;
  if (!game.RegisterScene(L"TITLE", title)) return false;
  game.beforeFailedEnd = [title] { title->WriteUserFiles(); };
  done("title scene: images, fonts, text");
  return true;
}

}  // namespace

bool StartUp(std::wstring* failure, const std::function<void(const char* step)>& stepDone) {
  LogCapture capture;
  bool anotherCopy = false;
  if (StartSteps(anotherCopy, stepDone)) return true;
  if (anotherCopy) return false;
  // Every way out names its reason; a step that failed without a line of its
  // own still leaves one, so that the player is never left with silence.
  std::wstring line = capture.Last();
  if (line.empty()) {
    line = L"start-up failed";
    LogError(line);
  }
  if (failure) *failure = line;
  return false;
}

}  // namespace tav
