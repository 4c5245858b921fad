// The pixel format the shell asks for, as the shell's and the platform
// backends' tests expect it: double-buffered RGBA, 32 colour and 32 depth
// bits, every other field 0.
#pragma once

#include "platform/platform.h"

inline platform::PixelFormatDescriptor shell_pixel_format() {
  platform::PixelFormatDescriptor descriptor = {};
  descriptor.size = sizeof(descriptor);
  descriptor.version = 1;
  descriptor.flags = platform::PFD_DRAW_TO_WINDOW | platform::PFD_SUPPORT_OPENGL | platform::PFD_DOUBLEBUFFER;
  descriptor.pixel_type = platform::PFD_TYPE_RGBA;
  descriptor.color_bits = 32;
  descriptor.depth_bits = 32;
  descriptor.layer_type = platform::PFD_MAIN_PLANE;
  return descriptor;
}
