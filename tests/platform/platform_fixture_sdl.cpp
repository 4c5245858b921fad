// The platform contract test's fixture for the SDL backend on SDL's
// offscreen video driver: no mode to switch to, a real timer, and no box
// can be shown.
#include "tests/platform/platform_fixture.h"

namespace platform_contract {

void begin_case() {}

bool screen_mode(int*, int*) { return false; }

bool timer_ticks_by_itself() { return true; }

bool offers_lock_arrays() { return true; }

bool answer_next_box(const char*, int) { return false; }

bool box_done(std::string*) { return false; }

}  // namespace platform_contract
