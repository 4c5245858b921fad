// The demo's music: 30 seconds at 120 beats per minute in A minor, a loop
// whose end runs straight into its start. Sections follow the picture:
//   0-5 s   intro: kick, pad swelling in, hats, a riser and a snare roll
//   5-14 s  the full groove: kick, off-beat bass, hats, claps, arpeggio
//   14-30 s breakdown: kick, pad and a filtered echoing arpeggio, no bass
// The kick falls on every beat and is the only sound with real energy below
// about 80 Hz, so the lowest spectrum band rises on each hit and drops
// between them.
#pragma once

#include "tools/datagen/synth.h"

constexpr int beat_frames = sample_rate / 2;  // 120 bpm
constexpr int song_beats = 60;
constexpr size_t song_frames = static_cast<size_t>(beat_frames) * song_beats;

// The finished stereo mix, peak-normalised below full scale.
LoopBuffer render_song();
