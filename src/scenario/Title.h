#pragma once
// The title scene: the one scene of the game. It owns the scenario's tables,
// enters and leaves scenes, runs their buttons, text, sounds and effects,
// reads the keys and the mouse, and draws everything in a fixed order.
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "app/Scene.h"
#include "core/Tween.h"
#include "effect/CutIn.h"
#include "effect/Fade.h"
#include "effect/Peephole.h"
#include "gfx/Quad.h"
#include "scenario/Backlog.h"
#include "scenario/Buttons.h"
#include "scenario/MessageWindow.h"
#include "save/SettingsStore.h"
#include "scenario/SceneData.h"
#include "scenario/SliderDrag.h"
#include "scenario/SoundChannels.h"
#include "ui/BacklogScreen.h"
#include "ui/EditPanel.h"
#include "ui/QuitDialog.h"
#include "ui/SaveSlots.h"

namespace tav {
class CGame;

// What a scene builds when it is entered and drops when it is left.
struct SceneRuntime {
  std::vector<std::shared_ptr<CQuad>> entryQuads;  // one per image entry
  std::vector<std::shared_ptr<CQuad>> drawQuads;   // one per draw entry
  std::vector<std::shared_ptr<effect::CFade>> fades;
  std::vector<std::shared_ptr<effect::CPeephole>> peepholes;
  std::vector<std::shared_ptr<effect::CCutIn>> cutIns;
};

}  // namespace tav

class CTitle : public tav::CScene {
 public:
  // Drives `game`'s device, text registry and window input.
  explicit CTitle(tav::CGame& game);
  ~CTitle() override;

  void Update() override;
  void Draw() override;

  // Enters scene `index` as the first scene of a run: nothing is left before.
  bool EnterScene(int32_t index);
  // Leaves the current scene for its successor (the scene order).
  void LeaveScene();
  // A click, the wheel, Page Down or auto mode: completes the text, starts the
  // leave sequence, or leaves.
  void Advance();
  // Runs image entry `index`'s button action as if it had been pressed.
  void RunAction(size_t index);
  // Builds the quads' positions from the window offset and the scale factors.
  void LayOut();
  // Releases every text texture and the backlog, then reloads the current
  // scene's images (Alt + Backspace).
  void ReloadImages();
  // Whether image entry `index` of the current scene is shown by its show
  // rule; false for an index the current scene does not have.
  bool IsEntryDrawn(size_t index) const;

  // Save slots: the slot image entry `index` of the current scene names.
  void SaveSlot(size_t index);
  void LoadSlot(size_t index);
  // The scene a save records: the one the player left for the save screen.
  int32_t StoryScene() const;
  // The settings and seen scenes of earlier runs (at set-up), and writing
  // them back (when the player quits or the session ends the game).
  void ReadUserFiles();
  bool WriteUserFiles();
  tav::Settings CollectSettings() const;
  void ApplySettings(const tav::Settings& settings);

  // The scenario.
  std::vector<tav::SceneData> scenes;
  std::vector<tav::ImageSet> imageSets;
  std::vector<tav::SceneRuntime> runtimes;  // one per scene; filled while it is current
  int32_t current = 0;
  int32_t pending = -1;
  int32_t previous = -1;
  int32_t callReturn = -1;  // the scene a call returns to
  int32_t callEnd = -1;     // the scene that ends the call; -1 while no call runs
  // Scenes entered by leaving another since the title was made (the first
  // scene's entry at set-up is not one); long runs read it to know how far
  // play has come.
  uint64_t sceneChanges = 0;
  tav::CBacklog backlog;
  std::set<int32_t> readScenes;
  tav::CSoundChannels channels;

  // Flags.
  bool autoMode = false;
  bool skipMode = false;
  bool skipUnread = false;
  bool pictureView = false;
  bool instantEffects = false;
  bool effectsRunning = false;
  bool transitionRunning = false;
  bool fadeOutRunning = false;
  bool fadeInRunning = false;
  bool leaveRoad = false;
  bool quitDialog = false;    // the quit dialog is open and runs alone

