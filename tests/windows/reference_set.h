// The reference audio the Windows tests compare with: MP3 files made with
// LAME on the build machine, and what libmpg123 (the Linux decoder, gapless)
// makes of them, written by reference_maker at build time. Shared by the
// maker and the tests, so both sides agree on names and windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ReferenceTrack {
  const char* name;  // <name>.mp3 and its decode <name>.raw (16-bit, interleaved)
  int rate;
  int channels;
  double seconds;  // length of the generated signal; 0 for the demo's own track
};

constexpr ReferenceTrack reference_tracks[] = {
    {"stereo44", 44100, 2, 3.0},                           // MPEG-1 joint stereo, two tones with a ramp
    {"mono22", 22050, 1, 2.0},                             // MPEG-2 mono
    {"stereo48", 48000, 2, 2.0},                           // MPEG-1 at the other rates music comes in
    {"stereo32", 32000, 2, 2.0}, {"tone", 44100, 2, 2.0},  // the spectrum's test tone
    {"orvu", 44100, 2, 0.0},                               // the demo's music, copied from data/
};

// The demo's music in the other formats a music file may come in, for the
// whole-program runs: data/orvu.mp3 decoded, resampled (linearly) and mixed
// down on the build machine and encoded again, <name>.mp3, as long as the
// original, so the show's phases fall where they do with the original.
struct MusicFormat {
  const char* name;
  int rate;
  int channels;
};
constexpr MusicFormat show_music_formats[] = {
    {"orvu48stereo", 48000, 2},
    {"orvu22mono", 22050, 1},
    {"orvu32stereo", 32000, 2},
};

// A file cut short: the first `cut_bytes` bytes of stereo44.mp3, as cut.mp3
// with libmpg123's decode in cut.raw.
constexpr size_t cut_bytes = 20000;

// The test tone: 55 Hz at -12 dBFS (a bass hit for the spectrum) with 1 kHz
// at -20 dBFS on top.
constexpr double tone_bass_hz = 55.0;
constexpr double tone_bass_amplitude = 0.2512;
constexpr double tone_high_hz = 1000.0;
constexpr double tone_high_amplitude = 0.1;

// Frames at whose centre the spectrum is taken; tone.spectrum holds 512
// floats for each, in this order.
constexpr int64_t spectrum_centres[] = {11025, 30000, 44100, 70000};

// The 1024 frames centred on `centre` mixed to mono in [-1, 1], silence
// outside the audio: what the music layer hands the spectrum.
inline void mono_window(const std::vector<int16_t>& interleaved, int channels, int64_t centre, float* out) {
  const int64_t frames = static_cast<int64_t>(interleaved.size()) / channels;
  for (int64_t i = 0; i < 1024; ++i) {
    const int64_t f = centre - 512 + i;
    float sum = 0.0f;
    if (f >= 0 && f < frames) {
      for (int c = 0; c < channels; ++c) sum += interleaved[static_cast<size_t>(f * channels + c)];
    }
    out[i] = sum / (32768.0f * channels);
  }
}
