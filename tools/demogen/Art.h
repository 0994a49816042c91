#pragma once
// Each part of the game's art, written into the staging folder.
#include "Output.h"

namespace demogen {

// The skins under "Default\" that the title set-up loads.
void WriteSkins(Output& out);
// Backgrounds under "bg\".
void WriteBackgrounds(Output& out);
// Character sprites and the cut-in picture under "ch\".
void WriteCharacters(Output& out);
// The scenario's own interface under "ui\": message window, menu buttons,
// choices, save slots, settings controls, headings and the logo.
void WriteInterface(Output& out);
// Music under "bgm\", effects under "se\" and the voiced lines under
// "voice\"; espeak-ng speaks the voices, its files pass through `scratch`.
void WriteSounds(Output& out, const std::filesystem::path& scratch);
// The window icon, written as bytes to `path`.
void WriteIcon(const std::filesystem::path& path);

}  // namespace demogen
