#include "assets/picture_texture.h"
