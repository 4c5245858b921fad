// The show's designed pace, which the player (app/frame_pace_designed.cpp),
// the capture tool and the frame renderer share.
#pragma once

#include <cstdint>

// frame_step units per second of show. The show's own era read its counter
// in about a microsecond (0.01 units) and drew at about 60 frames a second;
// tools/capture/README.md gives the reasoning and the frames it was checked on.
constexpr double designed_steps_per_second = 0.6;
constexpr int designed_frames_per_second = 60;
// One frame of the designed frame rate: 0.01.
constexpr float designed_frame_step = static_cast<float>(designed_steps_per_second / designed_frames_per_second);

// Show time beyond this between two drawn frames (a minimised window, a
// stopped machine) counts as this much: the animation pauses there instead of
// jumping, while the music, and with it the phase, goes on. A second is
// longer than any frame of a machine that can draw the show at all, and than
// any frame of a capture (at least one a second).
constexpr int64_t longest_frame_ns = 1000000000;
