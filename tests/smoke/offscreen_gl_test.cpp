// The offscreen GL every drawing test relies on: a compatibility context in
// which immediate mode, GLU and the compiled-vertex-array lock all work.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/script/platform_script.h"

TEST(OffscreenGl, GivesCompatibilityContextWithGluAndArrayLock) {
  ASSERT_TRUE(platform::script::make_offscreen_gl(1024, 768));
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  ASSERT_NE(version, nullptr);
  EXPECT_NE(std::strstr(version, "Mesa"), nullptr) << version;
  GLint depth_bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
  EXPECT_GE(depth_bits, 24);
  EXPECT_NE(platform::gl_proc_address("glLockArraysEXT"), nullptr);

  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  GLUquadric* quadric = gluNewQuadric();
  gluSphere(quadric, 1.0, 8, 8);
  gluDeleteQuadric(quadric);
  glFinish();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const uint8_t* pixels = platform::script::offscreen_pixels();
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels[0], 255);
  EXPECT_EQ(pixels[1], 0);
}
