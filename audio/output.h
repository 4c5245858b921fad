// The music's side of the audio output: opens the platform output (chosen
// at link time, see platform/audio_output.h) with the mix of every playing
// stream as its fill.
#pragma once

#include <cstdint>

// Opens the output once; later calls change nothing. Returns whether real
// sound is available. device 0 asks for the silent output outright.
bool open_output(int device, int rate);

// Whether an output (real or silent) is running.
bool output_running();

// The rate streams are converted to: the open output's, else 44100.
int output_rate();

// Closes the output so that it can be opened again (tests, benchmarks).
void close_output();

// The output's fill: `frames` frames of 16-bit stereo with the mix of all
// playing streams, the first heard at `heard_at_ns` (see render_stream).
void mix_streams(int16_t* out, int frames, int64_t heard_at_ns);
