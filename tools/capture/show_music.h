// The music as the capture plays it: the real audio layer on the capture
// clock, moved on by the frame clock alone, and what it plays recorded for
// the video's audio track.
#pragma once

#include <cstdint>

namespace capture {

constexpr int music_rate = 44100;  // the rate the show opens its output at

// Before the show starts: record what is heard from audio frame `first`
// (counted from the start of the music) on, keeping the last two seconds.
void music_prepare(int64_t first);

// Moves the music on to `ns` after it started (never backwards); what the
// show asks for next (position, spectrum) is what is heard then.
void music_advance_to(int64_t ns);

// Interleaved 16-bit stereo recorded from audio frame `first` on, `frames`
// frames; silence for anything not heard (yet) or no longer kept.
void music_samples(int64_t first, int frames, int16_t* out);

}  // namespace capture
