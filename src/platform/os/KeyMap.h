#pragma once
// Virtual-key codes and SDL keys.
#include <SDL.h>

namespace tav::os::detail {

// The virtual key a key event reports (VK_SHIFT, VK_CONTROL and VK_MENU for
// either side, as key messages do); 0 for keys the engine has no code for.
int VirtualKeyOf(const SDL_Keysym& key);

// Whether the virtual key is down in SDL's keyboard state. VK_SHIFT,
// VK_CONTROL and VK_MENU cover both sides; VK_LSHIFT ... VK_RMENU one side.
bool KeyboardKeyDown(int vk, const Uint8* state, int count);

}  // namespace tav::os::detail
