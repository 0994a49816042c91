// Playback by the title scene: scene order, buttons, actions, modes, the
// message window. Frames run on the doubles with the fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/GameWindow.h"
#include "scenario/TitleFixture.h"

namespace {

using tavtest::TitleFixture;

class TitleTest : public TitleFixture {};

TEST_F(TitleTest, AnEntryWithoutASecondImageNeverReacts) {
  tav::ImageEntry picture = Picture(L"b1.png", 100, 100);
  picture.actionCode = 2;
  picture.targetScene = 1;
  Start({Menu(picture), Story(L"next")});
  Click(150, 120);
  Frames(10);
  EXPECT_EQ(title_->current, 0);
  EXPECT_FALSE(title_->autoMode);
  EXPECT_EQ(title_->buttons.Hovered(), -1);
}

TEST_F(TitleTest, ASceneWithNextMinusTwoAndNoButtonNeverAdvances) {
  Start({Menu(Picture(L"b1.png", 0, 0)), Story(L"never")});
  Click(400, 300);
  game_->input.wheelDelta = -120;
  Frame();
  Tap(VK_NEXT);
  input_.SetKey(VK_CONTROL, true);
  Frames(20);
  input_.SetKey(VK_CONTROL, false);
  EXPECT_EQ(title_->current, 0);
}

TEST_F(TitleTest, TargetMinusTwoLeadsToTheSceneAfterTheCurrentOne) {
  tav::ImageEntry next = Button(100, 100, -1, -2);
  next.leaveMode = 0;
  Start({Story(L"a", 1), Menu(next), Story(L"b"), Story(L"c")});
  Click(400, 300);  // completes the text
  Click(400, 300);  // leaves
  ASSERT_EQ(title_->current, 1);
  Click(150, 120);
  EXPECT_EQ(title_->current, 2);
  EXPECT_EQ(title_->previous, 1);
}

TEST_F(TitleTest, AnActionRunsOnTheFirstFrameAHundredMillisecondsAfterThePress) {
  Start({Menu(Button(100, 100, 2))});
  input_.MoveCursor(150, 120);
  Frame();
  ASSERT_TRUE(title_->buttons.OverButton());
  input_.SetKey(VK_LBUTTON, true);
  Frame();  // the press at t
  input_.SetKey(VK_LBUTTON, false);  // released early: the action still comes
  EXPECT_EQ(title_->runtimes[0].entryQuads[1]->textureName, L"b3.png");
  int frames = 0;
  while (!title_->autoMode && frames < 20) {
    Frame();
    ++frames;
  }
  // Frames at t + 16 ... t + 96 are too early; t + 112 runs it.
  EXPECT_EQ(frames, 7);
  Frames(10);
  EXPECT_TRUE(title_->autoMode);  // once only
  // Held down, it runs as well.
  input_.SetKey(VK_LBUTTON, true);
  Frames(8);
  EXPECT_FALSE(title_->autoMode);
  input_.SetKey(VK_LBUTTON, false);
}

TEST_F(TitleTest, TheLastSceneWithNextMinusOneReturnsToTheFirstAndStopsAutoMode) {
  Start({Story(L"one"), Story(L"two")});
  title_->autoMode = true;
  title_->LeaveScene();
  ASSERT_EQ(title_->current, 1);
  title_->LeaveScene();
  EXPECT_EQ(title_->current, 0);
  EXPECT_FALSE(title_->autoMode);
  EXPECT_NE(std::find(sounds_.begin(), sounds_.end(), L"RemoveAll"), sounds_.end());
  EXPECT_EQ(title_->readScenes, (std::set<int32_t>{0, 1}));
}

TEST_F(TitleTest, ASceneWithAJumpOrAnIndexLeadsThere) {
  tav::SceneData jump = Story(L"j", -4);
  jump.jumpScene = 3;
  Start({Story(L"a", 2), Story(L"skipped"), jump, Story(L"target"), Story(L"bad", 99)});
  title_->LeaveScene();
  ASSERT_EQ(title_->current, 2);
  // -4 leaves by itself once its (empty) leave sequence is done.
  Frames(3);
  EXPECT_EQ(title_->current, 3);
  title_->LeaveScene();
  ASSERT_EQ(title_->current, 4);
  title_->LeaveScene();  // index 99 is not in the table: back to the first scene, logged
  EXPECT_EQ(title_->current, 0);
  EXPECT_NE(tavtest::ReadErrorLog().find("99"), std::string::npos);
}

TEST_F(TitleTest, ACallReturnsFromItsEndScene) {
  tav::ImageEntry call = Button(100, 100, 17);
  call.actionText = L"2";
  call.actionValue = 3;
  call.leaveMode = 0;
  Start({Menu(call), Story(L"after"), Story(L"called"), Story(L"end of call")});
  title_->autoMode = true;
  Click(150, 120);
  ASSERT_EQ(title_->current, 2);
  EXPECT_FALSE(title_->autoMode);
  EXPECT_EQ(title_->callEnd, 3);
  title_->LeaveScene();
  ASSERT_EQ(title_->current, 3);
  title_->LeaveScene();
  EXPECT_EQ(title_->current, 0);  // back to the scene that called
  EXPECT_EQ(title_->callEnd, -1);
  // Scenes left during the call are not read.
  EXPECT_EQ(title_->readScenes.count(2), 0u);
}

TEST_F(TitleTest, InstantEffectsShowTheirEndStatesAtOnce) {
  tav::SceneData scene = Story(L"x");
  scene.leaveEffects = true;
  tav::ImageEntry out = Picture(L"b1.png", 10, 10);
  out.kind = tav::kImageFadeOut;
  out.fadeDuration = 1000;
  scene.images.push_back(out);
  tav::EffectEntry fade;
  fade.kind = tav::kEffectFade;
  fade.colour = 0xFF000000;
  fade.p1 = 0;
  fade.duration = 1000;
  scene.effects.push_back(fade);
  Start({scene, Story(L"y")});
  title_->instantEffects = true;
  Click(400, 300);  // shows the text
  input_.MoveCursor(400, 300);
  input_.SetKey(VK_LBUTTON, true);
  Frame();
  input_.SetKey(VK_LBUTTON, false);
  ASSERT_TRUE(title_->transitionRunning);
  EXPECT_EQ(title_->runtimes[0].fades[0]->quad.colours[0], 0x00000000u);
  EXPECT_EQ(title_->runtimes[0].entryQuads[2]->colours[0] >> 24, 0u);
  Frames(30);  // the end states stay for the effects' duration
  EXPECT_EQ(title_->current, 0);
  EXPECT_EQ(title_->runtimes[0].fades[0]->quad.colours[0], 0x00000000u);
  Frames(40);
  EXPECT_EQ(title_->current, 1);
}

TEST_F(TitleTest, EffectsRunTheirDurationBeforeTheSceneIsLeft) {
  tav::SceneData scene = Story(L"x");
  scene.leaveEffects = true;
  tav::EffectEntry fade;
  fade.kind = tav::kEffectFade;
  fade.colour = 0xFF000000;
  fade.duration = 500;
  scene.effects.push_back(fade);
  Start({scene, Story(L"y")});
  title_->message.Flow()->ShowAll();
  title_->Advance();
  Frames(10);
  EXPECT_EQ(title_->current, 0);
  const D3DCOLOR midway = title_->runtimes[0].fades[0]->quad.colours[0];
  EXPECT_GT(midway >> 24, 0x30u);
  EXPECT_LT(midway >> 24, 0xD0u);
  title_->Advance();  // ignored while the sequence runs
  Frames(30);
  EXPECT_EQ(title_->current, 1);
}

TEST_F(TitleTest, SkipModeStopsAtTheFirstUnreadSceneUnlessSkipUnreadIsSet) {
  Start({Story(L"0"), Story(L"1"), Story(L"2"), Story(L"3"), Story(L"4")});
  title_->readScenes = {0, 1};
  title_->skipMode = true;
  Frames(100);
  EXPECT_EQ(title_->current, 2);
  title_->skipUnread = true;
  Frames(80);
  EXPECT_EQ(title_->current, 4);
}

TEST_F(TitleTest, SpeakerPatternsGoToTheNameBox) {
  Start({Story(L"【ミカ】「おはよう」"), Story(L"【ソラ】（眠い……）"), Story(L"【ユウ】ただの文"), Story(L"地の文")});
  EXPECT_EQ(title_->message.Name(), L"ミカ");
  EXPECT_EQ(title_->message.Text(), L"「おはよう」");
  EXPECT_EQ(title_->message.FullText(), L"【ミカ】「おはよう」");
  EXPECT_EQ(title_->message.NameBox().textureName, L"ミカ");
  title_->LeaveScene();
  EXPECT_EQ(title_->message.Name(), L"ソラ");
  EXPECT_EQ(title_->message.Text(), L"（眠い……）");
  title_->LeaveScene();
  EXPECT_EQ(title_->message.Name(), L"");
  EXPECT_EQ(title_->message.Text(), L"【ユウ】ただの文");
  EXPECT_TRUE(title_->message.NameBox().textureName.empty());
  title_->LeaveScene();
  EXPECT_EQ(title_->message.Text(), L"地の文");
  // One glyph texture per character, shared between scenes.
  EXPECT_NE(game_->texts.Find(L"文"), nullptr);
  EXPECT_EQ(title_->message.Flow()->Count(), 3u);
}

TEST_F(TitleTest, GlyphsFadeFromTheInverseColourOrAppearInTheMessageColour) {
  tav::config.textColour = 0xFF204060;
  Start({Story(L"あいう"), Story(L"えお")});
  Frame();
  auto& first = *title_->message.Flow()->sprites[0]->quad;
  EXPECT_NE(first.colours[0], 0xFF204060u);  // on its way from the inverse
  title_->instantEffects = true;
  title_->LeaveScene();
  Frame();
  EXPECT_EQ(title_->message.Flow()->sprites[0]->quad->colours[0], 0xFF204060u);
  Frames(20);
  EXPECT_TRUE(title_->message.Complete());
}

TEST_F(TitleTest, TheWindowMovesInStepsAndStaysOnScreenWhenDragged) {
  Start({Story(L"move")});
  Tap(VK_RIGHT);
  EXPECT_FLOAT_EQ(title_->message.Offset().x, 16);
  Tap(VK_UP);
  EXPECT_FLOAT_EQ(title_->message.Offset().y, -16);
  // Pick the window up with the middle button and drag it far right.
  input_.MoveCursor(300, 500);
  Tap(VK_MBUTTON);
  ASSERT_TRUE(title_->message.Dragging());
  input_.MoveCursor(799, 520);
  Frame();
  // The window is 700 wide at x 50: its right side stops on the screen's edge.
  EXPECT_FLOAT_EQ(50 + title_->message.Offset().x + 700, 800);
  Tap(VK_MBUTTON);
  EXPECT_FALSE(title_->message.Dragging());
  EXPECT_FLOAT_EQ(title_->message.BaseOffset().x, title_->message.Offset().x);
  EXPECT_FLOAT_EQ(title_->runtimes[0].entryQuads[1]->translation.x, 100);
}

TEST_F(TitleTest, ThePulseWaitsForTheReaderButNotInAutoMode) {
  Start({Story(L"a"), Story(L"b")});
  title_->message.Flow()->ShowAll();
  Frames(40);  // fades end
  ASSERT_TRUE(title_->message.Complete());
  Frames(260);  // 4.8 s after completion: dimming
  EXPECT_EQ(title_->message.PulsePhase(), 1);
  EXPECT_LT(title_->message.Flow()->sprites[0]->quad->colours[0] & 0xFF, 0x80u);
  Frames(100);  // dark, waiting to brighten
  EXPECT_EQ(title_->message.PulsePhase(), 2);
  EXPECT_EQ(title_->message.Flow()->sprites[0]->quad->colours[0], 0xFF000000u);
  EXPECT_EQ(title_->message.NameBox().colours[0], 0xFF000000u);
  title_->LeaveScene();
  title_->autoMode = true;
  title_->autoWait = 100000;  // auto mode waits, the pulse does not run
  title_->message.Flow()->ShowAll();
  Frames(400);
  EXPECT_EQ(title_->message.PulsePhase(), 0);
  EXPECT_EQ(title_->message.Flow()->sprites[0]->quad->colours[0], 0xFFFFFFFFu);
}

TEST_F(TitleTest, AutoModeAdvancesAfterTheWaitOnceTheTextIsComplete) {
  Start({Story(L"ab"), Story(L"c")});
  title_->autoMode = true;
  Frames(10);
  EXPECT_TRUE(title_->message.Complete());
  EXPECT_EQ(title_->current, 0);
  Frames(40);  // 500 + 100 ms after completion
  EXPECT_EQ(title_->current, 1);
}

TEST_F(TitleTest, PictureViewZoomsBetweenOneAndEight) {
  Start({Story(L"pic")});
  Tap(VK_SPACE);
  ASSERT_TRUE(title_->pictureView);
  for (int i = 0; i < 40; ++i) {
    game_->input.wheelDelta = 120;
    Frame();
  }
  EXPECT_FLOAT_EQ(title_->zoom, 8.0f);
  EXPECT_FLOAT_EQ(title_->runtimes[0].entryQuads[0]->scale.x, 8.0f);
  EXPECT_FLOAT_EQ(title_->runtimes[0].entryQuads[1]->scale.x, 1.0f);  // not the message window
  for (int i = 0; i < 40; ++i) {
    game_->input.wheelDelta = -120;
    Frame();
  }
  EXPECT_FLOAT_EQ(title_->zoom, 1.0f);
  Tap(VK_LEFT);
  EXPECT_GT(title_->flipAngle, 3.1f);
  Tap(VK_SPACE);
  EXPECT_FALSE(title_->pictureView);
  EXPECT_FLOAT_EQ(title_->runtimes[0].entryQuads[0]->angle, 0.0f);
}

TEST_F(TitleTest, AltBackspaceReleasesTheTextsAndReloads) {
  Start({Story(L"りろーど"), Story(L"next")});
  title_->backlog.List(5);
  ASSERT_NE(game_->texts.Find(L"り"), nullptr);
  game_->GetText(24, L"other", L"other");
  input_.SetKey(VK_MENU, true);
  input_.SetKey(VK_BACK, true);
  Frame();
  input_.SetKey(VK_MENU, false);
  input_.SetKey(VK_BACK, false);
  EXPECT_TRUE(title_->backlog.ListedScenes().empty());
  EXPECT_EQ(game_->texts.Find(L"other"), nullptr);
  EXPECT_NE(game_->texts.Find(L"り"), nullptr);  // the current scene's glyphs again
  EXPECT_NE(game_->device.GetTexture(L"bg.png"), nullptr);
  Frames(20);
  EXPECT_TRUE(title_->message.Complete());
}

TEST_F(TitleTest, TheSameMusicGoesOnAcrossScenesAndOtherMusicReplacesIt) {
  tav::SoundEntry music{L"music.ogg", 1, tav::kSoundMusic};
  tav::SceneData a = Story(L"a"), b = Story(L"b"), c = Story(L"c");
  a.sounds.push_back(music);
  b.sounds.push_back(music);
  c.sounds.push_back({L"other.ogg", 1, tav::kSoundMusic});
  Start({a, b, c, Story(L"silent")});
  title_->LeaveScene();
  EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), L"Remove music.ogg"), 0);
  title_->LeaveScene();
  EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), L"Remove music.ogg"), 1);
  EXPECT_EQ(title_->channels[0].name, L"other.ogg");
  title_->LeaveScene();  // a scene without music stops the looping music
  EXPECT_TRUE(title_->channels[0].name.empty());
}

