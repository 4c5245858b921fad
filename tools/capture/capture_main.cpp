// zarnic_capture: the show as designed, frame-exact, to an MP4 with its
// music. Run from the folder that holds data/ (the repository root).
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "demo/scene.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/progress.h"

// The process-wide objects the scene works with, in their usual order.
Mesh* demo_mesh = nullptr;
Scene scene;

int main(int argc, char** argv) {
  capture::Options options;
  const int status = capture::take_command_line("zarnic_capture", argc, argv, &options);
  if (status >= 0) return status;
  // Ctrl-C ends the capture cleanly: the unfinished file is removed.
  std::signal(SIGINT, capture::request_stop);
  std::signal(SIGTERM, capture::request_stop);

  capture::CaptureReport report;
  std::string error;
  if (!capture::run_capture(options, isatty(STDERR_FILENO) != 0, &report, &error)) {
    std::fprintf(stderr, "zarnic_capture: %s; no file written\n", error.c_str());
    return 1;
  }
  char size[32];
  capture::format_size(report.bytes, size, sizeof size);
  std::printf("zarnic_capture: wrote %s: %.2f s (%lld frames at %d fps), %s\n", options.out_path.c_str(),
              report.seconds, static_cast<long long>(report.frames), options.fps, size);
  return 0;
}
