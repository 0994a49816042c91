#pragma once
// The game's configuration: the 17 kept lines of "Txt\config.txt", read once at
// start-up and used by much of the engine.
#include <cstdint>
#include <string>

#include "core/Diagnostic.h"

namespace tav {

class ArchiveStore;

struct GameConfig {
  std::wstring gameTitle;          // window class name and caption
  std::wstring filePrefix;         // joined before the names of the per-user files
  int32_t screenWidth = 0;         // client size of the window and back buffer
  int32_t screenHeight = 0;
  int32_t fontSize = 0;            // message glyph size in pixels
  uint32_t textColour = 0;         // 0xAARRGGBB of message text
  uint32_t charactersPerRow = 0;   // message text wraps after this many
  float textOffsetX = 0;           // message text, from the message window's origin
  float textOffsetY = 0;
  float nameOffsetX = 0;           // speaker name, from the message window's origin
  float nameOffsetY = 0;
  uint32_t defaultEffectDuration = 0;  // ms, for effects and fades that name none
  uint32_t backlogPageCapacity = 0;    // scene blocks per backlog page
  std::wstring messageWindowName;      // the scene image that is the message window
  uint32_t speedMaximum = 0;           // top of the text-speed slider
  uint32_t autoWaitMaximum = 0;        // top of the auto-wait slider, ms
  int32_t firstScene = 0;              // the scenario's menu scene
};

// The process-wide configuration.
extern GameConfig config;

// Reads "Txt\config.txt" from `store`. False when the file is missing, does not
// have exactly 17 kept lines, or asks for zero characters per row (message
// text could never be wrapped). A value that does not parse reads as 0. A
// failure is reported once, to `sink` or else to the error log
// ("Txt\config.txt: 16 lines, 17 expected").
bool ReadConfig(const ArchiveStore& store, GameConfig& out, const DiagnosticSink* sink = nullptr);

// True when "Txt\id.txt", "Res\id.txt" and "ID\id.txt" exist, the last two have
// exactly one kept line, the first at least one, and the three numbers agree.
// A failure is reported once like ReadConfig's ("id files differ: Txt 3, Res 3,
// ID 4").
bool IdsAgree(const ArchiveStore& text, const ArchiveStore& res, const ArchiveStore& id,
              const DiagnosticSink* sink = nullptr);

}  // namespace tav
