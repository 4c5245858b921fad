// Mesh drawing: the locked vertex array and the immediate-mode triangles.
#include "assets/mesh.h"

#include "platform/gl.h"

#include "platform/platform.h"

// The GL_EXT_compiled_vertex_array lock, looked up once the context exists.
PFNGLLOCKARRAYSEXTPROC gl_lock_arrays_ext = nullptr;

void Mesh::bind_arrays() {
  gl_lock_arrays_ext = reinterpret_cast<PFNGLLOCKARRAYSEXTPROC>(platform::gl_proc_address("glLockArraysEXT"));
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertex_array.data());
  if (gl_lock_arrays_ext != nullptr) gl_lock_arrays_ext(0, vertex_count);
}

void Mesh::draw() {
  glEnable(GL_TEXTURE_2D);
  glBegin(GL_TRIANGLES);
  for (int32_t k = 0; k < triangle_count; ++k) {
    const uint16_t corners[3] = {corner_first[k], corner_second[k], corner_third[k]};
    for (uint16_t v : corners) {
      glNormal3f(pos_x[v], pos_y[v], pos_z[v]);
      glTexCoord2f(tex_s[v], tex_t[v]);
      glVertex3f(pos_x[v], pos_y[v], pos_z[v]);
    }
  }
  glEnd();
}
