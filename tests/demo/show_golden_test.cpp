// Three moments of the show with the default data, compared with the
// pictures in docs/show. The tolerance absorbs rounding differences between
// Mesa builds and CPUs, not a moved, missing or recoloured element.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "tools/render_frames/show_harness.h"

Mesh* demo_mesh = nullptr;
Scene scene;

namespace {

// The same moments, in the same order, as the render_frames command in
// docs/show/README.md.
struct Moment {
  const char* picture;
  double seconds;
  float bass;
  int warmup;
  float frame_step;
};
const Moment moments[] = {
    {"intro_pulse.png", 2.0, 0.5f, 1, 0.1f},
    {"main_slid_in.png", 10.0, 0.0f, 9, 0.15f},
    {"credits.png", 14.5, 0.0f, 1, 0.15f},
};

// A pixel differs when one of its channels is off by more than this.
constexpr int channel_tolerance = 24;
constexpr double max_differing_share = 0.005;
constexpr double max_mean_channel_difference = 1.0;

TEST(ShowGolden, MomentsMatchThePicturesInDocsShow) {
  const std::string source_dir = ZARNIC_SOURCE_DIR;
  ASSERT_EQ(chdir(source_dir.c_str()), 0);
  demo_mesh = new Mesh("data/obj.b3df");
  ASSERT_TRUE(show::open_offscreen_window());
  show::reset_show_state();
  show::start_show();

  for (const Moment& m : moments) {
    scripted_music::set_position_seconds(m.seconds);
    scripted_music::set_bass(m.bass);
    for (int i = 0; i <= m.warmup; ++i) show::draw_frame(m.frame_step);
    const std::vector<uint8_t> actual = show::screen_rgb();

    int width = 0, height = 0;
    const std::vector<uint8_t> expected = show::read_png(source_dir + "/docs/show/" + m.picture, &width, &height);
    ASSERT_EQ(width, show::screen_width) << m.picture;
    ASSERT_EQ(height, show::screen_height) << m.picture;

    long differing = 0;
    double total = 0.0;
    for (size_t p = 0; p < actual.size(); p += 3) {
      int worst = 0;
      for (size_t c = 0; c < 3; ++c) {
        const int d = std::abs(actual[p + c] - expected[p + c]);
        total += d;
        if (d > worst) worst = d;
      }
      if (worst > channel_tolerance) ++differing;
    }
    const double pixels = static_cast<double>(actual.size() / 3);
    EXPECT_LE(differing / pixels, max_differing_share) << m.picture;
    EXPECT_LE(total / actual.size(), max_mean_channel_difference) << m.picture;
    if (::testing::Test::HasFailure()) {
      show::write_png(std::string("/tmp/zarnic-actual-") + m.picture, actual, show::screen_width, show::screen_height);
    }
  }
}

}  // namespace
