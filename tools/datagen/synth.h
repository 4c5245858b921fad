// Sound building blocks for the music: a stereo loop buffer that wraps
// everything written past its end back to its start (so note tails and echoes
// carry over the loop point and the loop joins seamlessly), and the voices the
// song is made of. Every voice is a pure function of its arguments; noise
// comes from a seeded generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int sample_rate = 44100;

class LoopBuffer {
 public:
  explicit LoopBuffer(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }

  // Adds a mono signal starting at frame start, panned (-1 left, +1 right),
  // wrapping around the end of the loop.
  void add(long start, const std::vector<float>& mono, float gain, float pan);
  // Adds another loop of the same length, scaled.
  void mix_in(const LoopBuffer& other, float gain);

  std::vector<float> left;
  std::vector<float> right;
};

// A one-pole low-pass / high-pass pair, the filters every voice uses.
class OnePole {
 public:
  void set_cutoff(double hz);
  float lowpass(float x);
  float highpass(float x);

 private:
  float coeff = 1.0f;
  float state = 0.0f;
};

double midi_to_hz(int note);

// The bass drum: a sine swept from about 170 Hz down to 45 Hz with a short
// hold and a quick decay, so its low end is strong on the hit and gone well
// before the next beat.
std::vector<float> kick_voice(float gain);

// A band-limited saw (poly-BLEP) with a decaying low-pass, for the bass line.
std::vector<float> bass_voice(double hz, double seconds, float gain);

// Filtered noise bursts: closed or open hi-hat, clap, crash, and a rising
// noise sweep.
std::vector<float> hat_voice(double decay_seconds, float gain, uint32_t seed);
std::vector<float> clap_voice(float gain, uint32_t seed);
std::vector<float> crash_voice(float gain, uint32_t seed);
std::vector<float> riser_voice(double seconds, float gain, uint32_t seed);

// Three slightly detuned saws through a soft low-pass, slow attack and
// release: one pad note. detune_cents differs between the two channels.
std::vector<float> pad_voice(double hz, double seconds, double detune_cents, float gain);

// A short plucked square for the arpeggio; brightness 0..1 opens its filter.
std::vector<float> pluck_voice(double hz, float brightness, float gain);

// Feeds a buffer through a ping-pong echo, running two passes over the loop
// so the echo state at the loop's end carries into its start.
LoopBuffer ping_pong_echo(const LoopBuffer& dry, size_t delay_frames, float feedback);
