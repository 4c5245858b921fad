// The whole demo under a virtual X screen with the default data and SDL's
// dummy audio: it runs its seventeen one-second ticks and exits with the
// timer message's code, and a screenshot taken during the intro shows the
// cover inside the 550-row band and black above and below it.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int screen_width = 1024;
constexpr int screen_height = 768;
// The band viewport (0, 100, 1024, 550) in screenshot rows, counted from the top.
constexpr int band_top_row = screen_height - 100 - 550;   // 118
constexpr int band_bottom_row = screen_height - 100 - 1;  // 667

int brightest_channel(const std::vector<uint8_t>& rgb, int x, int row) {
  const uint8_t* p = &rgb[(static_cast<size_t>(row) * screen_width + x) * 3];
  int m = p[0];
  if (p[1] > m) m = p[1];
  if (p[2] > m) m = p[2];
  return m;
}

// Loads a screenshot as RGB rows, top row first; empty when unreadable.
std::vector<uint8_t> load_screenshot(const std::string& path) {
  int width = 0, height = 0, channels = 0;
  uint8_t* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (pixels == nullptr) return {};
  std::vector<uint8_t> rgb;
  if (width == screen_width && height == screen_height) {
    rgb.assign(pixels, pixels + static_cast<size_t>(width) * height * 3);
  }
  stbi_image_free(pixels);
  return rgb;
}

TEST(WholeProgram, RunsSeventeenTicksAndDrawsTheIntroInTheBand) {
  ASSERT_EQ(chdir(ZARNIC_SOURCE_DIR), 0);
  const std::string stem = "/tmp/zarnic-intro-" + std::to_string(getpid());
  const std::string exit_file = stem + ".exit";
  // Screenshots every ~0.7 s from the start; the first that shows anything
  // is taken within about a second of the first frame, while the music is
  // still far below 5 s, so it shows the intro however slow the start-up.
  constexpr int shots = 8;
  const std::string command = "SDL_AUDIODRIVER=dummy xvfb-run -a -s '-screen 0 1024x768x24 -noreset' sh -c '" ZARNIC_BINARY
                              " & pid=$!; for i in 1 2 3 4 5 6 7 8; do sleep 0.7; import -window root " +
                              stem + "-$i.png; done; wait $pid; echo $? > " + exit_file + "' > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;

  FILE* f = std::fopen(exit_file.c_str(), "r");
  ASSERT_NE(f, nullptr);
  int exit_code = -1;
  ASSERT_EQ(std::fscanf(f, "%d", &exit_code), 1);
  std::fclose(f);
  std::remove(exit_file.c_str());
  EXPECT_EQ(exit_code, 1) << "the last message taken is the seventeenth timer tick";

  std::vector<uint8_t> rgb;
  long lit_in_band = 0, lit_outside = 0;
  for (int i = 1; i <= shots; ++i) {
    const std::string shot = stem + "-" + std::to_string(i) + ".png";
    std::vector<uint8_t> candidate = load_screenshot(shot);
    std::remove(shot.c_str());
    if (candidate.empty() || !rgb.empty()) continue;
    long in_band = 0, outside = 0;
    for (int row = 0; row < screen_height; ++row) {
      const bool is_band_row = row >= band_top_row && row <= band_bottom_row;
      for (int x = 0; x < screen_width; ++x) {
        if (brightest_channel(candidate, x, row) <= 8) continue;
        (is_band_row ? in_band : outside)++;
      }
    }
    if (in_band + outside == 0) continue;  // the window is not drawn yet
    rgb.swap(candidate);
    lit_in_band = in_band;
    lit_outside = outside;
  }
  ASSERT_FALSE(rgb.empty()) << "no screenshot showed a frame";

  EXPECT_EQ(lit_outside, 0);
  EXPECT_GT(lit_in_band, static_cast<long>(screen_width) * 550 / 4);
  // The cover reaches the band's first and last rows.
  int top = 0, bottom = 0;
  for (int x = 256; x < 768; ++x) {
    top += brightest_channel(rgb, x, band_top_row);
    bottom += brightest_channel(rgb, x, band_bottom_row);
  }
  EXPECT_GT(top, 0);
  EXPECT_GT(bottom, 0);
}

}  // namespace
