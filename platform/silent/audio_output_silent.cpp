// The audio output with no device at all: frames are taken in real time on
// the monotonic clock and dropped.
#include "platform/audio_output.h"

#include "platform/silent/silent_output.h"

namespace platform {

namespace {

AudioOutputInfo open_info;
bool is_open = false;

}  // namespace

bool audio_output_open(int, int rate, AudioFill fill, AudioOutputInfo* info) {
  if (!is_open) {
    if (!silent_output_start(rate, fill)) return false;
    is_open = true;
    open_info.rate = rate;
    open_info.audible = false;
  }
  if (info) *info = open_info;
  return true;
}

void audio_output_close() {
  silent_output_stop();
  is_open = false;
  open_info = AudioOutputInfo{};
}

int64_t audio_clock_ns() { return monotonic_clock_ns(); }

}  // namespace platform
