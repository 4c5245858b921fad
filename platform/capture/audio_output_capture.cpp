// The capture-clock output: no thread and no device; frames are taken only
// when the owner of the clock moves it on.
#include "platform/audio_output.h"

#include "platform/capture/capture_clock.h"
#include "platform/common/audio_fill_loop.h"

namespace platform {

namespace {

AudioOutputInfo open_info;
AudioFill capture_fill = nullptr;
int64_t clock_ns = 0;
int64_t open_ns = 0;
int64_t filled = 0;
CaptureListener listener = nullptr;

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

void capture_clock_listen(CaptureListener heard) { listener = heard; }

int64_t audio_clock_ns() { return clock_ns; }

void capture_clock_advance_to(int64_t ns) {
  if (ns <= clock_ns) return;
  if (capture_fill) fill_frames_due(capture_fill, listener, open_info.rate, open_ns, ns, &filled);
  clock_ns = ns;
}

int64_t capture_clock_frame_ns(int64_t n, int fps) {
  if (fps <= 0) return 0;
  const __int128 scaled = static_cast<__int128>(n) * 1000000000;
  return static_cast<int64_t>((scaled + fps - 1) / fps);
}

}  // namespace platform
