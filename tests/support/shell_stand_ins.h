// Link-time stand-ins for the layers the shell calls into, for programs that
// test or time the shell alone: a Scene that draws nothing, a music device
// that opens nothing, and the process-wide objects they go with
// (demo_mesh, frame_timer, scene).
#pragma once

#include <string>

// Where each stand-in call goes, with its arguments, in the order made;
// null (the start) lets them pass unrecorded. The shell tests point it at the
// scripted platform's call record.
extern void (*shell_stand_in_calls)(const std::string& call);
