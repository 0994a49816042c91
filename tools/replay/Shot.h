#pragma once
// The back buffer of the engine's device as a PNG file.
#include <filesystem>
#include <string>

class CBaseD3D;

namespace tav::replay {

// Copies the back buffer into system memory and writes it, opaque,
// as an RGB PNG. False with `problem` set when the device refuses a step or
// the file cannot be written.
bool SaveBackBuffer(CBaseD3D& d3d, const std::filesystem::path& file, std::string& problem);

}  // namespace tav::replay
