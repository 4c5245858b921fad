// Taking frames in real time without a device: a thread that wakes every
// few milliseconds, works out from the monotonic clock how many frames have
// fallen due since the output opened, fills exactly those and drops them.
// Counting from the clock rather than from the wake-ups keeps the output on
// real time however late the thread runs, so positions never drift.
//
// The silent backend is this alone; the device backends (SDL, waveOut) fall
// back to it where no device opens.
#pragma once

#include "platform/audio_output.h"

#include <cstdint>

namespace platform {

// The monotonic clock every output but the capture clock stamps with.
int64_t monotonic_clock_ns();

// Starts taking frames at `rate` through `fill`. False if it already runs or
// the arguments make no sense.
bool silent_output_start(int rate, AudioFill fill);

// The same, with the first frame heard at first_frame_ns instead of now: a
// device that fails part-way carries on here from the position it reached,
// so the music's clock goes on without a jump.
bool silent_output_continue(int rate, AudioFill fill, int64_t first_frame_ns);

// Stops the thread; returns once no fill is running.
void silent_output_stop();

}  // namespace platform
