#include "platform/os/KeyMap.h"

#include "platform/os/WinTypes.h"

namespace tav::os::detail {

namespace {

struct KeyPair {
  int vk;
  SDL_Scancode scancode;
};

// Keys whose code does not depend on the keyboard layout. The generic
// modifier codes come first so that an event reports them.
constexpr KeyPair kFixedKeys[] = {
    {VK_SHIFT, SDL_SCANCODE_LSHIFT},     {VK_SHIFT, SDL_SCANCODE_RSHIFT},
    {VK_CONTROL, SDL_SCANCODE_LCTRL},    {VK_CONTROL, SDL_SCANCODE_RCTRL},
    {VK_MENU, SDL_SCANCODE_LALT},        {VK_MENU, SDL_SCANCODE_RALT},
    {VK_LSHIFT, SDL_SCANCODE_LSHIFT},    {VK_RSHIFT, SDL_SCANCODE_RSHIFT},
    {VK_LCONTROL, SDL_SCANCODE_LCTRL},   {VK_RCONTROL, SDL_SCANCODE_RCTRL},
    {VK_LMENU, SDL_SCANCODE_LALT},       {VK_RMENU, SDL_SCANCODE_RALT},
    {VK_BACK, SDL_SCANCODE_BACKSPACE},   {VK_TAB, SDL_SCANCODE_TAB},
    {VK_RETURN, SDL_SCANCODE_RETURN},    {VK_RETURN, SDL_SCANCODE_KP_ENTER},
    {VK_PAUSE, SDL_SCANCODE_PAUSE},      {VK_ESCAPE, SDL_SCANCODE_ESCAPE},
    {VK_SPACE, SDL_SCANCODE_SPACE},      {VK_PRIOR, SDL_SCANCODE_PAGEUP},
    {VK_NEXT, SDL_SCANCODE_PAGEDOWN},    {VK_END, SDL_SCANCODE_END},
    {VK_HOME, SDL_SCANCODE_HOME},        {VK_LEFT, SDL_SCANCODE_LEFT},
    {VK_UP, SDL_SCANCODE_UP},            {VK_RIGHT, SDL_SCANCODE_RIGHT},
    {VK_DOWN, SDL_SCANCODE_DOWN},        {VK_INSERT, SDL_SCANCODE_INSERT},
    {VK_DELETE, SDL_SCANCODE_DELETE},
};

bool IsLetterOrDigit(int vk) { return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'); }

// Letters and digits follow the layout, as their virtual keys do; without a
// layout they are where a US keyboard has them.
SDL_Scancode ScancodeOfCharacter(int vk) {
  bool letter = vk >= 'A' && vk <= 'Z';
  SDL_Scancode code = SDL_GetScancodeFromKey(letter ? SDL_Keycode('a' + (vk - 'A')) : SDL_Keycode(vk));
  if (code != SDL_SCANCODE_UNKNOWN) return code;
  if (letter) return SDL_Scancode(SDL_SCANCODE_A + (vk - 'A'));
  return vk == '0' ? SDL_SCANCODE_0 : SDL_Scancode(SDL_SCANCODE_1 + (vk - '1'));
}

}  // namespace

int VirtualKeyOf(const SDL_Keysym& key) {
  if (key.sym >= 'a' && key.sym <= 'z') return 'A' + (key.sym - 'a');
  if (key.sym >= '0' && key.sym <= '9') return int(key.sym);
  if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12)
    return VK_F1 + (key.scancode - SDL_SCANCODE_F1);
  for (const KeyPair& pair : kFixedKeys)
    if (pair.scancode == key.scancode) return pair.vk;
  return 0;
}

bool KeyboardKeyDown(int vk, const Uint8* state, int count) {
  auto down = [&](SDL_Scancode code) { return code > SDL_SCANCODE_UNKNOWN && code < count && state[code] != 0; };
  if (IsLetterOrDigit(vk)) return down(ScancodeOfCharacter(vk));
  if (vk >= VK_F1 && vk <= VK_F12) return down(SDL_Scancode(SDL_SCANCODE_F1 + (vk - VK_F1)));
  for (const KeyPair& pair : kFixedKeys)
    if (pair.vk == vk && down(pair.scancode)) return true;
  return false;
}

}  // namespace tav::os::detail
