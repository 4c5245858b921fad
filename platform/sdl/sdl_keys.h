// Virtual-key codes for SDL key symbols.
#pragma once

#include <SDL2/SDL_keycode.h>

#include <cstdint>

namespace platform {

// The Win32 virtual-key code of an SDL key, or 0 for a key the layer does
// not report. Letters and digits are their upper-case ASCII codes.
uintptr_t virtual_key_for(SDL_Keycode key);

}  // namespace platform
