#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "app/gl_window.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "tests/app/shell_test.h"

using namespace platform;
namespace script = platform::script;

namespace {

class ResizeTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(create_demo_window(32, true));
  }
  void TearDown() override { gl_window.destroy(); }
};

// GL keeps matrices in single precision.
constexpr double matrix_tolerance = 1e-6;

// gluPerspective puts f / aspect and f in the first two diagonal entries.
double projected_aspect() {
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  return projection[5] / projection[0];
}

TEST_F(ResizeTest, BandViewportAndWholeClientAspect) {
  struct Case {
    int width, height;
    double aspect;
  };
  const Case cases[] = {
      {1024, 768, 1024.0 / 768.0},  // not 1024 / 550
      {800, 600, 800.0 / 600.0},
      {640, 0, 640.0},  // a minimised client: height taken as 1
      {0, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    // Start from something else so each case must set everything.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_TEXTURE);

    gl_window.resize(c.width, c.height);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 100);
    EXPECT_EQ(viewport[2], c.width);
    EXPECT_EQ(viewport[3], 550);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    if (c.aspect > 0.0) {
      EXPECT_NEAR(projected_aspect() / c.aspect, 1.0, matrix_tolerance);
      GLdouble projection[16];
      glGetDoublev(GL_PROJECTION_MATRIX, projection);
      const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
      EXPECT_NEAR(projection[5], f, matrix_tolerance);
      // Near 0.1f widened to double and far 400 fix the depth terms.
      const double near_plane = static_cast<double>(0.1f);
      EXPECT_NEAR(projection[10], -(400.0 + near_plane) / (400.0 - near_plane), matrix_tolerance);
      EXPECT_NEAR(projection[14], -2.0 * 400.0 * near_plane / (400.0 - near_plane), matrix_tolerance);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST_F(ResizeTest, SizeMessageResizesToTheReportedClient) {
  window_proc(gl_window.window_handle, WM_SIZE, SIZE_RESTORED, make_lparam(640, 480));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 550);
  EXPECT_NEAR(projected_aspect(), 640.0 / 480.0, matrix_tolerance);
}

TEST_F(ResizeTest, DrawFrameClearsAndResetsTheModelview) {
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1.0f, 2.0f, 3.0f);
  EXPECT_TRUE(gl_window.draw_frame());
  glFinish();
  GLdouble modelview[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(modelview[i], (i % 5 == 0) ? 1.0 : 0.0) << i;
  const uint8_t* pixels = script::offscreen_pixels();
  ASSERT_NE(pixels, nullptr);
  // The clear covers the whole client, not only the band.
  EXPECT_EQ(pixels[1], 255);
  const size_t top_right = (static_cast<size_t>(767) * 1024 + 1023) * 4;
  EXPECT_EQ(pixels[top_right + 1], 255);
}

}  // namespace
