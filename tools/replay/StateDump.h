#pragma once
// The engine's state as a JSON document: the window caption and, when a title
// scene is registered, its scene order and count of scene changes, flags,
// message, sound channels, settings and image entries; last, the process's
// resident memory. Each part is written by a section of its own; a new part
// of the state is a new section in the list in StateDump.cpp.
#include <string>

class CTitle;

namespace tav {
class CGame;
}

namespace tav::replay {

class JsonWriter;

// What the sections read. `title` is null while no title scene is registered;
// the sections then write null for their members.
struct DumpSource {
  const CGame& game;
  const CTitle* title;
};

// The title scene registered in `game`, or null.
const CTitle* FindTitle(const CGame& game);

std::string DumpState(const CGame& game);

}  // namespace tav::replay
