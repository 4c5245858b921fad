// The pace of the show: the frame_step each drawn frame hands to
// Scene::render, in the counter's 0.1 ms units. The loop asks for it at the
// top of every pass, message passes included, and says when a frame has been
// drawn with it. Which pace a program has is chosen at link time, one unit
// each, every unit a library of its own:
//   app/frame_pace_counter_read.cpp  the demo: the time one read of the
//                                    high-resolution counter takes
//   app/frame_pace_designed.cpp      the player: the show's designed pace for
//                                    the show time since the previous drawn
//                                    frame, on the clock the music is heard by
// The units read only the platform layer's clocks (platform/platform.h,
// platform/audio_output.h), so every build of the shell links them.
#pragma once

// The step for a frame drawn on this pass.
float frame_pace_step();

// A frame has been drawn with the step this pass took.
void frame_pace_frame_drawn();

// Forgets every earlier pass, so that a second show in one process (tests,
// tools) starts its pace afresh.
void frame_pace_restart();
