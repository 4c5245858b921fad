// zarnic_capture end to end: the files it writes, read back with FFmpeg's
// decoders and compared with the offline frame renderer, the decoded music
// and each other; and how it refuses what it cannot do.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "audio/band_levels.h"
#include "audio/bass.h"
#include "audio/mp3_file.h"
#include "platform/capture/capture_clock.h"
#include "tests/capture/video_reader.h"
#include "tests/support/files.h"
#include "tools/capture/frame_clock.h"

namespace {

const std::string source_dir = ZARNIC_SOURCE_DIR;
const std::string capture_tool = ZARNIC_CAPTURE;
const std::string render_frames_tool = ZARNIC_RENDER_FRAMES;

struct Outcome {
  int status = -1;
  std::string output;  // stdout and stderr
};

Outcome run(const std::string& command) {
  Outcome result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) result.output += buffer;
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// The names in a folder, hidden ones included.
std::vector<std::string> listing(const std::string& dir) {
  std::vector<std::string> names;
  const Outcome ls = run("ls -A " + dir);
  size_t start = 0;
  for (size_t end; (end = ls.output.find('\n', start)) != std::string::npos; start = end + 1) {
    names.push_back(ls.output.substr(start, end - start));
  }
  return names;
}

Outcome capture(const std::string& args) { return run("cd " + source_dir + " && " + capture_tool + " " + args); }

DecodedPcm& music() {
  static DecodedPcm pcm;
  if (pcm.samples.empty()) decode_mp3_file((source_dir + "/data/orvu.mp3").c_str(), &pcm);
  return pcm;
}

// The music from audio frame `first` on, looping, interleaved stereo.
std::vector<int16_t> music_from(int64_t first, int64_t frames) {
  const DecodedPcm& pcm = music();
  const int64_t length = static_cast<int64_t>(pcm.frames());
  std::vector<int16_t> out;
  for (int64_t f = first; f < first + frames; ++f) {
    out.push_back(pcm.samples[(f % length) * 2]);
    out.push_back(pcm.samples[(f % length) * 2 + 1]);
  }
  return out;
}

// A PNG as RGB rows, top row first; empty on failure.
std::vector<uint8_t> read_png(const std::string& path) {
  int width = 0, height = 0, channels = 0;
  uint8_t* data = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (data == nullptr) return {};
  std::vector<uint8_t> rgb(data, data + static_cast<size_t>(width) * height * 3);
  stbi_image_free(data);
  return rgb;
}

class CaptureWhole : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.empty()); }
  TempFolder folder{"capture-test"};
  const std::string& dir = folder.path();
};

TEST_F(CaptureWhole, TwoCapturesOfTheSameTwoSecondsDecodeToIdenticalFrames) {
  // Across the start of the main phase, in the default (lossy) encoding.
  const std::string args = "--fps 5 --seconds 2 --from 4 ";
  const Outcome first = capture(args + dir + "/a.mp4");
  ASSERT_EQ(first.status, 0) << first.output;
  const Outcome second = capture(args + dir + "/b.mp4");
  ASSERT_EQ(second.status, 0) << second.output;
  EXPECT_NE(first.output.find("a.mp4: 2.00 s (10 frames at 5 fps)"), std::string::npos) << first.output;

  DecodedVideo a, b;
  std::string error;
  ASSERT_TRUE(read_video(dir + "/a.mp4", &a, &error)) << error;
  ASSERT_TRUE(read_video(dir + "/b.mp4", &b, &error)) << error;
  EXPECT_EQ(a.video_codec, "h264");
  EXPECT_EQ(a.audio_codec, "aac");
  EXPECT_EQ(a.width, 1024);
  EXPECT_EQ(a.height, 768);
  EXPECT_DOUBLE_EQ(a.fps, 5.0);
  ASSERT_EQ(a.frames.size(), 10u);
  ASSERT_EQ(b.frames.size(), 10u);
  for (size_t i = 0; i < a.frames.size(); ++i) EXPECT_TRUE(a.frames[i] == b.frames[i]) << "frame " << i;
  EXPECT_TRUE(a.audio == b.audio);

  // The AAC track is the music from 4 s on: close enough at zero lag.
  ASSERT_GE(a.audio.size(), 2u * 44100 * 2 - 2 * 1024);
  const std::vector<int16_t> expected = music_from(4 * 44100, 2 * 44100);
  double xy = 0, xx = 0, yy = 0;
  for (size_t i = 0; i < expected.size() && i < a.audio.size(); ++i) {
    xy += double(a.audio[i]) * expected[i];
    xx += double(a.audio[i]) * a.audio[i];
    yy += double(expected[i]) * expected[i];
  }
  EXPECT_GT(xy / std::sqrt(xx * yy), 0.99);
}

