#include "platform/sdl/sdl_modes.h"

#include <SDL2/SDL_pixels.h>

namespace platform {

bool mode_offers(const SDL_DisplayMode& offered, const DisplayMode& wanted) {
  if (offered.w < 0 || offered.h < 0 || static_cast<uint32_t>(offered.w) != wanted.pels_width ||
      static_cast<uint32_t>(offered.h) != wanted.pels_height) {
    return false;
  }
  if (wanted.bits_per_pel == 32) return SDL_BYTESPERPIXEL(offered.format) == 4;
  return SDL_BITSPERPIXEL(offered.format) == wanted.bits_per_pel;
}

}  // namespace platform
