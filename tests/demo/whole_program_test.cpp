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
constexpr int band_top_row = screen_height - 100 - 550;  // 118
constexpr int band_bottom_row = screen_height - 100 - 1;  // 667

int brightest_channel(const std::vector<uint8_t>& rgb, int x, int row) {
  const uint8_t* p = &rgb[(static_cast<size_t>(row) * screen_width + x) * 3];
  int m = p[0];
  if (p[1] > m) m = p[1];
  if (p[2] > m) m = p[2];
  return m;
}

TEST(WholeProgram, RunsSeventeenTicksAndDrawsTheIntroInTheBand) {
  ASSERT_EQ(chdir(ZARNIC_SOURCE_DIR), 0);
  const std::string shot = "/tmp/zarnic-intro-" + std::to_string(getpid()) + ".png";
  const std::string exit_file = shot + ".exit";
  // The intro runs while the music is below 5 s; the screenshot is taken
  // 3 s after start, well inside it.
  const std::string command =
      "SDL_AUDIODRIVER=dummy xvfb-run -a -s '-screen 0 1024x768x24' sh -c '" ZARNIC_BINARY
      " & pid=$!; sleep 3; import -window root " +
      shot + "; wait $pid; echo $? > " + exit_file + "' > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;

  FILE* f = std::fopen(exit_file.c_str(), "r");
  ASSERT_NE(f, nullptr);
  int exit_code = -1;
  ASSERT_EQ(std::fscanf(f, "%d", &exit_code), 1);
  std::fclose(f);
  std::remove(exit_file.c_str());
  EXPECT_EQ(exit_code, 1) << "the last message taken is the seventeenth timer tick";

  int width = 0, height = 0, channels = 0;
  uint8_t* pixels = stbi_load(shot.c_str(), &width, &height, &channels, 3);
  ASSERT_NE(pixels, nullptr) << shot;
  const std::vector<uint8_t> rgb(pixels, pixels + static_cast<size_t>(width) * height * 3);
  stbi_image_free(pixels);
  ASSERT_EQ(width, screen_width);
  ASSERT_EQ(height, screen_height);

  long lit_in_band = 0, lit_outside = 0;
  for (int row = 0; row < screen_height; ++row) {
    const bool in_band = row >= band_top_row && row <= band_bottom_row;
    for (int x = 0; x < screen_width; ++x) {
      if (brightest_channel(rgb, x, row) <= 8) continue;
      (in_band ? lit_in_band : lit_outside)++;
    }
  }
  EXPECT_EQ(lit_outside, 0);
  EXPECT_GT(lit_in_band, static_cast<long>(screen_width) * 550 / 4);
  // The cover fills the band from its first row to its last in the middle.
  int top = 0, bottom = 0;
  for (int x = 256; x < 768; ++x) {
    top += brightest_channel(rgb, x, band_top_row);
    bottom += brightest_channel(rgb, x, band_bottom_row);
  }
  EXPECT_GT(top, 0);
  EXPECT_GT(bottom, 0);
  if (!::testing::Test::HasFailure()) std::remove(shot.c_str());
}

}  // namespace
