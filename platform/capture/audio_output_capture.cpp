// The capture-clock output: no thread and no device; frames are taken only
// when the owner of the clock moves it on.
#include "platform/audio_output.h"

#include "platform/capture/capture_clock.h"

namespace platform {

namespace {

// The most frames one fill takes.
constexpr int chunk_frames = 1024;

AudioOutputInfo open_info;
AudioFill capture_fill = nullptr;
int64_t clock_ns = 0;
int64_t open_ns = 0;
int64_t filled = 0;

int64_t frame_time_ns(int64_t frame, int rate) {
  return open_ns + static_cast<int64_t>(static_cast<__int128>(frame) * 1000000000 / rate);
}

}  // namespace

bool audio_output_open(int, int rate, AudioFill fill, AudioOutputInfo* info) {
  if (!capture_fill) {
    if (rate <= 0 || !fill) return false;
    capture_fill = fill;
    open_info.rate = rate;
    open_info.audible = false;
    open_ns = clock_ns;
    filled = 0;
  }
  if (info) *info = open_info;
  return true;
}

void audio_output_close() {
  capture_fill = nullptr;
  open_info = AudioOutputInfo{};
}

int64_t audio_clock_ns() { return clock_ns; }

void capture_clock_advance_to(int64_t ns) {
  if (ns <= clock_ns) return;
  if (capture_fill) {
    int16_t chunk[chunk_frames * audio_output_channels];
    const int rate = open_info.rate;
    const int64_t due = static_cast<int64_t>(static_cast<__int128>(ns - open_ns) * rate / 1000000000);
    while (filled < due) {
      const int frames = static_cast<int>(due - filled < chunk_frames ? due - filled : chunk_frames);
      capture_fill(chunk, frames, frame_time_ns(filled, rate));
      filled += frames;
    }
  }
  clock_ns = ns;
}

int64_t capture_clock_frame_ns(int64_t n, int fps) {
  if (fps <= 0) return 0;
  const __int128 scaled = static_cast<__int128>(n) * 1000000000;
  return static_cast<int64_t>((scaled + fps - 1) / fps);
}

}  // namespace platform
