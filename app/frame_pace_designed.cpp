// The player's pace: 0.6 units per second of show time since the previous
// drawn frame, read on the audio output's clock, so that a slow machine shows
// fewer frames of the same show, in time with the music, never a slower show.
//
// Message passes take a step too, but only a drawn frame moves the start of
// the next one on: their time counts toward the frame that follows them. The
// loop's first pass stands in for the frame before the first, so the first
// frame shows the show at its start. A gap longer than longest_frame_ns (a
// minimised window draws nothing, a stopped machine) counts as that long.
#include "app/frame_pace.h"

#include "app/frame_pace_designed.h"
#include "platform/audio_output.h"

namespace {

constexpr double ns_per_second = 1e9;

bool started = false;
// Clock readings: where the previous drawn frame's step was taken, and where
// this pass's was.
int64_t previous_frame_ns = 0;
int64_t this_pass_ns = 0;

}  // namespace

float frame_pace_step() {
  this_pass_ns = platform::audio_clock_ns();
  if (!started) {
    previous_frame_ns = this_pass_ns;
    started = true;
  }
  int64_t elapsed_ns = this_pass_ns - previous_frame_ns;
  if (elapsed_ns > longest_frame_ns) elapsed_ns = longest_frame_ns;
  return static_cast<float>(designed_steps_per_second * static_cast<double>(elapsed_ns) / ns_per_second);
}

void frame_pace_frame_drawn() { previous_frame_ns = this_pass_ns; }

void frame_pace_restart() { started = false; }
