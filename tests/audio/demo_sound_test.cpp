// The whole demo under SDL's disk audio driver: what it sends to the device
// is the decoded music file, looped, after some silence at the start.
#include "audio/mp3_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/x_screen.h"

namespace {

const std::string source_dir = ZARNIC_SOURCE_DIR;
const std::string demo_binary = ZARNIC_DEMO_BINARY;

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<int16_t> read_samples(const std::string& path) {
  std::vector<int16_t> v;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return v;
  int16_t buf[8192];
  size_t n;
  while ((n = std::fread(buf, sizeof(int16_t), 8192, f)) > 0) v.insert(v.end(), buf, buf + n);
  std::fclose(f);
  return v;
}

TEST(DemoSound, TheDeviceGetsTheDecodedMusicFile) {
  const std::string music = source_dir + "/data/orvu.mp3";
  if (!exists(music)) GTEST_SKIP() << "no data/orvu.mp3";
  if (demo_binary.empty() || !exists(demo_binary)) GTEST_SKIP() << "the zarnic binary is not built";
  DecodedPcm decoded;
  ASSERT_TRUE(decode_mp3_file(music.c_str(), &decoded));
  if (decoded.rate != 44100 || decoded.channels != 2)
    GTEST_SKIP() << "compared bit for bit only when the file is 44.1 kHz stereo, as the device";

  const std::string capture = temp_path("demo-sound.raw");
  const std::string command = "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + shell_quoted(capture) + " timeout 90 " +
                              shell_quoted(demo_binary) + " > /dev/null 2>&1";
  const int status = run_on_x_screen(source_dir, command);
  const std::vector<int16_t> got = read_samples(capture);
  std::remove(capture.c_str());
  // It ends by itself with the seventeenth timer tick's code; not by
  // timeout or a signal.
  EXPECT_EQ(status, 1) << command;
  // The demo runs about 17 s; the device is fed all along.
  ASSERT_GT(got.size(), size_t(44100) * 2 * 10) << "too little sound was sent";

  // Where the music starts: the first sound sent, less the file's own
  // leading silence. Before it only silence.
  size_t lead = 0, own_lead = 0;
  while (lead < got.size() && got[lead] == 0) ++lead;
  while (own_lead < decoded.samples.size() && decoded.samples[own_lead] == 0) ++own_lead;
  lead -= lead % 2;
  own_lead -= own_lead % 2;
  ASSERT_GE(lead, own_lead);
  const size_t start = lead - own_lead;
  EXPECT_LT(start, size_t(44100) * 2 * 5) << "the music started late";

  // Then the file sample for sample, wrapping at its end. The last device
  // buffer may be cut short by the exit.
  const size_t end = got.size() > 2048 ? got.size() - 2048 : got.size();
  size_t mismatches = 0, first = 0;
  for (size_t i = start; i < end; ++i) {
    if (got[i] != decoded.samples[(i - start) % decoded.samples.size()] && mismatches++ == 0) first = i;
  }
  EXPECT_EQ(mismatches, 0u) << "first at " << (first - start) / 2 << " frames into the music";
  EXPECT_GT(end - start, size_t(44100) * 2 * 8) << "at least 8 s of the music";
}

}  // namespace
