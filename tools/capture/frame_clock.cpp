#include "tools/capture/frame_clock.h"

#include <cmath>

namespace capture {

namespace {

constexpr int64_t ns_per_second = 1000000000;

int64_t seconds_to_ns(double seconds) { return static_cast<int64_t>(std::llround(seconds * ns_per_second)); }

}  // namespace

int64_t frame_time_ns(const FrameClock& clock, int64_t frame) {
  return seconds_to_ns(clock.from_seconds) + frame * ns_per_second / clock.fps;
}

int64_t frame_count(const FrameClock& clock, double seconds) { return std::llround(seconds * clock.fps); }

int64_t first_frame_at_or_after(const FrameClock& clock, double seconds) {
  const int64_t target = seconds_to_ns(seconds) - seconds_to_ns(clock.from_seconds);
  if (target <= 0) return 0;
  // Smallest n with n * 1e9 / fps >= target, the division rounding down as
  // frame_time_ns does.
  int64_t frame = target * clock.fps / ns_per_second;
  while (frame * ns_per_second / clock.fps < target) ++frame;
  while (frame > 0 && (frame - 1) * ns_per_second / clock.fps >= target) --frame;
  return frame;
}

int64_t audio_frames_before(const FrameClock& clock, int64_t frame, int rate) { return frame * rate / clock.fps; }

}  // namespace capture
