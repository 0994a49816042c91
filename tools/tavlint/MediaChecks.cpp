// Pictures and sounds: present in the resource archive, and readable there.
#include <algorithm>
#include <cwctype>
#include <set>
#include <string>

#include "Checks.h"
#include "audio/OggStream.h"
#include "platform/gpu/d3dx/ImageFile.h"
#include "res/Stores.h"
#include "scenario/TitleSetUp.h"
#include "ui/SkinName.h"

namespace tavlint {

namespace {

using tav::ImageEntry;

// Entries whose `actionText` names a picture: the on image of a state button,
// the track of a slider.
bool NamesOnImage(int32_t code) {
  using tav::Action;
  for (Action a : {Action::FullScreen, Action::WindowMode, Action::SkipUnreadOn, Action::SkipUnreadOff,
                   Action::InstantEffects, Action::Level, Action::Option})
    if (code == static_cast<int32_t>(a)) return true;
  return false;
}
bool NamesTrack(int32_t code) {
  using tav::Action;
  return code == static_cast<int32_t>(Action::VolumeSlider) || code == static_cast<int32_t>(Action::TextSpeedSlider) ||
         code == static_cast<int32_t>(Action::AutoWaitSlider);
}

bool EndsWith(const std::wstring& name, std::initializer_list<const wchar_t*> endings) {
  std::wstring lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
  for (const wchar_t* e : endings) {
    std::wstring_view end(e);
    if (lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0) return true;
  }
  return false;
}

bool Decodes(const tav::ArchiveStore& res, const std::wstring& key) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!res.Get(key, &data, &size)) return false;
  tav::gpu::d3dx::ImageFile file;
  if (FAILED(tav::gpu::d3dx::OpenImageFile(data, size, file))) return false;
  const uint32_t levels = file.isDds ? std::max<uint32_t>(file.info.MipLevels, 1) : 1;
  for (uint32_t level = 0; level < levels; ++level) {
    tav::gpu::d3dx::Image image;
    if (FAILED(tav::gpu::d3dx::DecodeImageLevel(file, level, image))) return false;
  }
  return true;
}

bool PlaysAsOgg(const tav::ArchiveStore& res, const std::wstring& key) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  return res.Get(key, &data, &size) && tav::OpensAsOggVorbis(data, size);
}

// The names the scenario plays as sounds: "snd" lines and music buttons.
template <typename Visit>
void ForEachSound(const Scenario& scenario, Visit visit) {
  for (size_t i = 0; i < scenario.scenes.size(); ++i) {
    const tav::SceneData& scene = scenario.scenes[i];
    const tav::SceneSource& source = scenario.report.scenes[i];
    for (size_t k = 0; k < scene.sounds.size(); ++k) visit(scene.sounds[k].name, source.file, source.soundLines[k]);
    for (size_t k = 0; k < scene.images.size(); ++k) {
      const ImageEntry& e = scene.images[k];
      if (e.actionCode == static_cast<int32_t>(tav::Action::Music) && !e.actionText.empty())
        visit(e.actionText, source.file, source.imageLines[k]);
    }
  }
}

}  // namespace

void CheckMissingMedia(const Scenario& scenario, const tav::ArchiveStore& res, Findings& findings) {
  auto picture = [&](const std::wstring& name, const std::wstring& file, size_t line, const wchar_t* role) {
    if (name.empty() || res.Contains(tav::ResKey(name))) return;
    findings.Add(At(file, line, std::wstring(role) + L" \"" + name + L"\" is missing from Res.pac"));
  };
  for (size_t i = 0; i < scenario.scenes.size(); ++i) {
    const tav::SceneData& scene = scenario.scenes[i];
    const tav::SceneSource& source = scenario.report.scenes[i];
    for (size_t k = 0; k < scene.images.size(); ++k) {
      const ImageEntry& e = scene.images[k];
      const size_t line = source.imageLines[k];
      picture(e.image, source.file, line, L"the image");
      picture(e.secondImage, source.file, line, L"the second image");
      picture(e.thirdImage, source.file, line, L"the third image");
      if (NamesOnImage(e.actionCode)) picture(e.actionText, source.file, line, L"the on image");
      if (NamesTrack(e.actionCode)) picture(e.actionText, source.file, line, L"the slider track");
    }
    for (size_t k = 0; k < scene.draws.size(); ++k)
      picture(scene.draws[k].image, source.file, source.drawLines[k], L"the image");
  }
  ForEachSound(scenario, [&](const std::wstring& name, const std::wstring& file, size_t line) {
    if (!name.empty() && !res.Contains(tav::ResKey(name)))
      findings.Add(At(file, line, L"the sound \"" + name + L"\" is missing from Res.pac"));
  });
  for (const wchar_t* skin : tav::OverlaySkins()) {
    const std::wstring key = tav::ResKey(tav::SkinName(skin));
    if (!res.Contains(key))
      findings.Add({L"Res.pac", key, 0, L"missing: a skin of the built-in screens, which would show nothing"});
  }
}

void CheckDecoding(const Scenario* scenario, const tav::ArchiveStore& res, Findings& findings) {
  std::set<std::wstring> pictures, sounds;
  for (const std::wstring& name : res.Names()) {
    if (EndsWith(name, {L".dds", L".png", L".bmp", L".jpg", L".jpeg", L".tga"})) pictures.insert(name);
    if (EndsWith(name, {L".ogg"})) sounds.insert(name);
  }
  // A sound is played by whatever name it has.
  if (scenario)
    ForEachSound(*scenario, [&](const std::wstring& name, const std::wstring&, size_t) {
      if (res.Contains(tav::ResKey(name))) sounds.insert(tav::ResKey(name));
    });
  for (const std::wstring& key : pictures)
    if (!Decodes(res, key)) findings.Add({L"Res.pac", key, 0, L"does not decode as a picture"});
  for (const std::wstring& key : sounds)
    if (!PlaysAsOgg(res, key)) findings.Add({L"Res.pac", key, 0, L"is not Ogg Vorbis"});
}

}  // namespace tavlint
