#include "tools/capture/frame_clock.h"

#include <cmath>

namespace capture {

namespace {

constexpr int64_t ns_per_second = 1000000000;

int64_t seconds_to_ns(double seconds) { return static_cast<int64_t>(std::llround(seconds * ns_per_second)); }

}  // namespace

int64_t frame_time_ns(const FrameClock& clock, int64_t frame) {
  // Rounded up to the nanosecond: the audio frame heard then is exactly
  // frame * rate / fps (rounded down), as at the exact time.
  return seconds_to_ns(clock.from_seconds) + (frame * ns_per_second + clock.fps - 1) / clock.fps;
}

int64_t frame_count(const FrameClock& clock, double seconds) { return std::llround(seconds * clock.fps); }

int64_t first_frame_at_or_after(const FrameClock& clock, double seconds) {
  const int64_t target = seconds_to_ns(seconds);
  if (frame_time_ns(clock, 0) >= target) return 0;
  // The estimate is off by a frame at most, either way.
  int64_t frame = (target - seconds_to_ns(clock.from_seconds)) * clock.fps / ns_per_second;
  while (frame_time_ns(clock, frame) < target) ++frame;
  while (frame > 0 && frame_time_ns(clock, frame - 1) >= target) --frame;
  return frame;
}

int64_t audio_frames_before(const FrameClock& clock, int64_t frame, int rate) { return frame * rate / clock.fps; }

}  // namespace capture