TEST_F(TitleTest, StateButtonsShowTheirOnImage) {
  tav::ImageEntry instant = Button(100, 100, 22);
  instant.actionText = L"on.png";
  Start({Menu(instant)});
  input_.MoveCursor(700, 10);
  Frame();
  EXPECT_EQ(title_->runtimes[0].entryQuads[1]->textureName, L"on.png");  // instant effects are off
  title_->instantEffects = true;
  Frame();
  EXPECT_EQ(title_->runtimes[0].entryQuads[1]->textureName, L"b1.png");
}

TEST_F(TitleTest, EscapeOpensAndClosesTheQuitRequestAndNothingElseRuns) {
  Start({Story(L"a"), Story(L"b")});
  Tap(VK_ESCAPE);
  EXPECT_TRUE(game_->input.closeRequested);
  EXPECT_TRUE(title_->quitDialog);
  Click(400, 300);
  Click(400, 300);
  EXPECT_EQ(title_->current, 0);
  Tap(VK_ESCAPE);
  EXPECT_FALSE(game_->input.closeRequested);
}

// One press does one thing: the click that leaves a scene is not also a click
// on the button the next scene has under the cursor.
TEST_F(TitleTest, AClickThatLeavesASceneDoesNotPressTheNextScenesButton) {
  Start({Story(L"a"), Menu(Button(350, 280, 2))});
  title_->message.Flow()->ShowAll();
  Click(400, 300);
  ASSERT_EQ(title_->current, 1);
  Frames(10);
  EXPECT_TRUE(title_->buttons.OverButton());
  EXPECT_FALSE(title_->autoMode);
  Click(400, 300);
  EXPECT_TRUE(title_->autoMode);
}

