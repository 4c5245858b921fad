// The output contract test's fixture for the SDL output on SDL's disk
// driver, a device that asks for each buffer in real time and writes it out.
#include "tests/audio/audio_output_fixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace output_contract {

// Called before each open: SDL reads its driver from the environment then.
int device() {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  return 1;
}

void let_time_pass(int64_t ns) { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }

// Stamps are taken when the driver's thread asks, which a busy machine
// delays.
int64_t stamp_tolerance_ns() { return 100'000'000; }

// A file nobody hears as it is written: not a real device.
bool audible() { return false; }

}  // namespace output_contract
