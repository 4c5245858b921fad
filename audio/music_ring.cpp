// The ring's bookkeeping. The writer never overwrites the `history` frames
// behind what the device consumed, so readers of the played audio (the
// position and the spectrum) find it intact.
#include "audio/music_ring.h"

#include <algorithm>

void ring_allocate(MusicRing& ring, uint64_t capacity, uint64_t history) {
  uint64_t size = 1;
  while (size < capacity) size <<= 1;
  ring.capacity = size;
  ring.history = std::min(history, size / 2);
  // Default-initialised: the atomics hold no value until written.
  ring.samples.reset(new std::atomic<int16_t>[size * ring_channels]);
  ring.loop_offsets.reset(new std::atomic<uint32_t>[size]);
  ring.written.store(0, std::memory_order_relaxed);
  ring.consumed.store(0, std::memory_order_relaxed);
}

uint64_t ring_space(const MusicRing& ring) {
  const uint64_t limit = ring.consumed.load(std::memory_order_acquire) + ring.capacity - ring.history;
  const uint64_t written = ring.written.load(std::memory_order_relaxed);
  return limit > written ? limit - written : 0;
}

void ring_write(MusicRing& ring, const int16_t* frames, uint64_t count, uint32_t first_offset) {
  uint64_t index = ring.written.load(std::memory_order_relaxed);
  const uint64_t mask = ring.capacity - 1;
  uint64_t done = 0;
  while (done < count) {
    const uint64_t slot = index & mask;
    const uint64_t n = std::min(count - done, ring.capacity - slot);
    for (uint64_t i = 0; i < n * ring_channels; ++i)
      ring.samples[slot * ring_channels + i].store(frames[done * ring_channels + i], std::memory_order_relaxed);
    for (uint64_t i = 0; i < n; ++i)
      ring.loop_offsets[slot + i].store(first_offset + static_cast<uint32_t>(done + i), std::memory_order_relaxed);
    index += n;
    done += n;
  }
  ring.written.store(index, std::memory_order_release);
}

void ring_rewrite_from(MusicRing& ring, uint64_t index) { ring.written.store(index, std::memory_order_release); }

bool ring_holds(const MusicRing& ring, uint64_t index) {
  const uint64_t written = ring.written.load(std::memory_order_acquire);
  return index < written && index + ring.capacity >= written;
}
