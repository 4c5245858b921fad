// The render-state switches and the frame capture on real offscreen GL.
#include "render/render_kit.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/render/gl_fixture.h"

// A scratch buffer that cannot be had must come back as null, not abort.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

struct GlSwitches {
  bool blend;
  GLint blend_src, blend_dst;
  bool depth;
  GLint depth_func;
};

GlSwitches current_switches() {
  GlSwitches s{};
  s.blend = glIsEnabled(GL_BLEND) == GL_TRUE;
  glGetIntegerv(GL_BLEND_SRC, &s.blend_src);
  glGetIntegerv(GL_BLEND_DST, &s.blend_dst);
  s.depth = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
  glGetIntegerv(GL_DEPTH_FUNC, &s.depth_func);
  return s;
}

std::array<GLint, 4> current_viewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

GLint modelview_depth() {
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  return depth;
}

// Fills the whole frame with a pattern in which every pixel differs from its
// neighbours, so a copy from the wrong place or of the wrong size shows.
std::vector<uint8_t> draw_pattern() {
  std::vector<uint8_t> image(static_cast<size_t>(screen_width) * screen_height * 4);
  uint32_t state = 12345;
  for (uint8_t& byte : image) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, screen_width, 0, screen_height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glRasterPos2i(0, 0);
  glDrawPixels(screen_width, screen_height, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  return image;
}

class RenderKitTest : public RenderGlTest {
 protected:
  RenderKit kit;
};

}  // namespace

TEST_F(RenderKitTest, EachSwitchLeavesItsStateAndKeepsTheFunctions) {
  struct Case {
    const char* name;
    void (*prepare)(RenderKit&);
    void (*apply)(RenderKit&);
    GlSwitches expected;
  };
  const Case cases[] = {
      {"blend_additive from defaults",
       [](RenderKit&) {},
       [](RenderKit& k) { k.blend_additive(); },
       {true, GL_SRC_ALPHA, GL_ONE, false, GL_LESS}},
      {"blend_off keeps the additive function",
       [](RenderKit& k) { k.blend_additive(); },
       [](RenderKit& k) { k.blend_off(); },
       {false, GL_SRC_ALPHA, GL_ONE, false, GL_LESS}},
      {"blend_off keeps any function",
       [](RenderKit&) {
         glEnable(GL_BLEND);
         glBlendFunc(GL_DST_COLOR, GL_ZERO);
       },
       [](RenderKit& k) { k.blend_off(); },
       {false, GL_DST_COLOR, GL_ZERO, false, GL_LESS}},
      {"depth_on from defaults",
       [](RenderKit&) {},
       [](RenderKit& k) { k.depth_on(); },
       {false, GL_ONE, GL_ZERO, true, GL_LEQUAL}},
      {"depth_on replaces another function",
       [](RenderKit&) { glDepthFunc(GL_GREATER); },
       [](RenderKit& k) { k.depth_on(); },
       {false, GL_ONE, GL_ZERO, true, GL_LEQUAL}},
      {"depth_off keeps LEQUAL",
       [](RenderKit& k) { k.depth_on(); },
       [](RenderKit& k) { k.depth_off(); },
       {false, GL_ONE, GL_ZERO, false, GL_LEQUAL}},
      {"depth_off keeps any function",
       [](RenderKit&) {
         glEnable(GL_DEPTH_TEST);
         glDepthFunc(GL_GREATER);
       },
       [](RenderKit& k) { k.depth_off(); },
       {false, GL_ONE, GL_ZERO, false, GL_GREATER}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.prepare(kit);
    c.apply(kit);
    const GlSwitches s = current_switches();
    EXPECT_EQ(s.blend, c.expected.blend);
    EXPECT_EQ(s.blend_src, c.expected.blend_src);
    EXPECT_EQ(s.blend_dst, c.expected.blend_dst);
    EXPECT_EQ(s.depth, c.expected.depth);
    EXPECT_EQ(s.depth_func, c.expected.depth_func);
  }
}

TEST_F(RenderKitTest, BeginCapturePushesOneLevelAndNarrowsTheViewport) {
  glViewport(0, 100, screen_width, 550);
  const GLint depth = modelview_depth();
  kit.begin_capture();
  EXPECT_EQ(modelview_depth(), depth + 1);
  EXPECT_EQ(current_viewport(), (std::array<GLint, 4>{0, 0, 512, 512}));
  glPopMatrix();
}

TEST_F(RenderKitTest, EndCaptureCopiesExactlyTheLowerLeftRegionAndClearsTheFrame) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  const std::vector<uint8_t> frame = draw_pattern();
  kit.begin_capture();
  kit.end_capture(texture);
  glFinish();

  GLint bound = 0, width = 0, height = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  ASSERT_EQ(width, 512);
  ASSERT_EQ(height, 512);

  std::vector<uint8_t> texels(512 * 512 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  int mismatches = 0;
  for (int y = 0; y < 512; ++y) {
    for (int x = 0; x < 512; ++x) {
      const uint8_t* want = &frame[(static_cast<size_t>(y) * screen_width + x) * 4];
      const uint8_t* got = &texels[(static_cast<size_t>(y) * 512 + x) * 3];
      if (std::memcmp(want, got, 3) != 0) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);

  // The whole frame is wiped, colour and depth, not only the region.
  const uint8_t* pixels = platform::script::offscreen_pixels();
  ASSERT_NE(pixels, nullptr);
  int uncleared = 0;
  for (int i = 0; i < screen_width * screen_height * 4; ++i) uncleared += pixels[i] != 0;
  EXPECT_EQ(uncleared, 0);
  GLfloat depth_corners[2] = {0, 0};
  glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth_corners[0]);
  glReadPixels(screen_width - 1, screen_height - 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth_corners[1]);
  EXPECT_EQ(depth_corners[0], 1.0f);
  EXPECT_EQ(depth_corners[1], 1.0f);
  glDeleteTextures(1, &texture);
}

TEST_F(RenderKitTest, FirstCaptureClearsWithTheDefaultAlphaLaterOnesWithHalf) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  const uint8_t* pixels = platform::script::offscreen_pixels();
  ASSERT_NE(pixels, nullptr);
  const size_t top_right = (static_cast<size_t>(screen_height) * screen_width - 1) * 4;

  const int expected_alpha[] = {0, 128, 128};
  for (int capture = 0; capture < 3; ++capture) {
    SCOPED_TRACE(capture);
    draw_pattern();
    kit.begin_capture();
    kit.end_capture(texture);
    glFinish();
    EXPECT_EQ(pixels[0], 0);
    EXPECT_NEAR(pixels[3], expected_alpha[capture], 1);
    EXPECT_NEAR(pixels[top_right + 3], expected_alpha[capture], 1);
    GLfloat clear[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_EQ(clear[2], 0.0f);
    EXPECT_EQ(clear[3], 0.5f);
  }
  glDeleteTextures(1, &texture);
}

TEST_F(RenderKitTest, EndCaptureSetsTheFullViewportAndUndoesTheCaptureTransforms) {
  const std::array<GLint, 4> before_viewports[] = {
      {0, 100, screen_width, 550}, {7, 9, 300, 200}, {0, 0, 512, 512}, {0, 0, 1024, 768}};
  GLuint texture = 0;
  glGenTextures(1, &texture);
  for (const auto& before : before_viewports) {
    SCOPED_TRACE(testing::PrintToString(before));
    glLoadIdentity();
    glTranslatef(1, 2, -3);
    glRotatef(30, 0, 1, 0);
    const auto outer = modelview();
    const GLint depth = modelview_depth();
    glViewport(before[0], before[1], before[2], before[3]);

    kit.begin_capture();
    glTranslatef(0, 0, -50);
    glScalef(3, 3, 3);
    kit.end_capture(texture);

    EXPECT_EQ(current_viewport(), (std::array<GLint, 4>{0, 0, 1024, 768}));
    EXPECT_EQ(modelview(), outer);
    EXPECT_EQ(modelview_depth(), depth);
  }
  glDeleteTextures(1, &texture);
}

TEST_F(RenderKitTest, EndCaptureWritesATextureWhoseNameIsAbove255) {
  // 300 and 44 share their low 8 bits: a truncated name would hit 44.
  const GLuint high = 300, low = 44;
  glBindTexture(GL_TEXTURE_2D, low);
  const uint8_t green[3] = {0, 255, 0};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
  glBindTexture(GL_TEXTURE_2D, high);
  glBindTexture(GL_TEXTURE_2D, 0);

  draw_pattern();
  kit.begin_capture();
  kit.end_capture(high);

  GLint bound = 0, width = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, static_cast<GLint>(high));
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 512);
  glBindTexture(GL_TEXTURE_2D, low);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 1);
  const GLuint names[2] = {high, low};
  glDeleteTextures(2, names);
}

