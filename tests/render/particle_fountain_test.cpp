// The fountain's generator, its reset, one pass of drawing and advancing, and
// the accumulated placement of the 80 squares, on real offscreen GL.
#include "render/particle_fountain.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/render/gl_fixture.h"

namespace {

// Exact equality, component by component: the fountain's arithmetic is
// single precision, and the expected values are what it must produce.
void expect_xyz(const Vec3f& v, float x, float y, float z) {
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.z, z);
}

constexpr int count = ParticleFountain::particle_count;
const double pi = std::acos(-1.0);

// The first draws of the generator from its starting state 1.
constexpr int first_draws[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};

// The same recurrence as an independent oracle for longer runs.
struct ReferenceGenerator {
  uint32_t state;
  int next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
};

// Eye coordinates: x and y shift by 100 into window space, and window depth
// is -z / 1000, so every square from z -54 to -844 is inside the volume.
void set_eye_view() {
  glViewport(0, 0, 200, 200);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-100, 100, -100, 100, 0, 1000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

struct Square {
  float cx, cy, cz;
  std::vector<FeedbackVertex> vertices;
};

// Groups the emitted vertices by depth: each particle draws at its own depth.
std::vector<Square> squares_from(const std::vector<FeedbackVertex>& vertices) {
  std::vector<Square> squares;
  for (const FeedbackVertex& v : vertices) {
    const float z = -1000.0f * v.z;
    if (squares.empty() || std::fabs(squares.back().cz - z) > 0.5f) {
      squares.push_back({0, 0, z, {}});
    }
    squares.back().vertices.push_back(v);
  }
  for (Square& s : squares) {
    float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f;
    for (const FeedbackVertex& v : s.vertices) {
      min_x = std::min(min_x, v.x - 100.0f);
      max_x = std::max(max_x, v.x - 100.0f);
      min_y = std::min(min_y, v.y - 100.0f);
      max_y = std::max(max_y, v.y - 100.0f);
    }
    s.cx = (min_x + max_x) / 2;
    s.cy = (min_y + max_y) / 2;
  }
  return squares;
}

// Particles that can be told apart, none near respawning.
void fill_distinct(ParticleFountain& fountain) {
  for (int k = 0; k < count; ++k) {
    const float f = static_cast<float>(k);
    fountain.particles[k] = {{0.25f * f, -0.5f * f, 0.75f * f},
                             {1.0f + f, 2.0f - f, 0.5f * f},
                             {0.02f * f, -0.03f, 0.01f},
                             1.0f + f,
                             2.0f + 0.001f * f};
  }
}

class ParticleFountainTest : public RenderGlTest {
 protected:
  void SetUp() override {
    RenderGlTest::SetUp();
    random_state = 1;
    spin_angle = 0.0f;
  }
  ParticleFountain fountain{};
};

}  // namespace

TEST(RandomGenerator, DrawsTheFixedSequenceFromStateOneWithinFifteenBits) {
  random_state = 1;
  for (int expected : first_draws) EXPECT_EQ(random_draw(), expected);
  int low = 32767, high = 0;
  for (int i = 0; i < 200000; ++i) {
    const int r = random_draw();
    low = std::min(low, r);
    high = std::max(high, r);
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 32767);
}

TEST(RandomGenerator, StartsAtStateOneAndSpinAtZeroWithoutSeeding) {
  // Only meaningful as the first thing a process does, which is how ctest
  // runs each test; in a full run earlier tests have moved both.
  if (testing::UnitTest::GetInstance()->test_to_run_count() != 1) {
    GTEST_SKIP() << "run on its own to see the process's starting state";
  }
  EXPECT_EQ(spin_angle, 0.0f);
  EXPECT_EQ(random_draw(), first_draws[0]);
}

