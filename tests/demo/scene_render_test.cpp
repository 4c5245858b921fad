// The frame choreography on real GL with the scripted music: which phase a
// music position draws, how the bass and the rates move the animation, and
// the GL state each phase leaves for the next frame.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "tests/support/allocation_counter.h"
#include "tests/demo/show_fixture.h"

namespace {

constexpr float bass_hit = 1.0f;
constexpr float no_bass = 0.0f;

struct Animation {
  float intro_z, sphere_spin, mesh_spin, mesh_z, fade_alpha, credits_alpha, slide_x;
};

Animation animation_now() { return {intro_z, sphere_spin, mesh_spin, mesh_z, fade_alpha, credits_alpha, slide_x}; }

struct Viewport {
  GLint x, y, width, height;
  bool operator==(const Viewport& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

void PrintTo(const Viewport& v, std::ostream* out) {
  *out << "(" << v.x << ", " << v.y << ", " << v.width << ", " << v.height << ")";
}

Viewport viewport_now() {
  GLint v[4];
  glGetIntegerv(GL_VIEWPORT, v);
  return {v[0], v[1], v[2], v[3]};
}

bool every_pixel_black() {
  const std::vector<uint8_t> rgb = show::screen_rgb();
  for (uint8_t channel : rgb) {
    if (channel != 0) return false;
  }
  return true;
}

GLint integer_state(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

// ---------------------------------------------------------------------------
// Phases by music position.

struct PhaseCase {
  double seconds;
  bool intro;
  bool main;
  bool credits;
};

void PrintTo(const PhaseCase& c, std::ostream* out) { *out << c.seconds << " s"; }

class PhaseTest : public ShowTest, public ::testing::WithParamInterface<PhaseCase> {};

TEST_P(PhaseTest, PositionAlonePicksWhatIsDrawnAndAnimated) {
  const PhaseCase c = GetParam();
  const Animation before = animation_now();
  frame_at(c.seconds, bass_hit, 0.1f);
  const Animation after = animation_now();

  EXPECT_EQ(scene.music_seconds, static_cast<float>(c.seconds));
  EXPECT_EQ(after.intro_z != before.intro_z, c.intro);
  EXPECT_EQ(after.sphere_spin != before.sphere_spin, c.main);
  EXPECT_EQ(after.mesh_spin != before.mesh_spin, c.main);
  EXPECT_EQ(after.mesh_z != before.mesh_z, c.main);
  EXPECT_EQ(after.slide_x != before.slide_x, c.main);
  EXPECT_EQ(after.fade_alpha != before.fade_alpha, c.credits);
  EXPECT_EQ(after.credits_alpha != before.credits_alpha, c.credits);

  // Only the intro leaves the band viewport; only the main phase moves to
  // the full window.
  const Viewport v = viewport_now();
  EXPECT_EQ(v.height, c.main ? 768 : 550);
  if (!c.intro && !c.main) {
    EXPECT_TRUE(every_pixel_black()) << "a frame at exactly 5 s shows only the clear";
  }
  if (c.intro) {
    // Cover (red) plus the pulse picture (green at half strength) in the
    // middle of the band, nothing outside it.
    const show::Rgb middle = show::pixel_at(512, 375);
    EXPECT_GT(middle.r, 240);
    EXPECT_NEAR(middle.g, 128, 12);
    EXPECT_LT(middle.b, 16);
    const show::Rgb below = show::pixel_at(512, 99);
    const show::Rgb above = show::pixel_at(512, 650);
    EXPECT_EQ(below.r + below.g + below.b, 0);
    EXPECT_EQ(above.r + above.g + above.b, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Timeline, PhaseTest,
                         ::testing::Values(PhaseCase{0.0, true, false, false}, PhaseCase{4.99, true, false, false},
                                           PhaseCase{5.0, false, false, false}, PhaseCase{5.01, false, true, false},
                                           PhaseCase{14.0, false, true, false}, PhaseCase{14.01, false, true, true}),
                         [](const ::testing::TestParamInfo<PhaseCase>& info) {
                           char name[32];
                           std::snprintf(name, sizeof(name), "at_%05.2f_seconds", info.param.seconds);
                           name[5] = '_';
                           return std::string(name);
                         });

// ---------------------------------------------------------------------------
// The music calls.

using SceneRenderTest = ShowTest;

TEST_F(SceneRenderTest, SamplesSpectrumThenPositionThenSecondsEveryFrame) {
  frame_at(1.0, no_bass, 0.1f);
  frame_at(6.0, no_bass, 0.1f);
  frame_at(5.0, no_bass, 0.1f);
  const scripted_music::CallLog& log = scripted_music::calls();
  EXPECT_STREQ(log.frame_calls, "DPSDPSDPS");
  EXPECT_EQ(log.last_data_handle, music_stream);
  EXPECT_EQ(log.last_position_handle, music_stream);
  EXPECT_EQ(log.last_data_length, 0x80000002u);
  EXPECT_EQ(music_position, 5u * scripted_music::bytes_per_second);
}

TEST_F(SceneRenderTest, BassIsUpOnlyStrictlyAboveFiveHundredths) {
  struct Case {
    double seconds;
    float bass;
    bool moves;
  };
  const float just_above = std::nextafter(bass_hit_level, 1.0f);
  const Case cases[] = {{2.0, 0.05f, false}, {2.0, just_above, true}, {8.0, 0.05f, false}, {8.0, just_above, true}};
  for (const Case& c : cases) {
    intro_z = initial_intro_z;
    mesh_z = initial_mesh_z;
    frame_at(c.seconds, c.bass, 0.1f);
    const bool moved = c.seconds < 5.0 ? intro_z != initial_intro_z : mesh_z != initial_mesh_z;
    EXPECT_EQ(moved, c.moves) << "bass " << c.bass << " at " << c.seconds << " s";
  }
}

TEST_F(SceneRenderTest, WithoutAMusicStreamTheIntroRunsAndNothingPulses) {
  show::reset_show_state();
  scripted_music::fail_stream_creation(true);
  show::start_show();
  for (int i = 0; i < 3; ++i) frame_at(10.0, bass_hit, 0.1f);
  EXPECT_EQ(music_stream, 0u);
  EXPECT_EQ(scene.music_seconds, 0.0f);
  EXPECT_EQ(fft_bins[0], 0.0f);
  EXPECT_EQ(intro_z, initial_intro_z);
  EXPECT_EQ(slide_x, initial_slide_x);
}

// ---------------------------------------------------------------------------
// Animation rules.

TEST_F(SceneRenderTest, MeshTakesSixDepthsPerCycleUnderSteadyBassWhateverTheFrameStep) {
  for (float frame_step : {0.0f, 0.1f, 2.5f}) {
    mesh_z = initial_mesh_z;
    std::vector<float> drawn_at;
    for (int frame = 0; frame < 18; ++frame) {
      drawn_at.push_back(mesh_z);
      frame_at(8.0, bass_hit, frame_step);
      EXPECT_LE(mesh_z, -4.0f);
    }
    const std::set<float> depths(drawn_at.begin(), drawn_at.end());
    EXPECT_EQ(depths.size(), 6u) << "frame_step " << frame_step;
    EXPECT_EQ(drawn_at[0], -5.0f);
    EXPECT_NEAR(drawn_at[1], -4.8f, 1e-6);
    EXPECT_NEAR(drawn_at[5], -4.0f, 1e-5);
    for (int frame = 6; frame < 18; ++frame) EXPECT_EQ(drawn_at[frame], drawn_at[frame - 6]);
  }
}

TEST_F(SceneRenderTest, IntroQuadSnapsBackOnlyInsideABassHit) {
  // 0.7 per hit at frame_step 0.1: -9.3, then past -9 and back to -10.
  frame_at(1.0, bass_hit, 0.1f);
  EXPECT_NEAR(intro_z, -9.3f, 1e-5);
  frame_at(1.0, bass_hit, 0.1f);
  EXPECT_EQ(intro_z, -10.0f);

  // Without a hit even a value past the limit stays as it is.
  intro_z = -8.5f;
  frame_at(1.0, no_bass, 0.1f);
  EXPECT_EQ(intro_z, -8.5f);
  frame_at(1.0, bass_hit, 0.0f);
  EXPECT_EQ(intro_z, -10.0f);

  // The main phase never moves it.
  intro_z = -9.5f;
  frame_at(8.0, bass_hit, 0.1f);
  EXPECT_EQ(intro_z, -9.5f);
}

TEST_F(SceneRenderTest, QuadsSlideUntilTheFirstFrameNotBelowZeroAndStayThrough14Seconds) {
  struct Case {
    float frame_step;
    int frames_to_stop;
  };
  // 10 x 0.1 lands exactly on 0; 10 x 0.3 steps over it to about 2.
  for (const Case c : {Case{0.1f, 13}, Case{0.3f, 5}}) {
    slide_x = initial_slide_x;
    int frames = 0;
    while (slide_x < 0.0f && frames < 1000) {
      frame_at(8.0, no_bass, c.frame_step);
      ++frames;
    }
    EXPECT_EQ(frames, c.frames_to_stop) << "frame_step " << c.frame_step;
    const float stopped_at = slide_x;
    EXPECT_GE(stopped_at, 0.0f);
    EXPECT_LT(stopped_at, 10.0f * c.frame_step);
    for (int i = 0; i < 5; ++i) frame_at(14.5, no_bass, c.frame_step);
    EXPECT_EQ(slide_x, stopped_at);
  }
}

TEST_F(SceneRenderTest, FadesRunOnPastZeroAndOneAfter14Seconds) {
  for (int i = 0; i < 20; ++i) frame_at(13.9, no_bass, 0.1f);
  EXPECT_EQ(fade_alpha, 1.0f);
  EXPECT_EQ(credits_alpha, 0.0f);

  for (int i = 0; i < 10; ++i) frame_at(14.5, no_bass, 0.1f);
  EXPECT_NEAR(fade_alpha, 1.0 - 10 * 0.3, 1e-4);
  EXPECT_NEAR(credits_alpha, 10 * 1.0, 1e-4);

  // The credits picture (blue) is at full strength once its alpha is past 1.
  const show::Rgb middle = show::pixel_at(512, 384);
  EXPECT_GE(middle.b, 250);
}

TEST_F(SceneRenderTest, SphereIIsTurnedIDegreesBehindTheSpin) {
  // The scene's spheres, recorded in feedback mode, against twelve spheres
  // drawn here with the expected matrices: same viewport, projection and
  // colour, rotated by (spin - i) about y and by spin about (1, 1, 1).
  constexpr float spin = 37.0f;
  constexpr GLsizei buffer_size = 8 << 20;
  std::vector<GLfloat> expected(buffer_size), recorded(buffer_size);

  glFeedbackBuffer(buffer_size, GL_3D_COLOR_TEXTURE, expected.data());
  glRenderMode(GL_FEEDBACK);
  glViewport(0, 0, 512, 512);
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_NONE);
  gluQuadricTexture(quadric, GL_TRUE);
  for (int i = 1; i < 25; i += 2) {
    glLoadIdentity();
    glColor4f(0.7f, 0.7f, 0.7f, 0.7f);
    glTranslatef(0.0f, 0.0f, -2.0f);
    glRotatef(spin - i, 0.0f, 1.0f, 0.0f);
    glRotatef(spin, 1.0f, 1.0f, 1.0f);
    gluSphere(quadric, 0.1 * i, 32, 32);
  }
  gluDeleteQuadric(quadric);
  const GLint expected_count = glRenderMode(GL_RENDER);
  ASSERT_GT(expected_count, 0);

  sphere_spin = spin;
  scripted_music::set_position_seconds(8.0);
  glFeedbackBuffer(buffer_size, GL_3D_COLOR_TEXTURE, recorded.data());
  glRenderMode(GL_FEEDBACK);
  show::draw_frame(0.1f);
  const GLint recorded_count = glRenderMode(GL_RENDER);
  ASSERT_GT(recorded_count, expected_count);

  int mismatches = 0;
  for (GLint k = 0; k < expected_count; ++k) {
    if (std::fabs(expected[k] - recorded[k]) > 1e-3f) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0);
}

// ---------------------------------------------------------------------------
// GL state carried from frame to frame.

TEST_F(SceneRenderTest, EachPhaseLeavesTheStateTheNextFrameDrawsIn) {
  for (int i = 0; i < 3; ++i) {
    frame_at(0.5 + i * 0.1, bass_hit, 0.1f);
    EXPECT_EQ(viewport_now(), (Viewport{0, 100, 1024, 550}));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer_state(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer_state(GL_BLEND_DST), GL_ONE);
  }

  frame_at(6.0, bass_hit, 0.1f);
  EXPECT_EQ(viewport_now(), (Viewport{0, 0, 1024, 768}));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(integer_state(GL_DEPTH_FUNC), GL_LEQUAL);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(integer_state(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(integer_state(GL_BLEND_DST), GL_ONE);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_EQ(integer_state(GL_MODELVIEW_STACK_DEPTH), 1);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_FLOAT_EQ(clear[3], 0.5f);

  // Back in the intro (the music looped): drawn in what the main phase left.
  frame_at(1.0, no_bass, 0.1f);
  EXPECT_EQ(viewport_now().height, 768);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---------------------------------------------------------------------------
// No allocation per frame.

TEST_F(SceneRenderTest, FramesAllocateNothing) {
  frame_at(1.0, bass_hit, 0.1f);
  frame_at(8.0, bass_hit, 0.1f);
  allocation_counter::start();
  for (double seconds : {1.0, 5.0, 8.0, 14.5, 2.0}) frame_at(seconds, bass_hit, 0.1f);
  EXPECT_EQ(allocation_counter::stop(), 0);
}

}  // namespace
