#include "app/frame_timer.h"
