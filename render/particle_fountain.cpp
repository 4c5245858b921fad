#include "render/particle_fountain.h"
