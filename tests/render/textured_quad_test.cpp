// The textured quad's geometry through feedback mode and its texture through
// real rasterisation, with and without another vertex array locked.
#include "render/textured_quad.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/render/gl_fixture.h"
#include "platform/platform.h"

namespace {

using LockArrays = void (*)(GLint first, GLsizei count);
using UnlockArrays = void (*)();

constexpr float half_height = 0.931f;

// Object coordinates map to window coordinates by a shift of 10 in x and y,
// and z = 0 lands at window depth 0.5.
void set_feedback_view() {
  glViewport(0, 0, 20, 20);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10, 10, -10, 10, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

struct Corner {
  float x, y, s, t;
};

// Every emitted vertex must be one of the four corners of the quad scaled by
// (sx, sy), carrying that corner's texture coordinates, and all four appear.
void expect_quad(const std::vector<FeedbackVertex>& vertices, float sx, float sy) {
  const Corner corners[4] = {{-sx, -half_height * sy, 0, 0},
                             {sx, -half_height * sy, 1, 0},
                             {sx, half_height * sy, 1, 1},
                             {-sx, half_height * sy, 0, 1}};
  bool seen[4] = {false, false, false, false};
  ASSERT_GE(vertices.size(), 4u);
  for (const FeedbackVertex& v : vertices) {
    const float x = v.x - 10.0f, y = v.y - 10.0f;
    int match = -1;
    for (int c = 0; c < 4; ++c) {
      if (std::fabs(x - corners[c].x) < 1e-4f && std::fabs(y - corners[c].y) < 1e-4f) match = c;
    }
    ASSERT_NE(match, -1) << "stray vertex (" << x << ", " << y << ") for scale " << sx << " x " << sy;
    seen[match] = true;
    EXPECT_FLOAT_EQ(v.s, corners[match].s);
    EXPECT_FLOAT_EQ(v.t, corners[match].t);
    EXPECT_NEAR(v.z, 0.5f, 1e-6f);
  }
  for (int c = 0; c < 4; ++c) EXPECT_TRUE(seen[c]) << "corner " << c << " missing";
}

// A 1 x 1 texture of one colour under the given name.
void make_colour_texture(GLuint name, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t texel[4] = {r, g, b, 255};
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

const uint8_t* pixel_at(int x, int y) {
  return platform::script::offscreen_pixels() + (static_cast<size_t>(y) * screen_width + x) * 4;
}

class TexturedQuadTest : public RenderGlTest {
 protected:
  TexturedQuad quad;
};

}  // namespace

TEST_F(TexturedQuadTest, CornersAndTextureCoordinatesFollowTheScale) {
  const float scales[][2] = {{1.0f, 1.0f}, {2.0f, 0.5f}, {5.3f, 4.5f}, {-1.0f, 1.0f}};
  set_feedback_view();
  for (const auto& scale : scales) {
    SCOPED_TRACE(testing::Message() << scale[0] << " x " << scale[1]);
    glLoadIdentity();
    expect_quad(feedback([&] { quad.draw(scale[0], scale[1], 0); }), scale[0], scale[1]);
  }
}

TEST_F(TexturedQuadTest, ScalesCompoundWithoutAMatrixReset) {
  set_feedback_view();
  std::vector<FeedbackVertex> first, second;
  first = feedback([&] { quad.draw(2.0f, 0.5f, 0); });
  second = feedback([&] { quad.draw(1.5f, 4.0f, 0); });
  expect_quad(first, 2.0f, 0.5f);
  expect_quad(second, 3.0f, 2.0f);
  const auto m = modelview();
  EXPECT_FLOAT_EQ(m[0], 3.0f);
  EXPECT_FLOAT_EQ(m[5], 2.0f);
  EXPECT_FLOAT_EQ(m[10], 1.0f);
}

TEST_F(TexturedQuadTest, LeavesBothArraysEnabledOnItsTablesAndItsTextureBound) {
  quad.draw(1.0f, 1.0f, 5);
  EXPECT_EQ(glIsEnabled(GL_VERTEX_ARRAY), GL_TRUE);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_COORD_ARRAY), GL_TRUE);
  void* vertex_pointer = nullptr;
  void* texcoord_pointer = nullptr;
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &vertex_pointer);
  glGetPointerv(GL_TEXTURE_COORD_ARRAY_POINTER, &texcoord_pointer);
  EXPECT_EQ(vertex_pointer, static_cast<const void*>(quad_vertices));
  EXPECT_EQ(texcoord_pointer, static_cast<const void*>(quad_texcoords));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 5);
}

TEST_F(TexturedQuadTest, BindsATextureWhoseNameIsAbove255) {
  // 300 and 44 share their low 8 bits: a truncated name would show green.
  make_colour_texture(44, 0, 255, 0);
  make_colour_texture(300, 255, 0, 0);
  glEnable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glOrtho(-4, 4, -3, 3, -1, 1);
  glMatrixMode(GL_MODELVIEW);

  quad.draw(1.0f, 1.0f, 300);
  glFinish();

  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 300);
  const uint8_t* centre = pixel_at(screen_width / 2, screen_height / 2);
  EXPECT_EQ(centre[0], 255);
  EXPECT_EQ(centre[1], 0);
  const GLuint names[2] = {44, 300};
  glDeleteTextures(2, names);
}

// The mesh keeps its own three-component vertex array locked for the whole
// run; the quad must still draw its own corners, at its current scale, in
// feedback and on screen, whatever the locked range.
TEST_F(TexturedQuadTest, DrawsItsOwnCornersWhileAnotherArrayIsLocked) {
  const auto lock = reinterpret_cast<LockArrays>(platform::gl_proc_address("glLockArraysEXT"));
  const auto unlock = reinterpret_cast<UnlockArrays>(platform::gl_proc_address("glUnlockArraysEXT"));
  ASSERT_NE(lock, nullptr);
  ASSERT_NE(unlock, nullptr);

  std::vector<float> mesh(3 * 64);
  for (size_t i = 0; i < mesh.size(); ++i) mesh[i] = 0.37f * static_cast<float>(i % 17) - 3.0f;

  const GLsizei locked_counts[] = {3, 4, 64};
  for (GLsizei count : locked_counts) {
    SCOPED_TRACE(testing::Message() << "locked count " << count);
    SetUp();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.data());
    lock(0, count);

    set_feedback_view();
    expect_quad(feedback([&] { quad.draw(1.0f, 1.0f, 0); }), 1.0f, 1.0f);
    glLoadIdentity();
    expect_quad(feedback([&] { quad.draw(2.5f, 3.0f, 0); }), 2.5f, 3.0f);

    // On screen: a red quad 2 x 1.862 units in a 16 x 12 unit view covers
    // x 448..576 and y 325..443; nothing else is drawn.
    glViewport(0, 0, screen_width, screen_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-8, 8, -6, 6, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 0, 0, 1);
    quad.draw(1.0f, 1.0f, 0);
    glFinish();
    EXPECT_EQ(pixel_at(512, 384)[0], 255);
    EXPECT_EQ(pixel_at(450, 327)[0], 255);
    EXPECT_EQ(pixel_at(574, 441)[0], 255);
    EXPECT_EQ(pixel_at(445, 384)[0], 0);
    EXPECT_EQ(pixel_at(579, 384)[0], 0);
    EXPECT_EQ(pixel_at(512, 322)[0], 0);
    EXPECT_EQ(pixel_at(512, 446)[0], 0);
    EXPECT_EQ(pixel_at(100, 100)[0], 0);

    unlock();
  }
}
