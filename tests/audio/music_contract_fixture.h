// What each implementation of the six music calls provides to the shared
// contract test (music_contract_test.cpp): a way to bring it up and to make
// a stream of a known file, each in its own way. One fixture source per
// implementation is linked with the test.
#pragma once

#include "audio/bass.h"

namespace music_contract {

// The known file's format.
constexpr int known_rate = 44100;
constexpr int known_channels = 2;

// Before and after each test: BASS_Init, and whatever undoes it.
void set_up();
void tear_down();

// A stream of the known file, created (looping) but not started; 0 if it
// could not be made.
HSTREAM make_stream();

// Starts the stream looping and returns once something of it is heard;
// false if that never happens.
bool play_until_heard(HSTREAM handle);

// A path where no file is.
const char* missing_file();

}  // namespace music_contract
