#pragma once
// The scenario as the script parser leaves it: one SceneData per scene block
// and one ImageSet per image-set block. Playback works only on these records.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Tween.h"

namespace tav {

// One row of a scene's message. Position, size and colour are the configured
// message values at the time the line was parsed.
struct MessageRow {
  float x = 0;
  float y = 0;
  int32_t fontSize = 0;
  uint32_t colour = 0;  // 0xAARRGGBB
  std::wstring text;
};

// What an image entry does when the scene is left.
enum ImageKind : int32_t {
  kImageShown = 0,    // "img": shown, and a button when it has a second image
  kImageFadeOut = 1,  // "[o]"
  kImageFadeIn = 2,   // "[i]"
};

// A picture of a scene; with a second image it is also a button.
struct ImageEntry {
  float x = 0;
  float y = 0;
  std::wstring image;
  int32_t targetScene = -1;  // -1: none; -2: the scene after the current one
  std::wstring secondImage;  // shown under the mouse
  std::wstring thirdImage;   // shown while pressed
  int32_t actionCode = -1;
  int32_t leaveMode = 1;  // 0 leaves without the leave sequence
  std::wstring actionText;
  std::wstring showKey;
  int32_t showRule = -1;
  int32_t actionValue = -1;
  float startX = 0;  // where a dragged entry started; x for "img"
  int32_t kind = kImageShown;
  // The fade of "[o]" and "[i]" entries, run by playback.
  Tween fade;
  float alpha = 0;
  int32_t fadeDuration = 0;  // ms; set for "[o]" and "[i]" only
};

// A set of image entries that scenes copy in with "[c]"; its number is its
// position in the image-set table.
struct ImageSet {
  std::vector<ImageEntry> images;
};

// A picture drawn into the cut-in effect's off-screen image.
struct DrawEntry {
  float x = 0;
  float y = 0;
  std::wstring image;
};

// What a button does when pressed: an image entry's `actionCode`. Codes not
// named here (7, 8, 19, 20 and anything above 24) run no action.
enum class Action : uint32_t {
  Close = 0,             // ask to quit, as the close box does
  Backlog = 1,           // open or close the backlog
  AutoMode = 2,          // flip auto mode
  SkipMode = 3,          // flip skip mode
  Back = 4,              // back to the previous scene
  FullScreen = 5,        // switch to full screen (in window mode)
  WindowMode = 6,        // switch to window mode (in full screen)
  VolumeSlider = 9,      // drag a channel's volume knob; `actionValue` picks the channel
  TextSpeedSlider = 10,  // drag the text-speed knob
  AutoWaitSlider = 11,   // drag the auto-wait knob
  SkipUnreadOn = 12,
  SkipUnreadOff = 13,
  Save = 14,             // save to the slot numbered in `actionText`
  Load = 15,             // load the slot numbered in `actionText`
  FirstScene = 16,       // stop everything and go back to the first scene
  Call = 17,             // call the scene numbered in `actionText` until scene `actionValue`
  Music = 18,            // play the music named in `actionText`
  PictureView = 21,
  InstantEffects = 22,   // flip instant effects
  Level = 23,            // the message window's opacity becomes `actionValue` / 255
  Option = 24,           // flip the option flag
};
inline constexpr uint32_t kLastAction = 24;

enum SoundType : int32_t {
  kSoundMusic = 0,
  kSoundEffect = 1,
  kSoundVoice = 2,
};

struct SoundEntry {
  std::wstring name;
  int32_t loop = 1;  // not 0: the sound loops
  int32_t type = kSoundMusic;
};

enum EffectKind : int32_t {
  kEffectFade = 0,      // "ef0"
  kEffectPeephole = 1,  // "ef1"
  kEffectCutIn = 2,     // "ef2"
};

// A screen effect started when the scene is left. p1 to p4 mean what the kind
// makes of them; the ones a kind does not take stay 0.
struct EffectEntry {
  // Slots the parser leaves alone; playback may keep its own state here.
  std::array<int32_t, 4> spare{};
  std::wstring spareText;
  int32_t duration = 0;  // ms
  uint32_t colour = 0;   // 0xAARRGGBB
  float p1 = 0;
  float p2 = 0;
  float p3 = 0;
  float p4 = 0;
  int32_t kind = kEffectFade;
};

// One scene: what it shows, plays and runs, and where it goes next.
struct SceneData {
  std::vector<MessageRow> messageRows;
  std::vector<ImageEntry> images;
  std::vector<DrawEntry> draws;
  std::vector<SoundEntry> sounds;
  std::vector<EffectEntry> effects;
  // -1: the next scene in the table; -2: none until an entry is clicked; -3:
  // the configured first scene; -4: the next scene or jumpScene, without
  // waiting for a click; otherwise a scene index.
  int32_t nextScene = -1;
  bool leaveEffects = true;  // run the effects and image fades before leaving
  bool headerFlagB = false;  // keep unnamed sounds; right button to cancelScene
  int32_t cancelScene = -1;  // -1: back to the previous scene
  int32_t jumpScene = -1;
  int32_t spare = 0;  // not set by the parser

  // Empties the parsed lists and puts the header values back to their defaults.
  void Clear() { *this = SceneData{}; }
};

}  // namespace tav
