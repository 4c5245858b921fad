// SDL2 audio output with a silent fallback.
#include "audio/output.h"

#include "audio/stream.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstring>

namespace {

constexpr int default_rate = 44100;
// 1024 frames: 23 ms at 44100 Hz. Small enough for the position to be
// interpolated well, large enough that SDL's timed drivers keep real time.
constexpr Uint16 device_buffer_frames = 1024;

SDL_AudioDeviceID device_id = 0;
bool real_sound = false;
std::atomic<int> open_rate{0};
std::atomic<uint32_t> latency_frames{0};
std::atomic<bool> on_clock{false};

// Device thread only: where the clock says the silent output should be.
int64_t clock_start_ns = -1;
int64_t clock_frames = 0;

void device_callback(void*, Uint8* stream, int len) {
  const int frames = len / static_cast<int>(output_channels * sizeof(int16_t));
  const int64_t now = monotonic_ns();
  int64_t shift = 0;
  if (on_clock.load(std::memory_order_acquire)) {
    if (clock_start_ns < 0) clock_start_ns = now;
    const int64_t due = static_cast<int64_t>(static_cast<__int128>(now - clock_start_ns) *
                                             open_rate.load(std::memory_order_relaxed) / 1000000000);
    shift = due - clock_frames;
    clock_frames = due + frames;
  }
  mix_streams(reinterpret_cast<int16_t*>(stream), frames, now, shift);
}

SDL_AudioDeviceID open_device(int rate) {
  SDL_AudioSpec want;
  std::memset(&want, 0, sizeof want);
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = output_channels;
  want.samples = device_buffer_frames;
  want.callback = device_callback;
  SDL_AudioSpec have;
  // No changes allowed: SDL converts to the hardware's format itself, so
  // the callback always deals in 16-bit stereo at `rate`.
  return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

}  // namespace

bool open_output(int device, int rate) {
  if (device_id != 0) return real_sound;
  if (rate < 8000 || rate > 192000) rate = default_rate;
  if (device != 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    device_id = open_device(rate);
    if (device_id == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  const char* driver = device_id != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
  real_sound = driver && std::strcmp(driver, "dummy") != 0;
  if (device_id == 0) {
    // No device: SDL's dummy driver paces the callback like a device would.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      device_id = open_device(rate);
      if (device_id == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  }
  if (device_id == 0) return false;
  // The dummy and disk drivers consume a buffer while they wait for the
  // next one; a sound card still has the previous buffer to play first.
  const bool dummy = std::strcmp(SDL_GetCurrentAudioDriver(), "dummy") == 0;
  const bool timed_driver = dummy || std::strcmp(SDL_GetCurrentAudioDriver(), "disk") == 0;
  latency_frames.store(timed_driver ? 0 : device_buffer_frames, std::memory_order_release);
  // Nothing is heard from the dummy driver, so it may skip or repeat a few
  // frames to stay on the clock. The disk driver must write every frame.
  on_clock.store(dummy, std::memory_order_release);
  clock_start_ns = -1;
  clock_frames = 0;
  open_rate.store(rate, std::memory_order_release);
  SDL_PauseAudioDevice(device_id, 0);
  return real_sound;
}

bool output_running() { return device_id != 0; }

int output_rate() {
  const int rate = open_rate.load(std::memory_order_acquire);
  return rate != 0 ? rate : default_rate;
}

uint32_t output_latency_frames() { return latency_frames.load(std::memory_order_acquire); }

void close_output() {
  if (device_id == 0) return;
  SDL_CloseAudioDevice(device_id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  device_id = 0;
  real_sound = false;
  open_rate.store(0, std::memory_order_release);
}

void mix_streams(int16_t* out, int frames, int64_t now_ns, int64_t shift) {
  std::memset(out, 0, static_cast<size_t>(frames) * output_channels * sizeof(int16_t));
  const int rate = output_rate();
  for (int slot = 0; slot < max_streams; ++slot) {
    Stream* s = stream_in_slot(slot);
    // A stream made for another rate would play at the wrong speed.
    if (s && s->output_rate == rate) render_stream(*s, out, frames, now_ns, shift);
  }
}

int64_t monotonic_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
