#include "demo/scene.h"
