#include "render/textured_quad.h"

#include "platform/gl.h"
#include "probe/probe_points.h"

// Corners counter-clockwise from the lower left; (s, t) = (0, 0) sits at the
// lower-left corner, so a picture whose row t = 0 is its bottom row shows
// upright. The half-height is 0.931, not 1.
const float quad_vertices[8] = {-1.0f, -0.931f, 1.0f, -0.931f, 1.0f, 0.931f, -1.0f, 0.931f};
const float quad_texcoords[8] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};

// The scale stays on the current matrix and both client arrays stay enabled.
// The mesh keeps its own vertex array locked (glLockArraysEXT) for the whole
// run, so the quad relies on nothing left in the array state: it points both
// arrays at its own tables right before every draw. Mesa sources the draw
// from the pointers in force at that moment, lock or no lock, whether the
// locked range is shorter or longer than the quad's four corners.
void TexturedQuad::draw(float scale_x, float scale_y, uint32_t texture) {
  probe::at(probe::Point::quad_draw_begin);
  glBindTexture(GL_TEXTURE_2D, texture);
  glScalef(scale_x, scale_y, 1.0f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, quad_vertices);
  glTexCoordPointer(2, GL_FLOAT, 0, quad_texcoords);
  glDrawArrays(GL_QUADS, 0, 4);
  probe::at(probe::Point::quad_draw_end);
}
