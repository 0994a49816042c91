#pragma once
// The three process-wide archive stores and the naming rule for resources.
#include <string>
#include <string_view>

#include "res/ArchiveStore.h"

namespace tav {

// The resource folder name: the resource archive is this + ".pac", and its
// entries are named this + "\" + the name callers hold.
extern std::wstring ResFolderName;

// Images, shaders and sounds, from the resource archive.
ArchiveStore& ResStore();
// Configuration and scripts, from "Txt.pac".
ArchiveStore& TextStore();
// The id file, from "ID.pac".
ArchiveStore& IdStore();

// "Default\v1.dds" -> "Res\Default\v1.dds".
std::wstring ResKey(std::wstring_view name);
// "Res.pac".
std::wstring ResArchiveFileName();

}  // namespace tav
