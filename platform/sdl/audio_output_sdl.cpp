// The audio output on SDL2's default device; where none opens, the silent
// output.
#include "platform/audio_output.h"

#include "platform/silent/silent_output.h"

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>

#include <atomic>
#include <cstring>

namespace platform {

namespace {

// 1024 frames: 23 ms at 44100 Hz. Small enough for the position to be
// interpolated well, large enough that SDL's timed drivers keep real time.
constexpr Uint16 device_buffer_frames = 1024;

SDL_AudioDeviceID device_id = 0;
bool silent_fallback = false;
AudioOutputInfo open_info;
AudioFill device_fill = nullptr;
// How long after the callback the first frame it fills is heard.
std::atomic<int64_t> queued_ahead_ns{0};

void device_callback(void*, Uint8* stream, int len) {
  const int frames = len / static_cast<int>(audio_output_channels * sizeof(int16_t));
  device_fill(reinterpret_cast<int16_t*>(stream), frames,
              monotonic_clock_ns() + queued_ahead_ns.load(std::memory_order_relaxed));
}

// libasound reports every failed step of SDL's probe on stderr; a machine
// without a sound card is not an error worth a word, the output falls back.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

SDL_AudioDeviceID open_device(int rate) {
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = audio_output_channels;
  want.samples = device_buffer_frames;
  want.callback = device_callback;
  SDL_AudioSpec have;
  // No changes allowed: SDL converts to the hardware's format itself, so
  // the callback always deals in 16-bit stereo at `rate`.
  return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

// The default device, or 0. SDL's own "dummy" driver counts as none: it
// paces its callback slightly fast, where the silent output keeps time.
SDL_AudioDeviceID open_default_device(int rate) {
  snd_lib_error_set_handler(ignore_alsa_error);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  // Known before any device opens: opening the dummy device only to close it
  // again cost the start-up tens of milliseconds (closing waits for its
  // thread to wake).
  const char* driver = SDL_GetCurrentAudioDriver();
  SDL_AudioDeviceID id = driver != nullptr && std::strcmp(driver, "dummy") == 0 ? 0 : open_device(rate);
  if (id == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return id;
}

}  // namespace

bool audio_output_open(int device, int rate, AudioFill fill, AudioOutputInfo* info) {
  if (device_id == 0 && !silent_fallback) {
    if (rate <= 0 || !fill) return false;
    device_fill = fill;
    if (device != 0) device_id = open_default_device(rate);
    if (device_id != 0) {
      // The disk driver writes each buffer as it is filled; a sound card
      // still has the buffer before this one to play first.
      const bool disk = std::strcmp(SDL_GetCurrentAudioDriver(), "disk") == 0;
      queued_ahead_ns.store(disk ? 0 : int64_t(device_buffer_frames) * 1000000000 / rate, std::memory_order_relaxed);
      // Nobody listens to the disk driver's file as it is written, so it
      // counts as silent: the music then waits for its decoder rather than
      // leave a gap in the file when the machine is too busy to keep ahead.
      open_info.audible = !disk;
      SDL_PauseAudioDevice(device_id, 0);
    } else {
      if (!silent_output_start(rate, fill)) return false;
      silent_fallback = true;
      open_info.audible = false;
    }
    open_info.rate = rate;
  }
  if (info) *info = open_info;
  return true;
}

void audio_output_close() {
  if (device_id != 0) {
    SDL_CloseAudioDevice(device_id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_id = 0;
  }
  if (silent_fallback) silent_output_stop();
  silent_fallback = false;
  open_info = AudioOutputInfo{};
}

int64_t audio_clock_ns() { return monotonic_clock_ns(); }

}  // namespace platform
