// The spectrum's scaling against the bass test "element 0 > 0.05".
#include "audio/band_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double rate = 44100.0;
constexpr float bass_threshold = 0.05f;

std::vector<float> tone(double hz, double amplitude, double phase) {
  std::vector<float> s(spectrum_input_samples);
  for (int n = 0; n < spectrum_input_samples; ++n)
    s[n] = static_cast<float>(amplitude * std::sin(2.0 * pi * hz * n / rate + phase));
  return s;
}

// A kick drum: a sine gliding from 145 Hz down to 55 Hz within a few
// milliseconds, decaying over a fifth of a second. The window is centred
// `after_onset_ms` after the kick starts (negative: before it).
std::vector<float> kick_window(double after_onset_ms, double amplitude) {
  std::vector<float> s(spectrum_input_samples, 0.0f);
  const int onset = spectrum_input_samples / 2 - static_cast<int>(std::lround(after_onset_ms * rate / 1000.0));
  double phase = 0.0;
  for (int n = std::max(onset, 0) - onset; n < spectrum_input_samples - onset; ++n) {
    const double t = n / rate;
    phase += 2.0 * pi * (55.0 + 90.0 * std::exp(-t / 0.008)) / rate;
    if (n + onset >= 0) s[n + onset] = static_cast<float>(amplitude * std::exp(-t / 0.2) * std::sin(phase));
  }
  return s;
}

std::vector<float> spectrum_of(const std::vector<float>& samples) {
  std::vector<float> m(spectrum_bands + 1, -1.0f);  // one guard element
  compute_spectrum(samples.data(), m.data());
  EXPECT_EQ(m[spectrum_bands], -1.0f) << "wrote past the last band";
  return m;
}

TEST(Spectrum, SilenceReadsZeroEverywhere) {
  const std::vector<float> m = spectrum_of(std::vector<float>(spectrum_input_samples, 0.0f));
  EXPECT_EQ(*std::max_element(m.begin(), m.begin() + spectrum_bands), 0.0f);
}

TEST(Spectrum, BassToneAtMinus12dBReadsWellAboveThresholdAtAnyPhase) {
  const double amplitude = std::pow(10.0, -12.0 / 20.0);
  for (double hz : {50.0, 55.0, 60.0}) {
    for (int p = 0; p < 16; ++p) {
      const float e0 = spectrum_of(tone(hz, amplitude, 2.0 * pi * p / 16))[0];
      EXPECT_GT(e0, 3 * bass_threshold) << hz << " Hz, phase step " << p;
      EXPECT_LT(e0, amplitude * 1.05) << hz << " Hz, phase step " << p;
    }
  }
}

TEST(Spectrum, FullScale1kHzStaysWellBelowThresholdInLowestBand) {
  for (int p = 0; p < 16; ++p) {
    const std::vector<float> m = spectrum_of(tone(1000.0, 1.0, 2.0 * pi * p / 16));
    EXPECT_LT(m[0], bass_threshold / 10) << "phase step " << p;
    // 1 kHz lies between bands 22 and 23 (43.07 Hz apart), and is seen there.
    EXPECT_GT(std::max(m[21], m[22]), 0.5f);
  }
}

TEST(Spectrum, KickDrumReadsWellAboveThresholdWhileHeardAndZeroBefore) {
  for (double ms : {2.0, 5.0, 10.0, 20.0, 40.0, 80.0}) {
    EXPECT_GT(spectrum_of(kick_window(ms, 0.7))[0], 2 * bass_threshold) << ms << " ms after the onset";
  }
  EXPECT_EQ(spectrum_of(kick_window(-12.0, 0.7))[0], 0.0f);
}

TEST(Spectrum, CentredSineReadsItsAmplitudeInItsBand) {
  // Element k is centred on (k + 1) * rate / 1024.
  for (int band : {0, 9, 100, 400}) {
    for (double amplitude : {1.0, 0.25}) {
      const std::vector<float> m = spectrum_of(tone((band + 1) * rate / spectrum_input_samples, amplitude, 0.3));
      EXPECT_NEAR(m[band], amplitude, 0.01 * amplitude) << "band " << band;
      EXPECT_LT(m[band + 3], 0.001 * amplitude) << "band " << band;
    }
  }
}

}  // namespace
