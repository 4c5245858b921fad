#include "tools/capture/capture_run.h"

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <vector>

#include "demo/scene.h"
#include "tools/capture/data_check.h"
#include "tools/capture/frame_clock.h"
#include "tools/capture/frame_step.h"
#include "tools/capture/progress.h"
#include "tools/capture/show_music.h"
#include "tools/capture/video_file.h"
#include "tools/render_frames/show_harness.h"

namespace capture {

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stop_requested = 0;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

void request_stop(int) { stop_requested = 1; }

bool run_capture(const Options& options, bool show_progress, CaptureReport* report, std::string* error) {
  *report = CaptureReport{};
  const Clock::time_point run_start = Clock::now();
  const FrameClock clock{options.fps, options.from_seconds};
  const int64_t frames = frame_count(clock, options.seconds);

  // The file first: a path that cannot be written fails before any drawing.
  VideoSettings settings;
  settings.width = show::screen_width;
  settings.height = show::screen_height;
  settings.fps = options.fps;
  settings.audio_rate = music_rate;
  settings.lossless = options.lossless;
  VideoFile video;
  if (!video.open(options.out_path, settings, error)) return false;

  // The show as the window starts it: mesh, offscreen window, resize,
  // init_gl (which opens the music output and runs Scene::init).
  demo_mesh = new Mesh("data/obj.b3df");
  music_prepare();
  if (!show::open_offscreen_window()) {
    *error = "no offscreen GL context (OSMesa)";
    return false;
  }
  show::start_show();
  for (const std::string& line : missing_data()) std::fprintf(stderr, "zarnic_capture: warning: %s\n", line.c_str());

  // The audio of one frame: at most a frame's worth at the lowest frame
  // rate, rounded up.
  std::vector<int16_t> audio(static_cast<size_t>(music_rate / options.fps + 2) * 2);
  Progress progress;
  progress.start(frames, show_progress, stderr);
  const int64_t first_audio_frame = frame_time_ns(clock, 0) * music_rate / 1000000000;
  for (int64_t n = 0; n < frames; ++n) {
    if (stop_requested) {
      progress.finish();
      *error = "interrupted";
      return false;
    }
    Clock::time_point start = Clock::now();
    music_advance_to(frame_time_ns(clock, n));
    float step = options.frame_step;
    if (options.step_mode == StepMode::designed) step = designed_frame_step(options.fps);
    if (options.step_mode == StepMode::measured) step = measured_frame_step();
    show::draw_frame(step);
    const uint8_t* pixels = show::screen_rgba();  // waits until GL has finished the frame
    report->drawing += seconds_since(start);

    start = Clock::now();
    if (!video.convert_frame(pixels, error)) return false;
    report->reading_back += seconds_since(start);

    // The music heard from this frame's moment to the next one's, so that
    // audio sample k of the track plays at from + k / rate.
    start = Clock::now();
    const int64_t audio_begin = audio_frames_before(clock, n, music_rate);
    const int audio_count = static_cast<int>(audio_frames_before(clock, n + 1, music_rate) - audio_begin);
    music_samples(first_audio_frame + audio_begin, audio_count, audio.data());
    if (!video.encode_frame(error) || !video.add_audio(audio.data(), audio_count, error)) return false;
    report->encoding += seconds_since(start);
    progress.update(n + 1);
  }
  const Clock::time_point start = Clock::now();
  const bool finished = video.finish(error);
  report->encoding += seconds_since(start);
  progress.finish();
  if (!finished) return false;

  struct stat info;
  report->bytes = stat(options.out_path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
  report->frames = frames;
  report->seconds = static_cast<double>(frames) / options.fps;
  report->total = seconds_since(run_start);
  return true;
}

}  // namespace capture
