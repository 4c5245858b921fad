// The real music layer on the capture clock, as zarnic_capture drives it:
// the spectrum is the layer's own analysis of the samples heard at the
// clock's time, the position puts the phase boundaries on the expected
// frames, and what the output is filled with is the decoded file, looping.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/band_levels.h"
#include "audio/bass.h"
#include "audio/mp3_file.h"
#include "platform/capture/capture_clock.h"
#include "tools/capture/frame_clock.h"

namespace {

constexpr int rate = 44100;

std::vector<int16_t> heard;
void record(const int16_t* frames, int count, int64_t) { heard.insert(heard.end(), frames, frames + count * 2); }

// The layer's window over the decoded file: 1024 frames centred on `frame`,
// mixed to mono, silence before the start of the first play.
void expected_spectrum(const DecodedPcm& pcm, int64_t frame, float* bands) {
  const int64_t length = static_cast<int64_t>(pcm.frames());
  float mono[spectrum_input_samples];
  for (int i = 0; i < spectrum_input_samples; ++i) {
    const int64_t f = frame - spectrum_input_samples / 2 + i;
    if (f < 0) {
      mono[i] = 0.0f;
      continue;
    }
    const int64_t at = f % length;
    mono[i] = static_cast<float>(pcm.samples[at * 2] + pcm.samples[at * 2 + 1]) / (32768.0f * 2);
  }
  compute_spectrum(mono, bands);
}

class CaptureMusic : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(chdir(ZARNIC_SOURCE_DIR), 0);
    ASSERT_TRUE(decode_mp3_file("data/orvu.mp3", &music));
    ASSERT_EQ(music.rate, rate);
    ASSERT_EQ(music.channels, 2);
    platform::capture_clock_listen(record);
    BASS_Init(1, rate, 0, nullptr, nullptr);
    stream = BASS_StreamCreateFile(0, "data/orvu.mp3", 0, 0, 0);
    ASSERT_NE(stream, 0u);
    BASS_StreamPlay(stream, 0, BASS_SAMPLE_LOOP);
  }

  static float seconds_heard() {
    float bins[1024];
    BASS_ChannelGetData(stream, bins, BASS_DATA_FFT2048);
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
  }

  static DecodedPcm music;
  static HSTREAM stream;
};
DecodedPcm CaptureMusic::music;
HSTREAM CaptureMusic::stream = 0;

// The clock only moves forward: run in one process, the tests go in the
// order written and each moves it further on.
TEST_F(CaptureMusic, PhaseBoundariesFallOnTheExpectedFrames) {
  struct Probe {
    int fps;
    double boundary;
    int64_t offset;  // frames from the boundary frame
  };
  std::vector<Probe> probes;
  for (const int fps : {30, 60}) {
    for (const double boundary : {5.0, 14.0}) {
      for (const int64_t offset : {-1, 0, 1}) probes.push_back({fps, boundary, offset});
    }
  }
  auto time_of = [](const Probe& p) {
    const capture::FrameClock clock{p.fps, 0.0};
    return capture::frame_time_ns(clock, capture::first_frame_at_or_after(clock, p.boundary) + p.offset);
  };
  std::stable_sort(probes.begin(), probes.end(),
                   [&](const Probe& a, const Probe& b) { return time_of(a) < time_of(b); });
  for (const Probe& p : probes) {
    platform::capture_clock_advance_to(time_of(p));
    const float seconds = seconds_heard();
    const char* where = p.offset < 0 ? "before" : p.offset == 0 ? "on" : "after";
    if (p.offset < 0) {
      EXPECT_LT(seconds, p.boundary) << p.fps << " fps, frame " << where << " " << p.boundary;
    } else if (p.offset == 0) {
      EXPECT_EQ(seconds, static_cast<float>(p.boundary)) << p.fps << " fps, frame " << where << " " << p.boundary;
    } else {
      EXPECT_GT(seconds, p.boundary) << p.fps << " fps, frame " << where << " " << p.boundary;
    }
  }
}

TEST_F(CaptureMusic, SpectrumIsTheLayersAnalysisOfTheSamplesHeardThen) {
  const double length_seconds = static_cast<double>(music.frames()) / rate;
  // Within the first play, and past the loop point, where the window spans
  // the end and the start of the file.
  const double moments[] = {14.5, 15.25, 16.0, length_seconds + 0.005, length_seconds + 2.0};
  for (const double t : moments) {
    const int64_t ns = static_cast<int64_t>(t * 1e9);
    platform::capture_clock_advance_to(ns);
    float actual[1024];
    ASSERT_NE(BASS_ChannelGetData(stream, actual, BASS_DATA_FFT2048), 0u);
    float expected[spectrum_bands];
    expected_spectrum(music, ns * rate / 1000000000, expected);
    for (int k = 0; k < spectrum_bands; ++k) {
      ASSERT_NEAR(actual[k], expected[k], 1e-6f) << "band " << k << " at " << t << " s";
    }
  }
}

TEST_F(CaptureMusic, OutputIsFilledWithTheDecodedFileLooping) {
  // Everything heard from the start to past the loop point.
  const int64_t length = static_cast<int64_t>(music.frames());
  platform::capture_clock_advance_to((length / rate + 3) * 1000000000);
  const int64_t frames = static_cast<int64_t>(heard.size() / 2);
  ASSERT_GT(frames, length);
  int64_t differing = 0;
  for (int64_t f = 0; f < frames; ++f) {
    const int64_t at = f % length;
    if (heard[f * 2] != music.samples[at * 2] || heard[f * 2 + 1] != music.samples[at * 2 + 1]) ++differing;
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
