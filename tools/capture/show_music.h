// The music as the capture plays it: moved on by the frame clock alone, with
// the samples heard between two moments kept for the video's audio track.
#pragma once

#include <cstdint>

namespace capture {

constexpr int music_rate = 44100;  // the rate the show opens its output at

// Before the show starts: whatever the music needs to follow the frame
// clock instead of a device.
void music_prepare();

// Moves the music on to `ns` after it started (never backwards); what the
// show asks for next is what is heard then.
void music_advance_to(int64_t ns);

// Interleaved 16-bit stereo at music_rate heard from audio frame `first`
// (counted from the start of the music) on; `frames` frames. Silence where
// there is no music.
void music_samples(int64_t first, int frames, int16_t* out);

}  // namespace capture
