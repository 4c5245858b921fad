// The frame_step the capture hands to Scene::render on every frame.
#pragma once

#include "tools/capture/capture_options.h"

namespace capture {

// The step of the frame about to be drawn, the capture clock already moved to
// its time. By default the show's designed pace: the player's own pace
// (app/frame_pace_designed.cpp) on the capture clock, 0.6 / fps a frame (the
// first frame shows the show at its start), so a capture and a live run of
// the player show the same moment alike. Otherwise the --frame-step value,
// or this machine's counter read. The caller reports every drawn frame to the
// pace (frame_pace_frame_drawn).
float next_frame_step(const Options& options);

// This machine's counter-read cost, measured the way the live demo measures
// it on every pass of its loop: two back-to-back reads of the counter the
// demo's own platform layer reads, through FrameTimer.
float measured_frame_step();

}  // namespace capture
