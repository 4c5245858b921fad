#include "tools/datagen/synth.h"

#include <cmath>

#include "tools/datagen/image.h"  // SeededRandom

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double two_pi = 2.0 * pi;

size_t frames_for(double seconds) { return static_cast<size_t>(seconds * sample_rate); }

// Poly-BLEP correction for a discontinuity at phase 0 of a saw.
double poly_blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

class Saw {
 public:
  explicit Saw(double hz, double start_phase = 0.0) : dt(hz / sample_rate), phase(start_phase) {}
  float next() {
    const double v = 2.0 * phase - 1.0 - poly_blep(phase, dt);
    phase += dt;
    if (phase >= 1.0) phase -= 1.0;
    return static_cast<float>(v);
  }

 private:
  double dt;
  double phase;
};

// Attack-then-release envelope value at frame n of a note of total frames.
float attack_release(size_t n, size_t total, double attack_s, double release_s) {
  const double t = static_cast<double>(n) / sample_rate;
  const double left = static_cast<double>(total - n) / sample_rate;
  double a = 1.0;
  if (t < attack_s) a = t / attack_s;
  if (left < release_s) a *= left / release_s;
  return static_cast<float>(a);
}

std::vector<float> white_noise(size_t frames, uint32_t seed) {
  SeededRandom random(seed);
  std::vector<float> out(frames);
  for (float& v : out) v = random.uniform() * 2.0f - 1.0f;
  return out;
}

}  // namespace

void LoopBuffer::add(long start, const std::vector<float>& mono, float gain, float pan) {
  const long n = static_cast<long>(frames());
  const float gl = gain * static_cast<float>(std::sqrt(0.5 * (1.0 - pan)));
  const float gr = gain * static_cast<float>(std::sqrt(0.5 * (1.0 + pan)));
  long pos = ((start % n) + n) % n;
  for (float v : mono) {
    left[pos] += v * gl;
    right[pos] += v * gr;
    if (++pos == n) pos = 0;
  }
}

void LoopBuffer::mix_in(const LoopBuffer& other, float gain) {
  for (size_t i = 0; i < frames() && i < other.frames(); ++i) {
    left[i] += other.left[i] * gain;
    right[i] += other.right[i] * gain;
  }
}

void OnePole::set_cutoff(double hz) { coeff = static_cast<float>(1.0 - std::exp(-two_pi * hz / sample_rate)); }

float OnePole::lowpass(float x) {
  state += coeff * (x - state);
  return state;
}

float OnePole::highpass(float x) { return x - lowpass(x); }

double midi_to_hz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

std::vector<float> kick_voice(float gain) {
  const size_t total = frames_for(0.32);
  std::vector<float> out(total);
  double phase = 0.0;
  for (size_t n = 0; n < total; ++n) {
    const double t = static_cast<double>(n) / sample_rate;
    const double hz = 45.0 + 125.0 * std::exp(-t / 0.028);
    phase += two_pi * hz / sample_rate;
    double env = t < 0.002 ? t / 0.002 : 1.0;
    if (t > 0.045) env *= std::exp(-(t - 0.045) / 0.040);
    // A short 2.5 kHz tick gives the hit its attack without adding low end.
    const double click = std::sin(two_pi * 2500.0 * t) * std::exp(-t / 0.004) * 0.25;
    out[n] = static_cast<float>(gain * (env * std::sin(phase) + click));
  }
  return out;
}

std::vector<float> bass_voice(double hz, double seconds, float gain) {
  const size_t total = frames_for(seconds);
  std::vector<float> out(total);
  Saw a(hz), b(hz * 1.004, 0.5);
  OnePole low1, low2, high;
  high.set_cutoff(70.0);
  for (size_t n = 0; n < total; ++n) {
    const double t = static_cast<double>(n) / sample_rate;
    const double cutoff = 300.0 + 2200.0 * std::exp(-t / 0.06);
    low1.set_cutoff(cutoff);
    low2.set_cutoff(cutoff);
    const float raw = 0.5f * (a.next() + b.next());
    const float shaped = high.highpass(low2.lowpass(low1.lowpass(raw)));
    out[n] = shaped * gain * attack_release(n, total, 0.004, 0.03);
  }
  return out;
}

namespace {

// White noise through two one-pole high-passes at cutoff_hz, each frame
// scaled by envelope(n, t) and gain: the metallic voices (hats, crash).
template <typename Envelope>
std::vector<float> high_passed_noise(size_t total, uint32_t seed, double cutoff_hz, float gain, Envelope envelope) {
  std::vector<float> noise = white_noise(total, seed);
  OnePole high1, high2;
  high1.set_cutoff(cutoff_hz);
  high2.set_cutoff(cutoff_hz);
  for (size_t n = 0; n < total; ++n) {
    const double t = static_cast<double>(n) / sample_rate;
    noise[n] = high2.highpass(high1.highpass(noise[n])) * envelope(n, t) * gain;
  }
  return noise;
}

}  // namespace

