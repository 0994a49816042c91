#pragma once
// Shared pieces of the scenario tests: a configuration with recognisable
// message values and a text store built from named file contents.
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Config.h"
#include "res/ArchiveStore.h"

namespace scenariotest {

inline tav::GameConfig TestConfig() {
  tav::GameConfig config;
  config.charactersPerRow = 4;
  config.textOffsetX = 12.5f;
  config.textOffsetY = 300;
  config.fontSize = 24;
  config.textColour = 0xFF102030;
  config.defaultEffectDuration = 750;
  return config;
}

inline void Put(tav::ArchiveStore& store, const std::wstring& name, const std::string& bytes) {
  tav::ResourceBlob blob;
  blob.data = std::shared_ptr<uint8_t[]>(new uint8_t[bytes.size() + 1]);
  std::memcpy(blob.data.get(), bytes.data(), bytes.size());
  blob.size = static_cast<uint32_t>(bytes.size());
  store.Insert(name, std::move(blob));
}

// CR LF line ends, as game text files have them.
inline std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

}  // namespace scenariotest