// A drag that a scene change cuts short ends as a drag ends: the window stays
// where it was carried, and the next arrow step starts from there.
TEST_F(TitleTest, ADragCutShortByASceneChangeLeavesTheWindowWhereItWasCarried) {
  Start({Story(L"a"), Story(L"b")});
  input_.MoveCursor(300, 500);
  Tap(VK_MBUTTON);
  ASSERT_TRUE(title_->message.Dragging());
  input_.MoveCursor(300, 400);
  Frame();
  ASSERT_FLOAT_EQ(title_->message.Offset().y, -100);
  title_->readScenes.insert(0);
  title_->skipMode = true;
  Frames(45);
  ASSERT_EQ(title_->current, 1);
  title_->skipMode = false;
  EXPECT_FALSE(title_->message.Dragging());
  EXPECT_FLOAT_EQ(title_->message.BaseOffset().y, -100);
  Tap(VK_UP);
  EXPECT_FLOAT_EQ(title_->message.Offset().y, -116);
}

// A scene that leaves by itself goes on without a click however its effects
// end: over their time, at once (no duration), or shown at their end state;
// with text or without.
class LeaveByItselfTest : public TitleFixture, public testing::WithParamInterface<std::tuple<bool, int32_t, bool>> {};

TEST_P(LeaveByItselfTest, GoesOnWhenItsEffectsEnd) {
  const auto [instant, duration, text] = GetParam();
  tav::SceneData jump = Story(L"x", -4);
  if (!text) jump.messageRows.clear();
  jump.leaveEffects = true;
  tav::EffectEntry fade;
  fade.kind = tav::kEffectFade;
  fade.colour = 0xFF000000;
  fade.p1 = 255;
  fade.duration = duration;
  jump.effects.push_back(fade);
  tav::ImageEntry out = Picture(L"b1.png", 10, 10);
  out.kind = tav::kImageFadeOut;
  out.fadeDuration = duration;
  jump.images.push_back(out);
  Start({Story(L"start"), jump, Story(L"after")});
  title_->instantEffects = instant;
  title_->message.Flow()->ShowAll();
  Click(400, 300);  // into the scene that leaves by itself (at once when its effects take no time)
  ASSERT_GE(title_->current, 1);
  Frames(40);
  EXPECT_EQ(title_->current, 2);
}

