// The scenario's own interface pictures. Positions quoted in comments are the
// scene files' and config.txt's: an 800 x 600 screen, the message window at
// (40, 430), speaker names at (64, 440), message text from (64, 476).
#include <cmath>

#include "Art.h"
#include "Text.h"
#include "Widgets.h"

namespace demogen {

namespace {

Shape Ring(Shape shape, float width) {
  return [shape = std::move(shape), width](float x, float y) { return std::abs(shape(x, y) + width / 2) - width / 2; };
}

// 720 x 160: a name plate at the top left (the name is drawn 24, 10 into the
// window), the text area, and a strip for the button bar at the bottom.
void WriteMessageWindow(Output& out) {
  Canvas w(720, 160);
  Shape body = RoundedRect(2, 14, 718, 158, 14);
  w.Fill(Around(0, 10, 720, 160), body,
         VerticalGradient(14, WithAlpha(Hex(0x27305A), 0.80f), 158, WithAlpha(Hex(0x121630), 0.86f)));
  w.Fill(Around(0, 10, 720, 160), Ring(body, 1.5f), Solid(WithAlpha(ui::kInk, 0.45f)));
  // The separator above the bar.
  w.Fill(Around(20, 120, 700, 126), Capsule(24, 123, 696, 123, 0.5f), Solid(WithAlpha(ui::kInk, 0.18f)));
  // Name plate.
  Shape plate = RoundedRect(12, 2, 196, 38, 10);
  w.Fill(Around(10, 0, 200, 40), plate, VerticalGradient(2, WithAlpha(Hex(0xE89A5A), 0.95f), 38, WithAlpha(Hex(0xB8603A), 0.95f)));
  w.Fill(Around(10, 0, 200, 40), Ring(plate, 1.2f), Solid(WithAlpha(Hex(0xFFE8CC), 0.9f)));
  out.Write(L"ui\\msgwin.png", w);
}

void WriteBar(Output& out) {
  const std::pair<const wchar_t*, const wchar_t*> bar[] = {
      {L"ui\\b_log", L"ログ"},   {L"ui\\b_auto", L"オート"}, {L"ui\\b_skip", L"スキップ"}, {L"ui\\b_save", L"セーブ"},
      {L"ui\\b_load", L"ロード"}, {L"ui\\b_config", L"設定"}, {L"ui\\b_hide", L"非表示"},
  };
  for (auto [base, label] : bar) WriteButton(out, base, L".dds", 64, 22, 11, Label(label, 13));
}

void WriteTitleButtons(Output& out) {
  const std::pair<const wchar_t*, const wchar_t*> menu[] = {
      {L"ui\\t_start", L"はじめから"}, {L"ui\\t_load", L"つづきから"}, {L"ui\\t_config", L"設定"},
      {L"ui\\t_log", L"バックログ"},   {L"ui\\t_quit", L"終了"},       {L"ui\\t_extra", L"おまけ"},
  };
  for (auto [base, label] : menu) WriteButton(out, base, L".dds", 220, 44, 22, Label(label, 20));
}

void WriteStoryButtons(Output& out) {
  WriteButton(out, L"ui\\choice_sea", L".dds", 420, 52, 26, Label(L"海辺を歩く", 21));
  WriteButton(out, L"ui\\choice_lib", L".dds", 420, 52, 26, Label(L"図書館に寄る", 21));
  WriteButton(out, L"ui\\remember", L".dds", 150, 40, 20, Label(L"思い出す", 18));
}

// Six save and load slots, 600 x 56. The saved label is drawn 4 pixels in from
// the top left, so the slot's own number sits at the bottom right.
void WriteSlots(Output& out) {
  for (int slot = 1; slot <= 6; ++slot) {
    std::wstring number = L"No." + std::to_wstring(slot);
    FaceArt art = [number](Canvas& c, Rgba ink, float dy) {
      TextPainter painter(16, true);
      painter.Draw(c, number, float(c.Width() - 18 - painter.Width(number)), c.Height() - 24 + dy, WithAlpha(ink, 0.85f));
    };
    RequireGlyphs(number);
    WriteButton(out, L"ui\\slot" + std::to_wstring(slot) + L"_", L".dds", 600, 56, 12, art);
  }
  WriteButton(out, L"ui\\back", L".dds", 120, 40, 20, Label(L"戻る", 18));
}

// Settings: slider tracks, knobs and toggles. A knob travels the track's width
// less its own, so the 256-wide track and 32-wide knob give 224 pixels.
void WriteSettings(Output& out) {
  Canvas track(256, 16);
  Shape groove = RoundedRect(1, 5, 255, 11, 3);
  track.Fill(Around(0, 0, 256, 16), groove, Solid(WithAlpha(Hex(0x0D1022), 0.6f)));
  track.Fill(Around(0, 0, 256, 16), Ring(groove, 1), Solid(WithAlpha(ui::kInk, 0.5f)));
  for (int i = 1; i < 8; ++i) {  // tick marks at each eighth
    float x = 16 + i * 28.0f;
    track.Fill(Around(x - 1, 1, x + 1, 15), Capsule(x, 2, x, 14, 0.5f), Solid(WithAlpha(ui::kInk, 0.3f)));
  }
  out.Write(L"ui\\track.png", track);

  const std::pair<ButtonState, const wchar_t*> knobs[] = {
      {ButtonState::Normal, L"1"}, {ButtonState::Hover, L"2"}, {ButtonState::Pressed, L"3"}};
  for (auto [state, n] : knobs) {
    Canvas knob(32, 32);
    Rgba face = state == ButtonState::Normal ? ui::kInk : state == ButtonState::Hover ? ui::kAccent : ui::kAccentDeep;
    knob.Fill(Around(0, 0, 32, 32), Circle(16, 17, 13), Solid(WithAlpha(Hex(0x000000), 0.3f)), 3);
    knob.Fill(Around(0, 0, 32, 32), Circle(16, 16, 12), RadialGradient(12, 11, 16, Mix(face, Hex(0xFFFFFF), 0.5f), face));
    knob.Fill(Around(0, 0, 32, 32), Ring(Circle(16, 16, 12), 1.2f), Solid(WithAlpha(ui::kNavy, 0.7f)));
    knob.Fill(Around(12, 12, 20, 20), Circle(16, 16, 3), Solid(WithAlpha(ui::kNavy, 0.55f)));
    out.Write(std::wstring(L"ui\\knob") + n + L".dds", knob);
  }

  // Toggles carry an extra "_on" face, shown while their setting holds. The
  // three opacity levels share a row with "always opaque", so they are narrower.
  struct Toggle {
    const wchar_t* base;
    const wchar_t* label;
    int width;
  };
  const Toggle toggles[] = {
      {L"ui\\skip_read", L"既読のみ", 120}, {L"ui\\skip_all", L"すべて", 120},
      {L"ui\\effects", L"演出あり", 120},   {L"ui\\alpha_full", L"100%", 90},
      {L"ui\\alpha_high", L"75%", 90},      {L"ui\\alpha_half", L"50%", 90},
      {L"ui\\opaque", L"常に不透明", 120},  {L"ui\\windowed", L"ウィンドウ", 120},
      {L"ui\\fullscreen", L"フルスクリーン", 120},
  };
  for (const Toggle& t : toggles) WriteButton(out, t.base, L".dds", t.width, 32, 16, Label(t.label, 15), true);
}

// The extras room: three buttons like the title's, and beside each a caption
// (260 x 44) that shows while the mouse is over its button.
void WriteExtras(Output& out) {
  struct Extra {
    const wchar_t* button;
    const wchar_t* label;
    const wchar_t* caption;
    const wchar_t* line;
  };
  const Extra extras[] = {
      {L"ui\\x_memory", L"回想", L"ui\\cap_memory.png", L"幼い日の約束をもう一度"},
      {L"ui\\x_music", L"音楽", L"ui\\cap_music.png", L"思い出の曲を流します"},
      {L"ui\\x_title", L"タイトルへ", L"ui\\cap_title.png", L"音を止めてタイトルに戻ります"},
  };
  for (const Extra& e : extras) {
    WriteButton(out, e.button, L".dds", 220, 44, 22, Label(e.label, 20));
    Canvas caption(260, 44);
    Shape plate = RoundedRect(1, 1, 259, 43, 10);
    caption.Fill(Around(0, 0, 260, 44), plate, Solid(WithAlpha(ui::kNavy, 0.75f)));
    caption.Fill(Around(0, 0, 260, 44), Ring(plate, 1.2f), Solid(WithAlpha(ui::kAccent, 0.8f)));
    ShadowedText(caption, e.line, 16, false, 14, 12, ui::kInk);
    out.Write(e.caption, caption);
  }
}

// A heading with a hint under it and a short rule, 420 x 80.
Canvas Heading(const std::wstring& title, const std::wstring& hint) {
  Canvas c(420, 80);
  ShadowedText(c, title, 32, true, 4, 2, ui::kInk);
  c.Fill(Around(2, 46, 300, 52), Capsule(6, 49, 296, 49, 1), VerticalGradient(0, ui::kAccent, 1, ui::kAccent));
  c.MaskAlpha([](float x, float y) { return y < 46 || y > 52 ? 1.0f : 1.2f - x / 300; });
  ShadowedText(c, hint, 15, false, 6, 56, WithAlpha(ui::kInk, 0.9f));
  return c;
}

void WriteHeadings(Output& out) {
  out.Write(L"ui\\head_save.png", Heading(L"セーブ", L"保存するスロットを選んでください"));
  out.Write(L"ui\\head_load.png", Heading(L"ロード", L"読み込むスロットを選んでください"));
  out.Write(L"ui\\head_config.png", Heading(L"設定", L"つまみを左右に動かして調整します"));
  out.Write(L"ui\\head_extra.png", Heading(L"おまけ", L"Tab キーか中ボタンで編集パネルが開きます"));

  // The settings rows' names, one every 50 pixels from y 110 (the panel is
  // placed at 70, 100, so each name is centred on its row's controls).
  Canvas labels(220, 470);
  const wchar_t* names[] = {L"BGM音量", L"効果音量", L"ボイス音量", L"文字の速さ", L"オート待ち時間",
                            L"スキップ",  L"画面効果", L"ウィンドウの濃さ", L"表示モード"};
  for (int i = 0; i < 9; ++i) ShadowedText(labels, names[i], 18, true, 0, 14.0f + 50 * i, ui::kInk);
  out.Write(L"ui\\config_labels.png", labels);
}

// The title logo, 560 x 150: the game's name over a thin line and its
// subtitle.
void WriteLogo(Output& out) {
  Canvas logo(560, 150);
  const std::wstring name = L"夕暮れの約束";
  TextPainter big(58, true);
  RequireGlyphs(name);
  float x = (560 - big.Width(name)) / 2.0f;
  // A warm glow behind the letters: the text drawn blurred by offsets.
  for (int dy = -4; dy <= 4; dy += 2)
    for (int dx = -4; dx <= 4; dx += 2) big.Draw(logo, name, x + dx, 18.0f + dy, WithAlpha(Hex(0xFF9A4A), 0.05f));
  big.Draw(logo, name, x + 2, 21, WithAlpha(Hex(0x2A1230), 0.5f));
  big.Draw(logo, name, x, 18, Hex(0xFFF4E4));
  logo.Fill(Around(60, 100, 500, 106), Capsule(90, 103, 470, 103, 0.8f), Solid(WithAlpha(Hex(0xFFE2BC), 0.8f)));
  logo.MaskAlpha([](float x, float y) { return y < 100 || y > 106 ? 1.0f : 1.0f - std::abs(x - 280) / 200; });
  TextPainter small(17, false);
  const std::wstring sub = L"― Tavri Demo ―";
  RequireGlyphs(sub);
  small.DrawCentred(logo, sub, 280, 125, WithAlpha(Hex(0x1A0E24), 0.4f));
  small.DrawCentred(logo, sub, 280, 124, Hex(0xFFE8CC));
  out.Write(L"ui\\logo.png", logo);
}

}  // namespace

void WriteInterface(Output& out) {
  WriteMessageWindow(out);
  WriteBar(out);
  WriteTitleButtons(out);
  WriteStoryButtons(out);
  WriteSlots(out);
  WriteSettings(out);
  WriteExtras(out);
  WriteHeadings(out);
  WriteLogo(out);
}

}  // namespace demogen
