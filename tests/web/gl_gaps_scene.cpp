#include "tests/web/gl_gaps_scene.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/gl.h"

namespace {

constexpr int texture_size = 64;
constexpr int checker_cell = 8;
constexpr float pi = 3.14159265f;
// Normals as long as this times the radius, as the show's mesh gives them:
// sphere-map generation must not renormalise them.
constexpr float normal_scale = 1.3f;

// A checker board with a colour ramp, in RGBA bytes for a three-component
// texture, as the picture loader uploads it.
void upload_checker_texture() {
  std::vector<uint8_t> rgba(texture_size * texture_size * 4);
  for (int y = 0; y < texture_size; ++y) {
    for (int x = 0; x < texture_size; ++x) {
      const bool light = ((x / checker_cell) + (y / checker_cell)) % 2 == 0;
      uint8_t* texel = &rgba[(y * texture_size + x) * 4];
      texel[0] = static_cast<uint8_t>(light ? 255 : x * 4);
      texel[1] = static_cast<uint8_t>(light ? 255 - y * 2 : 40);
      texel[2] = static_cast<uint8_t>(light ? 64 : y * 4);
      texel[3] = 100;
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, texture_size, texture_size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

// A latitude-longitude sphere of triangles in immediate mode, each vertex
// with its normal and a texture coordinate that generation replaces.
void draw_sphere_mapped_ball(float radius, int slices, int stacks) {
  glBegin(GL_TRIANGLES);
  auto vertex = [radius](int i, int j, int slices_, int stacks_) {
    const float around = 2.0f * pi * static_cast<float>(i) / static_cast<float>(slices_);
    const float down = pi * static_cast<float>(j) / static_cast<float>(stacks_);
    const float x = std::sin(down) * std::cos(around);
    const float y = std::cos(down);
    const float z = std::sin(down) * std::sin(around);
    glNormal3f(x * normal_scale, y * normal_scale, z * normal_scale);
    glTexCoord2f(0.25f, 0.75f);
    glVertex3f(x * radius, y * radius, z * radius);
  };
  for (int j = 0; j < stacks; ++j) {
    for (int i = 0; i < slices; ++i) {
      vertex(i, j, slices, stacks);
      vertex(i, j + 1, slices, stacks);
      vertex(i + 1, j + 1, slices, stacks);
      vertex(i, j, slices, stacks);
      vertex(i + 1, j + 1, slices, stacks);
      vertex(i + 1, j, slices, stacks);
    }
  }
  glEnd();
}

// Copies the frame twice into one texture, the second time from another
// place but with the same size and format (as the show's capture does every
// frame), and shows the texture in the top left corner: it must hold the
// second copy.
void show_copied_twice() {
  constexpr int copy_size = 64;
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 40, 120, copy_size, copy_size, 0);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 150, 100, copy_size, copy_size, 0);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float right = -1.0f + 2.0f * copy_size / gl_gaps_scene_size;
  const float bottom = 1.0f - 2.0f * copy_size / gl_gaps_scene_size;
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.0f, bottom, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(right, bottom, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(right, 1.0f, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-1.0f, 1.0f, 0.0f);
  glEnd();
  glDeleteTextures(1, &texture);
}

}  // namespace

void draw_gl_gaps_scene() {
  glViewport(0, 0, gl_gaps_scene_size, gl_gaps_scene_size);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_TEXTURE_2D);
  upload_checker_texture();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

  // The GLU sphere with its texture coordinates, turned to show both poles.
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_NONE);
  gluQuadricTexture(quadric, GL_TRUE);
  glLoadIdentity();
  glTranslatef(-0.55f, 0.3f, -3.0f);
  glRotatef(35.0f, 1.0f, 1.0f, 1.0f);
  gluSphere(quadric, 0.5, 20, 20);
  glLoadIdentity();
  glTranslatef(-0.55f, -0.75f, -3.5f);
  glRotatef(-70.0f, 1.0f, 0.0f, 0.0f);
  gluSphere(quadric, 0.4, 12, 8);
  gluDeleteQuadric(quadric);

  // The sphere-mapped ball, rotated and moved off the axis.
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  glLoadIdentity();
  glTranslatef(0.6f, 0.1f, -3.0f);
  glRotatef(40.0f, 1.0f, 1.0f, 1.0f);
  draw_sphere_mapped_ball(0.6f, 24, 16);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  show_copied_twice();
  glFinish();
}
