// Which SDL display modes satisfy a requested display mode.
#pragma once

#include <SDL2/SDL_video.h>

#include "platform/platform.h"

namespace platform {

// True when the offered mode has exactly the wanted size and depth. X keeps
// 24-bit colour in 4-byte pixels and SDL reports such a mode as 24 bits per
// pixel; that is what a 32-bit request means, so it counts as 32.
bool mode_offers(const SDL_DisplayMode& offered, const DisplayMode& wanted);

}  // namespace platform
