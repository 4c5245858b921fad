// Renders chosen moments of the show offscreen to PNG files, with the scene
// code of the demo and the scripted music in place of the real one.
//
//   render_frames [--frame-step F] [--warmup N] [--data DIR] [--out DIR] MOMENT...
//
// A MOMENT is SECONDS[:BASS][@WARMUP][/STEP]: the music position in seconds,
// the value of the lowest spectrum band (default 0), how many frames to run
// at that position before the one that is saved (default --warmup) and the
// frame_step of those frames (default --frame-step, whose own default is one
// frame at the show's designed pace, 0.01). Moments run in the order given
// and the animation carries over from one to the next, as it does in the live
// show. --data is the folder that holds data/ (default
// the current one); frames go to OUT/frame_NNN.png.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame_pace_designed.h"
#include "audio/scripted/scripted_music.h"
#include "demo/scene.h"
#include "tools/render_frames/show_harness.h"

// The process-wide objects the scene works with, in their usual order.
Mesh* demo_mesh = nullptr;
Scene scene;

namespace {

struct Moment {
  double seconds = 0.0;
  float bass = 0.0f;
  long warmup = -1;          // -1: the --warmup value
  float frame_step = -1.0f;  // below 0: the --frame-step value
};

struct Options {
  float frame_step = designed_frame_step;  // one frame at the show's designed pace
  long warmup = 0;
  std::string data_dir = ".";
  std::string out_dir = ".";
  std::vector<Moment> moments;
};

void print_usage(FILE* to) {
  std::fprintf(to,
               "usage: render_frames [--frame-step F] [--warmup N] [--data DIR] [--out DIR] "
               "SECONDS[:BASS][@WARMUP][/STEP]...\n"
               "Renders each moment of the show offscreen to OUT/frame_NNN.png, in the order given; the\n"
               "animation carries over from one moment to the next.\n"
               "  SECONDS      music position (the main phase starts at 5.0)\n"
               "  :BASS        value of the lowest spectrum band (default 0)\n"
               "  @WARMUP      frames drawn at that position before the saved one (default --warmup)\n"
               "  /STEP        frame_step of those frames (default --frame-step)\n"
               "  --frame-step F  default frame_step (%g, one frame at the designed pace)\n"
               "  --warmup N      default warm-up frames (0)\n"
               "  --data DIR      folder that holds data/ (default .)\n"
               "  --out DIR       existing folder for the PNG files (default .)\n",
               static_cast<double>(designed_frame_step));
}

bool parse_number(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

// Takes `mark` and the number after it off the end of *rest. True when
// there is no mark, or a number follows it.
bool take_suffix(std::string* rest, char mark, bool* found, double* value) {
  const size_t at = rest->find(mark);
  *found = at != std::string::npos;
  if (!*found) return true;
  if (!parse_number(rest->substr(at + 1).c_str(), value)) return false;
  *rest = rest->substr(0, at);
  return true;
}

bool parse_moment(const std::string& text, Moment* moment) {
  std::string rest = text;
  bool found = false;
  double value = 0.0;
  // Taken from the end: /STEP, then @WARMUP, then :BASS.
  if (!take_suffix(&rest, '/', &found, &value) || (found && value < 0)) return false;
  if (found) moment->frame_step = static_cast<float>(value);
  if (!take_suffix(&rest, '@', &found, &value) || (found && value < 0)) return false;
  if (found) moment->warmup = static_cast<long>(value);
  if (!take_suffix(&rest, ':', &found, &value)) return false;
  if (found) moment->bass = static_cast<float>(value);
  return parse_number(rest.c_str(), &moment->seconds) && moment->seconds >= 0.0;
}

bool parse_options(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    double number = 0.0;
    if (arg == "--frame-step" && has_value && parse_number(argv[i + 1], &number)) {
      options->frame_step = static_cast<float>(number);
      ++i;
    } else if (arg == "--warmup" && has_value && parse_number(argv[i + 1], &number) && number >= 0) {
      options->warmup = static_cast<long>(number);
      ++i;
    } else if (arg == "--data" && has_value) {
      options->data_dir = argv[++i];
    } else if (arg == "--out" && has_value) {
      options->out_dir = argv[++i];
    } else {
      Moment moment;
      if (!parse_moment(arg, &moment)) return false;
      options->moments.push_back(moment);
    }
  }
  return !options->moments.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    print_usage(stdout);
    return 0;
  }
  Options options;
  if (!parse_options(argc, argv, &options)) {
    print_usage(stderr);
    return 2;
  }
  // Output paths are taken relative to where the tool was started, the data
  // relative to --data, so resolve the output folder before moving there.
  char* out_dir = realpath(options.out_dir.c_str(), nullptr);
  if (out_dir == nullptr) {
    std::fprintf(stderr, "render_frames: no such output folder: %s\n", options.out_dir.c_str());
    return 1;
  }
  const std::string out = out_dir;
  std::free(out_dir);
  if (chdir(options.data_dir.c_str()) != 0) {
    std::fprintf(stderr, "render_frames: cannot enter %s\n", options.data_dir.c_str());
    return 1;
  }

  demo_mesh = new Mesh("data/obj.b3df");
  if (!show::open_offscreen_window()) {
    std::fprintf(stderr, "render_frames: no offscreen GL context\n");
    return 1;
  }
  show::reset_show_state();
  show::start_show();
  for (const std::string& line : show::missing_data())
    std::fprintf(stderr, "render_frames: warning: %s\n", line.c_str());

  int index = 0;
  for (const Moment& moment : options.moments) {
    scripted_music::set_position_seconds(moment.seconds);
    scripted_music::set_bass(moment.bass);
    const long warmup = moment.warmup >= 0 ? moment.warmup : options.warmup;
    const float frame_step = moment.frame_step >= 0.0f ? moment.frame_step : options.frame_step;
    for (long frame = 0; frame < warmup; ++frame) show::draw_frame(frame_step);
    show::draw_frame(frame_step);

    char name[32];
    std::snprintf(name, sizeof(name), "frame_%03d.png", index++);
    const std::string path = out + "/" + name;
    if (!show::write_png(path, show::screen_rgb(), show::screen_width, show::screen_height)) {
      std::fprintf(stderr, "render_frames: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf(
        "%s  music_seconds %.4f  intro_z %.4f  mesh_z %.4f  slide_x %.4f  fade_alpha %.4f  "
        "credits_alpha %.4f\n",
        path.c_str(), scene.music_seconds, intro_z, mesh_z, slide_x, fade_alpha, credits_alpha);
  }
  return 0;
}
