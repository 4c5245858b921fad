// The main function of the demo and of the player: open the window, pump
// messages, draw a frame whenever the queue is empty with the step the
// program's pace gives (app/frame_pace.h), stop on the exit rules, shut down.
#pragma once

#include "app/frame_timer.h"

int app_main(void* instance, void* previous_instance, char* command_line, int show_command);

// The process-wide objects built before app_main runs (app/process_objects.cpp).
extern FrameTimer frame_timer;
