// Scripted platform layer for tests.
#include "platform/platform.h"
