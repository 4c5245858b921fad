// What each implementation of the six music calls provides to the shared
// contract test (music_contract_test.cpp): a way to bring it up and to make
// a stream of a known file, each in its own way. One fixture source per
// implementation is linked with the test.
#pragma once

#include <chrono>
#include <thread>

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

// play_until_heard for a real music layer, whose position moves once its
// output has taken the first buffer: waits for that, five seconds at most.
inline bool play_until_position_moves(HSTREAM handle) {
  if (!BASS_StreamPlay(handle, 0, BASS_SAMPLE_LOOP)) return false;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (BASS_ChannelGetPosition(handle) == 0) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A path where no file is.
const char* missing_file();

}  // namespace music_contract
