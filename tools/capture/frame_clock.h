// The capture's clock: time comes from the frame count, never from a clock
// on the wall, so every frame shows the same moment on a fast machine and a
// slow one. Video frame n is drawn with the music at from + n / fps seconds.
#pragma once

#include <cstdint>

namespace capture {

struct FrameClock {
  int fps = 60;
  double from_seconds = 0.0;
};

// The music time of frame n, in nanoseconds from the start of the music,
// rounded up; exact integer arithmetic, so n * 1e9 / fps never drifts.
int64_t frame_time_ns(const FrameClock& clock, int64_t frame);

// How many frames a capture of `seconds` holds: every frame whose time lies
// before the end (rounded to the nearest frame).
int64_t frame_count(const FrameClock& clock, double seconds);

// The first frame drawn at or after `seconds` of music.
int64_t first_frame_at_or_after(const FrameClock& clock, double seconds);

// Audio frames (at `rate`) from the capture's start to the start of frame n:
// the audio track holds exactly this many before frame n is shown.
int64_t audio_frames_before(const FrameClock& clock, int64_t frame, int rate);

}  // namespace capture
