// What each backend's build of the platform contract test
// (platform_contract_test.cpp) provides: the screen it runs on, whether its
// timer ticks by itself, and how a message box gets answered. No case needs
// an X server of its own: the script backend draws offscreen, SDL runs on
// its offscreen driver, wine on the stage's virtual screen.
#pragma once

#include <string>

namespace platform_contract {

// Called before each case: a fresh backend where it can be reset.
void begin_case();

// The size of the one display mode the screen offers; false where it offers
// none to switch to (SDL's offscreen driver).
bool screen_mode(int* width, int* height);

// Whether set_timer's ticks come from a real clock; the script backend's are
// fed by the test.
bool timer_ticks_by_itself();

// Whether the GL offers the compiled-vertex-array lock (glLockArraysEXT);
// where it does not, the mesh draws without it.
bool offers_lock_arrays();

// Arranges for the next message box captioned `caption` to be answered with
// `button`; false where no box can be shown (the answer is then 0).
bool answer_next_box(const char* caption, int button);
// Called after that box has returned; gives the text it showed, where the
// backend can tell.
bool box_done(std::string* text_shown);

}  // namespace platform_contract
