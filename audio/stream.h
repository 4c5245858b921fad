// A music stream: the file decoded a little ahead of the device into a
// ring in the output format, and the playback state the threads share.
//
// Three threads meet here. The decoder thread (feed_stream) fills the ring
// from the file, looping by rewinding the decoder, and prepares restarts.
// The device thread (render_stream) only copies from the ring and publishes
// where it is. The main thread starts playback and reads the audible
// position and the samples around it from the ring's history. Nothing here
// allocates after the stream is made.
#pragma once

#include "audio/audible_position.h"
#include "audio/music_feed.h"
#include "audio/music_ring.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

constexpr int output_channels = 2;
constexpr int max_streams = 16;

struct Stream {
  MusicRing ring;
  MusicFeed feed;  // decoder thread only, once that runs
  int output_rate = 0;

  std::atomic<uint32_t> play_generation{0};  // +1 on every start; 0 = never started
  // The start whose first frame the ring holds at `play_start`. The first
  // start is prepared when the stream is made; later ones by the decoder
  // thread once the device has stopped reading (`paused_generation`).
  std::atomic<uint32_t> ready_generation{1};
  std::atomic<uint32_t> paused_generation{0};
  std::atomic<uint64_t> play_start{0};
  std::atomic<bool> looping{false};
  std::atomic<bool> finished{false};            // a non-looping stream ran out
  std::atomic<uint64_t> frames_handed{0};       // output frames given to the device since the start
  std::atomic<uint64_t> end_index{UINT64_MAX};  // ring frame where a non-looping stream stopped
  std::atomic<bool> feed_stalled{false};        // the file gives nothing more

  SnapshotCell snapshot;

  // Device thread only.
  uint32_t seen_generation = 0;
  uint64_t read_index = 0;
  bool ended = false;

  // Per-frame callers only (one thread).
  uint32_t floor_generation = 0;
  uint64_t floor_total = 0;

  // Whether a thread decodes into the ring: the decoder thread (or a test
  // playing it). Without one, an output that waits for the decoder does the
  // decoder's work itself, on its own thread and no further than it needs,
  // so tests and the fuzz target drive the whole stream synchronously.
  std::atomic<bool> feeder_runs{false};
  // The decoder thread, when started.
  std::thread feeder;
  std::mutex feeder_mutex;
  std::condition_variable feeder_wake;
  bool feeder_stop = false;

  ~Stream();

  int file_rate() const { return feed.format.rate; }
  int file_channels() const { return feed.format.channels; }
};

// 65536 frames (1.5 s at 44.1 kHz, 512 kB with the loop offsets) whatever
// the track's length: 1.1 s decoded ahead of the device, and 0.37 s of
// played audio behind it, several times what the spectrum window (half of
// 1024 frames) and the output's buffering reach back.
constexpr uint64_t stream_ring_frames = 65536;

// How a stream decodes: output frames per step, and the ring's size. The
// program uses the defaults; something that plays only a few buffers (the
// fuzz target) asks for small ones, so that each stream costs little.
struct StreamSize {
  long step_frames = feed_step_frames;
  // Raised where needed (to a power of two) so that the ring takes a whole
  // step beside the history it keeps and the spectrum window's width of
  // frames an output waiting for the decoder may hold unreleased.
  uint64_t ring_frames = stream_ring_frames;
};

// Makes a stream of the decoder's file for an output at output_rate and
// decodes its first step, so that playback can start at once. Takes the
// decoder; null (decoder closed) when the format cannot be converted, the
// step is not positive or nothing decodes.
Stream* make_stream(Mp3Decoder* decoder, const Mp3Format& format, int output_rate,
                    const StreamSize& size = StreamSize{});

// Starts the decoder thread, which keeps the ring filled from then on.
void start_feeder(Stream& s);

// One pass of the decoder thread's work, on the calling thread: a restart
// asked for is prepared, then the ring is filled. Tests call it instead of
// running the thread.
void feed_stream(Stream& s);

// Main thread: starts from the beginning (restart, or first start) or, for
// a stream already playing and restart false, only changes looping.
void start_stream(Stream& s, bool loop, bool restart);

// Device thread: adds the stream's next frames into out (16-bit stereo,
// saturating) and records that the first of them is heard at heard_at_ns
// on the audio clock. Frames the decoder has not yet written are left
// silent, unless `wait_for_decoder`: an output that nobody hears (the silent
// output, the capture clock, which may take seconds of frames at once)
// waits for the decoder thread instead, so what it takes is the music
// without gaps; on a stream without a decoder thread it decodes them itself.
void render_stream(Stream& s, int16_t* out, int frames, int64_t heard_at_ns, bool wait_for_decoder = false);

// Main thread: what is being heard at now_ns.
struct Hearing {
  bool playing = false;       // something of the stream is being heard
  uint64_t total = 0;         // output frames heard since the start, across loops
  uint64_t index = 0;         // the ring frame being heard
  uint64_t stream_frame = 0;  // position in the file, in its own frames
};
Hearing hear_stream(Stream& s, int64_t now_ns);

// Main thread: mixes to mono the 1024 output frames centred on what is
// being heard; silence outside the audio that is heard.
void heard_window(const Stream& s, const Hearing& h, float* mono_1024);

// The streams created so far; a handle is its slot + 1.
uint32_t register_stream(Stream* s);
Stream* stream_for_handle(uint32_t handle);
Stream* stream_in_slot(int slot);

// Deletes every stream; only with the output closed (tests, benchmarks).
void forget_streams();
