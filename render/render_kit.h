// GL state switches and the 512 x 512 frame capture. Stateless: every
// operation acts only on the current GL state and leaves the state its
// callers rely on from step to step and frame to frame.
#pragma once

#include <cstdint>

// The capture pass draws into the lower-left capture_size x capture_size
// region and copies it into a texture of that size; the screen pass
// afterwards uses the whole window.
constexpr int capture_size = 512;

class RenderKit {
 public:
  void blend_additive();
  void blend_off();
  void depth_on();
  void depth_off();
  void begin_capture();
  // Takes the full GL texture name (not just its low 8 bits).
  void end_capture(uint32_t texture);
  // Creates a black size x size texture in texture_names[index] and leaves it
  // bound. When no zeroed scratch buffer of that size can be had, it creates
  // nothing and leaves texture_names[index] and the binding as they were.
  void make_blank_texture(uint32_t* texture_names, int32_t size, int32_t components, uint32_t format, int32_t index);
};
