#include "effect/FlowFont.h"

#include <algorithm>
#include <exception>

#include "core/ErrorLog.h"
#include "gfx/BaseD3D.h"
#include "core/Colour.h"
#include "platform/os/Clock.h"

namespace tav::effect {

namespace {

const TextureSize* SizeOf(CBaseD3D* device, const CFont& sprite) {
  return device && sprite.quad ? device->GetTextureSize(sprite.quad->textureName) : nullptr;
}

}  // namespace

bool CFlowFont::Create(std::span<const std::wstring> names, CBaseD3D* d3d) {
  // Built aside and swapped in, so a failure never leaves sprites missing
  // behind flags that would have them drawn.
  sprites.clear();
  startTimes.clear();
  started.clear();
  tweens.clear();
  finishedFlags.clear();
  device = d3d;
  try {
    const size_t count = names.size();
    std::vector<std::unique_ptr<CFont>> fresh(count);
    for (size_t i = 0; i < count; ++i) {
      fresh[i] = std::make_unique<CFont>();
      if (!fresh[i]->Bind(names[i], d3d)) return false;  // Bind has logged
    }
    std::vector<uint32_t> times(count + 1, 0), flags(count + 1, 0), done(count, 0);
    std::vector<Tween> freshTweens(count);
    sprites = std::move(fresh);
    startTimes = std::move(times);
    started = std::move(flags);
    tweens = std::move(freshTweens);
    finishedFlags = std::move(done);
    return true;
  } catch (const std::exception& e) {
    LogException(e.what());
    return false;
  }
}

void CFlowFont::Start(uint32_t intervalMs) {
  interval = intervalMs;
  if (started.empty()) return;  // never created
  std::fill(started.begin(), started.end(), 0);
  std::fill(startTimes.begin(), startTimes.end(), 0);
  started[0] = 1;
}

void CFlowFont::Layout(QuadPoint origin, uint32_t charactersPerLine) {
  const size_t count = sprites.size();
  float x = origin.x;
  for (size_t i = 0; i < count; ++i) {
    if (charactersPerLine != 0 && i % charactersPerLine == 0) x = origin.x;
    // Each line lies lower by the heights of the characters in this column on
    // the lines from the second one down to this one.
    float y = origin.y;
    if (charactersPerLine != 0)
      for (size_t j = i; j >= charactersPerLine; j -= charactersPerLine)
        if (const TextureSize* size = SizeOf(device, *sprites[j])) y += size->imageHeight;
    if (sprites[i]->quad) sprites[i]->quad->translation = {x, y};
    if (const TextureSize* size = SizeOf(device, *sprites[i])) x += size->imageWidth;
  }
}

void CFlowFont::SetColour(D3DCOLOR colour) {
  const auto channels = ColourToChannels(colour);
  for (Tween& tween : tweens) {
    tween.from = tween.to = channels;
    tween.duration = 0;
    tween.startTime = 0;
    tween.running = true;
  }
  std::fill(finishedFlags.begin(), finishedFlags.end(), 1);
}

void CFlowFont::SetFade(D3DCOLOR start, D3DCOLOR end, uint32_t durationMs) {
  const auto from = ColourToChannels(start), to = ColourToChannels(end);
  for (Tween& tween : tweens) {
    tween.from = from;
    tween.to = to;
    tween.duration = durationMs;
    tween.startTime = 0;
    tween.running = true;
  }
  std::fill(finishedFlags.begin(), finishedFlags.end(), 0);
}

void CFlowFont::Update() {
  // Character 0 has no predecessor to time it from: Start starts it.
  if (started.empty() || !started[0]) return;
  const size_t count = sprites.size();
  // The entry after the last character takes part so that its flag tells
  // when the whole text is out.
  for (size_t i = 1; i <= count; ++i) {
    if (started[i]) continue;
    const uint32_t now = os::timeGetTime();
    if (startTimes[i] == 0) startTimes[i] = now;
    if (uint32_t(now - startTimes[i]) < interval) break;  // unsigned: the clock wraps
    started[i] = 1;
  }
  for (size_t i = 0; i < count; ++i) {
    if (!started[i] || !sprites[i]->quad) continue;
    float channels[4];
    finishedFlags[i] = tweens[i].Evaluate(channels) ? 1 : 0;
    sprites[i]->quad->colours.fill(ChannelsToColour(channels));
    sprites[i]->quad->Update();
  }
}

bool CFlowFont::Draw() {
  bool drawn = true;
  for (size_t i = 0; i < sprites.size(); ++i)
    if (started[i] && sprites[i]->quad && !sprites[i]->quad->Draw()) drawn = false;
  return drawn;
}

void CFlowFont::ShowAll() { std::fill(started.begin(), started.end(), 1); }

bool CFlowFont::IsFinished() const {
  return AllShown() && std::all_of(finishedFlags.begin(), finishedFlags.end(), [](uint32_t f) { return f != 0; });
}

}  // namespace tav::effect
