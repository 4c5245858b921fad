// The output contract test's fixture for the silent output: real time,
// stamps counted in frames on the monotonic clock. The Windows build's
// waveOut output takes it too: on a machine without a sound card (wine in
// the test stage) its default device falls back to the silent output.
#include "tests/audio/audio_output_fixture.h"

#include <chrono>
#include <thread>

namespace output_contract {

int device() { return 1; }

void let_time_pass(int64_t ns) { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }

// Frame counts to nanoseconds round down by under a nanosecond per fill.
int64_t stamp_tolerance_ns() { return 1; }

bool audible() { return false; }

}  // namespace output_contract
