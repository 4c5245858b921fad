// The demo's pace: two back-to-back reads of the high-resolution counter
// through the process's FrameTimer, so frame_step is the cost of one read
// (0 when the counter does not advance), whatever time passes between frames.
#include "app/frame_pace.h"

#include "app/app_main.h"

float frame_pace_step() {
  frame_timer.begin();
  frame_timer.end();
  return static_cast<float>(frame_timer.elapsed());
}

// The counter read does not depend on the frames drawn before it.
void frame_pace_frame_drawn() {}

void frame_pace_restart() {}
