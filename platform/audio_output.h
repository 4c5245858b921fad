// The audio output: the one service through which the music reaches a
// device. The music layer (audio/) decodes, loops, positions and analyses;
// it never talks to a device itself. An output pulls 16-bit interleaved
// stereo frames from the music layer through a fill function and says when
// the first frame of each buffer will be heard, on the clock that
// audio_clock_ns reads. Positions and spectra are worked out from those
// time stamps alone, so every output below gives the same music layer the
// same view: what is audible now.
//
// Implementations, chosen at link time:
//   platform/sdl/      SDL2's default device; where none opens, the silent
//                      output below
//   platform/win32/    waveOut (winmm); where none opens, the silent output
//   platform/silent/   no device at all: frames are taken in real time on the
//                      monotonic clock and dropped
//   platform/capture/  the capture clock: frames are taken only when the
//                      owner of the clock moves it on (offline rendering),
//                      and the clock reads what the owner set
//
// All calls but the fill run on the main thread.
#pragma once

#include <cstdint>

namespace platform {

// Fills `frames` frames of 16-bit stereo at the output's rate into `out`
// (the callee writes every sample). `heard_at_ns` is the audio clock's
// reading at which the first of those frames is heard; the frames after it
// follow one per sample period. Called from the output's own thread, except
// on the capture clock, where it runs inside capture_clock_advance_to.
using AudioFill = void (*)(int16_t* out, int frames, int64_t heard_at_ns);

constexpr int audio_output_channels = 2;

struct AudioOutputInfo {
  int rate = 0;          // frames per second the output takes
  bool audible = false;  // a real device plays the frames
};

// Opens the output once at `rate` (device 0 asks for the silent output
// outright; any other value for the default device) and starts calling
// `fill`. Returns whether an output runs, real or silent; `info` says which.
// A second open while one is running changes nothing and returns true.
bool audio_output_open(int device, int rate, AudioFill fill, AudioOutputInfo* info);

// Stops calling fill and closes the device, so that it can be opened again
// (tests, benchmarks). Returns once no fill is running.
void audio_output_close();

// The clock time stamps are taken on, in nanoseconds: monotonic on every
// output but the capture clock, where it reads the time the clock was
// moved to.
int64_t audio_clock_ns();

}  // namespace platform
