// The platform audio output, fed with the mix of the playing streams.
#include "audio/output.h"

#include "audio/stream.h"
#include "platform/audio_output.h"

#include <atomic>
#include <cstring>

namespace {

constexpr int default_rate = 44100;
constexpr int lowest_rate = 8000;
constexpr int highest_rate = 192000;

bool running = false;
bool real_sound = false;
// Read by the fill: whether someone hears it, or it may wait for decoding.
std::atomic<bool> heard_by_ear{false};
std::atomic<int> open_rate{0};

}  // namespace

bool open_output(int device, int rate) {
  if (running) return real_sound;
  if (rate < lowest_rate || rate > highest_rate) rate = default_rate;
  // The rate is published before the first fill can read it.
  open_rate.store(rate, std::memory_order_release);
  platform::AudioOutputInfo info;
  running = platform::audio_output_open(device, rate, mix_streams, &info);
  if (!running) {
    open_rate.store(0, std::memory_order_release);
    return false;
  }
  open_rate.store(info.rate, std::memory_order_release);
  real_sound = info.audible;
  heard_by_ear.store(real_sound, std::memory_order_release);
  return real_sound;
}

bool output_running() { return running; }

int output_rate() {
  const int rate = open_rate.load(std::memory_order_acquire);
  return rate != 0 ? rate : default_rate;
}

void close_output() {
  if (!running) return;
  platform::audio_output_close();
  running = false;
  real_sound = false;
  heard_by_ear.store(false, std::memory_order_release);
  open_rate.store(0, std::memory_order_release);
}

void mix_streams(int16_t* out, int frames, int64_t heard_at_ns) {
  std::memset(out, 0, static_cast<size_t>(frames) * output_channels * sizeof(int16_t));
  const int rate = output_rate();
  const bool wait_for_decoder = !heard_by_ear.load(std::memory_order_acquire);
  for (int slot = 0; slot < max_streams; ++slot) {
    Stream* s = stream_in_slot(slot);
    // A stream made for another rate would play at the wrong speed.
    if (s && s->output_rate == rate) render_stream(*s, out, frames, heard_at_ns, wait_for_decoder);
  }
}
