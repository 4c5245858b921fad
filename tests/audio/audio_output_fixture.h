// What each audio output backend's build of the shared output contract test
// (audio_output_contract_test.cpp) provides: how time passes for it, and
// how closely its time stamps follow one another.
#pragma once

#include <cstdint>

namespace output_contract {

// The device number to open with (0 asks for the silent output outright).
int device();

// Lets `ns` of the output's clock pass: real time, or on the capture clock
// the clock moved on by that much.
void let_time_pass(int64_t ns);

// How far the stamp of one fill may be from where the previous fill's
// frames end: 0 where the output counts frames on its own clock, a driver's
// scheduling jitter where the stamp is taken when a device asks.
int64_t stamp_tolerance_ns();

// Whether the output plays to a real device (AudioOutputInfo::audible).
bool audible();

}  // namespace output_contract
