#include "tools/capture/capture_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace capture {

namespace {

bool parse_double(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(*value);
}

bool parse_int(const char* text, long* value) {
  char* end = nullptr;
  *value = std::strtol(text, &end, 10);
  return end != text && *end == '\0';
}

}  // namespace

const char* usage_text() {
  return "usage: zarnic_capture [--fps N] [--frame-step X|measured] [--seconds S] [--from S] [--lossless] OUT.mp4\n"
         "Records the show at its designed pace, frame by frame, with its music; run from the folder that holds "
         "data/.\n"
         "  --fps N         video frames a second, a whole number from 1 to 1000 (default 60)\n"
         "  --seconds S     length of the video, above 0 and at most 86400, at least one frame (default 17)\n"
         "  --from S        music position of the first frame, 0 to 86400 (default 0)\n"
         "  --frame-step X  frame_step of every frame, 0 or more (default: the designed pace)\n"
         "  --frame-step measured  this machine's counter-read cost, as the demo measures it\n"
         "  --lossless      lossless H.264 in RGB and ALAC audio (default H.264 4:2:0 and AAC)";
}

bool parse_options(int argc, const char* const* argv, Options* options, std::string* error) {
  *options = Options{};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      *options = Options{};
      options->help = true;
      return true;
    }
  }
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takes_value = arg == "--fps" || arg == "--frame-step" || arg == "--seconds" || arg == "--from";
    if (takes_value && i + 1 >= argc) {
      *error = arg + " needs a value";
      return false;
    }
    const char* value = takes_value ? argv[i + 1] : nullptr;
    double number = 0.0;
    long whole = 0;
    if (arg == "--fps") {
      if (!parse_int(value, &whole) || whole <= 0 || whole > max_fps) {
        *error = "--fps must be a whole number from 1 to " + std::to_string(max_fps) + ", not '" + value + "'";
        return false;
      }
      options->fps = static_cast<int>(whole);
    } else if (arg == "--frame-step") {
      if (std::strcmp(value, "measured") == 0) {
        options->step_mode = StepMode::measured;
      } else if (parse_double(value, &number) && number >= 0.0) {
        options->step_mode = StepMode::fixed;
        options->frame_step = static_cast<float>(number);
      } else {
        *error = std::string("--frame-step must be a number of 0 or more, or 'measured', not '") + value + "'";
        return false;
      }
    } else if (arg == "--seconds") {
      if (!parse_double(value, &number) || number <= 0.0 || number > max_seconds) {
        *error = std::string("--seconds must be a number above 0 and at most a day (86400), not '") + value + "'";
        return false;
      }
      options->seconds = number;
    } else if (arg == "--from") {
      if (!parse_double(value, &number) || number < 0.0 || number > max_seconds) {
        *error = std::string("--from must be a number from 0 to a day (86400), not '") + value + "'";
        return false;
      }
      options->from_seconds = number;
    } else if (arg == "--lossless") {
      options->lossless = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option '" + arg + "'";
      return false;
    } else if (!options->out_path.empty()) {
      *error = "one output file only: '" + options->out_path + "' and '" + arg + "'";
      return false;
    } else {
      options->out_path = arg;
    }
    if (takes_value) ++i;
  }
  if (options->out_path.empty()) {
    *error = "no output file given";
    return false;
  }
  // Fewer than one frame is no video.
  if (std::llround(options->seconds * options->fps) < 1) {
    *error = "--seconds is shorter than one frame at this --fps";
    return false;
  }
  return true;
}

int take_command_line(const char* program, int argc, const char* const* argv, Options* options) {
  std::string error;
  if (!parse_options(argc, argv, options, &error)) {
    std::fprintf(stderr, "%s: %s\n%s\n", program, error.c_str(), usage_text());
    return 2;
  }
  if (options->help) {
    std::printf("%s\n", usage_text());
    return 0;
  }
  return -1;
}

}  // namespace capture