INSTANTIATE_TEST_SUITE_P(EffectEndings, LeaveByItselfTest,
                         testing::Combine(testing::Bool(), testing::Values(0, 300), testing::Bool()));

// In a scene without text whose header lets the right button cancel, Space
// still enters picture view; the right button cancels.
TEST_F(TitleTest, SpaceEntersPictureViewWhereTheRightButtonCancels) {
  tav::SceneData cancel = Menu(Button(100, 100, 2));
  cancel.headerFlagB = true;
  cancel.cancelScene = 2;
  Start({cancel, Story(L"b"), Story(L"c")});
  Tap(VK_SPACE);
  EXPECT_TRUE(title_->pictureView);
  Tap(VK_SPACE);
  EXPECT_FALSE(title_->pictureView);
  Tap(VK_RBUTTON);
  EXPECT_FALSE(title_->pictureView);
  EXPECT_EQ(title_->current, 2);
}

// An entry's text is a picture only for the buttons that show one while their
// state holds; a sound name or a slot number is never decoded as an image.
TEST_F(TitleTest, OnlyStateButtonsLoadTheirTextAsAPicture) {
  tav::ImageEntry music = Button(100, 100, 18);
  music.actionText = L"music.ogg";
  tav::ImageEntry option = Button(100, 200, 24);
  option.actionText = L"on.png";
  tav::SceneData menu = Menu(music);
  menu.images.push_back(option);
  Start({menu});
  input_.SetKey(VK_BACK, true);  // Alt + Backspace reloads the scene's pictures
  input_.SetKey(VK_MENU, true);
  Frame();
  input_.SetKey(VK_BACK, false);
  input_.SetKey(VK_MENU, false);
  Frame();
  EXPECT_EQ(tavtest::ReadErrorLog(), "");
  EXPECT_NE(game_->device.GetTexture(L"on.png"), nullptr);
  EXPECT_EQ(game_->device.GetTexture(L"music.ogg"), nullptr);
}

// What a build cut short leaves (fewer quads than image entries) is neither
// run nor drawn nor hit-tested.
TEST_F(TitleTest, ASceneWhoseBuildWasCutShortIsNeitherRunNorDrawn) {
  Start({Menu(Button(100, 100, 2)), Story(L"b")});
  auto& quads = title_->runtimes[0].entryQuads;
  quads.clear();
  quads.shrink_to_fit();
  Click(150, 120);
  Frames(10);
  EXPECT_FALSE(title_->IsEntryDrawn(0));
  EXPECT_FALSE(title_->autoMode);
  EXPECT_EQ(title_->current, 0);
}

}  // namespace