TEST_F(ParticleFountainTest, ResetTakesEightyDrawsEachTimeAndLeavesPositions) {
  fill_distinct(fountain);
  ReferenceGenerator reference{1};
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    fountain.reset();
    for (int k = 0; k < count; ++k) {
      const Particle& p = fountain.particles[k];
      const float f = static_cast<float>(k);
      expect_xyz(p.position, 0.25f * f, -0.5f * f, 0.75f * f);
      EXPECT_EQ(p.life, 1.0f);
      EXPECT_EQ(p.fade, static_cast<float>((reference.next() % 100) / 1000.0 + 2.0));
      expect_xyz(p.velocity, 0.0f, 0.02f, 0.0f);
      expect_xyz(p.acceleration, 0.0f, 0.02f, 0.0f);
    }
    EXPECT_EQ(random_state, reference.state);
  }
}

TEST_F(ParticleFountainTest, EachSquareSitsAtTheAccumulatedRotationAndDepth) {
  fountain.reset();  // every position is still zero
  spin_angle = 30.0f;
  const float frame_step = 2.0f;
  set_eye_view();
  glColor4f(0.2f, 0.3f, 0.4f, 0.5f);

  const std::vector<Square> squares = squares_from(feedback([&] { fountain.update_and_draw(frame_step); }));

  ASSERT_EQ(squares.size(), static_cast<size_t>(count));
  float spin = 30.0f;
  double angle_sum = 0.0;
  for (int k = 0; k < count; ++k) {
    SCOPED_TRACE(k);
    angle_sum += spin;
    spin = static_cast<float>(spin + frame_step * 0.05);
    const double a = angle_sum * pi / 180.0;
    const Square& s = squares[k];
    EXPECT_NEAR(s.cx, -2.0 * std::cos(a), 2e-3);
    EXPECT_NEAR(s.cy, -2.0 * std::sin(a), 2e-3);
    EXPECT_NEAR(s.cz, -54.0 - 10.0 * k, 2e-3);
    // Undo the rotation: each corner is 5 units off the centre, with s and t
    // 1 on the right and top edges and 0 on the left and bottom.
    for (const FeedbackVertex& v : s.vertices) {
      const double dx = v.x - 100.0 - s.cx, dy = v.y - 100.0 - s.cy;
      const double local_x = dx * std::cos(a) + dy * std::sin(a);
      const double local_y = -dx * std::sin(a) + dy * std::cos(a);
      EXPECT_NEAR(std::fabs(local_x), 5.0, 2e-3);
      EXPECT_NEAR(std::fabs(local_y), 5.0, 2e-3);
      EXPECT_EQ(v.s, local_x > 0 ? 1.0f : 0.0f);
      EXPECT_EQ(v.t, local_y > 0 ? 1.0f : 0.0f);
      EXPECT_EQ(v.r, 1.0f);
      EXPECT_EQ(v.a, 1.0f);
    }
  }
  EXPECT_EQ(spin_angle, spin);

  // The matrix keeps all 80 rotations and translations; colour and blending
  // stay as the last particle set them.
  const auto m = modelview();
  const double total = angle_sum * pi / 180.0;
  EXPECT_NEAR(m[0], std::cos(total), 1e-4);
  EXPECT_NEAR(m[1], std::sin(total), 1e-4);
  EXPECT_NEAR(m[14], -800.0, 1e-3);
  GLfloat colour[4] = {0, 0, 0, 0};
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 1.0f);
  EXPECT_EQ(colour[3], 1.0f);
  EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);
}

TEST_F(ParticleFountainTest, ZeroStepDrawsAllEightyAndChangesNothing) {
  fountain.reset();
  fountain.particles[3].life = 0.0f;
  fountain.particles[7].life = 1e-30f;
  spin_angle = 12.5f;
  const ParticleFountain before = fountain;
  const uint32_t state = random_state;
  set_eye_view();

  const std::vector<Square> squares = squares_from(feedback([&] { fountain.update_and_draw(0); }));

  EXPECT_EQ(squares.size(), static_cast<size_t>(count));
  EXPECT_EQ(std::memcmp(&before, &fountain, sizeof fountain), 0);
  EXPECT_EQ(random_state, state);
  EXPECT_EQ(spin_angle, 12.5f);
}

