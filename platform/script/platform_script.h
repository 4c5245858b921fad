// Test controls of the scripted platform backend.
#pragma once

#include <cstdint>

namespace platform::script {

// Creates an offscreen Mesa GL context with a width x height RGBA colour
// buffer and a 32-bit-class depth buffer, and makes it current. For tests
// and tools that need real GL without a window. Returns false on failure.
bool make_offscreen_gl(int width = 1024, int height = 768);

// The colour buffer of the current offscreen context (RGBA, bottom row
// first), or null when none is current.
const uint8_t* offscreen_pixels();

}  // namespace platform::script
