// Capture speed: one capture with zarnic_capture's own options, then the
// frames per second and the share of the time spent drawing, reading back
// (the pixels into the encoder's format) and encoding (video and audio,
// with the writing). Run from the repository root; see RESULTS.md.
#include <cstdio>
#include <string>

#include "demo/scene.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_run.h"

Mesh* demo_mesh = nullptr;
Scene scene;

int main(int argc, char** argv) {
  capture::Options options;
  const int status = capture::take_command_line("bench_capture", argc, argv, &options);
  if (status >= 0) return status;
  capture::CaptureReport report;
  std::string error;
  if (!capture::run_capture(options, false, &report, &error)) {
    std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
    return 1;
  }
  const double measured = report.drawing + report.reading_back + report.encoding;
  std::printf(
      "%lld frames in %.2f s: %.2f frames/s; drawing %.0f%%, reading back %.0f%%, encoding %.0f%%, "
      "set-up %.2f s; %lld bytes\n",
      static_cast<long long>(report.frames), report.total, report.frames / report.total,
      100.0 * report.drawing / measured, 100.0 * report.reading_back / measured, 100.0 * report.encoding / measured,
      report.total - measured, static_cast<long long>(report.bytes));
  return 0;
}
