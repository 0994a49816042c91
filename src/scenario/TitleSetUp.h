#pragma once
#include <span>

class CTitle;

namespace tav {

// Loads the scenario into `title`, loads the skin images of the built-in
// overlays, lays out the quit dialog and the message overlays, and enters the
// configured first scene. The caption reads "Now Loading .." meanwhile and the
// game title afterwards. False when the scenario cannot be loaded or memory
// runs out.
bool SetUpTitle(CTitle& title);

// The skin families the set-up loads (SkinName gives each one's resource
// name), in loading order: backlog screen, edit panel, auto mark, the
// backlog's side buttons, quit dialog.
std::span<const wchar_t* const> OverlaySkins();

}  // namespace tav
