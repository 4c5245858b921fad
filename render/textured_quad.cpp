#include "render/textured_quad.h"
