// The capture clock with the real music layer: moving the clock to n / fps
// fills exactly the frames before that moment, so the position and the
// spectrum read then are those of the music at n / fps, on any machine.
#include "platform/capture/capture_clock.h"

#include "audio/band_levels.h"
#include "audio/bass.h"
#include "audio/output.h"
#include "audio/stream.h"
#include "platform/audio_output.h"
#include "tests/support/lame_encode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr int64_t second_ns = 1000000000;

// Fills seen by a bare recorder: sizes and stamps.
std::vector<int> fill_sizes;
std::vector<int64_t> fill_stamps;
void record(int16_t*, int frames, int64_t heard_at_ns) {
  fill_sizes.push_back(frames);
  fill_stamps.push_back(heard_at_ns);
}

int64_t frames_filled() {
  int64_t n = 0;
  for (int f : fill_sizes) n += f;
  return n;
}

TEST(CaptureClock, FillsEveryFrameBeforeTheMomentInChunksAndNeverGoesBack) {
  fill_sizes.clear();
  fill_stamps.clear();
  platform::capture_clock_advance_to(5 * second_ns);  // no output yet: only the clock moves
  EXPECT_EQ(platform::audio_clock_ns(), 5 * second_ns);
  ASSERT_TRUE(platform::audio_output_open(1, rate, record, nullptr));
  EXPECT_TRUE(fill_sizes.empty()) << "nothing is filled until the clock moves";

  struct Row {
    int64_t to_ns;   // after the open
    int64_t frames;  // filled in all by then
  };
  const Row rows[] = {
      {platform::capture_clock_frame_ns(1, 60), 735},      // one video frame at 60 fps
      {platform::capture_clock_frame_ns(1, 60) - 1, 735},  // backwards: nothing changes
      {platform::capture_clock_frame_ns(2, 60), 1470},
      {platform::capture_clock_frame_ns(7, 3), 102900},
      {2333356009, 102900},  // frame 102 901 is heard at 2 333 356 009.07 ns
      {2333356010, 102901},
  };
  int64_t furthest = 0;
  for (const Row& r : rows) {
    platform::capture_clock_advance_to(5 * second_ns + r.to_ns);
    furthest = std::max(furthest, r.to_ns);
    EXPECT_EQ(frames_filled(), r.frames) << r.to_ns << " ns";
    EXPECT_EQ(platform::audio_clock_ns(), 5 * second_ns + furthest) << r.to_ns << " ns";
  }
  // Chunks of at most 1024 frames, each stamped with its first frame's time.
  int64_t frame = 0;
  for (size_t i = 0; i < fill_sizes.size(); ++i) {
    EXPECT_LE(fill_sizes[i], 1024);
    EXPECT_EQ(fill_stamps[i], 5 * second_ns + frame * second_ns / rate) << "fill " << i;
    frame += fill_sizes[i];
  }
  platform::audio_output_close();
}

class CaptureMusic : public ::testing::Test {
 protected:
  void TearDown() override {
    close_output();
    forget_streams();
    std::remove(mp3_file.c_str());
  }
  std::string mp3_file = temp_path("capture.mp3");
};

TEST_F(CaptureMusic, PositionAndSpectrumAtEachVideoFrameAreThoseOfTheMusicThen) {
  const int frames = rate * 3;
  ASSERT_TRUE(write_file(mp3_file, encode_mp3(make_test_signal(frames, rate, 2), rate, 2)));
  EXPECT_EQ(BASS_Init(1, rate, 0, nullptr, nullptr), 0) << "the capture clock plays nothing";
  const HSTREAM h = BASS_StreamCreateFile(0, mp3_file.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_StreamPlay(h, 0, BASS_SAMPLE_LOOP));
  const int64_t start = platform::audio_clock_ns();
  Stream* s = stream_for_handle(h);
  ASSERT_NE(s, nullptr);

  // Each pass plays the stream from its start at a whole second after the
  // open, where a frame's time falls on the nanosecond.
  int64_t base = start;
  for (int fps : {30, 60}) {
    for (int n : {1, 7, 59, 60, 61, 150}) {
      platform::capture_clock_advance_to(base + platform::capture_clock_frame_ns(n, fps));
      const uint64_t heard_total = static_cast<uint64_t>(int64_t(n) * rate / fps);
      const uint64_t expected_frame = heard_total % frames;
      EXPECT_EQ(BASS_ChannelGetPosition(h), expected_frame * 4) << fps << " fps, frame " << n;

      // The spectrum is the analysis of the file's samples around that frame.
      float got[1024];
      ASSERT_EQ(BASS_ChannelGetData(h, got, BASS_DATA_FFT2048), 4096u);
      Hearing heard;
      heard.playing = true;
      heard.stream_frame = expected_frame;
      heard.total = heard_total;
      heard.index = s->play_start.load() + heard_total;
      float mono[spectrum_input_samples];
      heard_window(*s, heard, mono);
      float want[spectrum_bands];
      compute_spectrum(mono, want);
      for (int b = 0; b < spectrum_bands; ++b)
        ASSERT_EQ(got[b], want[b]) << fps << " fps, frame " << n << ", band " << b;
    }
    base += 10 * second_ns;
    platform::capture_clock_advance_to(base);
    ASSERT_TRUE(BASS_StreamPlay(h, 1, BASS_SAMPLE_LOOP));
  }
}

}  // namespace
