// Controls of the scripted music stand-in. It implements audio/bass.h
// without any sound: the position and the spectrum that the per-frame calls
// report are set by the caller, frame by frame, and every call is recorded
// so that tests can check what the demo asked for. Everything else keeps the
// real layer's contract: a file that cannot be opened gives no stream, and
// until the stream is played nothing is heard (position 0, a zero spectrum,
// GetData returning 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/bass.h"

namespace scripted_music {

// Positions are bytes of 44.1 kHz 16-bit stereo, like the real stream.
constexpr uint64_t bytes_per_second = 44100 * 2 * 2;
constexpr int spectrum_bins = 512;
// The handle the stand-in gives its one stream.
constexpr HSTREAM stream_handle = 0x80000001u;

// What the calls have been asked so far.
struct CallLog {
  int init_calls = 0;
  int create_calls = 0;
  int play_calls = 0;
  int get_data_calls = 0;
  int get_position_calls = 0;
  int bytes_to_seconds_calls = 0;
  char created_file[64] = {};
  BOOL create_mem = -1;
  QWORD create_offset = 0;
  QWORD create_length = 0;
  DWORD create_flags = 0;
  HSTREAM played_handle = 0;
  BOOL play_flush = -1;
  DWORD play_flags = 0;
  DWORD last_data_handle = 0;
  DWORD last_data_length = 0;
  DWORD last_position_handle = 0;
  // Order of the per-frame calls: 'D' data, 'P' position, 'S' seconds; the
  // most recent calls, cut at the buffer's end.
  char frame_calls[64] = {};
  int frame_call_count = 0;
};

// Forgets the stream, the script and the log.
void reset();

// Makes the next BASS_StreamCreateFile fail (return 0) when true.
void fail_stream_creation(bool fail);

// The position reported from now on, in seconds (rounded to whole bytes) or
// in bytes.
void set_position_seconds(double seconds);
void set_position_bytes(uint64_t bytes);

// The spectrum written from now on: bins[0] = bass, every other bin 0.
void set_bass(float bass);
// The spectrum written from now on, count values from bin 0 (at most 512),
// the rest 0.
void set_spectrum(const float* bins, size_t count);

const CallLog& calls();

}  // namespace scripted_music
