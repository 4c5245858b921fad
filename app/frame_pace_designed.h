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

// A stall (a minimised window, a stopped machine): a gap between two drawn
// frames longer than a second and than four times the gap before it. It
// counts as the larger of those two, so the animation pauses there instead of
// jumping, while the music, and with it the phase, goes on. A machine that
// draws less than a frame a second is no stall: from its second slow frame on
// each gap counts in full. A capture (at least a frame a second) never stalls.
constexpr int64_t stall_ns = 1000000000;
constexpr int64_t stall_ratio = 4;
