#include "tools/capture/capture_run.h"

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "app/frame_pace.h"
#include "demo/scene.h"
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
  // The encoders' own chatter (settings, statistics) is no news to a user.
  av_log_set_level(AV_LOG_ERROR);
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
  // init_gl (which opens the music output, here the capture clock, and runs
  // Scene::init, which starts the music at the clock's zero).
  const int64_t first_audio_frame = frame_time_ns(clock, 0) * music_rate / 1000000000;
  music_prepare(first_audio_frame);
  demo_mesh = new Mesh("data/obj.b3df");
  if (!show::open_offscreen_window()) {
    *error = "no offscreen GL context (OSMesa)";
    return false;
  }
  show::start_show();
  for (const std::string& line : show::missing_data())
    std::fprintf(stderr, "zarnic_capture: warning: %s\n", line.c_str());

  // The audio track follows the frames one frame behind: the music of frame
  // n - 1's moment up to frame n's has been heard once the clock is at frame
  // n. Audio sample k of the track is the music at from + k / rate.
  std::vector<int16_t> audio(static_cast<size_t>(music_rate / options.fps + 2) * 2);
  auto add_audio_up_to = [&](int64_t n) {
    const int64_t begin = audio_frames_before(clock, n - 1, music_rate);
    const int count = static_cast<int>(audio_frames_before(clock, n, music_rate) - begin);
    music_samples(first_audio_frame + begin, count, audio.data());
    return video.add_audio(audio.data(), count, error);
  };

  Progress progress;
  progress.start(frames, show_progress, stderr);
  for (int64_t n = 0; n < frames; ++n) {
    if (stop_requested) {
      progress.finish();
      *error = "interrupted";
      return false;
    }
    Clock::time_point start = Clock::now();
    music_advance_to(frame_time_ns(clock, n));
    show::draw_frame(next_frame_step(options));
    frame_pace_frame_drawn();
    const uint8_t* pixels = show::screen_rgba();  // waits until GL has finished the frame
    report->drawing += seconds_since(start);

    start = Clock::now();
    if (!video.convert_frame(pixels, error)) return false;
    report->reading_back += seconds_since(start);

    start = Clock::now();
    if (!video.encode_frame(error)) return false;
    if (n > 0 && !add_audio_up_to(n)) return false;
    report->encoding += seconds_since(start);
    progress.update(n + 1);
  }
  music_advance_to(frame_time_ns(clock, frames));
  const Clock::time_point start = Clock::now();
  const bool finished = add_audio_up_to(frames) && video.finish(error);
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
