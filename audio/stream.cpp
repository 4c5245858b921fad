// Stream playback state shared by the decoder, device and main threads.
#include "audio/stream.h"

#include "audio/band_levels.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

// How often the decoder thread looks for room in the ring: the device
// takes about 450 frames in that time.
constexpr auto feeder_period = std::chrono::milliseconds(10);
// How long an output nobody hears waits for the decoder thread at most per
// fill, and how often it looks.
constexpr auto longest_wait = std::chrono::seconds(2);
constexpr auto wait_step = std::chrono::microseconds(200);
// The most a ring is made with, whatever is asked for: loop offsets are 32 bits.
constexpr uint64_t largest_ring_frames = uint64_t(1) << 31;
// A position far beyond any track, for positions that never wrap.
constexpr uint64_t unbounded_frames = uint64_t(1) << 62;

std::atomic<Stream*> stream_slots[max_streams];

int16_t saturate(int32_t v) {
  return static_cast<int16_t>(
      std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

// Where a loop begins, other than at the start of play.
bool starts_loop(const Stream& s, uint64_t index, uint64_t start) {
  return index != start && ring_loop_offset(s.ring, index) == 0;
}

void feeder_main(Stream* s) {
  std::unique_lock<std::mutex> lock(s->feeder_mutex);
  while (!s->feeder_stop) {
    lock.unlock();
    feed_stream(*s);
    lock.lock();
    s->feeder_wake.wait_for(lock, feeder_period, [s] { return s->feeder_stop; });
  }
}

// The file frame of ring frame `index` (one past the last frame written
// when the device has caught up with the decoder).
uint64_t file_frame_at(const Stream& s, uint64_t index, uint64_t start) {
  if (ring_holds(s.ring, index)) return feed_file_frame(s.feed, ring_loop_offset(s.ring, index), s.output_rate);
  if (index > start && ring_holds(s.ring, index - 1))
    return feed_file_frame(s.feed, ring_loop_offset(s.ring, index - 1) + uint64_t(1), s.output_rate);
  return 0;
}

}  // namespace

Stream::~Stream() {
  {
    std::lock_guard<std::mutex> lock(feeder_mutex);
    feeder_stop = true;
  }
  feeder_wake.notify_all();
  if (feeder.joinable()) feeder.join();
  feed_close(feed);
}

Stream* make_stream(Mp3Decoder* decoder, const Mp3Format& format, int output_rate, const StreamSize& size) {
  Stream* s = new Stream;
  if (!feed_open(s->feed, decoder, format, output_rate, size.step_frames)) {
    delete s;
    return nullptr;
  }
  s->output_rate = output_rate;
  // A quarter of the ring keeps what was played; the rest must take a step
  // while an output that waits for the decoder is up to a spectrum window
  // ahead of what it released, or that output would stop short.
  const uint64_t least = static_cast<uint64_t>(s->feed.max_step_output) + spectrum_input_samples;
  uint64_t ring_frames = 1;
  while ((ring_frames < size.ring_frames || ring_frames - ring_frames / 4 < least) && ring_frames < largest_ring_frames)
    ring_frames <<= 1;
  ring_allocate(s->ring, ring_frames, ring_frames / 4);
  // The first step now, so the device has something the moment play starts.
  feed_fill(s->feed, s->ring, 1);
  if (s->ring.written.load() == 0) {
    delete s;
    return nullptr;
  }
  return s;
}

void start_feeder(Stream& s) {
  if (s.feeder.joinable()) return;
  s.feeder_runs.store(true, std::memory_order_release);
  s.feeder = std::thread(feeder_main, &s);
}

namespace {

// A restart, once the device holds still: the file's start is written from
// where the device stopped, and the device starts from there.
void prepare_restart(Stream& s) {
  const uint32_t generation = s.play_generation.load(std::memory_order_acquire);
  if (generation <= s.ready_generation.load(std::memory_order_relaxed) ||
      s.paused_generation.load(std::memory_order_acquire) != generation)
    return;
  const uint64_t at = s.ring.consumed.load(std::memory_order_acquire);
  feed_rewind(s.feed);
  ring_rewrite_from(s.ring, at);
  feed_fill(s.feed, s.ring, 1);
  s.play_start.store(at, std::memory_order_release);
  s.ready_generation.store(generation, std::memory_order_release);
}

// The decoder's work for an output that waits on a stream without a decoder
// thread: a restart asked for, then whole steps until frame `index` is
// written, the file gives no more or the ring is full (feed_fill writes
// nothing only then). Nothing is decoded beyond what is waited for.
void feed_through(Stream& s, uint64_t index) {
  prepare_restart(s);
  while (s.ring.written.load(std::memory_order_relaxed) <= index && feed_fill(s.feed, s.ring, 1) > 0) {
  }
  s.feed_stalled.store(s.feed.stalled, std::memory_order_release);
}

// Waits until the decoder thread has written beyond `read`, has nothing
// more to give, or has taken too long; without a decoder thread, decodes
// that far. Returns the frames written.
uint64_t wait_for_frames(Stream& s, uint64_t read) {
  if (!s.feeder_runs.load(std::memory_order_acquire)) {
    feed_through(s, read);
    return s.ring.written.load(std::memory_order_acquire);
  }
  const auto give_up = std::chrono::steady_clock::now() + longest_wait;
  uint64_t written = s.ring.written.load(std::memory_order_acquire);
  while (written <= read && !s.feed_stalled.load(std::memory_order_acquire) &&
         std::chrono::steady_clock::now() < give_up) {
    s.feeder_wake.notify_all();
    std::this_thread::sleep_for(wait_step);
    written = s.ring.written.load(std::memory_order_acquire);
  }
  return written;
}

// Waits until the decoder thread has prepared start `generation`, or has
// taken too long; without a decoder thread, prepares it. Returns whether it
// is ready.
bool wait_for_start(Stream& s, uint32_t generation) {
  if (!s.feeder_runs.load(std::memory_order_acquire)) {
    prepare_restart(s);
    return s.ready_generation.load(std::memory_order_relaxed) == generation;
  }
  const auto give_up = std::chrono::steady_clock::now() + longest_wait;
  while (s.ready_generation.load(std::memory_order_acquire) != generation) {
    if (std::chrono::steady_clock::now() >= give_up) return false;
    s.feeder_wake.notify_all();
    std::this_thread::sleep_for(wait_step);
  }
  return true;
}

}  // namespace

void feed_stream(Stream& s) {
  prepare_restart(s);
  feed_fill(s.feed, s.ring, std::numeric_limits<uint64_t>::max());
  s.feed_stalled.store(s.feed.stalled, std::memory_order_release);
}

void start_stream(Stream& s, bool loop, bool restart) {
  s.looping.store(loop, std::memory_order_release);
  const bool running =
      s.play_generation.load(std::memory_order_acquire) != 0 && !s.finished.load(std::memory_order_acquire);
  if (restart || !running) {
    s.finished.store(false, std::memory_order_release);
    s.play_generation.fetch_add(1, std::memory_order_acq_rel);
    s.feeder_wake.notify_all();
  }
}

void render_stream(Stream& s, int16_t* out, int frames, int64_t heard_at_ns, bool wait_for_decoder) {
  const uint32_t generation = s.play_generation.load(std::memory_order_acquire);
  if (generation == 0) return;
  if (generation != s.seen_generation) {
    if (s.ready_generation.load(std::memory_order_acquire) != generation) {
      // A restart: hold still, and let the decoder thread rewrite the ring
      // from here; an output that nobody hears waits for it, others stay
      // silent meanwhile.
      s.paused_generation.store(generation, std::memory_order_release);
      if (!wait_for_decoder || !wait_for_start(s, generation)) return;
    }
    // A fresh start begins at the file's start.
    s.seen_generation = generation;
    s.read_index = s.play_start.load(std::memory_order_acquire);
    s.ended = false;
    s.end_index.store(std::numeric_limits<uint64_t>::max(), std::memory_order_release);
  }
  if (s.ended) return;
  const uint64_t start = s.play_start.load(std::memory_order_relaxed);
  const bool loop = s.looping.load(std::memory_order_acquire);
  uint64_t written = s.ring.written.load(std::memory_order_acquire);
  uint64_t read = s.read_index;

  PlaybackSnapshot snap;
  snap.generation = generation;
  snap.looping = loop;
  snap.start_total = read - start;
  snap.time_ns = heard_at_ns;
  int copied = 0;
  for (; copied < frames; ++copied, ++read) {
    if (read == written && (!wait_for_decoder || (written = wait_for_frames(s, read)) == read)) break;
    if (!loop && starts_loop(s, read, start)) {
      s.ended = true;
      break;
    }
    int16_t* dst = out + static_cast<size_t>(copied) * output_channels;
    dst[0] = saturate(int32_t(dst[0]) + ring_sample(s.ring, read, 0));
    dst[1] = saturate(int32_t(dst[1]) + ring_sample(s.ring, read, 1));
  }
  s.read_index = read;
  s.ring.consumed.store(read, std::memory_order_release);
  // The spectrum window reaches half its width past what is heard. A real
  // device has long been handed those frames; an output that nobody hears
  // may take every frame up to this moment at once, so it also waits for
  // the decoder to have written the frames the window reads next, or the
  // spectrum would depend on how far the decoder thread had got.
  if (wait_for_decoder && !s.ended && copied == frames) wait_for_frames(s, read + spectrum_input_samples / 2 - 1);
  snap.count = static_cast<uint32_t>(copied);
  s.snapshot.publish(snap);
  s.frames_handed.store(read - start, std::memory_order_release);
  if (s.ended) {
    s.end_index.store(read, std::memory_order_release);
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
  const AudiblePoint p = audible_point(snap, now_ns, s.output_rate, unbounded_frames, s.floor_total);
  s.floor_total = p.total;
  const uint64_t start = s.play_start.load(std::memory_order_acquire);
  const uint64_t end = s.end_index.load(std::memory_order_acquire);
  h.total = p.total;
  h.index = start + p.total;
  h.playing = h.index < end;
  if (!h.playing) h.index = end;
  h.stream_frame = file_frame_at(s, h.index, start);
  return h;
}

void heard_window(const Stream& s, const Hearing& h, float* mono) {
  const uint64_t start = s.play_start.load(std::memory_order_acquire);
  const bool loop = s.looping.load(std::memory_order_acquire);
  const float scale = 1.0f / (32768.0f * output_channels);
  const int64_t first = static_cast<int64_t>(h.index) - spectrum_input_samples / 2;
  // A stream that does not loop is silent from its end on.
  bool past_end = false;
  for (int i = 0; i < spectrum_input_samples; ++i) {
    const int64_t index = first + i;
    const uint64_t at = static_cast<uint64_t>(index);
    // Before the start of play nothing was played.
    const bool held = h.playing && index >= static_cast<int64_t>(start) && ring_holds(s.ring, at);
    if (held && !loop && starts_loop(s, at, start)) past_end = true;
    if (!held || past_end) {
      mono[i] = 0.0f;
      continue;
    }
    mono[i] = static_cast<float>(int32_t(ring_sample(s.ring, at, 0)) + ring_sample(s.ring, at, 1)) * scale;
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
