// Where the listener is in a playing stream, worked out from what the
// device thread last handed to the output and when.
//
// Each fill of the output hands `count` frames, starting `start_total`
// frames into the playback (counted across loops) and `start_cursor` frames
// into the file, stamped with the audio clock's time at which the first of
// them is heard; the rest follow one per sample period. Between fills the
// position being heard is interpolated from the stamp: before it, it reaches
// back into the frames handed earlier, and it never runs past the end of
// what was handed over.
#pragma once

#include <atomic>
#include <cstdint>

struct PlaybackSnapshot {
  uint32_t generation = 0;  // which start of play this belongs to; 0 = none
  bool looping = false;
  uint64_t start_total = 0;
  uint64_t start_cursor = 0;
  uint32_t count = 0;
  int64_t time_ns = 0;
};

struct AudiblePoint {
  uint64_t total = 0;   // frames heard since play started, across loops
  uint64_t cursor = 0;  // frame of the file being heard, 0 .. length
};

// The frame heard at now_ns. `floor_total` is the last value reported, so
// that jitter in callback timing never moves the position backwards.
AudiblePoint audible_point(const PlaybackSnapshot& snapshot, int64_t now_ns, int rate, uint64_t length_frames,
                           uint64_t floor_total);

// One snapshot shared from the device thread to readers without locks: a
// sequence counter around the fields. The writer never waits; a reader that
// overlaps a write reads again.
class SnapshotCell {
 public:
  // Device thread only.
  void publish(const PlaybackSnapshot& s);
  PlaybackSnapshot read() const;

 private:
  std::atomic<uint32_t> sequence_{0};
  std::atomic<uint32_t> generation_{0};
  std::atomic<bool> looping_{false};
  std::atomic<uint64_t> start_total_{0};
  std::atomic<uint64_t> start_cursor_{0};
  std::atomic<uint32_t> count_{0};
  std::atomic<int64_t> time_ns_{0};
};
