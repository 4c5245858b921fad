// The player's pace: 0.6 units per second of show time since the previous
// drawn frame, read on the audio output's clock, so that a slow machine shows
// fewer frames of the same show, in time with the music, never a slower show.
//
// Message passes take a step too, but only a drawn frame moves the start of
// the next one on: their time counts toward the frame that follows them. The
// loop's first pass stands in for the frame before the first, so the first
// frame shows the show at its start. A stall (stall_ns) counts short.
#include "app/frame_pace.h"

#include <algorithm>

#include "app/frame_pace_designed.h"
#include "platform/audio_output.h"

namespace {

constexpr double ns_per_second = 1e9;

bool started = false;
// Clock readings: where the previous drawn frame's step was taken, and where
// this pass's was; and the show time the previous drawn frame counted.
int64_t previous_frame_ns = 0;
int64_t this_pass_ns = 0;
int64_t previous_counted_ns = 0;
int64_t counted_ns = 0;

}  // namespace

float frame_pace_step() {
  this_pass_ns = platform::audio_clock_ns();
  if (!started) {
    previous_frame_ns = this_pass_ns;
    previous_counted_ns = 0;
    started = true;
  }
  const int64_t longest_ns = std::max(stall_ns, stall_ratio * previous_counted_ns);
  counted_ns = std::min(this_pass_ns - previous_frame_ns, longest_ns);
  return static_cast<float>(designed_steps_per_second * static_cast<double>(counted_ns) / ns_per_second);
}

void frame_pace_frame_drawn() {
  previous_frame_ns = this_pass_ns;
  previous_counted_ns = counted_ns;
}

void frame_pace_restart() { started = false; }
