// One capture of the show: the real scene offscreen, one frame per video
// frame on the frame clock, the music moved on with it, both into the file.
// Once per process: the show's state is the process's.
#pragma once

#include <cstdint>
#include <string>

#include "tools/capture/capture_options.h"

namespace capture {

struct CaptureReport {
  int64_t frames = 0;
  double seconds = 0.0;  // length of the video
  int64_t bytes = 0;     // size of the finished file
  // Time spent, in seconds: drawing a frame (until GL has finished it),
  // turning its pixels into a video frame, and encoding and writing.
  double drawing = 0.0;
  double reading_back = 0.0;
  double encoding = 0.0;
  double total = 0.0;
};

// Runs from the folder that holds data/. Warnings about missing data go to
// stderr as they are found; on failure *error says why and no file is left.
// Asks a running capture to stop and fail; safe from a signal handler.
void request_stop(int signal_number);

bool run_capture(const Options& options, bool show_progress, CaptureReport* report, std::string* error);

}  // namespace capture
