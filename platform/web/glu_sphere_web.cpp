// The GLU quadric sphere, which the browser's GL library does not offer:
// stacks from +z down to -z, each a strip around the z axis starting at +y,
// with texture coordinates s running once around from 1 at +y (three
// quarters at +x) and t from 1 at +z to 0 at -z, as GLU lays them out. Only the filled,
// outward-facing style is drawn; normals when asked for point outwards.
#include "platform/gl.h"

#include <cmath>

struct GLUquadric {
  GLenum normals = GLU_SMOOTH;
  bool texture = false;
};

namespace {

constexpr int max_quadrics = 4;
constexpr double pi = 3.14159265358979323846;

GLUquadric quadrics[max_quadrics];
bool quadric_used[max_quadrics];

}  // namespace

GLUquadric* gluNewQuadric() {
  for (int i = 0; i < max_quadrics; ++i) {
    if (quadric_used[i]) continue;
    quadric_used[i] = true;
    quadrics[i] = GLUquadric{};
    return &quadrics[i];
  }
  return nullptr;
}

void gluDeleteQuadric(GLUquadric* quadric) {
  for (int i = 0; i < max_quadrics; ++i) {
    if (&quadrics[i] == quadric) quadric_used[i] = false;
  }
}

void gluQuadricNormals(GLUquadric* quadric, GLenum normals) {
  if (quadric != nullptr) quadric->normals = normals;
}

void gluQuadricTexture(GLUquadric* quadric, GLboolean texture) {
  if (quadric != nullptr) quadric->texture = texture != GL_FALSE;
}

void gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
  if (quadric == nullptr || slices < 2 || stacks < 1 || radius < 0.0) return;
  const bool normals = quadric->normals != GLU_NONE;
  for (int j = 0; j < stacks; ++j) {
    // The ring nearer +z (j) and the one below it (j + 1).
    const double upper = pi * j / stacks;
    const double lower = pi * (j + 1) / stacks;
    // Strips of triangles: the same vertices and order a strip of quads has.
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i <= slices; ++i) {
      const double around = i == slices ? 0.0 : 2.0 * pi * i / slices;
      const float sin_around = static_cast<float>(std::sin(around));
      const float cos_around = static_cast<float>(std::cos(around));
      const double rings[2] = {upper, lower};
      for (int k = 0; k < 2; ++k) {
        const float sin_ring = static_cast<float>(std::sin(rings[k]));
        const float cos_ring = static_cast<float>(std::cos(rings[k]));
        if (normals) glNormal3f(sin_ring * sin_around, sin_ring * cos_around, cos_ring);
        if (quadric->texture) {
          glTexCoord2f(1.0f - static_cast<float>(i) / slices, 1.0f - static_cast<float>(j + k) / stacks);
        }
        const float r = static_cast<float>(radius);
        glVertex3f(r * sin_ring * sin_around, r * sin_ring * cos_around, r * cos_ring);
      }
    }
    glEnd();
  }
}
