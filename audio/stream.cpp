// Stream playback state shared by the device thread and the main thread.
#include "audio/stream.h"

#include "audio/band_levels.h"

#include <SDL.h>

#include <algorithm>
#include <limits>

namespace {

std::atomic<Stream*> stream_slots[max_streams];

int16_t saturate(int32_t v) {
  return static_cast<int16_t>(
      std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

bool convert_for_output(const DecodedPcm& in, int rate, std::vector<int16_t>* out) {
  SDL_AudioStream* cvt =
      SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(in.channels), in.rate, AUDIO_S16SYS, output_channels, rate);
  if (!cvt) return false;
  bool ok = SDL_AudioStreamPut(cvt, in.samples.data(), static_cast<int>(in.samples.size() * sizeof(int16_t))) == 0 &&
            SDL_AudioStreamFlush(cvt) == 0;
  const int available = ok ? SDL_AudioStreamAvailable(cvt) : 0;
  const size_t frame_bytes = output_channels * sizeof(int16_t);
  out->assign(static_cast<size_t>(available) / sizeof(int16_t) / output_channels * output_channels, 0);
  if (ok && !out->empty())
    ok = SDL_AudioStreamGet(cvt, out->data(), static_cast<int>(out->size() / output_channels * frame_bytes)) > 0;
  SDL_FreeAudioStream(cvt);
  return ok && !out->empty();
}

}  // namespace

Stream* make_stream(DecodedPcm&& decoded, int output_rate) {
  if (decoded.frames() == 0) return nullptr;
  Stream* s = new Stream;
  const bool as_is = decoded.rate == output_rate && decoded.channels == output_channels;
  if (!as_is && !convert_for_output(decoded, output_rate, &s->converted)) {
    delete s;
    return nullptr;
  }
  s->decoded = std::move(decoded);
  s->output_rate = output_rate;
  return s;
}

void start_stream(Stream& s, bool loop, bool restart) {
  s.looping.store(loop, std::memory_order_release);
  const bool running =
      s.play_generation.load(std::memory_order_acquire) != 0 && !s.finished.load(std::memory_order_acquire);
  if (restart || !running) {
    s.finished.store(false, std::memory_order_release);
    s.play_generation.fetch_add(1, std::memory_order_acq_rel);
  }
}

void render_stream(Stream& s, int16_t* out, int frames, int64_t heard_at_ns) {
  const uint32_t generation = s.play_generation.load(std::memory_order_acquire);
  if (generation == 0) return;
  if (generation != s.seen_generation) {
    // A fresh start begins at the file's start.
    s.seen_generation = generation;
    s.played = 0;
    s.cursor = 0;
    s.ended = false;
  }
  if (s.ended) return;
  const uint64_t length = s.output_frames();
  const bool loop = s.looping.load(std::memory_order_acquire);

  PlaybackSnapshot snap;
  snap.generation = generation;
  snap.looping = loop;
  snap.start_total = s.played;
  snap.start_cursor = s.cursor;
  snap.time_ns = heard_at_ns;
  const int16_t* samples = s.output().data();
  int copied = 0;
  while (copied < frames) {
    if (s.cursor == length) {
      if (!loop) break;
      s.cursor = 0;
    }
    const int n = static_cast<int>(std::min<uint64_t>(frames - copied, length - s.cursor));
    const int16_t* src = samples + s.cursor * output_channels;
    int16_t* dst = out + static_cast<size_t>(copied) * output_channels;
    for (int i = 0; i < n * output_channels; ++i) dst[i] = saturate(int32_t(dst[i]) + src[i]);
    s.cursor += n;
    copied += n;
  }
  s.played += static_cast<uint64_t>(copied);
  snap.count = static_cast<uint32_t>(copied);
  s.snapshot.publish(snap);
  s.frames_handed.store(s.played, std::memory_order_release);
  if (!loop && s.cursor == length) {
    s.ended = true;
    s.finished.store(true, std::memory_order_release);
  }
}

Hearing hear_stream(Stream& s, int64_t now_ns) {
  Hearing h;
  const uint32_t generation = s.play_generation.load(std::memory_order_acquire);
  const PlaybackSnapshot snap = s.snapshot.read();
  // Until the device thread has picked up the latest start, nothing of it
  // is heard yet.
  if (generation == 0 || snap.generation != generation) return h;
  if (s.floor_generation != generation) {
    s.floor_generation = generation;
    s.floor_total = 0;
  }
  const uint64_t length = s.output_frames();
  const AudiblePoint p = audible_point(snap, now_ns, s.output_rate, length, s.floor_total);
  s.floor_total = p.total;
  h.total = p.total;
  // Output frames and file frames differ only when the rate was converted;
  // the two lengths pin the ends together.
  h.stream_frame = s.output_rate == s.decoded.rate ? std::min<uint64_t>(p.cursor, s.decoded.frames())
                                                   : p.cursor * s.decoded.frames() / length;
  h.playing = snap.looping || p.cursor < length;
  return h;
}

void heard_window(const Stream& s, const Hearing& h, float* mono) {
  const int64_t length = static_cast<int64_t>(s.decoded.frames());
  const int channels = s.decoded.channels;
  const int16_t* pcm = s.decoded.samples.data();
  const bool loop = s.looping.load(std::memory_order_acquire);
  // Before the first wrap, what precedes the start was never played.
  const bool wrapped = h.total >= s.output_frames();
  const float scale = 1.0f / (32768.0f * channels);
  int64_t frame = static_cast<int64_t>(h.stream_frame) - spectrum_input_samples / 2;
  for (int i = 0; i < spectrum_input_samples; ++i, ++frame) {
    int64_t f = frame;
    if (f < 0 || f >= length) f = (loop && (f >= 0 || wrapped)) ? ((f % length) + length) % length : -1;
    if (!h.playing || f < 0 || f >= length) {
      mono[i] = 0.0f;
      continue;
    }
    int32_t sum = 0;
    for (int c = 0; c < channels; ++c) sum += pcm[f * channels + c];
    mono[i] = static_cast<float>(sum) * scale;
  }
}

uint32_t register_stream(Stream* s) {
  for (int slot = 0; slot < max_streams; ++slot) {
    Stream* expected = nullptr;
    if (stream_slots[slot].compare_exchange_strong(expected, s, std::memory_order_acq_rel))
      return static_cast<uint32_t>(slot + 1);
  }
  return 0;
}

Stream* stream_for_handle(uint32_t handle) {
  if (handle == 0 || handle > static_cast<uint32_t>(max_streams)) return nullptr;
  return stream_slots[handle - 1].load(std::memory_order_acquire);
}

Stream* stream_in_slot(int slot) { return stream_slots[slot].load(std::memory_order_acquire); }

void forget_streams() {
  for (std::atomic<Stream*>& slot : stream_slots) delete slot.exchange(nullptr, std::memory_order_acq_rel);
}
