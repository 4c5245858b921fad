// The picture texture loader on real GL, with JPEGs written into a scratch
// working directory (the loader resolves paths against it).
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "assets/picture_prefetch.h"
#include "assets/picture_texture.h"
#include "platform/script/platform_script.h"
#include "tests/support/files.h"
#include "tests/support/test_pictures.h"

namespace {

class PictureTexture : public ::testing::Test {
 protected:
  // The suite's pictures are written into a folder of its own, removed when
  // the program ends.
  static void SetUpTestSuite() {
    static const TempFolder folder("picture-texture");
    ASSERT_TRUE(folder.enter());
  }

  void SetUp() override { ASSERT_TRUE(platform::script::make_offscreen_gl(1024, 768)); }

  static GLint level_parameter(GLint level, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
  }

  static GLint texture_parameter(GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
  }

  static GLuint bound_texture() {
    GLint name = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
  }

  static GLuint generate_name() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
  }
};

TEST_F(PictureTexture, SizesFollowTheNearestPowerOfTwo) {
  struct Case {
    int width, height, texture_width, texture_height;
  };
  const Case cases[] = {
      {640, 480, 512, 512}, {800, 600, 1024, 512}, {300, 200, 256, 256}, {256, 256, 256, 256}, {1, 1, 1, 1},
      {362, 1, 256, 1},     {363, 2, 512, 2},      {3, 724, 4, 512},     {5, 725, 4, 1024},
  };
  GLuint previous = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const std::string path = "size_" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".jpg";
    ASSERT_TRUE(write_file(path, make_grey_jpeg(c.width, c.height)));
    glBindTexture(GL_TEXTURE_2D, 0);

    uint32_t texture = 0;
    ASSERT_EQ(load_picture_texture(path.c_str(), &texture), 1);
    EXPECT_NE(texture, 0u);
    EXPECT_NE(texture, previous);
    previous = texture;
    EXPECT_EQ(bound_texture(), texture);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_WIDTH), c.texture_width);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_HEIGHT), c.texture_height);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_INTERNAL_FORMAT), 3);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(level_parameter(1, GL_TEXTURE_WIDTH), 0) << "no mipmap levels";
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST_F(PictureTexture, BottomLeftOfThePictureIsTexelZeroWithAlphaOne) {
  ASSERT_TRUE(write_file("quadrants.jpg", make_quadrant_jpeg(64, 64)));
  uint32_t texture = 0;
  ASSERT_EQ(load_picture_texture("quadrants.jpg", &texture), 1);

  // Sample it: a 64 x 64 viewport puts each pixel centre on a texel centre.
  // Colour from the texture, alpha from the texture alone (the vertex colour's
  // alpha is 0), so the drawn alpha is the sampled one.
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
  glColor4f(0, 0, 0, 0);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
  glFinish();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

  const uint8_t* pixels = platform::script::offscreen_pixels();
  ASSERT_NE(pixels, nullptr);
  auto expect_pixel = [&](int x, int y, Rgb want, const char* where) {
    SCOPED_TRACE(where);
    const uint8_t* p = pixels + (static_cast<size_t>(y) * 1024 + x) * 4;
    EXPECT_NEAR(p[0], want.r, 6);
    EXPECT_NEAR(p[1], want.g, 6);
    EXPECT_NEAR(p[2], want.b, 6);
    EXPECT_EQ(p[3], 255);
  };
  expect_pixel(0, 0, red, "s = 0, t = 0");
  expect_pixel(63, 0, green, "s = 1, t = 0");
  expect_pixel(0, 63, blue, "s = 0, t = 1");
  expect_pixel(63, 63, white, "s = 1, t = 1");
}

TEST_F(PictureTexture, FailuresLeaveTheNameAndTheTexturesAlone) {
  const std::vector<uint8_t> good = make_quadrant_jpeg(64, 64);
  ASSERT_TRUE(write_file("truncated.jpg", std::vector<uint8_t>(good.begin(), good.begin() + 300)));
  ASSERT_TRUE(write_file("not_a_picture.jpg", {'h', 'e', 'l', 'l', 'o'}));
  ASSERT_TRUE(write_file("empty.jpg", {}));
  ASSERT_EQ(mkdir("folder.jpg", 0755), 0);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  // The file exists, but its full path does not fit the path buffer.
  const std::string long_name(259 - std::string(cwd).size(), 'n');
  ASSERT_TRUE(write_file(long_name, good));

  uint32_t existing = 0;
  ASSERT_TRUE(write_file("existing.jpg", good));
  ASSERT_EQ(load_picture_texture("existing.jpg", &existing), 1);

  const char* failing[] = {"missing.jpg",    "truncated.jpg", "not_a_picture.jpg",
                           "empty.jpg",      "folder.jpg",    "http://127.0.0.1/existing.jpg",
                           long_name.c_str()};
  for (const char* path : failing) {
    SCOPED_TRACE(path);
    const GLuint before = generate_name();
    uint32_t texture = 0xC0FFEEu;
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_picture_texture(path, &texture), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(texture, 0xC0FFEEu);
    EXPECT_EQ(bound_texture(), existing);
    // Mesa hands out names in increasing order, so a name generated inside
    // the call would open a gap.
    EXPECT_EQ(generate_name(), before + 1) << "a texture name was generated";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

// The texels of the texture bound now, as GL holds them.
std::vector<uint8_t> bound_texels() {
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return texels;
}

TEST_F(PictureTexture, PrefetchedPicturesMakeTheSameTexturesAndFailuresStayFailures) {
  const char* pictures[] = {"prefetch_a.jpg", "prefetch_b.jpg", "prefetch_c.jpg"};
  ASSERT_TRUE(write_file(pictures[0], make_quadrant_jpeg(640, 480)));
  ASSERT_TRUE(write_file(pictures[1], make_photo_like_jpeg(800, 600)));
  ASSERT_TRUE(write_file(pictures[2], make_quadrant_jpeg(64, 64)));
  ASSERT_TRUE(write_file("prefetch_garbage.jpg", {'h', 'e', 'l', 'l', 'o'}));

  std::vector<std::vector<uint8_t>> expected;
  for (const char* path : pictures) {
    uint32_t texture = 0;
    ASSERT_EQ(load_picture_texture(path, &texture), 1);
    expected.push_back(bound_texels());
  }

  const char* prefetched[] = {pictures[0], pictures[1], pictures[2], "prefetch_missing.jpg", "prefetch_garbage.jpg"};
  prefetch_pictures(prefetched, 5);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(pictures[i]);
    uint32_t texture = 0;
    ASSERT_EQ(load_picture_texture(pictures[i], &texture), 1);
    EXPECT_EQ(bound_texture(), texture);
    EXPECT_TRUE(bound_texels() == expected[i]) << "the texture differs from one decoded on the spot";
  }
  for (const char* path : {"prefetch_missing.jpg", "prefetch_garbage.jpg"}) {
    SCOPED_TRACE(path);
    const GLuint before = generate_name();
    uint32_t texture = 0xC0FFEEu;
    EXPECT_EQ(load_picture_texture(path, &texture), 0);
    EXPECT_EQ(texture, 0xC0FFEEu);
    EXPECT_EQ(generate_name(), before + 1) << "a texture name was generated";
  }
}

}  // namespace
