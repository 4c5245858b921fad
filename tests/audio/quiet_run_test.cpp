// The whole demo under a virtual X screen with the machine's own audio
// setup (no driver chosen): on a machine without a sound card it falls back
// to the silent output without a word. It takes no arguments and has
// nothing to say, so it writes nothing at all to stdout or stderr.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string source_dir = ZARNIC_SOURCE_DIR;
const std::string demo_binary = ZARNIC_DEMO_BINARY;

std::string read_all(const std::string& path) {
  std::string text;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "(unreadable)";
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

TEST(AudioQuiet, TheDemoWritesNothingToTheTerminal) {
  struct stat st;
  if (demo_binary.empty() || ::stat(demo_binary.c_str(), &st) != 0) GTEST_SKIP() << "the zarnic binary is not built";
  const std::string stem = "/tmp/zarnic-quiet-" + std::to_string(getpid());
  // Only the demo's own streams are captured, not xvfb-run's.
  const std::string command = "cd '" + source_dir +
                              "' && env -u SDL_AUDIODRIVER timeout 90 xvfb-run -a -s '-screen 0 " +
                              "1024x768x24 -noreset' sh -c '\"" + demo_binary + "\" > " + stem + ".out 2> " + stem +
                              ".err; echo $? > " + stem + ".exit' > /dev/null 2>&1";
  const int status = std::system(command.c_str());
  const std::string out = read_all(stem + ".out");
  const std::string err = read_all(stem + ".err");
  const std::string exit_code = read_all(stem + ".exit");
  for (const char* suffix : {".out", ".err", ".exit"}) std::remove((stem + suffix).c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  EXPECT_EQ(exit_code, "1\n") << "the run ends by itself with the timer's code";
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
}

}  // namespace
