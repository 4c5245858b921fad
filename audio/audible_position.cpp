// Interpolating the audible frame between device callbacks.
#include "audio/audible_position.h"

#include <algorithm>

AudiblePoint audible_point(const PlaybackSnapshot& s, int64_t now_ns, int rate, uint64_t length_frames,
                           uint64_t floor_total) {
  AudiblePoint p;
  if (s.generation == 0 || rate <= 0 || length_frames == 0) return p;
  // Whole frames only, rounded down (also before the stamp): the estimate
  // stays behind, not ahead.
  const __int128 scaled = static_cast<__int128>(now_ns - s.time_ns) * rate;
  int64_t elapsed_frames = static_cast<int64_t>(scaled / 1000000000);
  if (scaled < 0 && scaled % 1000000000 != 0) --elapsed_frames;
  const int64_t into_buffer = std::min<int64_t>(elapsed_frames, s.count);
  const int64_t total = std::max<int64_t>(static_cast<int64_t>(s.start_total) + into_buffer, 0);
  p.total = std::max<uint64_t>(static_cast<uint64_t>(total), floor_total);

  // Map back into the file; a negative offset reaches into the buffer
  // handed before this one, which may have come from the file's end.
  const int64_t offset = static_cast<int64_t>(p.total) - static_cast<int64_t>(s.start_total);
  const int64_t length = static_cast<int64_t>(length_frames);
  int64_t cursor = static_cast<int64_t>(s.start_cursor) + offset;
  if (s.looping) {
    cursor %= length;
    if (cursor < 0) cursor += length;
  } else {
    cursor = std::clamp<int64_t>(cursor, 0, length);
  }
  p.cursor = static_cast<uint64_t>(cursor);
  return p;
}

void SnapshotCell::publish(const PlaybackSnapshot& s) {
  const uint32_t seq = sequence_.load(std::memory_order_relaxed);
  sequence_.store(seq + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  generation_.store(s.generation, std::memory_order_relaxed);
  looping_.store(s.looping, std::memory_order_relaxed);
  start_total_.store(s.start_total, std::memory_order_relaxed);
  start_cursor_.store(s.start_cursor, std::memory_order_relaxed);
  count_.store(s.count, std::memory_order_relaxed);
  time_ns_.store(s.time_ns, std::memory_order_relaxed);
  sequence_.store(seq + 2, std::memory_order_release);
}

PlaybackSnapshot SnapshotCell::read() const {
  PlaybackSnapshot s;
  for (;;) {
    const uint32_t before = sequence_.load(std::memory_order_acquire);
    if (before & 1u) continue;  // a write is under way
    s.generation = generation_.load(std::memory_order_relaxed);
    s.looping = looping_.load(std::memory_order_relaxed);
    s.start_total = start_total_.load(std::memory_order_relaxed);
    s.start_cursor = start_cursor_.load(std::memory_order_relaxed);
    s.count = count_.load(std::memory_order_relaxed);
    s.time_ns = time_ns_.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (sequence_.load(std::memory_order_relaxed) == before) return s;
  }
}