TEST_F(ParticleFountainTest, OneStepMovesWithTheOldVelocityThenAccelerates) {
  fill_distinct(fountain);
  Particle& p = fountain.particles[0];
  p = {{0.5f, 0.0f, -1.0f}, {1.0f, 2.0f, 3.0f}, {10.0f, 20.0f, 30.0f}, 1.0f, 1.5f};

  fountain.update_and_draw(0.5f);

  expect_xyz(p.position, 1.0f, 1.0f, 0.5f);
  expect_xyz(p.velocity, 6.0f, 12.0f, 18.0f);
  EXPECT_EQ(p.acceleration.x, 10.0f);
  EXPECT_EQ(p.life, 0.25f);
  EXPECT_EQ(p.fade, 1.5f);
  EXPECT_EQ(random_state, 1u);
  EXPECT_NEAR(spin_angle, 2.0f, 1e-5f);  // 80 particles x 0.5 x 0.05
}

TEST_F(ParticleFountainTest, RespawnsOnlyBelowZeroLifeTakingFourDraws) {
  struct Case {
    const char* name;
    float life, fade, frame_step;
    bool respawns;
  };
  const Case cases[] = {
      {"life lands exactly on 0", 1.0f, 2.0f, 0.5f, false},
      {"life already 0, zero step", 0.0f, 2.0f, 0.0f, false},
      {"life 0 then a step", 0.0f, 2.0f, 0.25f, true},
      {"just below 0", 1.0f, 2.0f, 0.50001f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    fill_distinct(fountain);
    for (Particle& other : fountain.particles) other.fade = 0.0f;
    Particle& p = fountain.particles[0];
    p = {{1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}, {0.5f, 0.25f, 0.125f}, c.life, c.fade};
    const Particle old = p;

    glLoadIdentity();
    fountain.update_and_draw(c.frame_step);

    const double step = c.frame_step;
    EXPECT_EQ(p.position.x, static_cast<float>(old.position.x + step * old.velocity.x));
    EXPECT_EQ(p.position.z, static_cast<float>(old.position.z + step * old.velocity.z));
    EXPECT_EQ(p.acceleration.x, old.acceleration.x);
    if (c.respawns) {
      // Draws 41, 18467, 6334 and 26500 from state 1, in that order.
      ReferenceGenerator four_draws{1};
      for (int i = 0; i < 4; ++i) four_draws.next();
      EXPECT_EQ(random_state, four_draws.state);
      EXPECT_EQ(p.life, 1.0f);
      EXPECT_EQ(p.fade, 2.041f);
      expect_xyz(p.velocity, 15.0f, 4.0f, 10.0f);
    } else {
      EXPECT_EQ(random_state, 1u);
      EXPECT_EQ(p.life, 0.0f);
      EXPECT_EQ(p.velocity.x, static_cast<float>(old.velocity.x + step * old.acceleration.x));
    }
  }
}

TEST_F(ParticleFountainTest, RespawnedVelocitiesAreWholeNumbersInTheirRanges) {
  fountain.reset();
  int low[3] = {100, 100, 100}, high[3] = {-100, -100, -100};
  float low_fade = 10.0f, high_fade = 0.0f;
  for (int call = 0; call < 300; ++call) {
    glLoadIdentity();
    fountain.update_and_draw(1.0f);  // a life of 1 at a fade of 2 or more ends every call
    for (const Particle& p : fountain.particles) {
      ASSERT_EQ(p.life, 1.0f);
      const float v[3] = {p.velocity.x, p.velocity.y, p.velocity.z};
      for (int axis = 0; axis < 3; ++axis) {
        ASSERT_EQ(v[axis], std::floor(v[axis]));
        low[axis] = std::min(low[axis], static_cast<int>(v[axis]));
        high[axis] = std::max(high[axis], static_cast<int>(v[axis]));
      }
      low_fade = std::min(low_fade, p.fade);
      high_fade = std::max(high_fade, p.fade);
    }
  }
  EXPECT_EQ(low[0], -32);
  EXPECT_EQ(high[0], 27);
  EXPECT_EQ(low[1], -30);
  EXPECT_EQ(high[1], 29);
  EXPECT_EQ(low[2], -30);
  EXPECT_EQ(high[2], 29);
  EXPECT_EQ(low_fade, 2.0f);
  EXPECT_EQ(high_fade, 2.099f);
}
