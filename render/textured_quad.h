// A textured rectangle 2.0 wide and 1.862 high, centred on the current
// origin, scaled by two factors that stay on the matrix.
#pragma once

#include <cstdint>

class TexturedQuad {
 public:
  // Takes the full GL texture name (not just its low 8 bits).
  void draw(float scale_x, float scale_y, uint32_t texture);
};

extern const float quad_vertices[8];
extern const float quad_texcoords[8];
