// Hann-windowed real FFT of 1024 samples, scaled to sine amplitude.
#include "audio/band_levels.h"

#include <kiss_fftr.h>

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
// A Hann window sums to N/2 and a sine of amplitude A splits into two
// halves of A/2, so a centred sine gives |X| = A * N / 4.
constexpr float amplitude_scale = 4.0f / spectrum_input_samples;

struct SpectrumPlan {
  kiss_fftr_cfg fft;
  float window[spectrum_input_samples];

  SpectrumPlan() : fft(kiss_fftr_alloc(spectrum_input_samples, 0, nullptr, nullptr)) {
    for (int n = 0; n < spectrum_input_samples; ++n)
      window[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * n / spectrum_input_samples));
  }
};

const SpectrumPlan& plan() {
  // Built once, thread-safely, on first use; kept for the process.
  static const SpectrumPlan the_plan;
  return the_plan;
}

}  // namespace

void prepare_spectrum() { plan(); }

void compute_spectrum(const float* mono_samples, float* magnitudes) {
  const SpectrumPlan& p = plan();
  float weighted[spectrum_input_samples];
  kiss_fft_cpx bins[spectrum_input_samples / 2 + 1];
  for (int n = 0; n < spectrum_input_samples; ++n) weighted[n] = mono_samples[n] * p.window[n];
  kiss_fftr(p.fft, weighted, bins);
  for (int k = 0; k < spectrum_bands; ++k) {
    const kiss_fft_cpx& b = bins[k + 1];
    magnitudes[k] = std::sqrt(b.r * b.r + b.i * b.i) * amplitude_scale;
  }
}
