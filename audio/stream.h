// A music stream: a whole decoded file, a copy of it in the output format
// for the device thread, and the playback state the two threads share.
//
// The device thread only copies from `output` and publishes where it is;
// the main thread starts playback and reads the audible position and the
// samples around it from `decoded`. Nothing here allocates after creation.
#pragma once

#include "audio/audible_position.h"
#include "audio/mp3_file.h"

#include <atomic>
#include <cstdint>
#include <vector>

constexpr int output_channels = 2;
constexpr int max_streams = 16;

struct Stream {
  DecodedPcm decoded;              // the file's own format; positions count in it
  std::vector<int16_t> converted;  // 16-bit stereo at the output rate, when that differs
  int output_rate = 0;

  std::atomic<uint32_t> play_generation{0};  // +1 on every start; 0 = never started
  std::atomic<bool> looping{false};
  std::atomic<bool> finished{false};       // a non-looping stream ran out
  std::atomic<uint64_t> frames_handed{0};  // output frames given to the device

  SnapshotCell snapshot;

  // Device thread only.
  uint32_t seen_generation = 0;
  uint64_t played = 0;
  uint64_t cursor = 0;
  bool ended = false;

  // Per-frame callers only (one thread).
  uint32_t floor_generation = 0;
  uint64_t floor_total = 0;

  // What the device plays: the decoded samples themselves when they are
  // already 16-bit stereo at the output rate.
  const std::vector<int16_t>& output() const { return converted.empty() ? decoded.samples : converted; }
  uint64_t output_frames() const { return output().size() / output_channels; }
};

// Builds a stream from decoded audio, converted for an output at
// output_rate. Null if the conversion fails.
Stream* make_stream(DecodedPcm&& decoded, int output_rate);

// Main thread: starts from the beginning (restart, or first start) or, for
// a stream already playing and restart false, only changes looping.
void start_stream(Stream& s, bool loop, bool restart);

// Device thread: adds the stream's next frames into out (16-bit stereo,
// saturating) and records that the first of them is heard at heard_at_ns
// on the audio clock.
void render_stream(Stream& s, int16_t* out, int frames, int64_t heard_at_ns);

// Main thread: what is being heard at now_ns.
struct Hearing {
  bool playing = false;       // something of the stream is being heard
  uint64_t total = 0;         // output frames heard since the start, across loops
  uint64_t stream_frame = 0;  // position in the file, in its own frames
};
Hearing hear_stream(Stream& s, int64_t now_ns);

// Main thread: mixes to mono the 1024 frames of the file centred on what is
// being heard; silence outside the audio that is heard.
void heard_window(const Stream& s, const Hearing& h, float* mono_1024);

// The streams created so far; a handle is its slot + 1.
uint32_t register_stream(Stream* s);
Stream* stream_for_handle(uint32_t handle);
Stream* stream_in_slot(int slot);

// Deletes every stream; only with the output closed (tests, benchmarks).
void forget_streams();
