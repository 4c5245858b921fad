// The frame_step the capture hands to Scene::render on every frame.
#pragma once

namespace capture {

// The show's designed pace, in frame_step units per second of show: a
// machine of the show's own era read its performance counter in about
// 1 microsecond (0.01 units) and drew this show at about 60 frames a second
// (README.md gives the reasoning and the frames it was checked on).
constexpr double designed_steps_per_second = 0.6;

// The designed step for one frame at `fps`, so that the show keeps the same
// pace whatever the video's frame rate.
float designed_frame_step(int fps);

// This machine's counter-read cost, measured the way the live demo measures
// it on every pass of its loop: two back-to-back reads of the counter the
// demo's own platform layer reads, through FrameTimer.
float measured_frame_step();

}  // namespace capture
