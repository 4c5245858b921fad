// The output contract test's fixture for the waveOut output on a machine
// without a sound card: the default device falls back to the silent output,
// real time, stamps counted in frames.
#include "tests/audio/audio_output_fixture.h"

#include <chrono>
#include <thread>

namespace output_contract {

int device() { return 1; }

void let_time_pass(int64_t ns) { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }

int64_t stamp_tolerance_ns() { return 1; }

bool audible() { return false; }

}  // namespace output_contract
