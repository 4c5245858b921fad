// The music as it comes from the file: the decoder, and when the file's
// format is not the output's, the converter, writing into the ring. At the
// end of the audio (or where the file turns out broken) the converter is
// flushed and the decoder rewound, so the loop is the file's audio from its
// first sample to its last, again and again. A loop shorter than one step
// is decoded once and then repeated from memory.
#pragma once

#include "audio/mp3_decoder.h"
#include "audio/music_ring.h"
#include "audio/pcm_converter.h"

#include <cstdint>
#include <memory>

// Output frames one step writes by default: about 93 ms at 44.1 kHz, small
// enough that opening a stream costs little, large enough that the decoder
// thread wakes rarely.
constexpr long feed_step_frames = 4096;

struct MusicFeed {
  Mp3Decoder* decoder = nullptr;
  Mp3Format format;
  PcmConverter* converter = nullptr;  // null when the file is the output's format
  long chunk_frames = 0;              // file frames decoded per step
  long max_step_output = 0;           // output frames one step can write
  // Step buffers, never read beyond what the decoder or converter last
  // wrote into them, so they are allocated without being cleared.
  std::unique_ptr<int16_t[]> decoded;    // one step in the file's format
  std::unique_ptr<int16_t[]> converted;  // one step in the output's format
  uint32_t loop_offset = 0;              // output frames written of the current loop
  bool stalled = false;                  // the file gives nothing more; writing stops
  // A loop no longer than one step is kept whole after its first pass and
  // written again from here, rather than decoding a few frames per rewind.
  // Only its first short_loop_frames frames, all written, are ever read.
  std::unique_ptr<int16_t[]> short_loop;
  uint32_t short_loop_capacity = 0;  // frames
  uint32_t short_loop_frames = 0;
  bool replaying = false;
};

// Takes the decoder (and closes it on failure). A step is about step_frames
// output frames (at least 256 file frames). False when the format cannot be
// converted for the output or step_frames is not positive (or is over
// a million).
bool feed_open(MusicFeed& feed, Mp3Decoder* decoder, const Mp3Format& format, int output_rate,
               long step_frames = feed_step_frames);

// Writes whole steps into the ring while it has room for them, at most
// max_frames (roughly: a step is not split). Returns the frames written.
uint64_t feed_fill(MusicFeed& feed, MusicRing& ring, uint64_t max_frames);

// Back to the first frame of the file, the converter started afresh.
// False (and the feed stalls) when the decoder cannot rewind or the
// converter has ended.
bool feed_rewind(MusicFeed& feed);

// The file frame that output frame `loop_offset` of a loop comes from.
uint64_t feed_file_frame(const MusicFeed& feed, uint64_t loop_offset, int output_rate);

void feed_close(MusicFeed& feed);