TEST_F(CaptureWhole, TheFinishedFileHasTheModeTheUmaskGivesANewFile) {
  struct Case {
    const char* umask;
    mode_t mode;
  };
  for (const Case c : {Case{"022", 0644}, Case{"027", 0640}}) {
    const std::string out = dir + "/mode" + c.umask + ".mp4";
    const Outcome o = run(std::string("umask ") + c.umask + " && cd " + source_dir + " && " + capture_tool +
                          " --fps 1 --seconds 1 " + out);
    ASSERT_EQ(o.status, 0) << o.output;
    struct stat st;
    ASSERT_EQ(stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.mode) << "umask " << c.umask;
  }
}

TEST_F(CaptureWhole, LosslessFramesEqualTheFrameRenderersAndTheTrackTheMusic) {
  // Five frames at 10 fps across the start of the main phase, with a fixed
  // step; the frame renderer draws the same moments with the bass the music
  // has then.
  const int fps = 10;
  const double from = 4.8;
  const int frames = 5;
  const char* step = "0.15";
  const Outcome made = capture("--lossless --fps 10 --seconds 0.5 --from 4.8 --frame-step 0.15 " + dir + "/l.mp4");
  ASSERT_EQ(made.status, 0) << made.output;

  // The bass of each frame as the capture saw it: the music layer on the
  // capture clock, in this process.
  ASSERT_EQ(chdir(source_dir.c_str()), 0);
  BASS_Init(1, 44100, 0, nullptr, nullptr);
  const HSTREAM stream = BASS_StreamCreateFile(0, "data/orvu.mp3", 0, 0, 0);
  ASSERT_NE(stream, 0u);
  BASS_StreamPlay(stream, 0, BASS_SAMPLE_LOOP);
  std::string moments;
  const capture::FrameClock clock{fps, from};
  for (int n = 0; n < frames; ++n) {
    platform::capture_clock_advance_to(capture::frame_time_ns(clock, n));
    float bins[1024];
    BASS_ChannelGetData(stream, bins, BASS_DATA_FFT2048);
    char moment[64];
    std::snprintf(moment, sizeof moment, " %.1f:%.9g@0/%s", from + 0.1 * n, bins[0], step);
    moments += moment;
  }
  const Outcome rendered = run(render_frames_tool + " --data " + source_dir + " --out " + dir + moments);
  ASSERT_EQ(rendered.status, 0) << rendered.output;

  DecodedVideo video;
  std::string error;
  ASSERT_TRUE(read_video(dir + "/l.mp4", &video, &error)) << error;
  EXPECT_EQ(video.audio_codec, "alac");
  ASSERT_EQ(video.frames.size(), static_cast<size_t>(frames));
  for (int n = 0; n < frames; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%03d.png", n);
    const std::vector<uint8_t> expected = read_png(dir + name);
    ASSERT_EQ(expected.size(), video.frames[n].size()) << name;
    size_t differing = 0;
    for (size_t i = 0; i < expected.size(); ++i) differing += expected[i] != video.frames[n][i];
    EXPECT_EQ(differing, 0u) << "frame " << n << " against render_frames" << moments;
  }
  // The frame at exactly 5.0 s shows neither phase: only the cleared frame.
  size_t lit = 0;
  for (const uint8_t channel : video.frames[2]) lit += channel != 0;
  EXPECT_EQ(lit, 0u);
  // The track: the music from 4.8 s on, sample for sample.
  EXPECT_TRUE(video.audio == music_from(48 * 44100 / 10, 44100 / 2)) << video.audio.size() << " samples";
}

