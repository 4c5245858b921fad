// Shared set-up for the render tests: one real offscreen GL context, put back
// to a known state before every test, and a feedback-mode capture that
// returns every emitted vertex.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/script/platform_script.h"

constexpr int screen_width = demo_screen_width;
constexpr int screen_height = demo_screen_height;

struct FeedbackVertex {
  float x, y, z;     // window coordinates
  float s, t;        // texture coordinates
  float r, g, b, a;  // colour
};

class RenderGlTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::script::make_offscreen_gl(screen_width, screen_height));
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glColor4f(1, 1, 1, 1);
    glViewport(0, 0, screen_width, screen_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }
  }

  void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

  // Runs draw in feedback mode and returns the vertices of every polygon it
  // emitted, in order (quads and strips may come back split into triangles).
  template <typename Draw>
  std::vector<FeedbackVertex> feedback(Draw draw, std::vector<int>* polygon_sizes = nullptr) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflowed";
    std::vector<FeedbackVertex> vertices;
    for (GLint i = 0; i < used;) {
      const GLint token = static_cast<GLint>(buffer[i++]);
      EXPECT_EQ(token, GL_POLYGON_TOKEN);
      if (token != GL_POLYGON_TOKEN) break;
      const int count = static_cast<int>(buffer[i++]);
      if (polygon_sizes != nullptr) polygon_sizes->push_back(count);
      for (int v = 0; v < count; ++v, i += 11) {
        const GLfloat* f = &buffer[i];
        vertices.push_back({f[0], f[1], f[2], f[7], f[8], f[3], f[4], f[5], f[6]});
      }
    }
    return vertices;
  }

  static std::array<GLfloat, 16> modelview() {
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
  }
};
