#pragma once

class CTitle;

namespace tav {

// Loads the scenario into `title`, loads the skin images of the built-in
// overlays, lays out the quit dialog and the message overlays, and enters the
// configured first scene. The caption reads "Now Loading .." meanwhile and the
// game title afterwards. False when the scenario cannot be loaded or memory
// runs out.
bool SetUpTitle(CTitle& title);

}  // namespace tav
