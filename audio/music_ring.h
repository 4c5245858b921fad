// A ring of decoded music in the output format (16-bit stereo), written
// ahead of the device by one thread and read by the device thread, with a
// stretch of what was already played kept behind the read position so that
// the position and the spectrum can still be taken from what is heard.
//
// Frames are numbered from the stream's opening on; frame i lives in slot
// i % capacity. Each frame also records how far into its loop it lies, in
// output frames, so a reader knows where in the file it is and where a loop
// began without knowing the loop's length.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

constexpr int ring_channels = 2;

// Samples and offsets are atomics read and written with relaxed order: the
// writer never touches the frames the device and the main thread read
// (it stays `history` frames behind the device), but the main thread reads
// the history without telling the writer, so the language's rules want
// them atomic; on the machines we build for a relaxed access is a plain one.
// Nobody reads a frame before it is written (see ring_holds), so the storage
// is not cleared when it is allocated.
struct MusicRing {
  std::unique_ptr<std::atomic<int16_t>[]> samples;        // capacity frames, interleaved stereo
  std::unique_ptr<std::atomic<uint32_t>[]> loop_offsets;  // per frame: output frames since its loop began
  uint64_t capacity = 0;                                  // a power of two
  uint64_t history = 0;                                   // frames kept behind `consumed`

  std::atomic<uint64_t> written{0};   // writer: one past the last frame written
  std::atomic<uint64_t> consumed{0};  // device: one past the last frame handed on
};

// Sets up an empty ring of `capacity` frames (rounded up to a power of
// two); the only allocation.
void ring_allocate(MusicRing& ring, uint64_t capacity, uint64_t history);

// Writer: how many frames may be written now without touching the kept
// history.
uint64_t ring_space(const MusicRing& ring);

// Writer: appends count frames (count <= ring_space) whose first lies
// first_offset frames into its loop, and publishes them.
void ring_write(MusicRing& ring, const int16_t* frames, uint64_t count, uint32_t first_offset);

// Writer, while the device reads nothing: forgets every frame from `index`
// on, so that writing starts there again.
void ring_rewrite_from(MusicRing& ring, uint64_t index);

// Frame `index`: a sample of it and its offset into its loop. Valid while
// index < written and the frame has not been overwritten.
inline int16_t ring_sample(const MusicRing& ring, uint64_t index, int channel) {
  return ring.samples[(index & (ring.capacity - 1)) * ring_channels + channel].load(std::memory_order_relaxed);
}
inline uint32_t ring_loop_offset(const MusicRing& ring, uint64_t index) {
  return ring.loop_offsets[index & (ring.capacity - 1)].load(std::memory_order_relaxed);
}

// Whether frame `index` is written and still held.
bool ring_holds(const MusicRing& ring, uint64_t index);