TEST_F(CaptureWhole, TrackLoopsWithTheMusicSampleForSample) {
  // Half a second either side of the music's loop point.
  const int64_t length = static_cast<int64_t>(music().frames());
  ASSERT_GT(length, 44100);
  const int64_t first = length - 44100 / 2;
  char from[32];
  std::snprintf(from, sizeof from, "%.6f", static_cast<double>(first) / 44100);
  const Outcome made = capture(std::string("--lossless --fps 4 --seconds 1 --from ") + from + " " + dir + "/loop.mp4");
  ASSERT_EQ(made.status, 0) << made.output;
  DecodedVideo video;
  std::string error;
  ASSERT_TRUE(read_video(dir + "/loop.mp4", &video, &error)) << error;
  EXPECT_EQ(video.frames.size(), 4u);
  EXPECT_TRUE(video.audio == music_from(first, 44100)) << video.audio.size() << " samples";
}

TEST_F(CaptureWhole, BadInputFailsWithAReasonAndLeavesNoFile) {
  const std::string plain_file = dir + "/plain";
  std::ofstream(plain_file) << "not a folder";
  mkdir((dir + "/folder").c_str(), 0755);
  struct Case {
    std::string args;
    int status;
    const char* reason;
  };
  const Case cases[] = {
      {"--fps 0 " + dir + "/x.mp4", 2, "--fps"},
      {"--fps -5 " + dir + "/x.mp4", 2, "--fps"},
      {"--seconds -1 " + dir + "/x.mp4", 2, "--seconds"},
      {"--louder " + dir + "/x.mp4", 2, "unknown option '--louder'"},
      {"", 2, "no output file"},
      {"/no/such/folder/x.mp4", 1, "cannot write in '/no/such/folder'"},
      {plain_file + "/x.mp4", 1, "cannot write in"},
      {"/proc/x.mp4", 1, "cannot write in '/proc': its file system takes no new files"},
      {dir + "/folder", 1, "is a folder"},
      {dir + "/folder/", 1, "names a folder"},
  };
  for (const Case& c : cases) {
    const Outcome r = capture("--fps 2 --seconds 0.5 " + c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.reason), std::string::npos) << c.args << "\n" << r.output;
    if (c.status == 2) {
      EXPECT_NE(r.output.find("usage: zarnic_capture"), std::string::npos) << r.output;
    }
  }
  const std::vector<std::string> left = listing(dir);
  EXPECT_EQ(left, (std::vector<std::string>{"folder", "plain"}));
  EXPECT_TRUE(listing(dir + "/folder").empty());
}

TEST_F(CaptureWhole, MissingAndBrokenDataAreNamedAndTheShowRendersWithoutThem) {
  ASSERT_EQ(run("cp -r " + source_dir + "/data " + dir + "/data").status, 0);
  ASSERT_EQ(unlink((dir + "/data/c.jpg").c_str()), 0);
  std::ofstream(dir + "/data/credits.jpg", std::ios::trunc) << "not a picture";
  std::ofstream(dir + "/data/orvu.mp3", std::ios::trunc) << "not music";
  const Outcome r = run("cd " + dir + " && " + capture_tool + " --fps 2 --seconds 1 show.mp4");
  EXPECT_EQ(r.status, 0) << r.output;
  for (const char* element : {"warning: data/c.jpg", "warning: data/credits.jpg", "warning: data/orvu.mp3"}) {
    EXPECT_NE(r.output.find(element), std::string::npos) << element << "\n" << r.output;
  }
  EXPECT_EQ(r.output.find("data/cover.jpg"), std::string::npos) << r.output;
  DecodedVideo video;
  std::string error;
  ASSERT_TRUE(read_video(dir + "/show.mp4", &video, &error)) << error;
  EXPECT_EQ(video.frames.size(), 2u);
  // Without its music the show is silent.
  for (const int16_t sample : video.audio) ASSERT_EQ(sample, 0);
}

TEST_F(CaptureWhole, AnInterruptedCaptureLeavesNoFile) {
  // Long enough that the signal comes while frames are being drawn. A job
  // the shell starts in the background ignores SIGINT until the tool puts
  // its own handler in place, which on a busy machine can come after 2 s, so
  // the signal is sent again each second until the tool has ended (a child
  // not yet waited for stays as a zombie, which kill would still reach).
  const Outcome r =
      run("cd " + source_dir + " && (" + capture_tool + " --fps 30 --seconds 60 " + dir +
          "/long.mp4 & pid=$!; sleep 2; while ps -o stat= -p $pid | grep -qv Z; do kill -INT $pid; sleep 1; done; "
          "wait $pid)");
  EXPECT_NE(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("interrupted"), std::string::npos) << r.output;
  EXPECT_TRUE(listing(dir).empty());
}

}  // namespace
