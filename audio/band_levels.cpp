// Hann-windowed real FFT of 1024 samples, scaled to sine amplitude. The FFT
// is kissfft's header-only C++ class, so the Linux and Windows builds share
// one code path without a library to link.
#include "audio/band_levels.h"

#include <kissfft.hh>

#include <cmath>
#include <complex>

namespace {

constexpr double pi = 3.14159265358979323846;
// A Hann window sums to N/2 and a sine of amplitude A splits into two
// halves of A/2, so a centred sine gives |X| = A * N / 4.
constexpr float amplitude_scale = 4.0f / spectrum_input_samples;
// The real transform runs as a complex one of half the length.
constexpr int complex_points = spectrum_input_samples / 2;

struct SpectrumPlan {
  kissfft<float> fft;
  float window[spectrum_input_samples];

  SpectrumPlan() : fft(complex_points, false) {
    for (int n = 0; n < spectrum_input_samples; ++n)
      window[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * n / spectrum_input_samples));
  }
};

const SpectrumPlan& plan() {
  // Built once, thread-safely, on first use; kept for the process. A length
  // of powers of 2 and 4 never touches kissfft's scratch buffer, so the
  // const transform is safe from any thread and allocates nothing.
  static const SpectrumPlan the_plan;
  return the_plan;
}

}  // namespace

void prepare_spectrum() { plan(); }

void compute_spectrum(const float* mono_samples, float* magnitudes) {
  const SpectrumPlan& p = plan();
  float weighted[spectrum_input_samples];
  std::complex<float> bins[complex_points];
  for (int n = 0; n < spectrum_input_samples; ++n) weighted[n] = mono_samples[n] * p.window[n];
  p.fft.transform_real(weighted, bins);
  // bins[k] is the k-th frequency for 0 < k < 512; bins[0] packs the 0 Hz
  // term (real part) with the half-rate term (imaginary part).
  for (int k = 0; k + 1 < spectrum_bands; ++k) magnitudes[k] = std::abs(bins[k + 1]) * amplitude_scale;
  magnitudes[spectrum_bands - 1] = std::fabs(bins[0].imag()) * amplitude_scale;
}
