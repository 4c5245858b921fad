// Music backend on libmpg123, SDL2 audio and kissfft.
#include "audio/bass.h"