std::vector<float> hat_voice(double decay_seconds, float gain, uint32_t seed) {
  return high_passed_noise(frames_for(decay_seconds * 6.0), seed, 7000.0, gain,
                           [&](size_t, double t) { return static_cast<float>(std::exp(-t / decay_seconds)); });
}

std::vector<float> clap_voice(float gain, uint32_t seed) {
  const size_t total = frames_for(0.35);
  std::vector<float> noise = white_noise(total, seed);
  OnePole high, low;
  high.set_cutoff(900.0);
  low.set_cutoff(5000.0);
  for (size_t n = 0; n < total; ++n) {
    const double t = static_cast<double>(n) / sample_rate;
    // Three quick slaps, then a short tail.
    double env = std::exp(-t / 0.07);
    for (double slap : {0.0, 0.011, 0.022})
      if (t >= slap) env += std::exp(-(t - slap) / 0.005);
    noise[n] = low.lowpass(high.highpass(noise[n])) * static_cast<float>(env * 0.6) * gain;
  }
  return noise;
}

std::vector<float> crash_voice(float gain, uint32_t seed) {
  const size_t total = frames_for(2.2);
  return high_passed_noise(total, seed, 3500.0, gain, [&](size_t n, double t) {
    return static_cast<float>(std::exp(-t / 0.45) * attack_release(n, total, 0.001, 0.3));
  });
}

std::vector<float> riser_voice(double seconds, float gain, uint32_t seed) {
  const size_t total = frames_for(seconds);
  std::vector<float> noise = white_noise(total, seed);
  // A two-pole state-variable band-pass swept upward.
  double low = 0.0, band = 0.0;
  for (size_t n = 0; n < total; ++n) {
    const double x = static_cast<double>(n) / total;
    const double hz = 400.0 * std::pow(20.0, x);
    const double f = 2.0 * std::sin(pi * hz / sample_rate);
    const double q = 0.35;
    low += f * band;
    const double high = noise[n] - low - q * band;
    band += f * high;
    noise[n] = static_cast<float>(band * x * x * gain * 0.5);
  }
  return noise;
}

std::vector<float> pad_voice(double hz, double seconds, double detune_cents, float gain) {
  const size_t total = frames_for(seconds);
  std::vector<float> out(total);
  const double spread = std::pow(2.0, detune_cents / 1200.0);
  Saw a(hz), b(hz * spread, 0.31), c(hz / spread, 0.67);
  OnePole low1, low2;
  low1.set_cutoff(1800.0);
  low2.set_cutoff(2400.0);
  for (size_t n = 0; n < total; ++n) {
    const float raw = (a.next() + b.next() + c.next()) / 3.0f;
    out[n] = low2.lowpass(low1.lowpass(raw)) * gain * attack_release(n, total, 0.35, 0.8);
  }
  return out;
}

std::vector<float> pluck_voice(double hz, float brightness, float gain) {
  const size_t total = frames_for(0.3);
  std::vector<float> out(total);
  OnePole low, high;
  high.set_cutoff(150.0);
  double phase = 0.0;
  for (size_t n = 0; n < total; ++n) {
    const double t = static_cast<double>(n) / sample_rate;
    low.set_cutoff(500.0 + 6000.0 * brightness * std::exp(-t / 0.05));
    const double square = phase < 0.5 ? 1.0 : -1.0;
    phase += hz / sample_rate;
    if (phase >= 1.0) phase -= 1.0;
    const float env = static_cast<float>(std::exp(-t / 0.07)) * attack_release(n, total, 0.002, 0.02);
    out[n] = high.highpass(low.lowpass(static_cast<float>(square))) * env * gain;
  }
  return out;
}

LoopBuffer ping_pong_echo(const LoopBuffer& dry, size_t delay_frames, float feedback) {
  const size_t n = dry.frames();
  LoopBuffer wet(n);
  std::vector<float> line_l(delay_frames, 0.0f), line_r(delay_frames, 0.0f);
  size_t cursor = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < n; ++i) {
      const float out_l = line_l[cursor];
      const float out_r = line_r[cursor];
      const float in = 0.5f * (dry.left[i] + dry.right[i]);
      line_l[cursor] = in + out_r * feedback;
      line_r[cursor] = out_l * feedback;
      if (++cursor == delay_frames) cursor = 0;
      if (pass == 1) {
        wet.left[i] = out_l;
        wet.right[i] = out_r;
      }
    }
  }
  return wet;
}
