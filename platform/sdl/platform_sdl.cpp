// Platform layer on SDL2.
#include "platform/platform.h"
