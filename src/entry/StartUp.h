#pragma once
// Bringing the engine up, step by step, from the archives in the working
// directory to a window with a running device.

#include <functional>
#include <string>

namespace tav {

// The graphics the engine needs: an OpenGL 4.1 device and a working shader
// compiler. When they are missing the player is told so and offered a page
// that explains how to install working drivers.
bool GraphicsRuntimeAvailable();
void OfferGraphicsDriverHelp();

// Every start-up step up to the message loop. False ends the program. Then
// `failure` (when given) holds the one line that says what stopped it, the
// line also written to the error log; it stays empty when start-up ended only
// because another copy of the game runs, which has been brought to the front.
// `stepDone`, when given, is told the name of each step as it ends (the
// start-up benchmark reads the clock and the memory there).
bool StartUp(std::wstring* failure = nullptr,
             const std::function<void(const char* step)>& stepDone = nullptr);

}  // namespace tav
