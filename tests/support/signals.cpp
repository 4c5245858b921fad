#include "tests/support/signals.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

}  // namespace

std::vector<int16_t> sine_pcm(int frames, int rate, int channels, double hz, double amplitude) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const auto value = static_cast<int16_t>(32767.0 * amplitude * std::sin(2.0 * pi * hz * i / rate));
    for (int c = 0; c < channels; ++c) pcm[static_cast<size_t>(i) * channels + c] = value;
  }
  return pcm;
}

double snr_db(const std::vector<int16_t>& reference, const std::vector<int16_t>& test, int channels, int lag_frames) {
  const long reference_frames = static_cast<long>(reference.size()) / channels;
  const long test_frames = static_cast<long>(test.size()) / channels;
  const long first = std::max(0L, -static_cast<long>(lag_frames));
  const long end = std::min(reference_frames, test_frames - lag_frames);
  double signal = 0.0;
  double error = 0.0;
  for (long f = first; f < end; ++f) {
    for (int c = 0; c < channels; ++c) {
      const double r = reference[static_cast<size_t>(f) * channels + c];
      const double t = test[static_cast<size_t>(f + lag_frames) * channels + c];
      signal += r * r;
      error += (r - t) * (r - t);
    }
  }
  return 10.0 * std::log10(signal / std::max(error, 1.0));
}
