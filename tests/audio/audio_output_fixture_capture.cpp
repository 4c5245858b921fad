// The output contract test's fixture for the capture clock: time passes
// only when the test moves the clock.
#include "tests/audio/audio_output_fixture.h"

#include "platform/audio_output.h"
#include "platform/capture/capture_clock.h"

namespace output_contract {

int device() { return 1; }

void let_time_pass(int64_t ns) { platform::capture_clock_advance_to(platform::audio_clock_ns() + ns); }

int64_t stamp_tolerance_ns() { return 1; }

bool audible() { return false; }

}  // namespace output_contract