  float zoom = 1.0f;
  float flipAngle = 0.0f;
  uint32_t autoWait = 0;       // ms
  uint32_t textSpeed = 0;      // ms between glyphs
  float level = 1.0f;          // message-window opacity when `option` is clear
  bool option = true;
  tav::QuadPoint scaleFactor{1, 1};

  tav::CMessageWindow message;
  tav::CButtons buttons;
  uint32_t autoTime = 0;  // when auto mode saw the scene ready; 0 before
  uint32_t skipTime = 0;  // when skip mode saw the scene; 0 before

  tav::CQuitDialog quit;
  tav::CBacklogScreen backlogScreen;
  tav::CSaveSlots slots;
  tav::CSettingsStore store;
  tav::CSliderDrag slider;
  tav::CEditPanel panel;

  // The title scene's own quads, drawn after the scene (set up with the title).
  std::vector<std::shared_ptr<tav::CQuad>> overlays;

  tav::KeyTable keys;
  tav::CGame& game;

  // The cursor in configured screen space and whether the window is active,
  // as read at the start of the frame.
  float mouseX = 0, mouseY = 0;
  bool windowActive = false;

 private:
  // True once a scene of the table has been entered and has its runtime lists:
  // one entry quad per image entry (a build cut short leaves fewer, and then
  // nothing of the scene runs or draws).
  bool SceneReady() const {
    return current >= 0 && size_t(current) < scenes.size() && size_t(current) < runtimes.size() &&
           runtimes[size_t(current)].entryQuads.size() == scenes[size_t(current)].images.size();
  }
  // Scene order and the runtime lists.
  int32_t Successor();
  void ResetToFirstScene();
  bool BuildRuntime(int32_t index);
  void ReleaseRuntime(int32_t index);
  void ReleaseTextsAndBacklog();
  void ApplyWindowOpacity();
  void StartLeaveSequence();
  bool LeaveSequenceDone();
  bool AnyEffectRunning() const;
  void UpdateEffects();

  // Buttons and the show rules.
  void ShowStateImages();
  void HoverTest();
  void PressButtons();
  void Road(const tav::ImageEntry& entry);
  bool EntryVisible(size_t index) const;
  int32_t ParentOf(size_t index) const;

  // Frame steps.
  void ReadFrameInput();
  void HandleKeys();
  // Opens the backlog screen over the scene (skip mode ends); one frame of
  // it runs at once when `runFrame`.
  void OpenBacklog(bool runFrame);
  void RunBacklogScreen();
  // Tab or the middle button shows the edit panel; its frame runs every frame.
  void RunEditPanel();
  uint32_t overWindowTime_ = 0;  // when the cursor was last over the message window
  void RunAutoAndSkip();
  void PictureViewInput();
  void EnterPictureView(bool on);
  void UpdateQuads();
  // The knob held by the cursor follows it; sliders' knobs where they were left.
  void FollowSlider();
  void PlaceKnobs();
  void ShowDraggedKnob();
  // A termination signal: the files are written as on quitting, then the game ends.
  void EndForTermination();
  bool terminated_ = false;
  // Window mode to full screen or back (wait cursor, the switch, layout).
  void SwitchDisplayMode();
  // The scale factors from the back buffer's size over the configured size.
  void RefreshScale();

  // The message window's picture among the scene's image entries.
  int32_t MessageWindowEntry() const;
  tav::WindowFrame MessageWindowFrame(size_t entry) const;
  void MoveWindow(float dx, float dy);
  void DragWindow();
  void BuildText();
  void DrawMessageParts();

  uint32_t now_ = 0;  // the clock at the start of the frame
  // Keys that went down this frame (each read once per frame).
  std::array<bool, tav::kKeyCount> edges_{};
};