TEST_F(RenderKitTest, BlankTextureIsANewBlackTextureInTheChosenElement) {
  struct Case {
    int32_t size, components;
    GLenum format;
    int32_t index;
  };
  const Case cases[] = {{512, 3, GL_RGB, 0}, {64, 4, GL_RGBA, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    GLuint existing = 0;
    glGenTextures(1, &existing);
    uint32_t names[3] = {existing, existing, existing};

    kit.make_blank_texture(names, c.size, c.components, c.format, c.index);

    const GLuint made = names[c.index];
    for (int i = 0; i < 3; ++i) {
      if (i != c.index) {
        EXPECT_EQ(names[i], existing);
      }
    }
    EXPECT_NE(made, existing);
    EXPECT_NE(made, 0u);
    EXPECT_EQ(glIsTexture(made), GL_TRUE);
    GLint bound = 0, width = 0, height = 0, internal = 0, min_filter = 0, mag_filter = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), made);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag_filter);
    EXPECT_EQ(width, c.size);
    EXPECT_EQ(height, c.size);
    EXPECT_EQ(internal, c.components);  // GL reports the component count as given
    EXPECT_EQ(min_filter, GL_LINEAR);
    EXPECT_EQ(mag_filter, GL_LINEAR);

    std::vector<GLfloat> texels(static_cast<size_t>(c.size) * c.size * 4, -1.0f);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    int not_black = 0;
    for (size_t i = 0; i < texels.size(); i += 4) {
      not_black += texels[i] != 0.0f || texels[i + 1] != 0.0f || texels[i + 2] != 0.0f;
    }
    EXPECT_EQ(not_black, 0);
    const GLuint both[2] = {existing, made};
    glDeleteTextures(2, both);
  }
}

TEST_F(RenderKitTest, BlankTextureWithoutAScratchBufferCreatesNothing) {
  struct Case {
    const char* name;
    int32_t size, components;
  };
  const Case cases[] = {
      {"256 GiB", 131072, 4},
      {"beyond the address range", INT32_MAX, INT32_MAX},
      {"negative size", -512, 3},
      {"negative components", 512, -3},
  };
  const GLuint sentinel = 777;
  glBindTexture(GL_TEXTURE_2D, sentinel);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t names[1] = {sentinel};
    kit.make_blank_texture(names, c.size, c.components, GL_RGB, 0);
    EXPECT_EQ(names[0], sentinel);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sentinel);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  glDeleteTextures(1, &sentinel);
}
