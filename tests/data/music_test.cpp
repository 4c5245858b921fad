// The committed music, decoded the way the demo decodes it: its length, its
// seamless loop, its sections, and the kick that drives the bass pulses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "audio/mp3_file.h"
#include "audio/band_levels.h"
#include "tests/data/data_files.h"

namespace {

constexpr int sample_rate = 44100;
constexpr long beat_samples = sample_rate / 2;  // 120 bpm
constexpr int beat_count = 60;
constexpr float bass_threshold = 0.05f;

class DecodedMusic : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    decoded_ok = decode_mp3_file(data_path("orvu.mp3").c_str(), &pcm);
    mono.resize(pcm.frames());
    for (size_t i = 0; i < mono.size() && pcm.channels == 2; ++i)
      mono[i] = (pcm.samples[2 * i] + pcm.samples[2 * i + 1]) / 65536.0f;
  }

  // Element 0 of the spectrum of the 1024 samples centred on frame centre,
  // read around the loop as the demo plays it.
  static float lowest_band(long centre) {
    float window[spectrum_input_samples];
    float bands[spectrum_bands];
    const long n = static_cast<long>(mono.size());
    for (int i = 0; i < spectrum_input_samples; ++i)
      window[i] = mono[((centre - spectrum_input_samples / 2 + i) % n + n) % n];
    compute_spectrum(window, bands);
    return bands[0];
  }

  static double rms(double from_s, double to_s) {
    double sum = 0.0;
    const long a = static_cast<long>(from_s * sample_rate), b = static_cast<long>(to_s * sample_rate);
    for (long i = a; i < b; ++i) sum += mono[i] * mono[i];
    return std::sqrt(sum / (b - a));
  }

  static bool decoded_ok;
  static DecodedPcm pcm;
  static std::vector<float> mono;
};

bool DecodedMusic::decoded_ok = false;
DecodedPcm DecodedMusic::pcm;
std::vector<float> DecodedMusic::mono;

TEST_F(DecodedMusic, IsThirtySecondsOfStereoAt44100WithoutEncoderGaps) {
  ASSERT_TRUE(decoded_ok);
  EXPECT_EQ(pcm.rate, sample_rate);
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_EQ(pcm.frames(), static_cast<size_t>(beat_samples * beat_count));
}

TEST_F(DecodedMusic, LoopsWithoutAJumpAtTheSeam) {
  ASSERT_TRUE(decoded_ok);
  // The step from the last frame to the first is no bigger than the
  // ordinary steps just before the end.
  for (int c = 0; c < 2; ++c) {
    const size_t n = pcm.frames();
    int largest_step = 0;
    for (size_t i = n - 2000; i + 1 < n; ++i)
      largest_step = std::max(largest_step, std::abs(pcm.samples[2 * (i + 1) + c] - pcm.samples[2 * i + c]));
    const int seam = std::abs(pcm.samples[c] - pcm.samples[2 * (n - 1) + c]);
    EXPECT_LE(seam, largest_step + 200) << "channel " << c;
  }
}

TEST_F(DecodedMusic, LowestBandRisesOnEveryKickAndFallsBetween) {
  ASSERT_TRUE(decoded_ok);
  // Intro, groove and breakdown alike: above the threshold while the kick
  // sounds (windows centred 20-100 ms after the beat), below it from 200 ms
  // until just before the next beat.
  for (int beat = 0; beat < beat_count; ++beat) {
    const long hit = beat * beat_samples;
    float weakest_hit = 1e9f, loudest_gap = 0.0f;
    for (long ms = 20; ms <= 100; ms += 5)
      weakest_hit = std::min(weakest_hit, lowest_band(hit + ms * sample_rate / 1000));
    for (long ms = 200; ms <= 470; ms += 5)
      loudest_gap = std::max(loudest_gap, lowest_band(hit + ms * sample_rate / 1000));
    EXPECT_GT(weakest_hit, bass_threshold) << "beat " << beat << " at " << beat * 0.5 << " s";
    EXPECT_LT(loudest_gap, bass_threshold) << "beat " << beat << " at " << beat * 0.5 << " s";
  }
}

TEST_F(DecodedMusic, GrooveIsTheLoudestSection) {
  ASSERT_TRUE(decoded_ok);
  const double intro = rms(0.0, 5.0), groove = rms(5.0, 14.0), breakdown = rms(14.0, 30.0);
  EXPECT_GT(groove, intro * 1.1) << intro << " " << groove << " " << breakdown;
  EXPECT_GT(groove, breakdown * 1.1);
  EXPECT_GT(intro, 0.02);
  EXPECT_GT(breakdown, 0.02);
}

}  // namespace
