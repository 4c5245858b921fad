// The output contract test's fixture for the SDL output where no device
// opens (a driver that does not exist): it falls back to the silent output,
// whose stamps are frames counted on the monotonic clock.
#include "tests/audio/audio_output_fixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace output_contract {

// Called before each open: SDL reads its driver from the environment then.
int device() {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  return 1;
}

void let_time_pass(int64_t ns) { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }

int64_t stamp_tolerance_ns() { return 1; }

bool audible() { return false; }

}  // namespace output_contract
