// The audio output: SDL2's default device at the requested rate, or where
// none opens, SDL's silent "dummy" output. The dummy driver sleeps a fixed
// time per buffer, so it falls behind when the machine is busy; on it the
// streams are kept on the monotonic clock instead, so the silent output
// consumes samples in real time. Its callback mixes every playing stream.
#pragma once

#include <cstdint>

// Opens the output once; later calls change nothing. Returns whether real
// sound is available. device 0 asks for the silent output outright.
bool open_output(int device, int rate);

// Whether an output (real or silent) is running.
bool output_running();

// The rate streams are converted to: the open output's, else 44100.
int output_rate();

// Frames between a buffer being handed to the device and being heard.
uint32_t output_latency_frames();

// Closes the output so that it can be opened again (tests, benchmarks).
void close_output();

// What the device callback does: fills `frames` frames of 16-bit stereo
// with the mix of all playing streams, first moving each playing stream on
// by `shift` frames (see render_stream).
void mix_streams(int16_t* out, int frames, int64_t now_ns, int64_t shift);

// The monotonic clock that positions are stamped and read with.
int64_t monotonic_ns();
