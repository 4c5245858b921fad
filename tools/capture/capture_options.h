// The capture tool's command line:
//   zarnic_capture [--fps N] [--frame-step X|measured] [--seconds S] [--from S] [--lossless] OUT.mp4
#pragma once

#include <string>

namespace capture {

// Defaults: 60 frames a second and the first 17 seconds, what a live run shows.
constexpr int default_fps = 60;
constexpr double default_seconds = 17.0;
// Frame rates beyond this are no video anyone plays back.
constexpr int max_fps = 1000;
// A day: --from and --seconds beyond it are typing errors (and would
// overflow the nanosecond frame clock's audio arithmetic).
constexpr double max_seconds = 86400.0;

enum class StepMode {
  designed,  // the show's designed pace (see README.md)
  fixed,     // the value given with --frame-step
  measured,  // this machine's counter-read cost, measured every frame as the live demo does
};

struct Options {
  int fps = default_fps;
  double seconds = default_seconds;
  double from_seconds = 0.0;
  StepMode step_mode = StepMode::designed;
  float frame_step = 0.0f;  // StepMode::fixed only
  bool lossless = false;    // lossless RGB video and audio (tests, archiving)
  bool help = false;        // --help: print usage_text() and do nothing else
  std::string out_path;
};

// Parses argv; --help (or -h) anywhere sets only `help`. On a bad command line returns false and puts the reason,
// one line without a trailing newline, in *error.
bool parse_options(int argc, const char* const* argv, Options* options, std::string* error);

// The usage line and every option with its default and limits.
const char* usage_text();

// The command line as a program's main takes it: on --help prints the usage
// on stdout and returns 0; on a bad command line prints "PROGRAM: reason"
// and the usage on stderr and returns 2; otherwise returns -1 and the
// program goes on with *options.
int take_command_line(const char* program, int argc, const char* const* argv, Options* options);

}  // namespace capture
