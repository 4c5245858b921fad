#include "render/render_kit.h"
