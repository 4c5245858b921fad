#include "tools/datagen/song.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double intro_end = 5.0;
constexpr double breakdown_start = 14.0;
constexpr int beats_per_bar = 4;
constexpr double target_peak = 0.89;  // about -1 dBFS, headroom for the encoder

long frame_at_beat(double beat) { return std::lround(beat * beat_frames); }
double seconds_at_beat(double beat) { return beat * beat_frames / sample_rate; }

// Am - F - C - G, one chord per bar: bass root and pad voicing (MIDI notes).
// Every note sits at 130 Hz or above, three spectrum bands (of 43 Hz) clear
// of the kick's, so nothing but the kick lifts the lowest band.
struct Chord {
  int bass;
  int pad[4];
};
constexpr Chord chords[4] = {
    {57, {57, 60, 64, 69}},  // A minor
    {53, {57, 60, 65, 69}},  // F major
    {48, {55, 60, 64, 67}},  // C major
    {55, {55, 59, 62, 67}},  // G major
};
const Chord& chord_at_beat(int beat) { return chords[(beat / beats_per_bar) % 4]; }

bool in_intro(double seconds) { return seconds < intro_end; }
bool in_groove(double seconds) { return seconds >= intro_end && seconds < breakdown_start; }

void add_drums(LoopBuffer& mix) {
  for (int beat = 0; beat < song_beats; ++beat) {
    const double t = seconds_at_beat(beat);
    const uint32_t seed = 1000u + static_cast<uint32_t>(beat) * 7u;
    // The kick sits back a little outside the groove.
    mix.add(frame_at_beat(beat), kick_voice(in_groove(t) ? 1.0f : 0.9f), 1.0f, 0.0f);

    if (in_groove(t)) {
      // Sixteenth hats, the off-beat one open and accented.
      for (int step = 0; step < 4; ++step) {
        const bool offbeat = step == 2;
        mix.add(frame_at_beat(beat + step * 0.25),
                hat_voice(offbeat ? 0.09 : 0.025, offbeat ? 0.35f : 0.16f, seed + step), 1.0f, step % 2 ? 0.3f : -0.2f);
      }
      if (beat % 2 == 1) mix.add(frame_at_beat(beat), clap_voice(0.45f, seed + 5), 1.0f, 0.05f);
    } else if (in_intro(t)) {
      if (t >= 2.0) mix.add(frame_at_beat(beat + 0.5), hat_voice(0.05, 0.18f, seed + 2), 1.0f, 0.25f);
    } else {
      // Breakdown: sparse open hats that thin out in the last bars.
      const double fade = t < 26.0 ? 1.0 : std::max(0.0, (30.0 - t) / 4.0);
      mix.add(frame_at_beat(beat + 0.5), hat_voice(0.12, static_cast<float>(0.2 * fade), seed + 2), 1.0f, -0.25f);
    }
  }

  // Into the groove: a riser and a snare roll over the intro's last two
  // seconds, a crash on the drop; another crash opens the breakdown.
  const double roll_start = intro_end - 1.0;
  mix.add(std::lround(3.0 * sample_rate), riser_voice(2.0, 0.5f, 77u), 1.0f, 0.0f);
  for (int step = 0; step < 8; ++step) {
    const double beat = roll_start * 2.0 + step * 0.25;
    mix.add(frame_at_beat(beat), clap_voice(0.12f + 0.035f * step, 300u + step), 1.0f, 0.0f);
  }
  mix.add(std::lround(intro_end * sample_rate), crash_voice(0.35f, 91u), 1.0f, -0.3f);
  mix.add(std::lround(breakdown_start * sample_rate), crash_voice(0.3f, 92u), 1.0f, 0.3f);
}

void add_bass(LoopBuffer& mix) {
  for (int beat = 0; beat < song_beats; ++beat) {
    if (!in_groove(seconds_at_beat(beat + 0.5))) continue;
    const Chord& chord = chord_at_beat(beat);
    // Off-beat root, stepping up a fifth on the last beat of each bar.
    const int note = chord.bass + (beat % beats_per_bar == 3 ? 7 : 0);
    mix.add(frame_at_beat(beat + 0.5), bass_voice(midi_to_hz(note), 0.22, 0.6f), 1.0f, 0.0f);
  }
}

void add_pad(LoopBuffer& mix) {
  for (int bar = 0; bar < song_beats / beats_per_bar; ++bar) {
    const int beat = bar * beats_per_bar;
    const double t = seconds_at_beat(beat);
    // The pad carries the intro and the breakdown; the groove has the
    // bass and the arpeggio on top of it.
    const float gain = in_groove(t) || in_groove(t + 1.9) ? 0.08f : 0.09f;
    const Chord& chord = chord_at_beat(beat);
    for (int v = 0; v < 4; ++v) {
      const double hz = midi_to_hz(chord.pad[v]);
      const float pan = -0.6f + 0.4f * static_cast<float>(v);
      // Notes overlap the next bar so the chords crossfade.
      mix.add(frame_at_beat(beat), pad_voice(hz, 2.6, 9.0 + v, gain), 1.0f, pan);
    }
  }
}

LoopBuffer arpeggio() {
  LoopBuffer arp(song_frames);
  const int pattern[8] = {0, 1, 2, 3, 2, 1, 3, 2};
  for (int beat = 0; beat < song_beats; ++beat) {
    const double t = seconds_at_beat(beat);
    if (in_intro(t)) continue;
    float brightness = 0.9f;
    float gain = 0.2f;
    if (!in_groove(t)) {
      // The breakdown closes the filter, opens it again, then fades toward
      // the intro.
      const double x = (t - breakdown_start) / (30.0 - breakdown_start);
      brightness = static_cast<float>(0.25 + 0.65 * std::pow(std::sin(3.14159265358979 * x), 2.0));
      gain = static_cast<float>(0.16 * std::min(1.0, (30.0 - t) / 3.0));
    }
    const Chord& chord = chord_at_beat(beat);
    for (int step = 0; step < 4; ++step) {
      const int note = chord.pad[pattern[(beat * 4 + step) % 8]] + 12;
      arp.add(frame_at_beat(beat + step * 0.25), pluck_voice(midi_to_hz(note), brightness, gain), 1.0f,
              step % 2 ? 0.35f : -0.35f);
    }
  }
  return arp;
}

void normalise(LoopBuffer& mix) {
  float peak = 0.0f;
  for (size_t i = 0; i < mix.frames(); ++i) peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
  if (peak <= 0.0f) return;
  const float gain = static_cast<float>(target_peak / peak);
  for (size_t i = 0; i < mix.frames(); ++i) {
    mix.left[i] *= gain;
    mix.right[i] *= gain;
  }
}

}  // namespace

LoopBuffer render_song() {
  LoopBuffer mix(song_frames);
  add_drums(mix);
  add_bass(mix);
  add_pad(mix);
  const LoopBuffer arp = arpeggio();
  mix.mix_in(arp, 1.0f);
  // Dotted-eighth echo, three quarters of a beat.
  mix.mix_in(ping_pong_echo(arp, static_cast<size_t>(beat_frames) * 3 / 4, 0.45f), 0.55f);
  normalise(mix);
  return mix;
}
